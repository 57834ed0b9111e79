#pragma once
// The real clock: the C library's local time and std::chrono's steady clock. Its waits run the
// process's wait hook (WaitHook.h).

#include "platform/Clock.h"

namespace vg28 {

class SystemClock final : public Clock {
public:
    std::int64_t UtcSeconds() const override;
    std::int64_t MonotonicMs() const override;
    LocalTime Local() const override;
    std::int64_t LocalOffsetSeconds() const override;
    bool SleepMs(int milliseconds) override;
    bool StopRequested() override;
};

}  // namespace vg28
