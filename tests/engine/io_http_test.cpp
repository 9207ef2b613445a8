// Http_Get, the libcurl stand-in for WinINet, against a real HTTP server on 127.0.0.1:
// how the body is delivered and which step a failure is charged to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/http.h"
#include "tests/engine/io_test_support.h"

namespace {

class Http : public ::testing::Test {
  protected:
    Io_Test_Folder folder;
    Io_Test_Server server{folder.Path() + "/requests.txt"};
    void SetUp() override { ASSERT_TRUE(server.Running()); }
};

TEST_F(Http, BodyArrivesInReadsOfAtMost1024Bytes) {
    std::vector<std::size_t> reads;
    std::string body;
    int code = -1;
    // The server writes all 3000 bytes at once; only the read size splits them.
    std::string url = server.Base() + "/size/3000";
    Http_Failure failure = Http_Get(
        url.c_str(), "agent",
        [&](const char* data, std::size_t size) {
            reads.push_back(size);
            body.append(data, size);
            return true;
        },
        &code);
    EXPECT_EQ(failure, Http_Failure::None);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(body.size(), 3000u);
    EXPECT_GE(reads.size(), 3u);
    for (std::size_t size : reads) EXPECT_LE(size, Http_Read_Size);
}

TEST_F(Http, RefusedDataCancelsTheTransfer) {
    int calls = 0;
    int code = 0;
    std::string url = server.Base() + "/size/3000";
    Http_Failure failure = Http_Get(
        url.c_str(), "agent",
        [&](const char*, std::size_t) {
            ++calls;
            return false;
        },
        &code);
    EXPECT_EQ(failure, Http_Failure::Read);
    EXPECT_EQ(code, Http_Error_Cancelled);
    EXPECT_EQ(calls, 1);
}

// A dead server must not hold the caller longer than the total time-out.
TEST_F(Http, SilentServerEndsAtTheTimeOut) {
    Http_Options options;
    options.connect_timeout_ms = 500;
    options.total_timeout_ms = 1000;
    int code = 0;
    std::string url = server.Base() + "/hang";
    Http_Failure failure = Http_Get(
        url.c_str(), "agent", [](const char*, std::size_t) { return true; }, &code, options);
    EXPECT_EQ(failure, Http_Failure::Request);
    EXPECT_EQ(code, Http_Error_Timeout);
}

}  // namespace
