#include "web/service.h"

#include <httplib.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <iostream>
#include <thread>

#include "web/page.h"

namespace {

bool Is_Write_Path(const std::string& path) {
    return path == "/accessTindral.php" || path == "/accessInfo.php";
}

// The raw query of the request target, before any decoding.
std::string_view Raw_Query(const std::string& target) {
    std::size_t mark = target.find('?');
    return mark == std::string::npos ? std::string_view()
                                     : std::string_view(target).substr(mark + 1);
}

// A refusal: the status and nothing else, so the game logs no completed upload.
void Refuse(httplib::Response& response, int status) {
    response.status = status;
    response.body.clear();
}

void Store_Failed(httplib::Response& response, const Store_Error& error) {
    std::cerr << "tindral-web: " << error.what() << std::endl;
    response.set_header("Retry-After", "10");
    Refuse(response, 503);
}

}  // namespace

Web_Service::Web_Service(Score_Store& store, int rate_per_minute)
    : store_(store), rate_(rate_per_minute), server_(std::make_unique<httplib::Server>()) {
    httplib::Server& server = *server_;
    server.new_task_queue = [] { return new httplib::ThreadPool(Service_Workers); };
    // SO_REUSEADDR alone: a restart binds at once after a stop, but a second service on a
    // port already served fails to bind (the library's SO_REUSEPORT would let both listen
    // and share the connections between them).
    server.set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_keep_alive_timeout(2);
    server.set_read_timeout(5);
    server.set_write_timeout(5);
    server.set_payload_max_length(0);  // GET and HEAD carry no body
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}});

    server.set_pre_routing_handler(
        [](const httplib::Request& request, httplib::Response& response) {
            if (request.method != "GET" && request.method != "HEAD") {
                response.set_header("Allow", "GET, HEAD");
                Refuse(response, 405);
                return httplib::Server::HandlerResponse::Handled;
            }
            if (request.target.size() > Max_Request_Target) {
                Refuse(response, 414);
                return httplib::Server::HandlerResponse::Handled;
            }
            std::size_t header_bytes = 0;
            for (const auto& [key, value] : request.headers)
                header_bytes += key.size() + value.size() + 4;
            // The library adds REMOTE_ADDR and the like to the headers it read.
            if (request.headers.size() > Max_Header_Count + 4 || header_bytes > Max_Header_Bytes) {
                Refuse(response, 431);
                return httplib::Server::HandlerResponse::Handled;
            }
            // An upload changes the store: HEAD, which must not, is refused there.
            if (request.method == "HEAD" && Is_Write_Path(request.path)) {
                response.set_header("Allow", "GET");
                Refuse(response, 405);
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
    // Nothing of an unexpected failure reaches the client (the library would put its text
    // into a header).
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
            try {
                if (error) std::rethrow_exception(error);
            } catch (const std::exception& e) {
                std::cerr << "tindral-web: " << e.what() << std::endl;
            } catch (...) {
            }
            response.headers.clear();
            Refuse(response, 500);
        });

    server.Get("/accessTindral.php",
               [this](const httplib::Request& request, httplib::Response& response) {
                   Upload(request, response);
               });
    server.Get("/accessInfo.php",
               [this](const httplib::Request& request, httplib::Response& response) {
                   Report(request, response);
               });
    server.Get("/tindral/", [this](const httplib::Request& request, httplib::Response& response) {
        Page(request, response, false);
    });
    server.Get("/tindral/scores.json",
               [this](const httplib::Request& request, httplib::Response& response) {
                   Page(request, response, true);
               });
    for (const char* path : {"/", "/tindral"}) {
        server.Get(path, [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Location", "/tindral/");
            Refuse(response, 301);
        });
    }
}

Web_Service::~Web_Service() = default;

bool Web_Service::Bind(const std::string& host, int port, std::string& error) {
    errno = 0;
    int bound = port == 0 ? server_->bind_to_any_port(host)
                          : (server_->bind_to_port(host, port) ? port : -1);
    if (bound < 0) {
        int cause = errno;
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " +
                (cause != 0 ? std::strerror(cause) : "the address cannot be used");
        return false;
    }
    port_ = bound;
    return true;
}

bool Web_Service::Run() {
    const bool served = server_->listen_after_bind();
    run_over_ = true;
    return served;
}

void Web_Service::Stop() {
    // httplib's stop() acts only on a server whose loop already runs: a stop asked for
    // between Bind() and that moment would be lost and Run() would serve on for ever.
    while (!server_->is_running() && !run_over_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    server_->stop();
}

void Web_Service::Upload(const httplib::Request& request, httplib::Response& response) {
    if (!rate_.Allow(request.remote_addr)) return Refuse(response, 429);
    auto run = Read_Score_Query(Raw_Query(request.target));
    if (!run) return Refuse(response, 400);
    try {
        // Answered only once the store has the run durable.
        Add_Result result = store_.Add_Run(*run, std::time(nullptr));
        response.set_header("Cache-Control", "no-store");
        response.set_content(result == Add_Result::Stored ? "stored\n" : "already stored\n",
                             "text/plain; charset=utf-8");
    } catch (const Store_Error& error) {
        Store_Failed(response, error);
    }
}

void Web_Service::Report(const httplib::Request& request, httplib::Response& response) {
    if (!rate_.Allow(request.remote_addr)) return Refuse(response, 429);
    auto report = Read_Report_Query(Raw_Query(request.target));
    if (!report) return Refuse(response, 400);
    try {
        store_.Add_Report(*report, std::time(nullptr));
        response.set_header("Cache-Control", "no-store");
        response.set_content("stored\n", "text/plain; charset=utf-8");
    } catch (const Store_Error& error) {
        Store_Failed(response, error);
    }
}

void Web_Service::Page(const httplib::Request&, httplib::Response& response, bool json) {
    try {
        Store_Summary summary = store_.Read_Summary(Page_Top);
        response.set_header("Cache-Control", "no-cache");
        if (json) {
            response.set_content(Scores_Json(summary), "application/json");
        } else {
            // Nothing but the page's own style may load or run, whatever a value holds.
            response.set_header("Content-Security-Policy",
                                "default-src 'none'; style-src 'unsafe-inline'; "
                                "base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
            response.set_content(Page_Html(summary), "text/html; charset=utf-8");
        }
    } catch (const Store_Error& error) {
        Store_Failed(response, error);
    }
}
