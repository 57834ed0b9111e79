#pragma once
// A clock for tests and for the simulator's own time: it stands still until it is advanced,
// and SleepMs advances it instead of blocking. Local time is UTC plus a fixed offset. It never
// runs the process's wait hook: a test that wants to see the waits gives the clock a pump of its
// own, which a sleep then runs before each slice of WaitHook::kSliceMs, as the real clock runs
// the hook; without a pump a sleep is one advance.

#include <functional>

#include "platform/Clock.h"
#include "platform/WaitHook.h"

namespace vg28 {

class FakeClock final : public Clock {
public:
    explicit FakeClock(const LocalTime& start = {2011, 1, 18, 15, 30, 0}, int offsetSeconds = 0);

    std::int64_t UtcSeconds() const override;
    std::int64_t MonotonicMs() const override { return m_monotonicMs; }
    LocalTime Local() const override;
    std::int64_t LocalOffsetSeconds() const override { return m_offsetSeconds; }
    bool SleepMs(int milliseconds) override;
    bool StopRequested() override { return m_pump && m_pump(); }

    // The pump the waits on this clock run (an empty one: none); true from it stops the wait.
    void SetWaitPump(WaitHook::Function pump) { m_pump = std::move(pump); }

    void Advance(std::int64_t milliseconds);
    void SetLocal(const LocalTime& time);

    // Called after every advance (the simulator uses it to let its instrument record).
    void SetOnAdvance(std::function<void()> callback) { m_onAdvance = std::move(callback); }

private:
    std::int64_t m_utcMs;
    std::int64_t m_monotonicMs = 1000000;
    int m_offsetSeconds;
    std::function<void()> m_onAdvance;
    WaitHook::Function m_pump;
};

}  // namespace vg28
