// The graph viewer on a script of 2 million points (100,000 records of 20 plotted channels,
// written by the terminal's own graph script writer): reading the script, and choosing the
// points to draw over a 1600-pixel-wide chart for the whole span and for a zoomed tenth of it.
// What is drawn is at most four points per pixel column whatever the size of the script.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "app/Profile.h"
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
// S1-S13 and S15-S21: S14 is never plotted.
constexpr int kChannels[20] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                               10, 11, 12, 14, 15, 16, 17, 18, 19, 20};

class BigScript {
public:
    BigScript() {
        profile.SetPath(folder.Path() + "bench.ini");
        const char* units[2] = {
            "\xB0"
            "C",
            "%"};
        for (int i = 0; i < 20; ++i) {
            SensorRecord sensor = EmptySensorRecord();
            CopyText(sensor.id, "Sensor " + std::to_string(i));
            CopyText(sensor.description, "Bench sensor");
            CopyText(sensor.units, units[i % 2]);
            sensor.precision = 2;
            sensor.minimum = -1000.0;
            sensor.maximum = 1000.0;
            sensors.Append(sensor);
        }
        auto doc = std::make_unique<CProjectDoc>(folder.Path(), profile, sensors);
        doc->ResetProject();
        for (int i = 0; i < 20; ++i)
            CopyText(doc->setup.sensorIds[kChannels[i]], "Sensor " + std::to_string(i));
        doc->SetPathName(doc->ProjectFilePath("bench"));
        doc->records.reserve(kRecordCount);
        MeasurementRecord record{};
        record.status[kFlagKws] = 1;
        record.status[kFlagKwsSmte] = 1;
        record.status[kFlagKwsSht] = 1;
        record.values[36].value = 1.0;
        for (int r = 0; r < kRecordCount; ++r) {
            const LocalTime local = LocalFromSeconds(1295364600 + std::int64_t{r} * 600);
            record.time = TimeStamp{};
            record.time.year = static_cast<std::uint16_t>(local.year);
            record.time.month = static_cast<std::uint8_t>(local.month);
            record.time.day = static_cast<std::uint8_t>(local.day);
            record.time.hour = static_cast<std::uint8_t>(local.hour);
            record.time.minute = static_cast<std::uint8_t>(local.minute);
            for (int i = 0; i < 20; ++i)
                record.values[kChannels[i]] = {20.0 + 10.0 * ((r * 7 + i * 13) % 100) / 100.0, 2,
                                               0};
            doc->InsertRecord(record);
        }
        if (WriteGraphScript(*doc, 0) == kFileOk)
            path = GraphScript::ScriptPathFor(doc->PathName());
        script = plotvane::GraphScriptReader('.').ReadFile(path).script;
    }

    bench::BenchFolder folder;
    Profile profile;
    SensorDatabase sensors;
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
