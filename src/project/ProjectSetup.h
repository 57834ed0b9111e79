#pragma once
// The project setup block (5944 bytes), stored in the project file and kept in the profile as
// the template for the next new project.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "project/MeasurementRecord.h"
#include "project/PlugAndPlay.h"
#include "project/TimeStamp.h"

namespace vg28 {

inline constexpr int kNoteCount = 8;
inline constexpr int kIdLength = 32;

struct ProjectSetup {
    std::int32_t period;                       // measurement period in seconds
    char sensorIds[kChannelCount][kIdLength];  // sensor ID per channel
    std::uint8_t reserved1[2048];              // kept as read
    std::uint32_t reservedWord;                // filled only by version-1 conversion
    std::int32_t exactTime;                    // exact-time option
    std::int32_t em50;                         // an Em50 logger is the weather station
    char notes[kNoteCount][kIdLength];         // operator's note for inputs S1-S8
    TimeStamp configTime;                      // configuration time known to the instrument
    std::uint8_t reserved2[2048];              // kept as read
};

static_assert(sizeof(ProjectSetup) == 5944);
static_assert(std::is_trivially_copyable_v<ProjectSetup>);
static_assert(offsetof(ProjectSetup, period) == 0 && offsetof(ProjectSetup, sensorIds) == 4 &&
              offsetof(ProjectSetup, reserved1) == 1572 &&
              offsetof(ProjectSetup, reservedWord) == 3620 &&
              offsetof(ProjectSetup, exactTime) == 3624 && offsetof(ProjectSetup, em50) == 3628 &&
              offsetof(ProjectSetup, notes) == 3632 && offsetof(ProjectSetup, configTime) == 3888 &&
              offsetof(ProjectSetup, reserved2) == 3896);

// Channel roles.
inline constexpr int kFirstModuleChannel = 8;  // S9-S15: weather station module, soil probe
inline constexpr int kSubstrateChannel = 11;   // S12
inline constexpr int kVpdChannel = 15;         // S16
inline constexpr int kDewPointChannel = 16;    // S17
inline constexpr int kFirstEm50Channel = 17;   // S18-S37
inline constexpr int kLastEm50Channel = 36;

}  // namespace vg28
