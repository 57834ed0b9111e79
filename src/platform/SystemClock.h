#pragma once
// The real clock: the C library's local time and std::chrono's steady clock.

#include "platform/Clock.h"

namespace vg28 {

class SystemClock final : public Clock {
public:
    std::int64_t UtcSeconds() const override;
    std::int64_t MonotonicMs() const override;
    LocalTime Local() const override;
    std::int64_t LocalOffsetSeconds() const override;
    void SleepMs(int milliseconds) override;
};

}  // namespace vg28
