#pragma once
// The status file of `vg28-tool collect` and `vg28-tool status`: the collector's status as a
// JSON object with a "devices" array, one object per device with the keys name, address,
// lastContact, result, project, records, lastRecord, added, em50Added, clockOffset, mode and
// nextRecord, in that order (unknown values null). Written by replacing the file atomically;
// reading reports a missing or malformed file as false with a message.

#include <nlohmann/json.hpp>
#include <string>

#include "collect/CollectStatus.h"

namespace vg28::tool {

class CollectStatusJson {
public:
    // The status file's name in the program folder.
    static constexpr const char* kFileName = "collect-status.json";

    static nlohmann::ordered_json ToJson(const CollectStatus& status);
    // False with error set when the JSON is not such an object.
    static bool FromJson(const nlohmann::json& json, CollectStatus& status, std::string& error);

    // The JSON text (indent as nlohmann::json::dump; -1 for one line); never throws.
    static std::string Text(const CollectStatus& status, int indent);

    static bool Write(const std::string& path, const CollectStatus& status, std::string& error);
    static bool Read(const std::string& path, CollectStatus& status, std::string& error);
};

}  // namespace vg28::tool
