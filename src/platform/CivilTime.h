#pragma once
// Calendar arithmetic on broken-down times, independent of the C library's time zone.
// Times of the instrument and of the PC's local clock are counted here as if they were UTC,
// which makes differences between two local times exact seconds.

#include <cstdint>

namespace vg28 {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0;  // 0 = Sunday, as in SYSTEMTIME
};

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, int month, int day);

// Seconds since 1970-01-01 00:00:00 of a broken-down time counted as UTC.
std::int64_t SecondsFromLocal(const LocalTime& time);

// The broken-down time of seconds since 1970-01-01 00:00:00 (milliseconds zero).
LocalTime LocalFromSeconds(std::int64_t seconds);

// Year 1900-2099, month 1-12, day 1-31, hour 0-23, minute and second 0-59.
bool IsPlausibleDate(int year, int month, int day, int hour, int minute, int second);

}  // namespace vg28
