// Upload_Info of the plug-in's test copy, whose report host is read from
// CORVANE_TEST_WEB_HOST, against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <sstream>

#include "plugin_library.h"
#include "plugin_test_support.h"

extern char** environ;

namespace {

using plugin_test::Installer_Stack;
using Params = std::vector<std::pair<std::string, std::string>>;

struct Request {
    std::string path;
    std::string agent;
    std::multimap<std::string, std::string> headers;  // by lower-case name
    Params params;
    std::string bad;  // set when the query was not well-formed
};

// report_server.py, started for one test and stopped by its process id.
class Report_Server {
  public:
    explicit Report_Server(const std::string& record) : record_(record) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::string python = PYTHON3_EXECUTABLE, script = REPORT_SERVER_SCRIPT;
        char* argv[] = {python.data(), script.data(), record_.data(), nullptr};
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::FILE* lines = fdopen(out[0], "r");
        if (pid_ > 0 && std::fscanf(lines, "%d", &port_) != 1) port_ = 0;
        std::fclose(lines);
    }
    ~Report_Server() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

    int Port() const { return port_; }

    std::vector<Request> Requests() const {
        std::vector<Request> requests;
        std::istringstream in(plugin_test::Read_File(record_));
        std::string line;
        Request request;
        while (std::getline(in, line)) {
            std::size_t tab = line.find('\t');
            std::string kind = line.substr(0, tab), rest = line.substr(tab + 1);
            if (kind == "PATH") request.path = rest;
            if (kind == "AGENT") request.agent = rest;
            if (kind == "BAD") request.bad = rest;
            if (kind == "HEADER" || kind == "PARAM") {
                std::size_t split = rest.find('\t');
                std::string key = rest.substr(0, split), value = rest.substr(split + 1);
                if (kind == "HEADER") request.headers.emplace(key, value);
                if (kind == "PARAM") request.params.emplace_back(key, value);
            }
            if (kind == "END") requests.push_back(std::exchange(request, Request{}));
        }
        return requests;
    }

  private:
    std::string record_;
    pid_t pid_ = -1;
    int port_ = 0;
};

class Upload_Export : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.Loaded());
        ASSERT_GT(server.Port(), 0) << "the report server did not start";
        // The plug-in honours the user's proxy settings; the test server is local.
        setenv("no_proxy", "127.0.0.1", 1);
        setenv("NO_PROXY", "127.0.0.1", 1);
        setenv("CORVANE_TEST_WEB_HOST", ("127.0.0.1:" + std::to_string(server.Port())).c_str(), 1);
    }

    // Sends one report and returns what the server received.
    Request Send(Installer_Stack& stack) {
        plugin.Call("Upload_Info", stack);
        std::vector<Request> requests = server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? Request{} : requests.front();
    }

    plugin_test::Temp_Folder temp;
    Report_Server server{temp / "requests.txt"};
    plugin_test::Plugin_Library plugin{CORVANE_TEST_PLUGIN_PATH};
};

Params Expected(const std::string& action, const std::string& program, const std::string& version,
                const std::string& timestamp) {
    return {{"access", "app_info"}, {"action", action},
            {"program", program},   {"version", version},
            {"major", "0"},         {"minor", "0"},
            {"os", "Unknown"},      {"os_timestamp", timestamp}};
}

TEST_F(Upload_Export, EmptyStackSendsEmptyValuesAndTheCurrentTime) {
    Installer_Stack stack;
    std::int64_t before = std::time(nullptr);
    Request request = Send(stack);
    std::int64_t after = std::time(nullptr);

    EXPECT_EQ(request.path.rfind("/accessInfo.php?", 0), 0u) << request.path;
    EXPECT_EQ(request.agent, "InetURL/1.0");
    EXPECT_EQ(request.bad, "");
    ASSERT_EQ(request.params.size(), 8u);
    std::int64_t stamp = std::stoll(request.params.back().second);
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(request.params, Expected("", "", "", request.params.back().second));
}

// As WinINet's forced reload does: a caching proxy on the way must pass the report on to
// the server rather than answer it from a stored copy.
TEST_F(Upload_Export, RequestAsksCachesToPassItOn) {
    Installer_Stack stack;
    stack.Push_Arguments({"install", "Tindral", "1.0", temp.Path().string()});
    Request request = Send(stack);
    for (const char* name : {"cache-control", "pragma"}) {
        SCOPED_TRACE(name);
        auto [first, last] = request.headers.equal_range(name);
        std::vector<std::string> values;
        for (auto it = first; it != last; ++it) values.push_back(it->second);
        EXPECT_EQ(values, std::vector<std::string>{"no-cache"});
    }
}

TEST_F(Upload_Export, TextValuesArriveExactlyAsGiven) {
    // A space used to break the request line and "&" to add a parameter of its own.
    std::filesystem::create_directories(temp / "Program Folder");
    plugin_test::Set_Write_Time(temp / "Program Folder", 1000000000);
    std::int64_t created = plugin_test::Creation_Time(temp / "Program Folder");

    Installer_Stack stack;
    stack.Push("installer's own value");
    stack.Push_Arguments(
        {"install", "Haskett Pro & Co=1", "2.65 beta+#%20", temp / "Program Folder"});
    Request request = Send(stack);

    EXPECT_EQ(request.bad, "");
    EXPECT_EQ(request.params,
              Expected("install", "Haskett Pro & Co=1", "2.65 beta+#%20", std::to_string(created)));
    EXPECT_EQ(stack.Texts(), std::vector<std::string>{"installer's own value"});
}

TEST_F(Upload_Export, OverlongValuesAreCutTo251Characters) {
    std::string accented;
    for (int i = 0; i < 300; ++i) accented += "\xC3\xA9";
    Installer_Stack stack;
    stack.Push_Arguments({std::string(400, 'a'), accented, "1.0"});
    Request request = Send(stack);
    ASSERT_EQ(request.params.size(), 8u);
    EXPECT_EQ(request.params[1].second, std::string(251, 'a'));
    EXPECT_EQ(request.params[2].second, accented.substr(0, 502));
    EXPECT_EQ(request.params[3].second, "1.0");
}

}  // namespace
