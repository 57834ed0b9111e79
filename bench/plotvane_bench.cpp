// The graph viewer on a script of 2 million points (100,000 records of 20 plotted channels,
// written by the terminal's own graph script writer): reading the script, and choosing the
// points to draw over a 1600-pixel-wide chart for the whole span and for a zoomed tenth of it.
// What is drawn is at most four points per pixel column whatever the size of the script.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchProject.h"
#include "base/Profile.h"
#include "graph/GraphScript.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "plotvane/core/GraphScriptReader.h"
#include "plotvane/core/PointDecimator.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {
namespace {

constexpr int kRecordCount = 100000;
constexpr int kChartColumns = 1600;
constexpr double kMegabyte = 1024.0 * 1024.0;
class BigScript {
public:
    BigScript()
        : project(kRecordCount, {"\xB0"
                                 "C",
                                 "%"}) {
        if (WriteGraphScript(*project.doc, 0) == kFileOk)
            path = GraphScript::ScriptPathFor(project.doc->PathName());
        script = plotvane::GraphScriptReader('.').ReadFile(path).script;
    }

    bench::BenchProject project;
    std::string path;
    plotvane::PlotScript script;
};

BigScript& Script() {
    static BigScript script;
    return script;
}

void BM_ReadScript(benchmark::State& state) {
    BigScript& big = Script();
    std::size_t points = 0;
    for (auto _ : state) {
        const plotvane::ReadResult result = plotvane::GraphScriptReader('.').ReadFile(big.path);
        points = result.script.PointCount();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = static_cast<double>(points);
    std::error_code error;
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(big.path, error)) / kMegabyte;
    state.counters["points_per_s"] =
        benchmark::Counter(static_cast<double>(points) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadScript)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg: the shown share of the span in per cent.
void BM_DecimateForChart(benchmark::State& state) {
    const plotvane::PlotScript& script = Script().script;
    double first = script.sensors.front().times.front();
    double last = script.sensors.front().times.back();
    const double x1 = first + (last - first) * static_cast<double>(state.range(0)) / 100.0;
    std::vector<plotvane::PlotPoint> out;
    std::size_t drawn = 0;
    for (auto _ : state) {
        drawn = 0;
        for (const plotvane::ScriptSensor& sensor : script.sensors) {
            plotvane::PointDecimator::Decimate(sensor.times, sensor.values, first, x1,
                                               kChartColumns, out);
            drawn += out.size();
        }
        benchmark::DoNotOptimize(drawn);
    }
    state.counters["points"] = static_cast<double>(script.PointCount());
    state.counters["drawn"] = static_cast<double>(drawn);
}
BENCHMARK(BM_DecimateForChart)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vg28
