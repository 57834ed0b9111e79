#pragma once
// A broken-down time in the layout of the Win32 SYSTEMTIME (eight 16-bit fields), as the
// session keeps the instrument's next record time.

#include <cstdint>

#include "platform/CivilTime.h"

namespace vg28 {

struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

static_assert(sizeof(SystemTime) == 16);

// The time as seconds since 1970-01-01 counted as UTC.
inline std::int64_t SecondsOf(const SystemTime& t) {
    return SecondsFromLocal({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

}  // namespace vg28
