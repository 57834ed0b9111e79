#pragma once
// The serial ports of a device folder ("/dev"): the usual serial device names (ttyS, ttyUSB,
// ttyACM, ttyAMA and rfcomm followed by a number) and the links of its serial/by-id folder.
// Each device is listed once: under its by-id link where it has one (that name stays the same
// whatever order adapters are plugged in), else under its own name, in the order of the device
// names (ttyS2 before ttyS10). A device is listed when the probe finds it there; the default
// probe opens it as the port does, and a busy device counts as there. Never throws.

#include <functional>
#include <string>
#include <vector>

namespace vg28 {

class PortEnumerator {
public:
    using Probe = std::function<bool(const std::string& path)>;

    explicit PortEnumerator(std::string deviceFolder = "/dev", Probe probe = IsPortThere);

    std::vector<std::string> Ports() const;
    // The ports to offer when current is the stored one: Ports(), with current in place of the
    // entry that is the same device under another name, or after them when it is a terminal
    // device the usual names miss (a pseudo-terminal, another driver's name), so that
    // confirming the settings neither loses a port that works nor lists one twice.
    std::vector<std::string> PortsToOffer(const std::string& current) const;

    // Opens the device without waiting: true when it opens and takes line settings, or when it
    // is there but busy or refuses access.
    static bool IsPortThere(const std::string& path);

private:
    std::string m_folder;
    Probe m_probe;
};

}  // namespace vg28
