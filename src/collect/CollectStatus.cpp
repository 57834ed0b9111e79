#include "collect/CollectStatus.h"

#include <algorithm>
#include <cstdio>

#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"

namespace vg28 {

namespace {

// Code points of a UTF-8 text: the width of a table cell.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string OrDash(const std::optional<std::string>& text) {
    return text ? *text : "-";
}

std::string Signed(long long seconds) {
    return (seconds > 0 ? "+" : "") + std::to_string(seconds);
}

}  // namespace

std::string DeviceStatus::Label() const {
    if (name.empty()) return "direct line";
    return name + " [" + std::to_string(address) + "]";
}

std::string DeviceStatus::LogLine() const {
    std::string line = Label() + ": " + result;
    if (!project.empty()) {
        line += "; project " + project + ", " + std::to_string(records) + " records (+" +
                std::to_string(added) + ", Em50 +" + std::to_string(em50Added) + ")";
        if (lastRecord) line += ", last " + *lastRecord;
    }
    if (clockOffset) line += "; clock " + Signed(*clockOffset) + " s";
    if (mode) line += "; mode " + *mode;
    if (nextRecord) line += "; next record " + *nextRecord;
    for (const std::string& note : notes)
        line += "; " + note;
    if (!Ok()) line += "; last contact " + OrDash(lastContact);
    return line;
}

CollectStatus CollectStatus::ForDevices(const std::vector<NetDevice>& list) const {
    CollectStatus status;
    for (const NetDevice& device : list) {
        const std::string name = TextCodec::Cp1251ToUtf8(TextOf(device.deviceName));
        const DeviceStatus* known = Find(name, device.deviceAddress);
        DeviceStatus entry = known ? *known : DeviceStatus{};
        entry.name = name;
        entry.address = device.deviceAddress;
        entry.added = 0;
        entry.em50Added = 0;
        entry.notes.clear();
        status.devices.push_back(entry);
    }
    return status;
}

const DeviceStatus* CollectStatus::Find(const std::string& name, std::uint16_t address) const {
    for (const DeviceStatus& device : devices)
        if (device.name == name && device.address == address) return &device;
    return nullptr;
}

std::string CollectStatus::Table() const {
    std::vector<std::vector<std::string>> rows = {{"DEVICE", "ADDRESS", "PROJECT", "RECORDS",
                                                   "ADDED", "EM50", "LAST RECORD", "LAST CONTACT",
                                                   "CLOCK", "MODE", "NEXT RECORD", "RESULT"}};
    for (const DeviceStatus& d : devices) {
        rows.push_back({d.name.empty() ? "(direct line)" : d.name, std::to_string(d.address),
                        d.project.empty() ? "-" : d.project, std::to_string(d.records),
                        std::to_string(d.added), std::to_string(d.em50Added), OrDash(d.lastRecord),
                        OrDash(d.lastContact), d.clockOffset ? Signed(*d.clockOffset) : "-",
                        OrDash(d.mode), OrDash(d.nextRecord), d.result});
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], Width(row[c]));
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            // The last column (the result, which may be long) is not padded.
            if (c + 1 < row.size()) line += std::string(widths[c] - Width(row[c]) + 2, ' ');
        }
        table += line + '\n';
    }
    return table;
}

std::string CollectStatus::TimeText(const TimeStamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second});
    return text;
}

std::string CollectStatus::TimeText(std::int64_t secondsCountedAsUtc) {
    return TimeText(TimeStamp::FromSeconds(secondsCountedAsUtc));
}

std::optional<std::string> CollectStatus::ModeName(int mode) {
    switch (mode) {
        case 1:
            return "view";
        case 2:
            return "record";
        case 3:
            return "stop";
        default:
            return std::nullopt;
    }
}

}  // namespace vg28
