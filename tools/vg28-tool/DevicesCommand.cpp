// vg28-tool devices [--json]: the instruments of the radio network as "net.xcfg" in the program
// folder lists them (an empty list without the file).

#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "app/NetConfig.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"

namespace vg28::tool {

namespace {

int RunDevices(ToolContext& context) {
    if (context.Options().Words().size() != 1) return UsageError("devices takes no arguments");
    const std::vector<NetDevice> devices =
        NetConfig::LoadNetConfig(context.Folder() + NetConfig::kFileName);
    if (context.Json()) {
        nlohmann::json list = nlohmann::json::array();
        for (const NetDevice& device : devices) {
            list.push_back({{"name", TextCodec::Cp1251ToUtf8(TextOf(device.deviceName))},
                            {"address", device.deviceAddress}});
        }
        std::cout << DumpJson(list, 2) << '\n';
        return 0;
    }
    for (const NetDevice& device : devices)
        std::cout << TextCodec::Cp1251ToUtf8(TextOf(device.deviceName)) << '\t'
                  << device.deviceAddress << '\n';
    return 0;
}

const CommandRegistration kDevices({"devices",
                                    "devices [--json]                the radio network's "
                                    "instruments from net.xcfg",
                                    {"--json"},
                                    RunDevices});

}  // namespace

}  // namespace vg28::tool
