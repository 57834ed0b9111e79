#include "support/TestProject.h"

#include <gtest/gtest.h>

#include "platform/FixedText.h"

namespace vg28::test {

SensorRecord MakeSensor(const TestSensor& sensor) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, sensor.id);
    CopyText(record.description, sensor.description);
    CopyText(record.units, sensor.units);
    CopyText(record.type, sensor.type);
    record.precision = sensor.precision;
    record.minimum = sensor.minimum;
    record.maximum = sensor.maximum;
    for (std::size_t i = 0; i < sensor.coefficients.size() && i < 6; ++i)
        record.coefficients[i] = sensor.coefficients[i];
    return record;
}

SensorDatabase MakeSensorDatabase(const TempFolder& folder,
                                  const std::vector<TestSensor>& sensors) {
    SensorDatabase written;
    for (const TestSensor& sensor : sensors)
        written.Append(MakeSensor(sensor));
    SensorDatabase loaded;
    if (!sensors.empty()) {
        const std::string path = folder.File(SensorDatabase::kFileName);
        EXPECT_TRUE(written.Save(path)) << path;
        EXPECT_TRUE(loaded.Load(path)) << path;
    }
    return loaded;
}

std::string ShippedSensorDatabase() {
    return std::string(VG28_PROGRAM_DIR) + "/sensors.dat";
}

TestProject::TestProject(const std::string& name, char decimal) : TestProject(name, decimal, {}) {}

TestProject::TestProject(const std::vector<TestSensor>& savedSensors)
    : TestProject("", '.', savedSensors) {}

TestProject::TestProject(LocaleAsItIs) : TestProject("", std::nullopt, {}) {}

TestProject::TestProject(const std::string& name, std::optional<char> decimal,
                         const std::vector<TestSensor>& saved)
    : profile(folder.File("vg28-terminal.ini")),
      sensors(MakeSensorDatabase(folder, saved)),
      doc(std::make_unique<CProjectDoc>(folder.Path(), profile, sensors)) {
    if (decimal) {
        m_savedLocale = Locale::Current();
        Locale::SetCurrent(Locale(*decimal, "%d.%m.%Y", "%H:%M:%S"));
    }
    if (!name.empty()) doc->SetPathName(doc->ProjectFilePath(name));
}

TestProject::~TestProject() {
    if (m_savedLocale) Locale::SetCurrent(*m_savedLocale);
}

void TestProject::LoadSensors(const std::string& path) {
    EXPECT_TRUE(sensors.Load(path)) << path;
}

void TestProject::AddSensor(const TestSensor& sensor) {
    sensors.Append(MakeSensor(sensor));
}

void TestProject::SetChannel(int k, const std::string& id) {
    CopyText(doc->setup.sensorIds[k], id);
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
    doc->MarkRecord(record);
    doc->InsertRecord(record);
    for (MeasurementRecord& stored : doc->records) {
        if (stored.time == record.time) return stored;
    }
    return doc->records.back();
}

}  // namespace vg28::test
