// Fuzz target: the graph viewer's script reader, fed the input as a script. Whatever it holds,
// a script that reads has every sensor's times and values paired, in ascending time and finite,
// the kept issues within their bound, and a failure names what it found.

#include <algorithm>
#include <cmath>

#include "FuzzSupport.h"
#include "plotvane/core/GraphScriptReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vg28::plotvane;
    const ReadResult result = GraphScriptReader(',').ReadText(vg28::fuzz::AsText(data, size));
    if (!result.Ok()) {
        FUZZ_CHECK(result.line >= 0);
        return 0;
    }
    const PlotScript& script = result.script;
    FUZZ_CHECK(script.issues.size() <= PlotScript::kKeptIssues);
    FUZZ_CHECK(script.issues.size() <= script.issueCount);
    std::size_t points = 0;
    for (const ScriptSensor& sensor : script.sensors) {
        FUZZ_CHECK(sensor.times.size() == sensor.values.size());
        FUZZ_CHECK(std::is_sorted(sensor.times.begin(), sensor.times.end()));
        for (std::size_t i = 0; i < sensor.values.size(); ++i)
            FUZZ_CHECK(std::isfinite(sensor.times[i]) && std::isfinite(sensor.values[i]));
        points += sensor.times.size();
    }
    FUZZ_CHECK(points == script.PointCount());
    return 0;
}
