// vg28-tool record parse LINE [--project NAME] [--json]: how the terminal reads one record line
// of the instrument; with a project, its sensors convert the raw soil-probe inputs and mark
// range ends.

#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "project/ProjectLibrary.h"
#include "sensors/SensorFormat.h"

namespace vg28::tool {

namespace {

void PrintRecord(const CProjectDoc& doc, const MeasurementRecord& record) {
    std::cout << "time\t" << TimeText(record.time) << '\n';
    for (int k = 0; k < kChannelCount; ++k) {
        const ChannelValue& cell = record.values[k];
        if (cell.value == 0.0 && cell.precision == 0 && cell.limitMark == 0) continue;
        std::cout << 'S' << k + 1 << '\t'
                  << (doc.HasProject() ? doc.FormatCell(cell, true) : DumpJson(cell.value)) << '\n';
    }
    for (int f = 0; f < kStatusCount; ++f) {
        if (record.status[f]) std::cout << kStatusFlagNames[f] << '\t' << record.status[f] << '\n';
    }
}

int RunRecord(ToolContext& context) {
    const auto& words = context.Options().Words();
    if (words.size() != 3 || words[1] != "parse")
        return UsageError("usage: record parse LINE [--project NAME] [--json]");
    CProjectDoc& doc = context.Doc();
    if (const auto project = context.Options().Value("--project")) {
        if (!context.LoadSensors()) return 1;
        const int code = context.OpenProject(*project);
        if (code != 0) return code;
    }

    MeasurementRecord record{};
    int mode = -1;
    if (!doc.ParseRecordLine(record, words[2], &mode)) {
        std::cerr << "The record line does not parse.\n";
        return 2;
    }
    if (doc.HasProject()) doc.MarkRecord(record);

    if (context.Json()) {
        nlohmann::json result = RecordJson(record);
        result["mode"] = mode < 0 ? nlohmann::json(nullptr) : nlohmann::json(mode);
        std::cout << DumpJson(result, 2) << '\n';
    } else {
        PrintRecord(doc, record);
        if (mode >= 0) std::cout << "MODE\t" << kModeNames[static_cast<std::size_t>(mode)] << '\n';
    }
    return 0;
}

const CommandRegistration kRecord(
    {"record",
     "record parse LINE [--project NAME] [--json]\n"
     "                                how a record line of the instrument reads",
     {"--json", "--project"},
     RunRecord});

}  // namespace

}  // namespace vg28::tool
