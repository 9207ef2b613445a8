// How many uploads one address may make: a bucket per address that holds `per_minute`
// uploads and fills again at that rate, so a player's retry or a double press passes and a
// flood does not. In this process only: behind a load balancer each process counts its own.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

class Rate_Limit {
  public:
    using Clock = std::chrono::steady_clock;

    // 0 lets everything through.
    explicit Rate_Limit(int per_minute, std::size_t max_addresses = 100000)
        : per_minute_(per_minute), max_addresses_(max_addresses) {}

    // Takes one upload from `address`'s bucket at time `now`; false when it is empty.
    // Thread-safe.
    bool Allow(const std::string& address, Clock::time_point now = Clock::now());

    // How many addresses the table holds now.
    std::size_t Tracked() const;

  private:
    struct Bucket {
        double tokens;
        Clock::time_point updated;
    };
    double Refilled(const Bucket& bucket, Clock::time_point now) const;

    int per_minute_;
    std::size_t max_addresses_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};
