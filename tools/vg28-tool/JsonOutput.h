#pragma once
// JSON forms of the stored records for vg28-tool's --json output. Texts are converted from the
// stored Windows ANSI to UTF-8; texts that should be UTF-8 but come from outside (file names,
// the project name) have malformed bytes replaced; doubles are written so that they read back
// to the same value. Every JSON text is printed through DumpJson, which never throws.

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

// A text meant to be UTF-8 (a file name, the project name) with malformed sequences replaced.
std::string JsonText(std::string_view text);
// The JSON text (indent as nlohmann::json::dump); malformed UTF-8 that slipped into a string
// is replaced instead of throwing.
std::string DumpJson(const nlohmann::json& value, int indent = -1);

}  // namespace vg28::tool
