// vg28-tool ports [--json] [--dev DIR]: the serial ports found, each once, with whether this
// user may open each and whether another program holds it.
#ifndef _WIN32

#include <algorithm>
#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "link/PortEnumerator.h"
#include "link/PortStatus.h"

namespace vg28::tool {

namespace {

nlohmann::json PortJson(const PortStatus& port) {
    nlohmann::json inUse = nullptr;
    if (port.inUse) inUse = *port.inUse;
    return {{"name", JsonText(port.name)},
            {"device", JsonText(port.device)},
            {"access", port.access},
            {"inUse", inUse}};
}

const char* YesNo(const std::optional<bool>& value) {
    if (!value) return "?";
    return *value ? "yes" : "no";
}

void PrintTable(const std::vector<PortStatus>& ports) {
    std::size_t nameWidth = 4;    // "NAME"
    std::size_t deviceWidth = 6;  // "DEVICE"
    for (const PortStatus& port : ports) {
        nameWidth = std::max(nameWidth, port.name.size());
        deviceWidth = std::max(deviceWidth, port.device.size());
    }
    auto row = [&](const std::string& name, const std::string& device, const char* access,
                   const char* inUse) {
        std::cout << name << std::string(nameWidth - name.size() + 2, ' ') << device
                  << std::string(deviceWidth - device.size() + 2, ' ') << access
                  << std::string(8 - std::string(access).size(), ' ') << inUse << '\n';
    };
    row("NAME", "DEVICE", "ACCESS", "IN USE");
    for (const PortStatus& port : ports)
        row(port.name, port.device, YesNo(port.access), YesNo(port.inUse));
}

int RunPorts(ToolContext& context) {
    if (context.Options().Words().size() != 1) return UsageError("ports takes no arguments");
    const std::string folder = context.Options().Value("--dev").value_or("/dev");
    const std::vector<PortStatus> ports = PortStatus::List(PortEnumerator(folder));
    if (context.Json()) {
        nlohmann::json list = nlohmann::json::array();
        for (const PortStatus& port : ports)
            list.push_back(PortJson(port));
        std::cout << DumpJson(list, 2) << '\n';
        return 0;
    }
    if (ports.empty()) {
        std::cout << "no serial ports found in " << folder << '\n';
        return 0;
    }
    PrintTable(ports);
    return 0;
}

const CommandRegistration kPorts(
    {"ports",
     "ports [--json] [--dev DIR]      the serial ports found (in DIR, default /dev), each\n"
     "                                once under its by-id name: NAME (give it as --port),\n"
     "                                DEVICE (links followed), ACCESS (this user may open\n"
     "                                it), IN USE (another program holds it; ? unknown).\n"
     "                                JSON: [{\"name\", \"device\", \"access\": bool,\n"
     "                                \"inUse\": bool or null}]",
     {"--json", "--dev"},
     RunPorts});

}  // namespace

}  // namespace vg28::tool

#endif
