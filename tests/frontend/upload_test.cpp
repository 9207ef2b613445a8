// The high-score upload: the request it builds and what it logs, against a real HTTP
// server on 127.0.0.1.
#include "frontend/upload.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/io.h"
#include "tests/engine/io_test_support.h"
#include "tests/support/memory_peak.h"

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

// A server that misbehaves when the upload reaches it, picked by the player's name (see
// io_http_server.py).
struct Hostile_Case {
    const char* what;
    const char* name;
    double max_seconds;  // how long the upload may block the frame
    Lines lines;         // what the log says, level 1
    std::size_t max_requests;
};

const std::string Failed = "CTarvelIO::Retrieve_Data_URL() :: failed ";
// The game's total time-out with a margin for a busy machine, and the time a failure that
// needs no time-out may take.
constexpr long Total_Timeout_Ms = 15000;
constexpr double Timed_Out_Seconds = Total_Timeout_Ms / 1000.0 + 2.0;
constexpr double At_Once_Seconds = 2.0;

const Hostile_Case Hostile_Cases[] = {
    {"accepts and never answers", "Hang", Timed_Out_Seconds,
     {Failed + "(InternetOpenURL [12002])", Failed + "(InternetReadFile [6])"}, 1},
    {"answers one byte a second", "Drip", Timed_Out_Seconds,
     {Failed + "(InternetReadFile [12002])"}, 1},
    {"closes mid-body", "Cut", At_Once_Seconds, {Failed + "(InternetReadFile [12030])"}, 1},
    // The first request and ten redirects.
    {"redirects to itself", "Loop", At_Once_Seconds,
     {Failed + "(InternetOpenURL [12156])", Failed + "(InternetReadFile [6])"}, 11},
    {"sends a 1 GB body", "Gigabyte", At_Once_Seconds,
     {Failed + "(InternetReadFile [12017])"}, 1},
};

void PrintTo(const Hostile_Case& c, std::ostream* out) { *out << c.what; }

class HostileServer : public ScoreUpload, public ::testing::WithParamInterface<Hostile_Case> {};

// The frame that uploads a run waits for the upload: whatever the server does, it must
// come back within the time-outs, hold no more than the capped body, leave no file and say
// in the log what went wrong.
TEST_P(HostileServer, UploadEndsInTimeInBoundedMemoryAndIsLogged) {
    const Hostile_Case& c = GetParam();
    ASSERT_EQ(io.Total_Timeout_Ms, Total_Timeout_Ms);  // the game's own URL client

    std::chrono::duration<double> took{};
    const long long growth = memory_peak::Growth([&] {
        const auto start = std::chrono::steady_clock::now();
        Score_Upload(io, server.Host().c_str(), c.name, 3.0f, 40.5f, "XP");
        took = std::chrono::steady_clock::now() - start;
    });

    EXPECT_LE(took.count(), c.max_seconds);
    // The body goes to a file and stops at Max_Body_Bytes (1 MB): the process grows by
    // what libcurl needs, nowhere near the 1 GB sent.
    ASSERT_GE(growth, 0) << "the peak memory cannot be measured here";
    EXPECT_LT(growth, 32ll << 20) << "bytes";
    EXPECT_EQ(folder.Log_Messages(1), c.lines);
    EXPECT_EQ(folder.Log_Messages(0), Lines{});
    EXPECT_EQ(folder.Body_Files(), Lines{});
    const std::size_t requests = server.Paths().size();
    EXPECT_GE(requests, 1u);
    EXPECT_LE(requests, c.max_requests);
}

INSTANTIATE_TEST_SUITE_P(Upload, HostileServer, ::testing::ValuesIn(Hostile_Cases),
                         [](const ::testing::TestParamInfo<Hostile_Case>& instance) {
                             return std::string(instance.param.name);
                         });

}  // namespace
