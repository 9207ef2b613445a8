// tindral-web: the maker's web service. Takes the game's high-score uploads and the
// installer plug-in's reports, and serves the world tables as a page and as JSON.
// Exits 0 after SIGTERM or SIGINT once every request under way has been answered; 1 with
// one line on standard error when it cannot start; 2 for a wrong command line.
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <thread>

#include "web/options.h"
#include "web/service.h"
#include "web/store.h"

int main(int argc, char** argv) {
    std::string error;
    bool help = false;
    auto options = Parse_Web_Options(std::vector<std::string>(argv + 1, argv + argc), error, help);
    if (help) {
        std::cout << Web_Usage;
        return 0;
    }
    if (!options) {
        std::cerr << "tindral-web: " << error << "\n" << Web_Usage;
        return 2;
    }

    // The signals are taken by one thread of their own, so every other thread (the
    // server's workers included) inherits them blocked.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    // A client that goes away mid-answer must not end the service.
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Score_Store> store;
    std::string where;
    try {
        if (!options->postgres.empty()) {
            store = Open_Postgres_Store(options->postgres);
            where = "PostgreSQL";
        } else {
            if (options->db.empty()) {
                options->db = Default_Db_Path();
                if (options->db.empty()) {
                    std::cerr << "tindral-web: no home folder for the database; give --db FILE\n";
                    return 1;
                }
                if (!Make_Db_Folder(options->db, error)) {
                    std::cerr << "tindral-web: " << error << "\n";
                    return 1;
                }
            }
            store = Open_Sqlite_Store(options->db);
            where = options->db;
        }
    } catch (const Store_Error& e) {
        std::cerr << "tindral-web: " << e.what() << "\n";
        return 1;
    }

    Web_Service service(*store, options->rate);
    if (!service.Bind(options->host, options->port, error)) {
        std::cerr << "tindral-web: " << error << "\n";
        return 1;
    }
    std::string shown_host =
        options->host.find(':') != std::string::npos ? "[" + options->host + "]" : options->host;
    std::cout << "tindral-web: listening on " << shown_host << ":" << service.Port() << ", store "
              << where << std::endl;

    std::thread stopper([&] {
        int signal_number = 0;
        sigwait(&stop_signals, &signal_number);
        service.Stop();
    });
    bool served = service.Run();
    // Run() ends on a signal, or on its own when serving failed: wake the waiting thread
    // either way (the signal is blocked, so it stays pending for sigwait).
    if (served) {
        stopper.join();
    } else {
        kill(getpid(), SIGTERM);
        stopper.join();
        std::cerr << "tindral-web: serving failed\n";
        return 1;
    }
    // Closing the store checkpoints SQLite's log into the database file.
    store.reset();
    std::cout << "tindral-web: stopped" << std::endl;
    return 0;
}
