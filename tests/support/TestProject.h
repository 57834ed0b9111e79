#pragma once
// A project made in a test: a temporary program folder with its own settings file, a sensor
// database (saved in the folder and loaded back, loaded from a file, or built in memory), a
// document over that folder, and helpers to assign sensors and add records. The user's Locale
// is fixed while it lives (unless a rig built on it leaves it as it is).

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Profile.h"
#include "platform/Locale.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"
#include "support/TempFolder.h"

namespace vg28::test {

struct TestSensor {
    std::string id;           // CP1251 bytes
    std::string description;  // CP1251 bytes
    std::string units;        // CP1251 bytes
    int precision = 2;
    double minimum = -100.0;
    double maximum = 100.0;
    std::string type = "T";
    std::vector<double> coefficients;  // C0.. (missing ones are 0)
};

SensorRecord MakeSensor(const TestSensor& sensor);

// Writes "sensors.dat" with the given sensors into the folder and loads it back (none: no file,
// an empty database); the test fails when either does not work.
SensorDatabase MakeSensorDatabase(const TempFolder& folder, const std::vector<TestSensor>& sensors);

// The sensor database the build makes for the program folder.
std::string ShippedSensorDatabase();

class TestProject {
public:
    // name: the project's file title ("" leaves the document without a path); decimal: the
    // user's decimal separator while the project lives.
    explicit TestProject(const std::string& name = "", char decimal = '.');
    // The sensors saved as the folder's "sensors.dat" and loaded from it.
    explicit TestProject(const std::vector<TestSensor>& savedSensors);
    ~TestProject();
    TestProject(const TestProject&) = delete;
    TestProject& operator=(const TestProject&) = delete;

    // The sensor database read from that file; the test fails when it cannot be read.
    void LoadSensors(const std::string& path);
    // One more sensor in the database in memory.
    void AddSensor(const TestSensor& sensor);
    void SetChannel(int k, const std::string& id);
    // A record at the given time with the KWS, KWS-SMTE and KWS-SHT flags set and values by
    // channel (precision 2 unless given), marked by the sensor database as a download marks it.
    MeasurementRecord& AddRecord(int year, int month, int day, int hour, int minute, int second,
                                 std::initializer_list<std::pair<const int, double>> values,
                                 int precision = 2);

    TempFolder folder;
    Profile profile;
    SensorDatabase sensors;
    std::unique_ptr<CProjectDoc> doc;

protected:
    // For the rigs, which never set the Locale: the one the test has stays.
    struct LocaleAsItIs {};
    explicit TestProject(LocaleAsItIs);

private:
    TestProject(const std::string& name, std::optional<char> decimal,
                const std::vector<TestSensor>& saved);

    std::optional<Locale> m_savedLocale;  // only when this fixed the Locale
};

}  // namespace vg28::test
