#include "platform/SystemClock.h"

#include <algorithm>

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/WaitHook.h"

namespace vg28 {

Clock& Clock::System() {
    static SystemClock clock;
    return clock;
}

std::int64_t SystemClock::UtcSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::int64_t SystemClock::MonotonicMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

LocalTime SystemClock::Local() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    LocalTime result;
    result.year = parts.tm_year + 1900;
    result.month = parts.tm_mon + 1;
    result.day = parts.tm_mday;
    result.hour = parts.tm_hour;
    result.minute = parts.tm_min;
    result.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    result.dayOfWeek = parts.tm_wday;
    result.millisecond = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    return result;
}

std::int64_t SystemClock::LocalOffsetSeconds() const {
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return parts.tm_gmtoff;
}

bool SystemClock::SleepMs(int milliseconds) {
    if (milliseconds <= 0) return true;
    // The time the hook takes counts towards the wait.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (WaitHook::Run()) return false;
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            left, std::chrono::milliseconds(WaitHook::kSliceMs)));
        if (std::chrono::steady_clock::now() >= end) return true;
    }
}

bool SystemClock::StopRequested() {
    return WaitHook::Run();
}

}  // namespace vg28
