// The simulated instrument's readings over a day: every value it reports, live or stored, is
// one that the weather could give.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "SimInstrument.h"
#include "platform/FakeClock.h"

namespace vg28 {
namespace {

constexpr int kPar = 9;
constexpr int kAirTemperature = 10;
constexpr int kHumidity = 11;
constexpr int kVpd = 16;
constexpr int kDewPoint = 17;

// The "S<n>;<value>" items of a record or current-readings line, by input.
std::map<int, double> Readings(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find(';', start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    std::map<int, double> readings;
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        const std::string_view key = fields[i];
        if (key.size() < 2 || key[0] != 'S') continue;
        int input = 0;
        const auto [keyEnd, keyError] =
            std::from_chars(key.data() + 1, key.data() + key.size(), input);
        if (keyError != std::errc() || keyEnd != key.data() + key.size()) continue;
        double value = 0.0;
        const std::string_view text = fields[i + 1];
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << line;
        readings[input] = value;
        ++i;
    }
    return readings;
}

// Magnus formula over water: vapour pressure deficit (kPa) and dew point (°C).
double Vpd(double t, double rh) {
    return 0.6112 * std::exp(17.62 * t / (t + 243.12)) * (1.0 - rh / 100.0);
}

double DewPoint(double t, double rh) {
    const double b = 17.62 * t / (t + 243.12) + std::log(rh / 100.0);
    return 243.12 * b / (17.62 - b);
}

void ExpectPhysical(const sim::SimInstrument& instrument, std::string_view line) {
    const std::map<int, double> r = Readings(line);
    for (int input : {3, kPar, kAirTemperature, kHumidity, kVpd, kDewPoint})
        ASSERT_EQ(r.count(input), 1u) << "S" << input << " missing: " << line;
    const double air = r.at(kAirTemperature);
    const double humidity = r.at(kHumidity);
    EXPECT_LE(r.at(kDewPoint), air) << line;
    EXPECT_GE(r.at(kVpd), 0.0) << line;
    EXPECT_GE(r.at(kPar), 0.0) << line;
    for (int input : {3, kHumidity}) {
        EXPECT_GE(r.at(input), 0.0) << line;
        EXPECT_LE(r.at(input), 100.0) << line;
    }
    // Both follow from the air temperature and humidity of the same line.
    EXPECT_NEAR(r.at(kVpd), Vpd(air, humidity), 0.006) << line;
    EXPECT_NEAR(r.at(kDewPoint), DewPoint(air, humidity), 0.11) << line;
    for (const auto& [input, value] : r) {
        const sim::SimSensor& sensor = instrument.Sensor(input);
        EXPECT_GE(value, sensor.minimum) << "S" << input << ": " << line;
        EXPECT_LE(value, sensor.maximum) << "S" << input << ": " << line;
    }
}

// Guards against a dew point or vapour pressure deficit made from another channel than the
// reported air temperature and humidity (a dew point above the air temperature), and against
// humidity outside 0-100 % or negative light, live and in the stored records.
TEST(SimulatorPhysics, EveryReadingOfADayIsPhysical) {
    const struct {
        std::uint32_t seed;
        int clockOffset;
    } cases[] = {{1, 0}, {2, 3600}, {7, -7200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seed);
        FakeClock clock({2011, 1, 18, 0, 0, 0});
        sim::SimInstrumentConfig config;
        config.mode = 2;
        config.records = 0;
        config.period = 600;
        config.seed = c.seed;
        config.clockOffset = c.clockOffset;
        sim::SimInstrument instrument(config, clock);
        clock.SetOnAdvance([&] { instrument.CatchUp(); });
        for (int sample = 0; sample < 24 * 6; ++sample) {
            clock.Advance(600 * 1000);
            const std::vector<sim::SimOutput> live = instrument.Handle("data;s");
            ASSERT_EQ(live.size(), 1u);
            ASSERT_EQ(live[0].line.rfind("DATA;", 0), 0u) << live[0].line;
            ASSERT_NO_FATAL_FAILURE(ExpectPhysical(instrument, live[0].line));
        }
        const std::vector<sim::SimOutput> stored =
            instrument.Handle("record;s;from;2000-01-01 00:00:00");
        std::size_t records = 0;
        for (const sim::SimOutput& output : stored) {
            if (output.line.rfind("RECORD;S;", 0) == 0) continue;
            if (output.line.rfind("RECORD;", 0) != 0) continue;
            ++records;
            ASSERT_NO_FATAL_FAILURE(
                ExpectPhysical(instrument, std::string_view(output.line).substr(7)));
        }
        EXPECT_EQ(records, 24u * 6u);
    }
}

}  // namespace
}  // namespace vg28
