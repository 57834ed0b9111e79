#include "project/ProjectBuilders.h"

#include <cstdint>

namespace vg28::test {

MeasurementRecord MakeRecord(int year, int month, int day, int hour, int minute, int second,
                             int seed) {
    MeasurementRecord record{};
    record.time.year = static_cast<std::uint16_t>(year);
    record.time.month = static_cast<std::uint8_t>(month);
    record.time.day = static_cast<std::uint8_t>(day);
    record.time.hour = static_cast<std::uint8_t>(hour);
    record.time.minute = static_cast<std::uint8_t>(minute);
    record.time.second = static_cast<std::uint8_t>(second);
    for (int k = 0; k < kChannelCount; ++k) {
        record.values[k].value = seed * 100.0 + k + 0.25;
        record.values[k].precision = (seed + k) % 6;
        record.values[k].limitMark = (seed + k) % 7 == 0;
    }
    for (int f = 0; f < kStatusCount; ++f)
        record.status[f] = (seed + f) % 3;
    record.powerOff = seed % 2;
    record.powerOn = seed % 5 == 1;
    return record;
}

std::string ProjectFileBytes(const ProjectSetup& setup,
                             const std::vector<MeasurementRecord>& records) {
    std::string bytes =
        BytesOf(CProjectDoc::kMagic) + BytesOf(CProjectDoc::kVersion2) + BytesOf(setup);
    for (const MeasurementRecord& record : records)
        bytes += BytesOf(record);
    return bytes;
}

}  // namespace vg28::test
