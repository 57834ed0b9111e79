#pragma once
// The packed 8-byte time stamp of records, of the configuration time and of the first and last
// record times. It is also handled as two 32-bit words: the date word year + month<<16 + day<<24
// and the time word hour + minute<<8 + second<<16. A year of 0 means "no time".

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/CivilTime.h"

namespace vg28 {

static_assert(std::endian::native == std::endian::little,
              "stored records are little-endian images of the in-memory structures");

struct TimeStamp {
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t zero = 0;

    bool IsEmpty() const { return year == 0; }

    std::uint32_t DateWord() const {
        return static_cast<std::uint32_t>(year) | static_cast<std::uint32_t>(month) << 16 |
               static_cast<std::uint32_t>(day) << 24;
    }
    std::uint32_t TimeWord() const {
        return static_cast<std::uint32_t>(hour) | static_cast<std::uint32_t>(minute) << 8 |
               static_cast<std::uint32_t>(second) << 16 | static_cast<std::uint32_t>(zero) << 24;
    }
    static TimeStamp FromWords(std::uint32_t dateWord, std::uint32_t timeWord) {
        TimeStamp t;
        t.year = static_cast<std::uint16_t>(dateWord & 0xFFFF);
        t.month = static_cast<std::uint8_t>(dateWord >> 16);
        t.day = static_cast<std::uint8_t>(dateWord >> 24);
        t.hour = static_cast<std::uint8_t>(timeWord);
        t.minute = static_cast<std::uint8_t>(timeWord >> 8);
        t.second = static_cast<std::uint8_t>(timeWord >> 16);
        t.zero = static_cast<std::uint8_t>(timeWord >> 24);
        return t;
    }

    // The time as seconds since 1970-01-01 counted as UTC, so that differences are exact.
    std::int64_t Seconds() const {
        return SecondsFromLocal({year, month, day, hour, minute, second});
    }
    static TimeStamp FromSeconds(std::int64_t seconds) {
        const LocalTime t = LocalFromSeconds(seconds);
        TimeStamp stamp;
        stamp.year = static_cast<std::uint16_t>(t.year);
        stamp.month = static_cast<std::uint8_t>(t.month);
        stamp.day = static_cast<std::uint8_t>(t.day);
        stamp.hour = static_cast<std::uint8_t>(t.hour);
        stamp.minute = static_cast<std::uint8_t>(t.minute);
        stamp.second = static_cast<std::uint8_t>(t.second);
        return stamp;
    }

    // The fields packed in chronological order (the trailing zero byte last): times compare as
    // their keys do.
    std::uint64_t Key() const {
        return static_cast<std::uint64_t>(year) << 48 | static_cast<std::uint64_t>(month) << 40 |
               static_cast<std::uint64_t>(day) << 32 | static_cast<std::uint64_t>(hour) << 24 |
               static_cast<std::uint64_t>(minute) << 16 | static_cast<std::uint64_t>(second) << 8 |
               zero;
    }
    friend bool operator==(const TimeStamp& a, const TimeStamp& b) { return a.Key() == b.Key(); }
    friend bool operator<(const TimeStamp& a, const TimeStamp& b) { return a.Key() < b.Key(); }
};

static_assert(sizeof(TimeStamp) == 8);
static_assert(offsetof(TimeStamp, year) == 0 && offsetof(TimeStamp, month) == 2 &&
              offsetof(TimeStamp, day) == 3 && offsetof(TimeStamp, hour) == 4 &&
              offsetof(TimeStamp, minute) == 5 && offsetof(TimeStamp, second) == 6 &&
              offsetof(TimeStamp, zero) == 7);

}  // namespace vg28
