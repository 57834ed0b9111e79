#include "CollectStatusJson.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/AtomicFile.h"

namespace vg28::tool {

namespace {

template <typename T>
nlohmann::ordered_json OrNull(const std::optional<T>& value) {
    if (!value) return nullptr;
    return *value;
}

template <typename T>
bool Take(const nlohmann::json& object, const char* key, T& out) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return true;
    try {
        out = found->get<T>();
        return true;
    } catch (const nlohmann::json::exception&) {
        return false;
    }
}

template <typename T>
bool TakeOptional(const nlohmann::json& object, const char* key, std::optional<T>& out) {
    out.reset();
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return true;
    T value{};
    if (!Take(object, key, value)) return false;
    out = value;
    return true;
}

}  // namespace

nlohmann::ordered_json CollectStatusJson::ToJson(const CollectStatus& status) {
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const DeviceStatus& d : status.devices) {
        nlohmann::ordered_json device;
        device["name"] = d.name;
        device["address"] = d.address;
        device["lastContact"] = OrNull(d.lastContact);
        device["result"] = d.result;
        device["project"] = d.project;
        device["records"] = d.records;
        device["lastRecord"] = OrNull(d.lastRecord);
        device["added"] = d.added;
        device["em50Added"] = d.em50Added;
        device["clockOffset"] = OrNull(d.clockOffset);
        device["mode"] = OrNull(d.mode);
        device["nextRecord"] = OrNull(d.nextRecord);
        devices.push_back(device);
    }
    nlohmann::ordered_json json;
    json["devices"] = devices;
    return json;
}

bool CollectStatusJson::FromJson(const nlohmann::json& json, CollectStatus& status,
                                 std::string& error) {
    status.devices.clear();
    if (!json.is_object() || !json.contains("devices") || !json["devices"].is_array()) {
        error = "not a status: no \"devices\" array";
        return false;
    }
    for (const nlohmann::json& entry : json["devices"]) {
        DeviceStatus d;
        const bool read =
            entry.is_object() && Take(entry, "name", d.name) && Take(entry, "address", d.address) &&
            TakeOptional(entry, "lastContact", d.lastContact) && Take(entry, "result", d.result) &&
            Take(entry, "project", d.project) && Take(entry, "records", d.records) &&
            TakeOptional(entry, "lastRecord", d.lastRecord) && Take(entry, "added", d.added) &&
            Take(entry, "em50Added", d.em50Added) &&
            TakeOptional(entry, "clockOffset", d.clockOffset) &&
            TakeOptional(entry, "mode", d.mode) && TakeOptional(entry, "nextRecord", d.nextRecord);
        if (!read) {
            error = "a device entry of the status is malformed";
            status.devices.clear();
            return false;
        }
        status.devices.push_back(d);
    }
    return true;
}

std::string CollectStatusJson::Text(const CollectStatus& status, int indent) {
    return ToJson(status).dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool CollectStatusJson::Write(const std::string& path, const CollectStatus& status,
                              std::string& error) {
    const std::string text = Text(status, 2) + "\n";
    AtomicFile file(path);
    if (file.Open() && file.Write(text.data(), text.size()) && file.Commit()) return true;
    error = "cannot write " + path + ": " + std::strerror(errno);
    file.Discard();
    return false;
}

bool CollectStatusJson::Read(const std::string& path, CollectStatus& status, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "no status file " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const nlohmann::json json = nlohmann::json::parse(text.str(), nullptr, false);
    if (json.is_discarded()) {
        error = path + " is not JSON";
        return false;
    }
    if (!FromJson(json, status, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace vg28::tool
