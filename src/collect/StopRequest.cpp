#include "collect/StopRequest.h"

#include <algorithm>

#include "platform/Clock.h"

namespace vg28 {

std::atomic<bool> StopRequest::s_raised{false};

void StopRequest::Raise() noexcept {
    s_raised.store(true, std::memory_order_relaxed);
}

void StopRequest::Clear() noexcept {
    s_raised.store(false, std::memory_order_relaxed);
}

bool StopRequest::Raised() noexcept {
    return s_raised.load(std::memory_order_relaxed);
}

bool StopRequest::Pause(Clock& clock, int milliseconds) {
    const std::int64_t end = clock.MonotonicMs() + milliseconds;
    for (;;) {
        if (StopRequested()) return false;
        const std::int64_t left = end - clock.MonotonicMs();
        if (left <= 0) return true;
        clock.SleepMs(static_cast<int>(std::min<std::int64_t>(left, kSliceMs)));
    }
}

}  // namespace vg28
