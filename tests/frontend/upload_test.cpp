// The high-score upload: the request it builds and what it logs, against a real HTTP
// server on 127.0.0.1.
#include "frontend/upload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/io.h"
#include "tests/engine/io_test_support.h"

namespace {

using Lines = std::vector<std::string>;

const std::string Upload_Path = "/accessTindral.php?access=score_upload_information&level=1";

struct Url_Case {
    const char* what;
    const char* name;
    float spheres;
    float best_time;
    const char* os_name;
    std::string query_rest;  // everything after Upload_Path
};

TEST(ScoreUploadUrl, CarriesTheRunAndItsCheckValue) {
    const Url_Case cases[] = {
        {"the worked example", "Ann", 3.0f, 40.5f, "XP",
         "&score_time=40.500000&score_spheres=3&username=Ann&index=1074&os=XP&version=1.65"},
        {"no sphere allowed", "Zed", 0.0f, 12.25f, "Windows_7",
         "&score_time=12.250000&score_spheres=0&username=Zed&index=-6&os=Windows_7&version=1.65"},
        {"fractions are truncated", "Bo", 2.9f, 99.99f, "Unknown",
         "&score_time=99.989998&score_spheres=2&username=Bo&index=1182&os=Unknown&version=1.65"},
        {"the check value wraps at 32 bits", "ABCDEFGHIJKLMNO", 100000.0f, 100000.0f, "Vista",
         "&score_time=100000.000000&score_spheres=100000&username=ABCDEFGHIJKLMNO"
         "&index=-971566086&os=Vista&version=1.65"},
        {"a time beyond int range truncates as x86 does", "Kim", 1.0f, 3.0e9f, "NT",
         "&score_time=3000000000.000000&score_spheres=1&username=Kim&index=2147483642&os=NT"
         "&version=1.65"},
        {"other characters cannot break the query", "A B&c", 1.0f, 1.0f, "Server_2003",
         "&score_time=1.000000&score_spheres=1&username=A%20B%26c&index=9&os=Server_2003"
         "&version=1.65"},
    };
    for (const Url_Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(
            Score_Upload_Url("www.tindral.example", c.name, c.spheres, c.best_time, c.os_name),
            "http://www.tindral.example" + Upload_Path + c.query_rest);
    }
}

class ScoreUpload : public ::testing::Test {
  protected:
    Io_Test_Folder folder;
    Io_Test_Server server{folder.Path() + "/requests.txt"};
    CTarvelIO io;
    void SetUp() override { ASSERT_TRUE(server.Running()); }
};

TEST_F(ScoreUpload, AnsweredUploadIsLogged) {
    Score_Upload(io, server.Host().c_str(), "Ann", 3.0f, 40.5f, "XP");
    EXPECT_EQ(server.Paths(),
              Lines{Upload_Path +
                    "&score_time=40.500000&score_spheres=3&username=Ann&index=1074&os=XP"
                    "&version=1.65"});
    EXPECT_EQ(folder.Log_Messages(0), Lines{"High score upload completed [Ann][40.500000][3]"});
    EXPECT_EQ(folder.Log_Messages(1), Lines{});
}

// The server answers an empty body for this name: sent, but nothing to report.
TEST_F(ScoreUpload, EmptyAnswerIsNotLogged) {
    Score_Upload(io, server.Host().c_str(), "Blank", 0.0f, 7.0f, "XP");
    EXPECT_EQ(server.Paths(),
              Lines{Upload_Path +
                    "&score_time=7.000000&score_spheres=0&username=Blank&index=-6&os=XP"
                    "&version=1.65"});
    EXPECT_EQ(folder.Log_Messages(0), Lines{});
    EXPECT_EQ(folder.Log_Messages(1), Lines{});
}

TEST_F(ScoreUpload, UnreachableEndpointLeavesNoCompletedLine) {
    Io_Closed_Port closed;
    std::string host = "127.0.0.1:" + std::to_string(closed.Port());
    Score_Upload(io, host.c_str(), "Ann", 3.0f, 40.5f, "XP");
    EXPECT_EQ(folder.Log_Messages(0), Lines{});
    EXPECT_EQ(folder.Log_Messages(1),
              (Lines{"CTarvelIO::Retrieve_Data_URL() :: failed (InternetOpenURL [12029])",
                     "CTarvelIO::Retrieve_Data_URL() :: failed (InternetReadFile [6])"}));
    EXPECT_EQ(folder.Body_Files(), Lines{});
}

}  // namespace
