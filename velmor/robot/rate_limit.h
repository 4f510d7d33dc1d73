// The per-address limit on uploads per minute (--rate-limit).
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace velmor::robot {

// At most `perMinute` attempts per address in any 60 seconds (a sliding window); 0 turns
// the limit off. Thread-safe. Memory: one time stamp per attempt of the last minute, and
// addresses idle for a minute are forgotten.
class RateLimiter {
public:
    explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}

    // Counts an attempt by `address` at `nowSeconds`: 0 when it is allowed, else the
    // seconds until the next one will be (the attempt is then not counted).
    int admit(const std::string& address, std::int64_t nowSeconds);

    std::size_t addressesKept() const;

private:
    void forgetIdle(std::int64_t nowSeconds);

    const int perMinute_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::deque<std::int64_t>> attempts_;
    std::int64_t lastSweep_ = 0;
};

}  // namespace velmor::robot
