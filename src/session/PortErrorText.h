#pragma once
// The operator's message for a port that would not open: message 10110 for the port, and below
// it one line of what to do, by the cause the open failed with: the ports there are instead of a
// missing one, the group to join for a device the user may not open, or another program holding
// it. No line is added for any other cause. The desktop program shows it in its error box,
// vg28-tool on standard error. Never throws.

#include <functional>
#include <string>
#include <vector>

namespace vg28 {

// The serial ports found, for the line under a missing port.
using PortLister = std::function<std::vector<std::string>()>;

// error is the system error code of the failed open (PacketLink::OpenError); portsFound is
// asked only when the port is missing (default: CSerialPort::EnumeratePorts).
std::string PortErrorText(const std::string& port, unsigned long error,
                          const PortLister& portsFound = {});

// The name of the group that owns the device (its number when the group has no name); empty
// when the device cannot be looked at (and always on Windows).
std::string DeviceGroupOf(const std::string& path);

}  // namespace vg28
