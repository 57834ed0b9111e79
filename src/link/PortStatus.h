#pragma once
// A serial port as the user may find it before connecting: its name and device, whether this
// user may open it, and whether another program holds it. The probe opens the device without
// waiting, tries the lock the port takes (CSerialPort) and lets go at once, so a port in use
// is never disturbed; it never throws.

#include <optional>
#include <string>
#include <vector>

namespace vg28 {

class PortEnumerator;

struct PortStatus {
    std::string name;           // the name to connect to (its by-id link where it has one)
    std::string device;         // the device that name stands for, links followed
    bool access = false;        // this user may open it for reading and writing
    std::optional<bool> inUse;  // held by another program; unknown when it cannot be opened

    // The status of one port name.
    static PortStatus Of(const std::string& name);
    // Every port of the enumerator, each once, in its order.
    static std::vector<PortStatus> List(const PortEnumerator& ports);
};

}  // namespace vg28
