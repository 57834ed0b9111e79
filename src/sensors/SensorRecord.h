#pragma once
// One entry of the sensor catalogue (432 bytes): a first block of 272 bytes and a second block
// of 160 bytes, stored back to back in "sensors.dat". Texts are Windows ANSI (CP1251).

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vg28 {

enum SensorMethod : std::int32_t { kMethodStd = 0, kMethodComp = 1, kMethodAvg = 2 };

struct SensorRecord {
    char type[32];
    char units[16];
    std::int32_t precision;
    char description[32];
    std::int32_t method;
    double maxOutput;
    double coefficients[6];
    double minimum;
    double maximum;
    std::int32_t standardCoefficients;
    std::uint8_t reserved1[108];
    char id[32];
    std::uint8_t reserved2[128];
};

inline constexpr std::size_t kSensorFirstBlock = 272;
inline constexpr std::size_t kSensorSecondBlock = 160;

static_assert(sizeof(SensorRecord) == 432);
static_assert(std::is_trivially_copyable_v<SensorRecord>);
static_assert(offsetof(SensorRecord, type) == 0 && offsetof(SensorRecord, units) == 32 &&
              offsetof(SensorRecord, precision) == 48 &&
              offsetof(SensorRecord, description) == 52 && offsetof(SensorRecord, method) == 84 &&
              offsetof(SensorRecord, maxOutput) == 88 &&
              offsetof(SensorRecord, coefficients) == 96 &&
              offsetof(SensorRecord, minimum) == 144 && offsetof(SensorRecord, maximum) == 152 &&
              offsetof(SensorRecord, standardCoefficients) == 160 &&
              offsetof(SensorRecord, reserved1) == 164 && offsetof(SensorRecord, id) == 272 &&
              offsetof(SensorRecord, reserved2) == 304);
static_assert(offsetof(SensorRecord, id) == kSensorFirstBlock);

}  // namespace vg28
