#pragma once
// The time source of the system. Everything that reads the time or waits goes through a Clock,
// so that tests can run a minute-long search or a 13-second pause in no real time (FakeClock).

#include <cstdint>

#include "platform/CivilTime.h"

namespace vg28 {

class Clock {
public:
    virtual ~Clock() = default;

    // Wall-clock time: seconds since 1970-01-01 UTC (the 32-bit calendar time of the instrument
    // bookkeeping), and milliseconds on a monotonic counter for time-outs.
    virtual std::int64_t UtcSeconds() const = 0;
    virtual std::int64_t MonotonicMs() const = 0;

    // The local wall-clock time of the PC.
    virtual LocalTime Local() const = 0;

    // Local time minus UTC in seconds at the present moment.
    virtual std::int64_t LocalOffsetSeconds() const = 0;

    // Waits for the given time. The real clock waits in slices with the wait hook run before
    // each (WaitHook.h); a fake clock only advances, in slices through the pump a test gave it.
    // False when the hook asked for a stop and the wait ended early.
    virtual bool SleepMs(int milliseconds) = 0;

    // Runs the wait hook once without waiting: true when a stop was asked for and the work that
    // waits must give up. Lets a caller that is about to start something on the line ask first.
    virtual bool StopRequested() = 0;

    // The process's real clock.
    static Clock& System();
};

}  // namespace vg28
