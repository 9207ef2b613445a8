// The RTF event log, read back from real files: header, entries per level, message
// rules, flushing, and the lock that keeps a second instance from wiping the log.
#include "base/log.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <string>

#include "tests/support/files.h"

extern char** environ;

namespace {

const std::string Header_1 =
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fmodern\fprq1\fcharset0 Courier New;}{\f1\fnil\fcharset0 Courier New;}})";
const std::string Header_2 =
    R"({\colortbl;\red0\green0\blue0;\red255\green0\blue0;\red0\green128\blue0;\red0\green0\blue255;}{\*\generator Msftedit 5.41.15.1503;}\viewkind4\uc1\pard\fs20)";

// "HH:MM:SS" of a local time.
std::string Clock(std::time_t when) {
    std::tm parts{};
    localtime_r(&when, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &parts);
    return text;
}

class Log_Test : public ::testing::Test {
  protected:
    std::string Read() const { return Read_File(path_); }
    // What follows the three header pieces.
    std::string Body() const {
        std::string text = Read();
        std::size_t end = text.find(R"(\par\par)");
        return end == std::string::npos ? "<no header>" : text.substr(end + 8);
    }

    Scratch_Folder folder_;
    std::string dir_ = folder_.Path();
    std::string path_ = dir_ + "/log.dat";
};

TEST_F(Log_Test, HeaderIsTheThreePiecesWithTheLocalDateAndTime) {
    {
        std::ofstream earlier(path_);
        earlier << "log of an earlier run";
    }
    std::time_t before = std::time(nullptr);
    std::FILE* log = Log_Open(path_.c_str());
    std::time_t after = std::time(nullptr);
    ASSERT_NE(log, nullptr);

    std::string text = Read();  // flushed by Log_Open, still open
    ASSERT_EQ(text.rfind(Header_1 + Header_2, 0), 0u) << text;
    std::string third = text.substr(Header_1.size() + Header_2.size());
    std::smatch date;
    ASSERT_TRUE(std::regex_match(
        third, date,
        std::regex(
            R"(-{38}\\par Logging started: (\d\d/\d\d/\d{4}) - (\d\d:\d\d:\d\d)\\par-{39}\\par\\par)")))
        << third;
    std::tm local{};
    localtime_r(&after, &local);
    char today[16];
    std::strftime(today, sizeof today, "%m/%d/%Y", &local);  // month first
    EXPECT_EQ(date[1].str(), today);
    EXPECT_TRUE(date[2].str() == Clock(before) || date[2].str() == Clock(after)) << date[2];
    Log_Close(log);
}

TEST_F(Log_Test, BannerIsTheFirstEntryRightAfterTheHeader) {
    std::FILE* log = Log_Open(path_.c_str());
    ASSERT_NE(log, nullptr);
    std::time_t before = std::time(nullptr);
    Log_Write(log, 0, "%s", "Tindral :: Version 1.65");
    std::time_t after = std::time(nullptr);
    std::string body = Body();
    EXPECT_TRUE(body ==
                    " \\cf1\\f0 " + Clock(before) + " :: Tindral :: Version 1.65\\cf0\\f1\\par" ||
                body == " \\cf1\\f0 " + Clock(after) + " :: Tindral :: Version 1.65\\cf0\\f1\\par")
        << body;
    Log_Close(log);
}

TEST_F(Log_Test, EachLevelHasItsColourAndOthersWriteNothing) {
    const struct {
        int level;
        const char* entry;  // after the time
    } cases[] = {
        {0, R"( \cf1\f0 TT :: progress\cf0\f1\par)"},
        {1, R"( \cf2\f0 TT :: progress\cf0\f1\par)"},
        {2, R"( \cf3\f0 TT :: progress\cf0\f1\par)"},
        {3, R"( \cf4\f0 TT :: progress\cf0\f1\par)"},
        {4, ""},
        {5, ""},
        {-1, ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.level);
        std::FILE* log = Log_Open(path_.c_str());
        ASSERT_NE(log, nullptr);
        Log_Write(log, test.level, "progress");
        std::string body = std::regex_replace(Body(), std::regex(R"(\d\d:\d\d:\d\d)"), "TT");
        EXPECT_EQ(body, test.entry);
        Log_Close(log);
    }
}

TEST_F(Log_Test, LevelOutsideTheTableStillFlushes) {
    std::FILE* log = Log_Open(path_.c_str());
    ASSERT_NE(log, nullptr);
    std::fputs("pending", log);  // buffered in the stream, not yet in the file
    Log_Write(log, 5, "never shown");
    EXPECT_EQ(Body(), "pending");
    Log_Close(log);
}

TEST_F(Log_Test, MessageText) {
    const std::string long_text(2000, 'x');
    const struct {
        const char* what;
        std::string written;
        std::string shown;
    } cases[] = {
        {"backslash path", R"(CTarvelPak :: [data\textures.pak])",
         "CTarvelPak :: [data/textures.pak]"},
        {"braces pass", "{group} [%d]", "{group} [%d]"},
        {"2000 characters", long_text, std::string(1023, 'x')},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        std::FILE* log = Log_Open(path_.c_str());
        ASSERT_NE(log, nullptr);
        Log_Write(log, 1, "%s", test.written.c_str());
        std::string body = Body();
        std::size_t start = body.find(" :: ");
        std::size_t end = body.rfind(R"(\cf0\f1\par)");
        ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << body;
        EXPECT_EQ(body.substr(start + 4, end - start - 4), test.shown);
        Log_Close(log);
    }

    // Backslashes from the format itself turn too, and a missing format is an empty text.
    std::FILE* log = Log_Open(path_.c_str());
    ASSERT_NE(log, nullptr);
    Log_Write(log, 0, "%s\\%s.dat", "models", "wall");
    Log_Write(log, 0, nullptr);
    std::string body = std::regex_replace(Body(), std::regex(R"(\d\d:\d\d:\d\d)"), "TT");
    EXPECT_EQ(body, R"( \cf1\f0 TT :: models/wall.dat\cf0\f1\par \cf1\f0 TT :: \cf0\f1\par)");
    Log_Close(log);
}

TEST_F(Log_Test, NoLineBreakAnywhere) {
    std::FILE* log = Log_Open(path_.c_str());
    ASSERT_NE(log, nullptr);
    Log_Write(log, 0, "%s", "Tindral :: Version 1.65");
    Log_Write(log, 1, "CTarvelWindow::Texture_Load() :: failed (%s)", "data\\textures.pak");
    Log_Write(log, 3, "done");
    Log_Close(log);
    std::string text = Read();
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    // Nothing closes the document: the group opened by {\rtf1 stays open.
    EXPECT_EQ(std::count(text.begin(), text.end(), '{') - std::count(text.begin(), text.end(), '}'),
              1);
}

TEST_F(Log_Test, SecondOpenWhileTheFirstRunsLeavesTheFirstIntact) {
    std::FILE* first = Log_Open(path_.c_str());
    ASSERT_NE(first, nullptr);
    Log_Write(first, 0, "%s", "Tindral :: Version 1.65");
    std::string before = Read();

    EXPECT_EQ(Log_Open(path_.c_str()), nullptr);
    EXPECT_EQ(Read(), before);
    Log_Write(first, 0, "still here");
    EXPECT_NE(Read().find("still here"), std::string::npos);
    EXPECT_EQ(Read().rfind(before, 0), 0u);
    Log_Close(first);

    // Once the first log is closed the next run starts a fresh one.
    std::FILE* next = Log_Open(path_.c_str());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(Body(), "");
    Log_Close(next);
}

TEST_F(Log_Test, ProgramStartedFromTheGameDoesNotHoldTheLog) {
    std::FILE* first = Log_Open(path_.c_str());
    ASSERT_NE(first, nullptr);
    // A long-lived program started by the game, as the browser behind the website
    // button is: it must not keep the log's lock once the game has ended.
    pid_t child = 0;
    char sleep_path[] = "/bin/sleep";
    char seconds[] = "30";
    char* argv[] = {sleep_path, seconds, nullptr};
    ASSERT_EQ(posix_spawn(&child, sleep_path, nullptr, nullptr, argv, environ), 0);
    Log_Close(first);
    std::FILE* next = Log_Open(path_.c_str());
    EXPECT_NE(next, nullptr);
    Log_Close(next);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

TEST(Log_Open_Test, NoPathOrNoFolderGivesNoLogAndWritesAreSkipped) {
    EXPECT_EQ(Log_Open(nullptr), nullptr);
    EXPECT_EQ(Log_Open("/nonexistent-folder-for-tindral/log.dat"), nullptr);
    Log_Write(nullptr, 1, "%s", "dropped");  // must simply do nothing
    Log_Close(nullptr);
}

}  // namespace
