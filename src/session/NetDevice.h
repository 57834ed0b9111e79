#pragma once
// One instrument of the radio network, as "net.xcfg" lists it. The session offers these in the
// device list; app/NetConfig reads them from the file.

#include <cstdint>

namespace vg28 {

struct NetDevice {
    char deviceName[32]{};            // the "id" attribute, lower case, at most 31 characters
    std::uint16_t deviceAddress = 0;  // the "xsaddr" attribute; 0 when missing or not a number
};

}  // namespace vg28
