#include "project/ProjectFixture.h"

#include <cstring>

#include "platform/FixedText.h"

namespace vg28::test {

SensorRecord MakeSensor(const FixtureSensor& sensor) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, sensor.id);
    CopyText(record.type, sensor.type);
    CopyText(record.description, sensor.id);
    record.precision = sensor.precision;
    record.minimum = sensor.minimum;
    record.maximum = sensor.maximum;
    for (std::size_t i = 0; i < sensor.coefficients.size() && i < 6; ++i)
        record.coefficients[i] = sensor.coefficients[i];
    return record;
}

SensorDatabase MakeSensorDatabase(const TempFolder& folder, const std::vector<FixtureSensor>& specs) {
    SensorDatabase written;
    for (const FixtureSensor& sensor : specs)
        written.Append(MakeSensor(sensor));
    SensorDatabase loaded;
    if (!specs.empty()) {
        const std::string path = folder.File(SensorDatabase::kFileName);
        written.Save(path);
        loaded.Load(path);
    }
    return loaded;
}

DocFixture::DocFixture(const std::vector<FixtureSensor>& specs)
    : profile(folder.File("vg28-terminal.ini")), sensors(MakeSensorDatabase(folder, specs)) {
    doc = std::make_unique<CProjectDoc>(folder.Path(), profile, sensors);
}

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
