// The per-address limit on uploads per minute.
#include "robot/rate_limit.h"

namespace velmor::robot {
namespace {

constexpr std::int64_t kWindow = 60;

}  // namespace

void RateLimiter::forgetIdle(std::int64_t now) {
    for (auto it = attempts_.begin(); it != attempts_.end();) {
        if (it->second.empty() || it->second.back() <= now - kWindow)
            it = attempts_.erase(it);
        else
            ++it;
    }
    lastSweep_ = now;
}

int RateLimiter::admit(const std::string& address, std::int64_t now) {
    if (perMinute_ <= 0) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    if (now - lastSweep_ >= kWindow) forgetIdle(now);
    std::deque<std::int64_t>& times = attempts_[address];
    while (!times.empty() && times.front() <= now - kWindow) times.pop_front();
    if (times.size() >= static_cast<std::size_t>(perMinute_)) {
        const std::int64_t wait = times.front() + kWindow - now;
        return static_cast<int>(wait < 1 ? 1 : wait);
    }
    times.push_back(now);
    return 0;
}

std::size_t RateLimiter::addressesKept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return attempts_.size();
}

}  // namespace velmor::robot
