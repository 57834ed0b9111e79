#include <gtest/gtest.h>

#include "platform/CivilTime.h"
#include "platform/FakeClock.h"

namespace vg28 {
namespace {

// Guards against off-by-one errors around leap days and century years in the calendar maths.
TEST(CivilTime, RoundTripsEveryDayOfFourCenturies) {
    for (std::int64_t day = DaysFromCivil(1900, 1, 1); day <= DaysFromCivil(2300, 12, 31); ++day) {
        const LocalTime t = LocalFromSeconds(day * 86400 + 3723);
        ASSERT_EQ(DaysFromCivil(t.year, t.month, t.day), day);
        ASSERT_EQ(t.hour, 1);
        ASSERT_EQ(t.minute, 2);
        ASSERT_EQ(t.second, 3);
    }
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(LocalFromSeconds(DaysFromCivil(2000, 2, 29) * 86400).day, 29);
    EXPECT_EQ(LocalFromSeconds(DaysFromCivil(2011, 1, 18) * 86400).dayOfWeek, 2);  // a Tuesday
}

// Guards against plausibility bounds that let year 1899 or month 0 through.
TEST(CivilTime, PlausibleDateBounds) {
    EXPECT_TRUE(IsPlausibleDate(1900, 1, 1, 0, 0, 0));
    EXPECT_TRUE(IsPlausibleDate(2099, 12, 31, 23, 59, 59));
    EXPECT_FALSE(IsPlausibleDate(1899, 12, 31, 0, 0, 0));
    EXPECT_FALSE(IsPlausibleDate(2100, 1, 1, 0, 0, 0));
    EXPECT_FALSE(IsPlausibleDate(2011, 0, 1, 0, 0, 0));
    EXPECT_FALSE(IsPlausibleDate(2011, 1, 0, 0, 0, 0));
    EXPECT_FALSE(IsPlausibleDate(2011, 1, 1, 24, 0, 0));
    EXPECT_FALSE(IsPlausibleDate(2011, 1, 1, 0, 60, 0));
}

// Guards against a fake clock whose local time, UTC and monotonic counter drift apart.
TEST(FakeClock, SleepAdvancesAllViewsTogether) {
    FakeClock clock({2011, 1, 18, 23, 59, 59}, 3 * 3600);
    int advances = 0;
    clock.SetOnAdvance([&] { ++advances; });
    const auto utc = clock.UtcSeconds();
    const auto mono = clock.MonotonicMs();
    clock.SleepMs(1500);
    EXPECT_EQ(clock.MonotonicMs() - mono, 1500);
    EXPECT_EQ(clock.UtcSeconds() - utc, 1);
    const LocalTime now = clock.Local();
    EXPECT_EQ(now.day, 19);
    EXPECT_EQ(now.hour, 0);
    EXPECT_EQ(now.second, 0);
    EXPECT_EQ(now.millisecond, 500);
    EXPECT_EQ(utc, SecondsFromLocal({2011, 1, 18, 20, 59, 59}));
    EXPECT_EQ(advances, 1);
}

}  // namespace
}  // namespace vg28
