#pragma once
// Builders of record images and project files for the document tests.

#include <string>
#include <vector>

#include "project/CProjectDoc.h"

namespace vg28::test {

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
