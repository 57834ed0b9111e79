// Speed of the project file and of record lines: load and save of a project of 100,000
// records, ParseRecordLine on realistic instrument lines, and AddRecordLine (parse, mark,
// append to the file, keep the order) on a project of 100,000 records.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "base/Profile.h"
#include "platform/AtomicFile.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {
namespace {

constexpr int kRecordCount = 100000;

using bench::BenchFolder;

// A catalogue of realistic size with sensors on the instrument's and the module's inputs.
SensorDatabase MakeSensors() {
    SensorDatabase sensors;
    for (int i = 0; i < 60; ++i) {
        SensorRecord record = EmptySensorRecord();
        CopyText(record.id, "Sensor " + std::to_string(i));
        CopyText(record.type, "T");
        record.precision = 2;
        record.maximum = 100.0;
        record.coefficients[1] = 1.0;
        sensors.Append(record);
    }
    return sensors;
}

void AssignSensors(CProjectDoc& doc) {
    for (int k = 0; k < 15; ++k)
        CopyText(doc.setup.sensorIds[k], "Sensor " + std::to_string(k * 4));
}

// The items of a line as the instrument sends it: eight inputs, the module's seven, two
// computed values, the status flags and the mode.
std::string LineItems(long index) {
    std::string items;
    char item[64];
    for (int n = 1; n <= 17; ++n) {
        std::snprintf(item, sizeof item, ";S%d;%.3f", n, 12.345 + n * 1.5 + (index % 100) * 0.01);
        items += item;
    }
    items += ";F:KWS-LW;0;F:KWS-FAN;1;F:KWS-MFAN;1;F:KWS-SHT;1;F:KWS-HSHT;0;F:KWS-SMTE;1;F:KWS;1";
    items += ";F:BL;0;MODE;START";
    return items;
}

// The time stamp of the index-th minute from 2011-01-01 00:00 (28-day months).
std::string Stamp(long minutes) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04ld-%02ld-%02ld %02ld:%02ld:00", 2011 + minutes / 483840,
                  1 + minutes / 40320 % 12, 1 + minutes / 1440 % 28, minutes / 60 % 24,
                  minutes % 60);
    return stamp;
}

std::string RecordLine(long index) {
    return Stamp(index) + LineItems(index);
}

struct Project {
    BenchFolder folder;
    Profile profile{folder.Path() + "bench.ini"};
    SensorDatabase sensors = MakeSensors();
    CProjectDoc doc{folder.Path(), profile, sensors};

    explicit Project(int records) {
        AssignSensors(doc);
        doc.records.reserve(records);
        for (int i = 0; i < records; ++i) {
            MeasurementRecord record{};
            doc.ParseRecordLine(record, RecordLine(i), nullptr);
            doc.MarkRecord(record);
            doc.records.push_back(record);
        }
        doc.SetPathName(doc.ProjectFilePath("bench"));
        doc.SaveProject();
    }
};

// Arg 0: the document's record array is reused from the previous load (the usual case while
// the program runs); arg 1: a new document each time, so the memory is fresh as on a first load.
void BM_LoadProject(benchmark::State& state) {
    Project project(kRecordCount);
    const std::string path = project.doc.PathName();
    for (auto _ : state) {
        if (state.range(0)) {
            CProjectDoc fresh(project.folder.Path(), project.profile, project.sensors);
            if (fresh.LoadProject(path) != kFileOk) state.SkipWithError("load failed");
            benchmark::DoNotOptimize(fresh.records.data());
        } else {
            if (project.doc.LoadProject(path) != kFileOk) state.SkipWithError("load failed");
            benchmark::DoNotOptimize(project.doc.records.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(5952 + 832LL * kRecordCount));
}
BENCHMARK(BM_LoadProject)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The yardstick for loading: reading the same file into a buffer of its size; arg as above.
void BM_ReadFileOnly(benchmark::State& state) {
    Project project(kRecordCount);
    const std::string path = project.doc.PathName();
    const std::size_t size = 5952 + 832ULL * kRecordCount;
    std::vector<char> reused(size);
    for (auto _ : state) {
        std::vector<char> fresh(state.range(0) ? size : 0);
        char* buffer = state.range(0) ? fresh.data() : reused.data();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (ReadFully(fd, buffer, size) != static_cast<long long>(size))
            state.SkipWithError("read failed");
        ::close(fd);
        benchmark::DoNotOptimize(buffer);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_ReadFileOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& state) {
    Project project(kRecordCount);
    for (auto _ : state) {
        if (project.doc.SaveProject() != kFileOk) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(5952 + 832LL * kRecordCount));
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_ParseRecordLine(benchmark::State& state) {
    Project project(0);
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i)
        lines.push_back(RecordLine(i * 37));
    std::size_t bytes = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        MeasurementRecord record{};
        int mode = 0;
        const std::string& line = lines[next];
        benchmark::DoNotOptimize(project.doc.ParseRecordLine(record, line, &mode));
        benchmark::DoNotOptimize(record);
        bytes += line.size();
        next = next + 1 == lines.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ParseRecordLine);

// Each new line is the newest record: append to memory and to the file.
void BM_AddRecordLine(benchmark::State& state) {
    Project project(kRecordCount);
    const std::string items = LineItems(7);
    long index = kRecordCount;
    for (auto _ : state) {
        int added = 0;
        if (!project.doc.AddRecordLine(Stamp(index++) + items, added)) state.SkipWithError("parse");
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["records"] = static_cast<double>(project.doc.records.size());
}
BENCHMARK(BM_AddRecordLine);

// A late record (older than the newest, as merged logger data can be): it has to move into
// place, which costs a move of the newer part of the array.
void BM_AddRecordLineLate(benchmark::State& state) {
    Project project(kRecordCount);
    const std::string items = LineItems(7);
    long index = kRecordCount / 2;
    for (auto _ : state) {
        int added = 0;
        if (!project.doc.AddRecordLine(Stamp(index++) + items, added)) state.SkipWithError("parse");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddRecordLineLate);

}  // namespace
}  // namespace vg28
