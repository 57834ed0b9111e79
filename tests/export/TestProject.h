#pragma once
// A small project made in a test: a sensor database, a document in a temporary program folder
// and helpers to assign sensors and add records. The locale is fixed while it lives.

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

#include "base/Profile.h"
#include "platform/Locale.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"
#include "support/TempFolder.h"

namespace vg28::test {

struct SensorSpec {
    std::string id;           // CP1251 bytes
    std::string description;  // CP1251 bytes
    std::string units;        // CP1251 bytes
    int precision = 2;
    double minimum = -100.0;
    double maximum = 100.0;
    std::string type = "T";
};

class TestProject {
public:
    // name: the project's file title ("" leaves the document without a path).
    explicit TestProject(const std::string& name = "demo", char decimal = '.');
    ~TestProject();

    void AddSensor(const SensorSpec& sensor);
    void SetChannel(int k, const std::string& id);
    // A record at the given time with the KWS, KWS-SMTE and KWS-SHT flags set and values by
    // channel (precision 2 unless given), marked by the sensor database as a download marks it.
    MeasurementRecord& AddRecord(int year, int month, int day, int hour, int minute, int second,
                                 std::initializer_list<std::pair<const int, double>> values,
                                 int precision = 2);

    TempFolder folder;
    Profile profile;
    SensorDatabase sensors;
    CProjectDoc doc;

private:
    Locale m_savedLocale;
};

// The file under tests/data/<relative>; the test fails when it differs from actual, and then
// the actual bytes are kept in the system's temporary folder for review.
void ExpectMatchesGolden(const std::string& actual, const std::string& relative);

}  // namespace vg28::test
