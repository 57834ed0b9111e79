#pragma once
// Test helpers for the project document: sensor records and a sensor database saved in and
// loaded from a temporary program folder, a document over that folder with its own settings
// file, and builders of record images and files.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Profile.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"
#include "support/TempFolder.h"

namespace vg28::test {

struct FixtureSensor {
    std::string id;
    std::string type;
    int precision = 2;
    double minimum = 0.0;
    double maximum = 100.0;
    std::vector<double> coefficients;  // C0.. (missing ones are 0)
};

SensorRecord MakeSensor(const FixtureSensor& sensor);

// Writes "sensors.dat" with the given sensors into the folder and loads it back.
SensorDatabase MakeSensorDatabase(const TempFolder& folder,
                                  const std::vector<FixtureSensor>& specs);

// A document over a temporary program folder with its own settings file.
class DocFixture {
public:
    explicit DocFixture(const std::vector<FixtureSensor>& sensors = {});

    TempFolder folder;
    Profile profile;
    SensorDatabase sensors;
    std::unique_ptr<CProjectDoc> doc;
};

// A record with the given time; values and flags derived from seed so that records differ.
MeasurementRecord MakeRecord(int year, int month, int day, int hour, int minute, int second,
                             int seed = 0);

// The bytes of a version-2 project file.
std::string ProjectFileBytes(const ProjectSetup& setup,
                             const std::vector<MeasurementRecord>& records);

template <typename T>
std::string BytesOf(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace vg28::test
