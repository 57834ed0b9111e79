#pragma once
// One record of the instrument (832 bytes), stored byte for byte in the project file; the same
// layout holds the current readings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "project/TimeStamp.h"
#include "sensors/ChannelValue.h"

namespace vg28 {

inline constexpr int kChannelCount = 49;
inline constexpr int kStatusCount = 8;

// Status flags in storage order, by the names under which the instrument reports them.
enum StatusFlag : int {
    kFlagKwsLw = 0,
    kFlagKwsFan = 1,
    kFlagKwsMfan = 2,
    kFlagKwsSht = 3,
    kFlagKwsHsht = 4,
    kFlagKwsSmte = 5,
    kFlagKws = 6,
    kFlagBatteryLow = 7,
};

inline constexpr std::array<std::string_view, kStatusCount> kStatusFlagNames = {
    "KWS-LW", "KWS-FAN", "KWS-MFAN", "KWS-SHT", "KWS-HSHT", "KWS-SMTE", "KWS", "BL"};

// Instrument modes, index and name as the instrument reports them.
enum InstrumentMode : int { kModeInit = 0, kModeManual = 1, kModeStart = 2, kModeStop = 3 };
inline constexpr std::array<std::string_view, 4> kModeNames = {"INIT", "MANUAL", "START", "STOP"};

struct MeasurementRecord {
    TimeStamp time;
    ChannelValue values[kChannelCount];
    std::int32_t status[kStatusCount];
    std::int32_t powerOff;
    std::int32_t powerOn;
};

static_assert(sizeof(MeasurementRecord) == 832);
static_assert(std::is_trivially_copyable_v<MeasurementRecord>);
static_assert(offsetof(MeasurementRecord, time) == 0 && offsetof(MeasurementRecord, values) == 8 &&
              offsetof(MeasurementRecord, status) == 792 &&
              offsetof(MeasurementRecord, powerOff) == 824 &&
              offsetof(MeasurementRecord, powerOn) == 828);

}  // namespace vg28
