// vg28-tool device info|mode [view|record|stop]|clock [--set]|data|sensor N|raw TEXT [--json]:
// one operation of the instrument's command set each, printing what it got; a failed operation
// exits with status 1.

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "ToolInstrument.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "protocol/ReplyGrammar.h"

namespace vg28::tool {

namespace {

constexpr int kFailed = 1;

int Failed(const std::string& what) {
    std::cerr << "vg28-tool: " << what << " failed\n";
    return kFailed;
}

std::string TimeText(const SystemTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.wYear},
                  unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                  unsigned{t.wSecond});
    return buffer;
}

std::string VersionText(std::uint32_t v) {
    return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
           std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

int Info(ToolContext& context, ToolInstrument& instrument) {
    std::string info;
    if (!instrument.Commands().QueryInfo(info)) return Failed("info");
    std::size_t cursor = 0;
    std::string model, identification;
    std::uint32_t version = 0;
    if (!ParseDeviceInfo(info, cursor, model, version, identification))
        return Failed("reading the device information");
    std::string moduleModel, moduleIdentification;
    std::uint32_t moduleVersion = 0;
    const bool hasModule =
        cursor < info.size() &&
        ParseDeviceInfo(info, cursor, moduleModel, moduleVersion, moduleIdentification) &&
        StartsWith(moduleModel, "KWS");
    if (context.Json()) {
        nlohmann::json result = {{"model", TextCodec::Cp1251ToUtf8(model)},
                                 {"firmwareVersion", version},
                                 {"identification", TextCodec::Cp1251ToUtf8(identification)},
                                 {"moduleModel", nullptr},
                                 {"moduleVersion", nullptr},
                                 {"moduleIdentification", nullptr}};
        if (hasModule) {
            result["moduleModel"] = TextCodec::Cp1251ToUtf8(moduleModel);
            result["moduleVersion"] = moduleVersion;
            result["moduleIdentification"] = TextCodec::Cp1251ToUtf8(moduleIdentification);
        }
        std::cout << DumpJson(result, 2) << '\n';
    } else {
        std::cout << TextCodec::Cp1251ToUtf8(model) << ' ' << VersionText(version) << " \""
                  << TextCodec::Cp1251ToUtf8(identification) << "\"\n";
        if (hasModule)
            std::cout << TextCodec::Cp1251ToUtf8(moduleModel) << ' ' << VersionText(moduleVersion)
                      << " \"" << TextCodec::Cp1251ToUtf8(moduleIdentification) << "\"\n";
    }
    return 0;
}

int Mode(ToolContext& context, ToolInstrument& instrument, const std::vector<std::string>& words) {
    if (words.size() > 3) return UsageError("usage: device mode [view|record|stop]");
    if (words.size() == 3) {
        const std::string& wanted = words[2];
        const int mode = wanted == "view" ? 1 : wanted == "record" ? 2 : wanted == "stop" ? 3 : -1;
        if (mode < 0) return UsageError("mode is view, record or stop");
        if (!instrument.Commands().SetMode(mode)) return Failed("setting the mode");
    }
    int mode = -1;
    if (!instrument.Commands().QueryMode(mode) || mode < 0 || mode > 3)
        return Failed("reading the mode");
    const std::string name(kModeNames[static_cast<std::size_t>(mode)]);
    if (context.Json())
        std::cout << DumpJson(nlohmann::json{{"mode", mode}, {"name", name}}, 2) << '\n';
    else
        std::cout << mode << ' ' << name << '\n';
    return 0;
}

int ClockCommand(ToolContext& context, ToolInstrument& instrument) {
    if (context.Options().Has("--set") && !instrument.Commands().SetClock())
        return Failed("setting the clock");
    SystemTime time;
    if (!instrument.Commands().QueryClock(time)) return Failed("reading the clock");
    if (context.Json())
        std::cout << DumpJson(nlohmann::json{{"time", TimeText(time)}}, 2) << '\n';
    else
        std::cout << TimeText(time) << '\n';
    return 0;
}

int Data(ToolContext& context, ToolInstrument& instrument) {
    if (!instrument.Commands().QueryCurrentData()) return Failed("reading the current data");
    const CurrentState& state = instrument.State();
    if (context.Json()) {
        nlohmann::json result = RecordJson(state.readings);
        result["mode"] = state.reportedMode;
        std::cout << DumpJson(result, 2) << '\n';
        return 0;
    }
    std::cout << "mode\t" << kModeNames[static_cast<std::size_t>(state.reportedMode & 3)] << '\n';
    for (int k = 0; k < kChannelCount; ++k) {
        const ChannelValue& cell = state.readings.values[k];
        if (cell.value != 0.0) std::cout << 'S' << k + 1 << '\t' << DumpJson(cell.value) << '\n';
    }
    for (int f = 0; f < kStatusCount; ++f)
        if (state.readings.status[f])
            std::cout << kStatusFlagNames[static_cast<std::size_t>(f)] << '\t'
                      << state.readings.status[f] << '\n';
    return 0;
}

int Sensor(ToolContext& context, ToolInstrument& instrument, const std::string& input) {
    char* end = nullptr;
    const long n = std::strtol(input.c_str(), &end, 10);
    if (input.empty() || *end || n < 1 || n > kChannelCount)
        return UsageError("the input is a number from 1 to 49");
    SensorRecord sensor;
    if (!instrument.Commands().QuerySensor(static_cast<int>(n), sensor))
        return Failed("reading sensor " + input);
    if (context.Json()) {
        std::cout << DumpJson(SensorJson(sensor), 2) << '\n';
    } else {
        const nlohmann::json fields = SensorJson(sensor);
        for (const auto& [key, value] : fields.items())
            std::cout << key << '\t' << DumpJson(value) << '\n';
    }
    return 0;
}

// Sends one request as it stands (a CR is added) and prints every line that comes back.
int Raw(ToolContext& context, ToolInstrument& instrument, const std::string& text) {
    std::string reply;
    if (!instrument.Link().Transact(text + "\r", reply, 1)) return Failed("the request");
    std::vector<std::string> lines = {reply};
    for (std::string more; instrument.Link().ReceiveLine(more);)
        lines.push_back(more);
    if (context.Json()) {
        nlohmann::json list = nlohmann::json::array();
        for (const std::string& line : lines)
            list.push_back(TextCodec::Cp1251ToUtf8(line));
        std::cout << DumpJson(nlohmann::json{{"lines", list}}, 2) << '\n';
    } else {
        for (const std::string& line : lines)
            std::cout << TextCodec::Cp1251ToUtf8(line) << '\n';
    }
    return 0;
}

int RunDevice(ToolContext& context) {
    const auto& words = context.Options().Words();
    const std::string sub = words.size() > 1 ? words[1] : "";
    const bool known = (sub == "info" || sub == "clock" || sub == "data") ? words.size() == 2
                       : sub == "mode"                                    ? words.size() <= 3
                       : (sub == "sensor" || sub == "raw")                ? words.size() == 3
                                                                          : false;
    if (!known)
        return UsageError(
            "usage: device info|mode [view|record|stop]|clock [--set]|data|sensor N|raw TEXT");
    if (context.Options().Has("--set") && sub != "clock") return UsageError("--set is for clock");

    ToolInstrument instrument(context);
    if (!instrument.Open()) return kFailed;
    if (sub == "info") return Info(context, instrument);
    if (sub == "mode") return Mode(context, instrument, words);
    if (sub == "clock") return ClockCommand(context, instrument);
    if (sub == "data") return Data(context, instrument);
    if (sub == "sensor") return Sensor(context, instrument, words[2]);
    return Raw(context, instrument, words[2]);
}

const CommandRegistration kDevice(
    {"device",
     "device info|mode [view|record|stop]|clock [--set]|data|sensor N|raw TEXT [--json]\n"
     "                                one operation of the instrument (--port PATH|simulator,\n"
     "                                --address NAME for an instrument on a radio network)",
     {"--json", "--set", "--port", "--address"},
     RunDevice});

}  // namespace

}  // namespace vg28::tool
