// Speed of the record download in the terminal itself: 10,000 records selected and read
// through the synchronization worker over SimulatedLine at line speed zero (every byte is there
// at once, waits pass on a fake clock), so the time measured is parsing, storing and appending.
// The counters also give, per record, what a real 9600-baud line costs for the same record
// line (10 bits per byte) and the ceiling that the worker's read pattern (three lines per
// 200 ms tick) puts on the download.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "base/Operator.h"
#include "base/Profile.h"
#include "link/LinePeer.h"
#include "link/PacketLink.h"
#include "link/SimulatedLine.h"
#include "platform/FakeClock.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"
#include "sensors/SensorDatabase.h"
#include "sync/HeadlessSyncDriver.h"
#include "sync/SyncWorker.h"
#include "sync/Synchronization.h"

namespace vg28 {
namespace {

constexpr int kRecords = 10000;

using bench::BenchFolder;

// A record line as the instrument sends it: eight inputs, the module channels and the flags.
std::string RecordLine(int i) {
    const int minutes = i * 10;
    char head[64];
    std::snprintf(head, sizeof head, "2011-%02d-%02d %02d:%02d:00", 1 + minutes / (60 * 24 * 28),
                  1 + (minutes / (60 * 24)) % 28, (minutes / 60) % 24, minutes % 60);
    std::string line = head;
    char item[48];
    for (int n : {1, 2, 3, 9, 10, 11, 16, 17}) {
        std::snprintf(item, sizeof item, ";S%d;%.2f", n, 10.0 + (i * 7 + n * 13) % 500 / 10.0);
        line += item;
    }
    line +=
        ";F:KWS-LW;0;F:KWS-FAN;1;F:KWS-MFAN;1;F:KWS-SHT;1;F:KWS-HSHT;0;F:KWS-SMTE;0;F:KWS;1;"
        "F:BL;0";
    return line;
}

// The instrument's side of a download at line speed zero: the selection is echoed, counted and
// answered with all its record lines at once.
class InstantInstrument final : public LinePeer {
public:
    explicit InstantInstrument(const std::vector<std::string>& lines) : m_lines(lines) {}

    void Receive(std::string_view bytes) override {
        m_input.append(bytes);
        for (std::size_t cr; (cr = m_input.find('\r')) != std::string::npos;) {
            const std::string request = m_input.substr(0, cr);
            m_input.erase(0, cr + 1);
            Answer(request);
        }
    }
    std::optional<std::int64_t> NextByteAt() override {
        if (m_out.empty()) return std::nullopt;
        return std::int64_t{0};
    }
    std::optional<unsigned char> TakeByte() override {
        if (m_out.empty()) return std::nullopt;
        const unsigned char byte = static_cast<unsigned char>(m_out.front());
        m_out.pop_front();
        return byte;
    }
    void SetDtr(bool) override {}

private:
    void Send(const std::string& line) { m_out.insert(m_out.end(), line.begin(), line.end()); }
    void Answer(const std::string& request) {
        if (request == "record") {
            Send("RECORD;" + std::to_string(m_lines.size()) + "\r");
        } else if (request.rfind("record;s;from;", 0) == 0) {
            std::string echo = request;
            for (char& c : echo)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            Send(echo + "\r");
            const std::string from = request.substr(14);
            std::size_t first = 0;
            while (first < m_lines.size() && m_lines[first].compare(0, 19, from) < 0)
                ++first;
            if (first == m_lines.size()) {
                Send("RECORD;S;Empty\r");
                return;
            }
            Send("RECORD;S;" + std::to_string(m_lines.size() - first) + "\r");
            for (std::size_t i = first; i < m_lines.size(); ++i)
                Send("RECORD;" + m_lines[i] + "\r");
        }
    }

    const std::vector<std::string>& m_lines;
    std::string m_input;
    std::deque<char> m_out;
};

class SilentOperator final : public Operator {
public:
    Answer Show(const OperatorMessage&) override { return Answer::No; }
};

void BM_DownloadRecords(benchmark::State& state) {
    std::vector<std::string> lines;
    std::size_t bytes = 0;
    for (int i = 0; i < kRecords; ++i) {
        lines.push_back(RecordLine(i));
        bytes += lines.back().size() + 8;  // "RECORD;" and CR
    }
    SensorDatabase sensors;
    // The shipped database beside the programs (bench/ and bin/ share the build folder).
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    sensors.Load((self.parent_path() / ".." / "bin" / "sensors.dat").string());
    for (auto _ : state) {
        state.PauseTiming();
        BenchFolder folder;
        Profile profile(folder.Path() + "vg28.ini");
        CProjectDoc doc(folder.Path(), profile, sensors);
        doc.SetPathName(doc.ProjectFilePath("Bench"));
        doc.SaveProject();
        FakeClock clock;
        PacketLink link(clock);
        link.SetState(&doc.m_rCurState);
        link.OpenLine(
            std::make_unique<SimulatedLine>(clock, std::make_shared<InstantInstrument>(lines)));
        InstrumentCommands commands(link, &doc);
        SilentOperator op;
        SyncEnvironment env{commands, doc, sensors, folder.Path() + "sensors.dat", op, clock, {}};
        doc.m_rCurState.connected = true;
        doc.m_rCurState.synchronized = true;
        doc.m_rCurState.step = 5;
        state.ResumeTiming();

        int count = 0;
        commands.SelectRecordsFrom(TimeStamp{}, count);
        doc.m_rCurState.downloadCount = count;
        HeadlessSyncDriver driver(clock, HeadlessSyncDriver::Policy::FailOnQuestion);
        const bool done = RunSynchronization(env, driver, SyncJob::Download);
        if (!done || doc.records.size() != static_cast<std::size_t>(kRecords))
            state.SkipWithError("download incomplete");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
    const double lineBytes = static_cast<double>(bytes) / kRecords;
    state.counters["record_bytes"] = lineBytes;
    // 8N1: ten bit times per byte at 9600 baud.
    state.counters["line_ms_per_record_9600"] = lineBytes * 10.0 / 9600.0 * 1000.0;
    // The worker reads at most three lines per 200 ms tick.
    state.counters["tick_ms_per_record"] = SyncWorker::kTickMs / 3.0;
    // Seconds of terminal time per record.
    state.counters["terminal_s_per_record"] =
        benchmark::Counter(static_cast<double>(state.iterations() * kRecords),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DownloadRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vg28
