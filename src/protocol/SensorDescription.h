#pragma once
// The sensor description line of the instrument, both ways: the request that sets input n and
// the parsing of the description in a reply. Numbers are written and read with '.' whatever
// the process locale. Parsing reads only inside the given text and fails as false.

#include <cstddef>
#include <string>
#include <string_view>

#include "sensors/SensorRecord.h"

namespace vg28 {

struct SensorDescription {
    std::string id;  // a leading '=' removed when parsed
    std::string description;
    std::string units;
    int precision = 0;
    double minimum = 0.0;  // range, volts
    double maximum = 0.0;
    int method = kMethodStd;  // 0 STD, 1 COMP, 2 AVG
    double maxOutput = 0.0;   // volts
    double coefficients[6] = {};

    static SensorDescription FromRecord(const SensorRecord& record);
    // The record of the sensor database with these characteristics (type and the rest zero).
    SensorRecord ToRecord() const;
};

// "sensor;n;"id";"description";"units";precision;min;max;METHOD;maxOutput;C0;...;C5\r"; false
// when the line would not fit the 2048-byte request buffer.
bool FormatSensorRequest(int n, const SensorDescription& sensor, std::string& request);

// The description fields from the start of text (after "SENSOR;n;").
bool ParseSensorDescription(std::string_view text, SensorDescription& out);

// Fixed-point with the given decimals and "%.5e", both with '.', as the C library prints them.
std::string FormatFixed(double value, int decimals);
std::string FormatExponent(double value);
// A decimal floating-point number at the start of text (blanks skipped); false when none.
bool ParseNumber(std::string_view text, double& value);

}  // namespace vg28
