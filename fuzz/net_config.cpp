// Fuzz target: the radio network file "net.xcfg", parsed from the input as XML. Whatever it
// holds, the device list stays within its bounds and every name is a lower-case,
// NUL-terminated text of at most 31 characters.

#include <cstring>

#include "FuzzSupport.h"
#include "app/NetConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vg28;
    const std::vector<NetDevice> devices = NetConfig::ParseNetConfig(fuzz::AsText(data, size));
    FUZZ_CHECK(devices.size() <= NetConfig::kMaxDevices);
    for (const NetDevice& device : devices) {
        const void* nul = std::memchr(device.deviceName, '\0', sizeof device.deviceName);
        FUZZ_CHECK(nul != nullptr);
        for (const char* c = device.deviceName; *c; ++c)
            FUZZ_CHECK(!(*c >= 'A' && *c <= 'Z'));
    }
    return 0;
}
