#include "JsonOutput.h"

#include <cstdio>

#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "sensors/MethodNames.h"

namespace vg28::tool {

std::string JsonText(std::string_view text) {
    return TextCodec::ReplaceInvalidUtf8(text);
}

std::string DumpJson(const nlohmann::json& value, int indent) {
    return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string TimeText(const TimeStamp& time) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{time.year},
                  unsigned{time.month}, unsigned{time.day}, unsigned{time.hour},
                  unsigned{time.minute}, unsigned{time.second});
    return buffer;
}

nlohmann::json TimeJson(const TimeStamp& time) {
    if (time.IsEmpty()) return nullptr;
    return TimeText(time);
}

nlohmann::json RecordJson(const MeasurementRecord& record) {
    nlohmann::json values = nlohmann::json::array();
    for (const ChannelValue& cell : record.values)
        values.push_back({cell.value, cell.precision, cell.limitMark});
    nlohmann::json status = nlohmann::json::array();
    for (const std::int32_t flag : record.status)
        status.push_back(flag);
    return {{"time", TimeText(record.time)},
            {"values", values},
            {"status", status},
            {"powerOff", record.powerOff},
            {"powerOn", record.powerOn}};
}

nlohmann::json SensorJson(const SensorRecord& sensor) {
    nlohmann::json coefficients = nlohmann::json::array();
    for (const double c : sensor.coefficients)
        coefficients.push_back(c);
    return {{"id", TextCodec::Cp1251ToUtf8(TextOf(sensor.id))},
            {"type", TextCodec::Cp1251ToUtf8(TextOf(sensor.type))},
            {"description", TextCodec::Cp1251ToUtf8(TextOf(sensor.description))},
            {"units", TextCodec::Cp1251ToUtf8(TextOf(sensor.units))},
            {"precision", sensor.precision},
            {"method", MethodName(sensor.method).value_or("?")},
            {"maxOutput", sensor.maxOutput},
            {"coefficients", coefficients},
            {"minimum", sensor.minimum},
            {"maximum", sensor.maximum},
            {"standardCoefficients", sensor.standardCoefficients}};
}

nlohmann::json ProjectJson(const CProjectDoc& doc, bool withRecords) {
    nlohmann::json ids = nlohmann::json::array();
    for (const auto& id : doc.setup.sensorIds)
        ids.push_back(TextCodec::Cp1251ToUtf8(TextOf(id)));
    nlohmann::json notes = nlohmann::json::array();
    for (const auto& note : doc.setup.notes)
        notes.push_back(TextCodec::Cp1251ToUtf8(TextOf(note)));
    nlohmann::json result = {{"name", JsonText(doc.ProjectName())},
                             {"period", doc.setup.period},
                             {"exactTime", doc.setup.exactTime},
                             {"em50", doc.setup.em50},
                             {"sensorIds", ids},
                             {"notes", notes},
                             {"configTime", TimeJson(doc.setup.configTime)},
                             {"firstTime", TimeJson(doc.firstTime)},
                             {"lastTime", TimeJson(doc.lastTime)},
                             {"recordCount", doc.records.size()}};
    if (withRecords) {
        nlohmann::json records = nlohmann::json::array();
        for (const MeasurementRecord& record : doc.records)
            records.push_back(RecordJson(record));
        result["records"] = std::move(records);
    }
    return result;
}

}  // namespace vg28::tool
