#include "tests/engine/io_test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "base/log.h"
#include "tests/support/log_entries.h"

extern char** environ;

namespace fs = std::filesystem;

Io_Test_Server::Io_Test_Server(const std::string& record_file) : record_(record_file) {
    Write_File(record_, "");
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::string script = IO_TEST_SERVER_SCRIPT;
    char* argv[] = {const_cast<char*>("python3"), script.data(), record_.data(), nullptr};
    if (posix_spawnp(&pid_, "python3", &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The server prints its port once it listens.
    std::string line;
    pollfd wait_for{out[0], POLLIN, 0};
    while (pid_ > 0 && line.find('\n') == std::string::npos && poll(&wait_for, 1, 20000) > 0) {
        char buffer[64];
        ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0) break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    port_ = std::atoi(line.c_str());
}

Io_Test_Server::~Io_Test_Server() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

std::string Io_Test_Server::Host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> Io_Test_Server::Records() const {
    std::vector<std::string> lines;
    std::istringstream text(Read_File(record_));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Io_Test_Server::Paths() const {
    std::vector<std::string> paths;
    for (const std::string& line : Records()) paths.push_back(line.substr(0, line.find('\t')));
    return paths;
}

Io_Closed_Port::Io_Closed_Port() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port_ = ntohs(address.sin_port);
    }
}

Io_Closed_Port::~Io_Closed_Port() {
    if (fd_ >= 0) close(fd_);
}

Io_Test_Folder::Io_Test_Folder() {
    std::string pattern = (fs::temp_directory_path() / "tindral-io-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    fs::create_directory(Body_Folder());
    setenv("TMPDIR", Body_Folder().c_str(), 1);
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        unsetenv(name);
    }
    Engine_Log = Log_Open((path_ + "/log.dat").c_str());
}

Io_Test_Folder::~Io_Test_Folder() {
    Log_Close(Engine_Log);
    Engine_Log = nullptr;
    unsetenv("TMPDIR");
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::vector<std::string> Io_Test_Folder::Body_Files() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(Body_Folder(), ignored)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

std::vector<std::string> Io_Test_Folder::Log_Messages(int level) const {
    return Log_Messages_Read(path_ + "/log.dat", level);
}
