// A load run against a running tindral-web: CLIENTS connections upload UPLOADS distinct
// runs as the game sends them, over kept-alive connections, and the program prints the
// accepted uploads per second, the latency percentiles, and whether every accepted run
// was counted by /tindral/scores.json. A benchmark that prints figures, not a test.
//
// Usage: web_load_bench HOST PORT [UPLOADS [CLIENTS]]   (start the service with --rate 0)
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "game/score_check.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s HOST PORT [UPLOADS [CLIENTS]]\n", argv[0]);
        return 2;
    }
    const std::string host = argv[1];
    const int port = std::atoi(argv[2]);
    const int uploads = argc > 3 ? std::atoi(argv[3]) : 5000;
    const int clients = argc > 4 ? std::atoi(argv[4]) : 16;
    const std::string tag =
        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000);

    auto runs_counted = [&]() -> long {
        httplib::Client client(host, port);
        auto result = client.Get("/tindral/scores.json");
        std::smatch match;
        if (!result || !std::regex_search(result->body, match, std::regex("\"runs\": (\\d+)"))) {
            return -1;
        }
        return std::stol(match[1]);
    };
    const long before = runs_counted();

    std::atomic<int> next{0}, accepted{0}, refused{0}, failed{0};
    std::mutex latencies_mutex;
    std::vector<double> latencies;
    auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            httplib::Client client(host, port);
            client.set_keep_alive(true);
            std::vector<double> mine;
            for (int i = next++; i < uploads; i = next++) {
                // A distinct name per upload: letters and digits, at most 15.
                std::string name = "L" + tag + "N" + std::to_string(i);
                int spheres = i % 40, seconds = 1 + i % 149;
                std::string target =
                    "/accessTindral.php?access=score_upload_information&level=1&score_time=" +
                    std::to_string(seconds) + ".000000&score_spheres=" + std::to_string(spheres) +
                    "&username=" + name +
                    "&index=" + std::to_string(Score_Check_Value(seconds, spheres, name.size())) +
                    "&os=Unknown&version=1.65";
                auto sent = std::chrono::steady_clock::now();
                auto result = client.Get(target);
                mine.push_back(std::chrono::duration<double, std::milli>(
                                   std::chrono::steady_clock::now() - sent)
                                   .count());
                if (!result) {
                    ++failed;
                } else if (result->status == 200 && !result->body.empty()) {
                    ++accepted;
                } else {
                    ++refused;
                }
            }
            std::lock_guard<std::mutex> lock(latencies_mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    }
    for (std::thread& thread : threads) thread.join();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    auto percentile = [&](double p) {
        return latencies.empty()
                   ? 0.0
                   : latencies[std::min(latencies.size() - 1,
                                        static_cast<std::size_t>(p * latencies.size()))];
    };
    const long after = runs_counted();
    std::printf("clients %d, uploads %d in %.2f s\n", clients, uploads, seconds);
    std::printf("accepted %d (%.0f per second), refused %d, failed %d\n", accepted.load(),
                accepted.load() / seconds, refused.load(), failed.load());
    std::printf("latency ms: p50 %.2f, p90 %.2f, p99 %.2f, max %.2f\n", percentile(0.50),
                percentile(0.90), percentile(0.99), latencies.empty() ? 0.0 : latencies.back());
    std::printf("runs counted by the service: %ld more (accepted %d): %s\n", after - before,
                accepted.load(), after - before == accepted.load() ? "nothing lost" : "MISMATCH");
    return after - before == accepted.load() && failed == 0 ? 0 : 1;
}
