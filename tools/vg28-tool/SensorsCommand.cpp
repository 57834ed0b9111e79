// vg28-tool sensors [--json]: the sensor database in file order.

#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "sensors/MethodNames.h"
#include "sensors/SensorFormat.h"

namespace vg28::tool {

namespace {

int RunSensors(ToolContext& context) {
    if (context.Options().Words().size() != 1) return UsageError("sensors takes no arguments");
    if (!context.LoadSensors()) return 1;
    const SensorDatabase& sensors = context.Sensors();
    if (context.Json()) {
        nlohmann::json list = nlohmann::json::array();
        for (const SensorRecord& sensor : sensors.Records())
            list.push_back(SensorJson(sensor));
        std::cout << DumpJson(list, 2) << '\n';
        return 0;
    }
    for (const SensorRecord& sensor : sensors.Records()) {
        std::cout << TextCodec::Cp1251ToUtf8(TextOf(sensor.id)) << '\t'
                  << TextCodec::Cp1251ToUtf8(TextOf(sensor.type)) << '\t'
                  << TextCodec::Cp1251ToUtf8(TextOf(sensor.description)) << '\t'
                  << TextCodec::Cp1251ToUtf8(TextOf(sensor.units)) << '\t'
                  << FormatValue(sensor.minimum, sensor.precision, true) << ".."
                  << FormatValue(sensor.maximum, sensor.precision, true) << '\t'
                  << MethodName(sensor.method).value_or("?") << '\n';
    }
    return 0;
}

const CommandRegistration kSensors(
    {"sensors",
     "sensors [--json]                the sensor database in file order",
     {"--json"},
     RunSensors});

}  // namespace

}  // namespace vg28::tool
