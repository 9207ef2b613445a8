#include "web/rate_limit.h"

#include <algorithm>

double Rate_Limit::Refilled(const Bucket& bucket, Clock::time_point now) const {
    double minutes = std::chrono::duration<double>(now - bucket.updated).count() / 60.0;
    return std::min<double>(per_minute_, bucket.tokens + std::max(0.0, minutes) * per_minute_);
}

bool Rate_Limit::Allow(const std::string& address, Clock::time_point now) {
    if (per_minute_ <= 0) return true;
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = buckets_.find(address);
    if (found == buckets_.end()) {
        // Full buckets carry no information: drop them before the table grows past its
        // bound, so a scan of many addresses cannot exhaust memory.
        if (buckets_.size() >= max_addresses_) {
            std::erase_if(buckets_, [&](const auto& entry) {
                return Refilled(entry.second, now) >= per_minute_;
            });
            // Still full of busy addresses: a newcomer is refused rather than remembered.
            if (buckets_.size() >= max_addresses_) return false;
        }
        found = buckets_.emplace(address, Bucket{static_cast<double>(per_minute_), now}).first;
    }
    Bucket& bucket = found->second;
    bucket.tokens = Refilled(bucket, now);
    bucket.updated = std::max(bucket.updated, now);
    if (bucket.tokens < 1.0) return false;
    bucket.tokens -= 1.0;
    return true;
}

std::size_t Rate_Limit::Tracked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return buckets_.size();
}
