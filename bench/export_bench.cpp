// Time and peak memory of the record export and of the graph script for a project of 100,000
// records with 20 plotted channels. Peak memory is the heap high-water mark above what was in
// use when the operation started (the records themselves are not counted), taken from this
// program's own operator new; it is reported with the size of the file written. The TinyXML
// tree that holds every point is measured beside the streamed script for comparison.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "BenchProject.h"
#include "base/Profile.h"
#include "graph/GraphScript.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "project/RecordExport.h"
#include "project/TableColumns.h"
#include "sensors/SensorDatabase.h"

namespace {

std::size_t g_inUse = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t size) {
    void* pointer = std::malloc(size ? size : 1);
    if (!pointer) throw std::bad_alloc();
    g_inUse += malloc_usable_size(pointer);
    g_peak = std::max(g_peak, g_inUse);
    return pointer;
}

void Release(void* pointer) {
    if (!pointer) return;
    g_inUse -= malloc_usable_size(pointer);
    std::free(pointer);
}

// Starts a measurement: the peak from now on, above the present use.
std::size_t StartPeak() {
    g_peak = g_inUse;
    return g_inUse;
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* pointer) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer) noexcept {
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Release(pointer);
}

namespace vg28 {
namespace {

constexpr int kRecordCount = 100000;
constexpr double kMegabyte = 1024.0 * 1024.0;

using bench::BenchProject;

BenchProject& Project() {
    static BenchProject project(kRecordCount, {"\xB0"
                                               "C",
                                               "%", "micromol/m2s", "kPa", "mm"});
    return project;
}

void Report(benchmark::State& state, std::size_t base, const std::string& path) {
    state.counters["peak_heap_MB"] = static_cast<double>(g_peak - base) / kMegabyte;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    state.counters["file_MB"] = error ? 0.0 : static_cast<double>(size) / kMegabyte;
}

void BM_ExportCsv(benchmark::State& state) {
    BenchProject& project = Project();
    const std::string path = project.folder.Path() + "bench.csv";
    std::size_t base = 0;
    for (auto _ : state) {
        base = StartPeak();
        TableColumns columns;
        columns.Build(*project.doc, 0, TableColumns::kAllColumns);
        benchmark::DoNotOptimize(ExportRecords(*project.doc, columns, path, 1));
    }
    Report(state, base, path);
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportFixedWidth(benchmark::State& state) {
    BenchProject& project = Project();
    const std::string path = project.folder.Path() + "bench.txt";
    std::size_t base = 0;
    for (auto _ : state) {
        base = StartPeak();
        TableColumns columns;
        columns.Build(*project.doc, 3, TableColumns::kAllColumns);
        benchmark::DoNotOptimize(ExportRecords(*project.doc, columns, path, 0));
    }
    Report(state, base, path);
}
BENCHMARK(BM_ExportFixedWidth)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GraphScriptStreamed(benchmark::State& state) {
    BenchProject& project = Project();
    std::size_t base = 0;
    for (auto _ : state) {
        base = StartPeak();
        benchmark::DoNotOptimize(WriteGraphScript(*project.doc, static_cast<int>(state.range(0))));
    }
    Report(state, base, GraphScript::ScriptPathFor(project.doc->PathName()));
}
BENCHMARK(BM_GraphScriptStreamed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same script through one TinyXML tree holding every point, printed to one string.
void BM_GraphScriptWholeTree(benchmark::State& state) {
    BenchProject& project = Project();
    std::size_t base = 0;
    std::size_t length = 0;
    for (auto _ : state) {
        base = StartPeak();
        const GraphScript script(*project.doc, 0);
        length = script.PrintDocument().size();
    }
    state.counters["peak_heap_MB"] = static_cast<double>(g_peak - base) / kMegabyte;
    state.counters["file_MB"] = static_cast<double>(length) / kMegabyte;
}
BENCHMARK(BM_GraphScriptWholeTree)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace vg28
