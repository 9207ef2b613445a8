// CTarvelIO::Retrieve_Data_URL against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/io.h"
#include "tests/engine/io_test_support.h"

namespace {

using Lines = std::vector<std::string>;

const std::string Prefix = "CTarvelIO::Retrieve_Data_URL() :: failed ";

std::string Hex(const std::string& bytes) {
    static const char Digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += Digits[c >> 4];
        hex += Digits[c & 15];
    }
    return hex;
}

std::string Pattern(std::size_t size) {
    const std::string unit = "0123456789abcdefghijklmnopqrstuvwxyz\n";
    std::string text;
    while (text.size() < size) text += unit;
    return text.substr(0, size);
}

class Retrieve : public ::testing::Test {
  protected:
    Io_Test_Folder folder;
    Io_Test_Server server{folder.Path() + "/requests.txt"};
    CTarvelIO io;

    void SetUp() override { ASSERT_TRUE(server.Running()); }
};

struct Body_Case {
    const char* what;
    std::string path;
    std::string expected;
};

TEST_F(Retrieve, BodyComesBackAsWindowsText) {
    const Body_Case cases[] = {
        {"3000 bytes, several reads", "/size/3000", Pattern(3000)},
        {"CR LF becomes LF; a lone CR stays", "/bytes/" + Hex("one\r\ntwo\r\na\rb\r\r\nend\r"),
         "one\ntwo\na\rb\r\nend\r"},
        {"Ctrl-Z ends the text",
         "/bytes/" + Hex("before\x1a"
                         "after\r\n"),
         "before"},
        {"Ctrl-Z first",
         "/bytes/" + Hex("\x1a"
                         "rest"),
         ""},
        {"a NUL byte is kept", "/bytes/" + Hex(std::string("a\0b", 3)), std::string("a\0b", 3)},
        {"empty body", "/size/0", ""},
        {"redirect followed", "/redirect/size/10", Pattern(10)},
        {"the longest answer taken", "/size/1048576", Pattern(1048576)},
    };
    for (const Body_Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string url = server.Base() + c.path;
        const std::string answer = io.Retrieve_Data_URL(url.c_str(), nullptr);
        if (c.expected.size() < 4096) {
            EXPECT_EQ(answer, c.expected);
        } else {
            EXPECT_TRUE(answer == c.expected) << answer.size() << " bytes came back";
        }
        EXPECT_EQ(folder.Body_Files(), Lines{});
    }
    EXPECT_EQ(folder.Log_Messages(1), Lines{});
}

// WinINet hands over an error page like any body; the game only logs the answer.
TEST_F(Retrieve, ErrorStatusPageIsTheAnswer) {
    for (int status : {404, 500}) {
        std::string url = server.Base() + "/status/" + std::to_string(status);
        EXPECT_EQ(io.Retrieve_Data_URL(url.c_str(), nullptr),
                  "status " + std::to_string(status) + " page");
    }
    EXPECT_EQ(folder.Log_Messages(1), Lines{});
    EXPECT_EQ(folder.Body_Files(), Lines{});
}

TEST_F(Retrieve, SendsAgentAndForcesAFreshCopy) {
    std::string url = server.Base() + "/size/5?x=1";
    io.Retrieve_Data_URL(url.c_str(), nullptr);
    EXPECT_EQ(server.Records(), Lines{"/size/5?x=1\tInetURL/1.0\tno-cache\tno-cache"});
}

TEST_F(Retrieve, SavePathKeepsTheRawBody) {
    umask(022);
    std::string saved = folder.Path() + "/answer.txt";
    std::string url = server.Base() + "/bytes/" + Hex("one\r\ntwo\r\n");
    EXPECT_EQ(io.Retrieve_Data_URL(url.c_str(), saved.c_str()), "one\ntwo\n");
    EXPECT_EQ(Read_File(saved), "one\r\ntwo\r\n");
    struct stat info {};
    ASSERT_EQ(stat(saved.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    EXPECT_EQ(folder.Body_Files(), Lines{});
    EXPECT_EQ(folder.Log_Messages(1), Lines{});
}

TEST_F(Retrieve, SavePathOntoAnExistingFileLeavesBoth) {
    std::string saved = folder.Path() + "/answer.txt";
    Write_File(saved, "old contents");
    std::string url = server.Base() + "/size/20";
    EXPECT_EQ(io.Retrieve_Data_URL(url.c_str(), saved.c_str()), Pattern(20));
    EXPECT_EQ(Read_File(saved), "old contents");
    EXPECT_EQ(folder.Body_Files(), Lines{});
    EXPECT_EQ(folder.Log_Messages(1), Lines{Prefix + "(save file [17])"});  // EEXIST
}

// $TMPDIR on tmpfs and the target on disk: the move becomes a copy, still without replacing.
TEST_F(Retrieve, SavePathOnAnotherFileSystem) {
    namespace fs = std::filesystem;
    struct stat shm {
    }, here{};
    if (stat("/dev/shm", &shm) != 0 || stat(folder.Path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second file system to move across";
    }
    std::string body_folder = "/dev/shm/tindral-io-test-XXXXXX";
    ASSERT_NE(mkdtemp(body_folder.data()), nullptr);
    setenv("TMPDIR", body_folder.c_str(), 1);
    std::string saved = folder.Path() + "/answer.txt";
    std::string existing = folder.Path() + "/existing.txt";
    Write_File(existing, "keep");
    std::string url = server.Base() + "/size/1500";

    EXPECT_EQ(io.Retrieve_Data_URL(url.c_str(), saved.c_str()), Pattern(1500));
    EXPECT_EQ(io.Retrieve_Data_URL(url.c_str(), existing.c_str()), Pattern(1500));

    EXPECT_EQ(Read_File(saved), Pattern(1500));
    EXPECT_EQ(Read_File(existing), "keep");
    EXPECT_TRUE(fs::is_empty(body_folder));
    EXPECT_EQ(folder.Log_Messages(1), Lines{Prefix + "(save file [17])"});
    fs::remove_all(body_folder);
}

struct Failure_Case {
    const char* what;
    std::string url;
    Lines lines;
};

TEST_F(Retrieve, FailuresGiveAnEmptyResultTheirLinesAndNoFiles) {
    Io_Closed_Port closed;
    io.Connect_Timeout_Ms = 500;
    io.Total_Timeout_Ms = 1500;
    const Failure_Case cases[] = {
        {"closed port",
         "http://127.0.0.1:" + std::to_string(closed.Port()) + "/x",
         {Prefix + "(InternetOpenURL [12029])", Prefix + "(InternetReadFile [6])"}},
        {"no answer in time",
         server.Base() + "/hang",
         {Prefix + "(InternetOpenURL [12002])", Prefix + "(InternetReadFile [6])"}},
        {"headers, then the connection closes",
         server.Base() + "/headers-then-close",
         {Prefix + "(InternetReadFile [12030])"}},
        {"body cut off after its first reads",
         server.Base() + "/cut",
         {Prefix + "(InternetReadFile [12030])"}},
        {"not a web address",
         "file:///etc/hostname",
         {Prefix + "(InternetOpenURL [12006])", Prefix + "(InternetReadFile [6])"}},
        {"one byte more than any answer may be",
         server.Base() + "/size/" + std::to_string(io.Max_Body_Bytes + 1),
         {Prefix + "(InternetReadFile [12017])"}},
        {"a body without end",
         server.Base() + "/endless",
         {Prefix + "(InternetReadFile [12017])"}},
    };
    std::string saved = folder.Path() + "/answer.txt";
    for (const Failure_Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t logged = folder.Log_Messages(1).size();
        const std::string answer = io.Retrieve_Data_URL(c.url.c_str(), saved.c_str());
        EXPECT_TRUE(answer.empty()) << answer.size() << " bytes came back";
        Lines lines = folder.Log_Messages(1);
        EXPECT_EQ(Lines(lines.begin() + logged, lines.end()), c.lines);
        EXPECT_EQ(folder.Body_Files(), Lines{});
        EXPECT_FALSE(File_Exists(saved));
    }
}

// Where no body file can be made the request is not sent at all: there would be nowhere
// to put its answer.
TEST_F(Retrieve, UnusableTemporaryFolderFailsCleanly) {
    std::string missing = folder.Path() + "/missing";
    setenv("TMPDIR", missing.c_str(), 1);
    std::string url = server.Base() + "/size/10";
    EXPECT_EQ(io.Retrieve_Data_URL(url.c_str(), nullptr), "");
    EXPECT_EQ(folder.Log_Messages(1), Lines{Prefix + "(temporary file [2])"});  // ENOENT
    EXPECT_EQ(server.Paths(), Lines{});
}

// The system's proxy settings: with http_proxy set, the request goes to the proxy.
TEST_F(Retrieve, UsesTheProxyFromTheEnvironment) {
    setenv("http_proxy", server.Base().c_str(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    EXPECT_EQ(io.Retrieve_Data_URL("http://score.tindral.example/page?a=1", nullptr), "proxied");
    unsetenv("http_proxy");
    EXPECT_EQ(server.Paths(), Lines{"http://score.tindral.example/page?a=1"});
}

}  // namespace
