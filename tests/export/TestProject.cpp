#include "export/TestProject.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FixedText.h"

namespace vg28::test {

TestProject::TestProject(const std::string& name, char decimal)
    : profile(folder.File("vg28-terminal.ini")),
      doc(folder.Path(), profile, sensors),
      m_savedLocale(Locale::Current()) {
    Locale::SetCurrent(Locale(decimal, "%d.%m.%Y", "%H:%M:%S"));
    doc.ResetProject();
    if (!name.empty()) doc.SetPathName(doc.ProjectFilePath(name));
}

TestProject::~TestProject() {
    Locale::SetCurrent(m_savedLocale);
}

void TestProject::AddSensor(const SensorSpec& sensor) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, sensor.id);
    CopyText(record.description, sensor.description);
    CopyText(record.units, sensor.units);
    CopyText(record.type, sensor.type);
    record.precision = sensor.precision;
    record.minimum = sensor.minimum;
    record.maximum = sensor.maximum;
    sensors.Append(record);
}

void TestProject::SetChannel(int k, const std::string& id) {
    CopyText(doc.setup.sensorIds[k], id);
}

MeasurementRecord& TestProject::AddRecord(
    int year, int month, int day, int hour, int minute, int second,
    std::initializer_list<std::pair<const int, double>> values, int precision) {
    MeasurementRecord record{};
    record.time.year = static_cast<std::uint16_t>(year);
    record.time.month = static_cast<std::uint8_t>(month);
    record.time.day = static_cast<std::uint8_t>(day);
    record.time.hour = static_cast<std::uint8_t>(hour);
    record.time.minute = static_cast<std::uint8_t>(minute);
    record.time.second = static_cast<std::uint8_t>(second);
    record.status[kFlagKws] = 1;
    record.status[kFlagKwsSmte] = 1;
    record.status[kFlagKwsSht] = 1;
    for (const auto& [k, value] : values) {
        record.values[k].value = value;
        record.values[k].precision = precision;
    }
    // As a download does: precision and limit marks from the sensor database.
    doc.MarkRecord(record);
    doc.InsertRecord(record);
    for (MeasurementRecord& stored : doc.records) {
        if (stored.time == record.time) return stored;
    }
    return doc.records.back();
}

void ExpectMatchesGolden(const std::string& actual, const std::string& relative) {
    const std::string path = std::string(VG28_TEST_DATA_DIR) + "/" + relative;
    std::ifstream in(path, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (expected == actual) return;
    const auto keep = std::filesystem::temp_directory_path() / "vg28-golden" / relative;
    std::filesystem::create_directories(keep.parent_path());
    std::ofstream(keep, std::ios::binary) << actual;
    ADD_FAILURE() << "output differs from " << path << "; actual output kept in " << keep;
}

}  // namespace vg28::test
