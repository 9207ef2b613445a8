// Shared by the URL retrieval and score upload tests: a real HTTP server on 127.0.0.1 run
// from io_http_server.py, and a private folder per test holding the event log and the
// folder that $TMPDIR points to (where the body files go).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/files.h"

class Io_Test_Server {
  public:
    // Starts the server; every request it sees is appended to `record_file`.
    explicit Io_Test_Server(const std::string& record_file);
    ~Io_Test_Server();
    Io_Test_Server(const Io_Test_Server&) = delete;
    Io_Test_Server& operator=(const Io_Test_Server&) = delete;

    bool Running() const { return port_ > 0; }
    // "127.0.0.1:PORT" and "http://127.0.0.1:PORT".
    std::string Host() const;
    std::string Base() const { return "http://" + Host(); }
    // The request targets seen so far, in order.
    std::vector<std::string> Paths() const;
    // The recorded lines: target, User-Agent, Cache-Control and Pragma, tab-separated.
    std::vector<std::string> Records() const;

  private:
    std::string record_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 that refuses connections for as long as this object lives (bound,
// never listening).
class Io_Closed_Port {
  public:
    Io_Closed_Port();
    ~Io_Closed_Port();
    Io_Closed_Port(const Io_Closed_Port&) = delete;
    Io_Closed_Port& operator=(const Io_Closed_Port&) = delete;
    int Port() const { return port_; }

  private:
    int fd_ = -1;
    int port_ = 0;
};

// A fresh folder under the system temporary folder with "log.dat" opened as Engine_Log
// and "tmp/" set as $TMPDIR. Proxy variables are cleared so 127.0.0.1 is reached directly.
// Everything is undone when the object dies.
class Io_Test_Folder {
  public:
    Io_Test_Folder();
    ~Io_Test_Folder();
    Io_Test_Folder(const Io_Test_Folder&) = delete;
    Io_Test_Folder& operator=(const Io_Test_Folder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Body_Folder() const { return path_ + "/tmp"; }
    // The names in the body folder (a finished retrieval must leave none).
    std::vector<std::string> Body_Files() const;
    // The messages logged so far at `level`, in order, without their time stamps.
    std::vector<std::string> Log_Messages(int level) const;

  private:
    std::string path_;
};
