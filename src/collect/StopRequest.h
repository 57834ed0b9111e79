#pragma once
// The request to stop the collector: raised by SIGINT or SIGTERM (or by a test), looked at by
// the collector between exchanges, session ticks, synchronization ticks and devices through
// StopRequested(), its one check. The current exchange ends (the line's reads return at once
// from then on), what was received stays stored, and the port is closed.
//
// Raising is async-signal-safe: a lock-free atomic flag, nothing else. A read already waiting
// ends at once only where the front end has made the flag the process's wait hook (vg28-tool
// does); otherwise it runs out its time-out (at most about 2 s).

#include <atomic>

namespace vg28 {

class Clock;

class StopRequest {
public:
    // Safe in a signal handler.
    static void Raise() noexcept;
    static void Clear() noexcept;
    static bool Raised() noexcept;

    // Waits the given time on the clock in short slices; false as soon as a stop is requested
    // (then it returns early).
    static bool Pause(Clock& clock, int milliseconds);

    // The longest single sleep of Pause.
    static constexpr int kSliceMs = 200;

private:
    static std::atomic<bool> s_raised;
    static_assert(std::atomic<bool>::is_always_lock_free, "raised from a signal handler");
};

// The collector's one check of the stop request.
inline bool StopRequested() {
    return StopRequest::Raised();
}

}  // namespace vg28
