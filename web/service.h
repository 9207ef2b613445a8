// The HTTP side of tindral-web: the game's upload, the plug-in's report, the page and its
// JSON, with the limits that keep one client from harming the others.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include "web/rate_limit.h"
#include "web/store.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// Requests past these are refused with an empty answer: a longer request target (path and
// query) 414, more header lines or header bytes 431.
inline constexpr std::size_t Max_Request_Target = 8000;
inline constexpr std::size_t Max_Header_Count = 64;
inline constexpr std::size_t Max_Header_Bytes = 8192;
// Requests served at once; more connections wait for a free worker.
inline constexpr std::size_t Service_Workers = 32;

class Web_Service {
  public:
    // `store` must outlive the service. `rate_per_minute` uploads (of runs and reports
    // together) per client address, 0 for no limit.
    Web_Service(Score_Store& store, int rate_per_minute);
    ~Web_Service();
    Web_Service(const Web_Service&) = delete;
    Web_Service& operator=(const Web_Service&) = delete;

    // Binds `host`:`port` (port 0 takes a free one). False with a one-line reason in
    // `error` when the address cannot be had.
    bool Bind(const std::string& host, int port, std::string& error);
    // The bound port.
    int Port() const { return port_; }
    // Serves until Stop(); requests being answered when Stop() is called are finished
    // first. False when serving failed.
    bool Run();
    // Stops accepting connections and makes Run() return. Safe from any thread, also
    // before Run() has started serving (a stop soon after start): it then waits until
    // Run() serves or has failed, so Run() must be called.
    void Stop();

  private:
    void Upload(const httplib::Request& request, httplib::Response& response);
    void Report(const httplib::Request& request, httplib::Response& response);
    void Page(const httplib::Request& request, httplib::Response& response, bool json);

    Score_Store& store_;
    Rate_Limit rate_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::atomic<bool> run_over_{false};
};
