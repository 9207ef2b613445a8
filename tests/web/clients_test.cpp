// The real clients against the real tindral-web: the game's own upload code (Score_Upload
// through CTarvelIO, which logs the completed upload) and the plug-in's Upload_Info export,
// loaded from its test copy as an installer loads it. What they send must be taken, and
// what the service refuses must leave no completed line in the game's log.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "engine/io.h"
#include "frontend/upload.h"
#include "tests/engine/io_test_support.h"
#include "tests/plugin/plugin_library.h"
#include "tests/support/files.h"

extern char** environ;

namespace {

using Lines = std::vector<std::string>;

// tindral-web on a free port of 127.0.0.1 with a database in a scratch folder; stopped
// with SIGTERM when the object dies.
class Web_Process {
  public:
    Web_Process() {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string binary = TINDRAL_WEB_BINARY, db = folder_ / "scores.db";
        std::string listen = "127.0.0.1:0";
        char* argv[] = {binary.data(), const_cast<char*>("--listen"),
                        listen.data(), const_cast<char*>("--db"),
                        db.data(),     nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::FILE* lines = fdopen(out[0], "r");
        if (pid_ > 0 && std::fscanf(lines, "tindral-web: listening on 127.0.0.1:%d", &port_) != 1) {
            port_ = 0;
        }
        std::fclose(lines);
    }
    ~Web_Process() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    Web_Process(const Web_Process&) = delete;
    Web_Process& operator=(const Web_Process&) = delete;

    bool Running() const { return port_ > 0; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

    // /tindral/scores.json as text; empty when it could not be fetched.
    std::string Scores() const {
        httplib::Client client("127.0.0.1", port_);
        auto result = client.Get("/tindral/scores.json");
        return result && result->status == 200 ? result->body : std::string();
    }

  private:
    Scratch_Folder folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

class Web_Clients : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(web.Running());
        setenv("no_proxy", "127.0.0.1", 1);
        setenv("NO_PROXY", "127.0.0.1", 1);
    }
    Io_Test_Folder folder;  // the game's log and its $TMPDIR
    Web_Process web;
};

TEST_F(Web_Clients, TheGamesUploadIsTakenAndLoggedAsCompleted) {
    CTarvelIO io;
    Score_Upload(io, web.Host().c_str(), "Ann", 3.0f, 40.5f, "XP");
    // Sent again (a second qualifying Enter cannot happen, but a retry by hand can).
    Score_Upload(io, web.Host().c_str(), "Ann", 3.0f, 40.5f, "XP");
    // A float just below a whole second: printed as 2.000000, truncated to 1 by the game.
    Score_Upload(io, web.Host().c_str(), "Bo", 1.0f, std::nextafter(2.0f, 0.0f), "Unknown");
    EXPECT_EQ(folder.Log_Messages(0), (Lines{"High score upload completed [Ann][40.500000][3]",
                                             "High score upload completed [Ann][40.500000][3]",
                                             "High score upload completed [Bo][2.000000][1]"}));
    EXPECT_EQ(folder.Log_Messages(1), Lines{});
    std::string scores = web.Scores();
    EXPECT_NE(scores.find("\"runs\": 2,"), std::string::npos) << scores;
    EXPECT_NE(scores.find("\"name\": \"Ann\", \"spheres\": 3, \"seconds\": 40.500000, "
                          "\"os\": \"XP\""),
              std::string::npos)
        << scores;
    EXPECT_NE(scores.find("\"name\": \"Bo\", \"spheres\": 1, \"seconds\": 2.000000"),
              std::string::npos)
        << scores;
}

TEST_F(Web_Clients, AnUploadTheServiceRefusesLeavesNoCompletedLine) {
    CTarvelIO io;
    // What the game's own code can build that the service does not take: a name longer
    // than the game allows, and an OS name the game never sends.
    Score_Upload(io, web.Host().c_str(), "ABCDEFGHIJKLMNOP", 3.0f, 40.5f, "XP");
    Score_Upload(io, web.Host().c_str(), "Ann", 3.0f, 40.5f, "Linux");
    EXPECT_EQ(folder.Log_Messages(0), Lines{});
    EXPECT_NE(web.Scores().find("\"runs\": 0,"), std::string::npos) << web.Scores();
}

TEST_F(Web_Clients, ThePlugInsReportShowsAsAnInstall) {
    plugin_test::Plugin_Library plugin(CORVANE_TEST_PLUGIN_PATH);
    ASSERT_TRUE(plugin.Loaded()) << dlerror();
    setenv("CORVANE_TEST_WEB_HOST", web.Host().c_str(), 1);
    for (const char* program : {"Tindral", "Tindral", "Tindral D\xC3\xA9luxe & Co"}) {
        plugin_test::Installer_Stack stack;
        stack.Push_Arguments({"install", program, "1.65", folder.Path()});
        plugin.Call("Upload_Info", stack);
        EXPECT_TRUE(stack.Texts().empty());
    }
    unsetenv("CORVANE_TEST_WEB_HOST");
    std::string scores = web.Scores();
    // On Linux the plug-in names the system "Unknown".
    EXPECT_NE(scores.find("{\"program\": \"Tindral\", \"version\": \"1.65\", \"os\": \"Unknown\", "
                          "\"installs\": 2, \"uninstalls\": 0}"),
              std::string::npos)
        << scores;
    EXPECT_NE(scores.find("{\"program\": \"Tindral D\xC3\xA9luxe \\u0026 Co\", \"version\": "
                          "\"1.65\", \"os\": \"Unknown\", \"installs\": 1"),
              std::string::npos)
        << scores;
    EXPECT_NE(scores.find("\"reports\": 3,"), std::string::npos) << scores;
}

}  // namespace
