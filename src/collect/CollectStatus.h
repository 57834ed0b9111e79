#pragma once
// What the collector knows of each device of its round: the model of the status file, its
// table for `vg28-tool status` and the one log line per device per round. Texts are UTF-8,
// times local "YYYY-MM-DD HH:MM:SS". The JSON form is the front end's; this model has none.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "project/TimeStamp.h"
#include "session/NetDevice.h"

namespace vg28 {

struct DeviceStatus {
    static constexpr const char* kOk = "ok";
    static constexpr const char* kNotYet = "not collected yet";

    std::string name;  // as net.xcfg has it (lower case); empty for the direct line
    std::uint16_t address = 0;
    std::optional<std::string> lastContact;  // the last line received from it
    std::string result = kNotYet;            // "ok" or the reason in words
    std::string project;                     // the project name, empty while unknown
    long long records = 0;                   // in the project
    std::optional<std::string> lastRecord;   // the project's last record
    int added = 0;                           // records the last round brought
    int em50Added = 0;                       // Em50 readings the last round brought
    std::optional<long long> clockOffset;    // seconds, instrument minus PC
    std::optional<std::string> mode;         // "view", "record", "stop"
    std::optional<std::string> nextRecord;   // when the instrument records next
    // What the log line adds (the clock set, a warning); not kept in the status file.
    std::vector<std::string> notes;

    bool Ok() const { return result == kOk; }
    // "name [address]", or "direct line" for the instrument on the cable.
    std::string Label() const;
    // One line for the log: the device, the result and what the project holds.
    std::string LogLine() const;
};

class CollectStatus {
public:
    std::vector<DeviceStatus> devices;

    // One entry per device of the list, in its order: each carried over from this status when
    // it has one of the same name and address (what was known before this round), else new.
    CollectStatus ForDevices(const std::vector<NetDevice>& list) const;
    const DeviceStatus* Find(const std::string& name, std::uint16_t address) const;

    // The table of `vg28-tool status`: a header line and one line per device; "-" where
    // nothing is known.
    std::string Table() const;

    // "YYYY-MM-DD HH:MM:SS".
    static std::string TimeText(const TimeStamp& time);
    static std::string TimeText(std::int64_t secondsCountedAsUtc);
    // "view", "record", "stop" for the modes 1, 2, 3; nothing for INIT or an unknown one.
    static std::optional<std::string> ModeName(int mode);
};

}  // namespace vg28
