#include "platform/FakeClock.h"

namespace vg28 {

FakeClock::FakeClock(const LocalTime& start, int offsetSeconds) : m_offsetSeconds(offsetSeconds) {
    SetLocal(start);
}

std::int64_t FakeClock::UtcSeconds() const {
    return m_utcMs >= 0 ? m_utcMs / 1000 : -((-m_utcMs + 999) / 1000);
}

LocalTime FakeClock::Local() const {
    const std::int64_t localMs = m_utcMs + static_cast<std::int64_t>(m_offsetSeconds) * 1000;
    const std::int64_t seconds = localMs >= 0 ? localMs / 1000 : -((-localMs + 999) / 1000);
    LocalTime result = LocalFromSeconds(seconds);
    result.millisecond = static_cast<int>(localMs - seconds * 1000);
    return result;
}

bool FakeClock::SleepMs(int milliseconds) {
    if (!m_pump) {
        Advance(milliseconds);
        return true;
    }
    for (int left = milliseconds; left > 0;) {
        if (m_pump()) return false;
        const int slice = left < WaitHook::kSliceMs ? left : WaitHook::kSliceMs;
        Advance(slice);
        left -= slice;
    }
    return true;
}

void FakeClock::Advance(std::int64_t milliseconds) {
    if (milliseconds <= 0) return;
    m_utcMs += milliseconds;
    m_monotonicMs += milliseconds;
    if (m_onAdvance) m_onAdvance();
}

void FakeClock::SetLocal(const LocalTime& time) {
    m_utcMs = (SecondsFromLocal(time) - m_offsetSeconds) * 1000 + time.millisecond;
}

}  // namespace vg28
