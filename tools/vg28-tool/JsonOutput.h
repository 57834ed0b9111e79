#pragma once
// JSON forms of the stored records for vg28-tool's --json output. Texts are converted from the
// stored Windows ANSI to UTF-8; doubles are written so that they read back to the same value.

#include <nlohmann/json.hpp>
#include <string>

#include "project/CProjectDoc.h"
#include "project/MeasurementRecord.h"
#include "project/TimeStamp.h"
#include "sensors/SensorRecord.h"

namespace vg28::tool {

// "YYYY-MM-DD hh:mm:ss", or null for year 0.
nlohmann::json TimeJson(const TimeStamp& time);
std::string TimeText(const TimeStamp& time);

nlohmann::json RecordJson(const MeasurementRecord& record);
nlohmann::json SensorJson(const SensorRecord& sensor);
nlohmann::json ProjectJson(const CProjectDoc& doc, bool withRecords);

// UTF-8 of a stored text.
std::string Utf8(std::string_view storedText);

const char* MethodName(int method);

}  // namespace vg28::tool
