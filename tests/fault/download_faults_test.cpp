#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "sync/SyncRig.h"

namespace vg28::test {
namespace {

using sim::FaultKind;
using Policy = HeadlessSyncDriver::Policy;

// Our instrument and another one on the radio network, each with records of its own.
sim::SimNetworkConfig NetworkOfTwo(int records, bool eachLine, std::uint32_t faultSeed) {
    sim::SimNetworkConfig config;
    config.instruments[0].name = "gh1";
    config.instruments[0].records = records;
    config.instruments[0].seed = 5;
    sim::SimInstrumentConfig other = config.instruments[0];
    other.name = "VG-OTHER";
    other.project = "Theirs";
    other.seed = 77;
    other.clockOffset = -1800;
    config.instruments.push_back(other);
    config.foreignName = other.name;
    config.faultEachLine = eachLine;
    config.faultSeed = faultSeed;
    return config;
}

// Single record lines lost, late or doubled, lines of the other instrument, noise, garbage.
sim::FaultRates LineRates() {
    sim::FaultRates rates;
    rates.perMille[static_cast<int>(FaultKind::Lost)] = 10;
    rates.perMille[static_cast<int>(FaultKind::Late)] = 10;
    rates.perMille[static_cast<int>(FaultKind::Doubled)] = 10;
    rates.perMille[static_cast<int>(FaultKind::Foreign)] = 30;
    rates.perMille[static_cast<int>(FaultKind::Noise)] = 10;
    rates.perMille[static_cast<int>(FaultKind::Garbage)] = 5;
    return rates;
}

// 2,000 records through the synchronization worker over a radio line with the given faults:
// every record of the instrument once, equal to the instrument's, none of the other
// instrument's, and the project file the same as the document.
void DownloadTwoThousandRecords(const std::vector<FaultKind>& forced, bool eachLine,
                                std::uint32_t faultSeed = 2828) {
    SyncRig rig(NetworkOfTwo(2000, eachLine, faultSeed));
    CopyText(rig.State().address, "gh1");
    rig.CreatePcProject("Demo");
    rig.State().synchronized = true;
    for (const FaultKind kind : forced)
        rig.network->Faults().Force(kind);
    if (eachLine) rig.network->Faults().SetRates(LineRates());
    const std::int64_t startMs = rig.clock.MonotonicMs();
    int count = 0;
    for (int i = 0; i < 20 && count == 0; ++i)
        if (!rig.commands->SelectRecordsFrom(TimeStamp{}, count)) count = 0;
    ASSERT_EQ(count, 2000);
    rig.State().downloadCount = count;
    ASSERT_TRUE(rig.Run(Policy::FailOnQuestion, SyncJob::Download));
    EXPECT_EQ(rig.Worker().Result(), SyncWorker::kResultDone);
    const double seconds = (rig.clock.MonotonicMs() - startMs) / 1000.0;

    // Every record of the instrument (it went on recording meanwhile), once, in order, equal.
    const auto& instrument = rig.Instrument().Records();
    ASSERT_GE(rig.doc->records.size(), 2000u);
    ASSERT_LE(rig.doc->records.size(), instrument.size());
    std::set<std::string> times;
    for (std::size_t i = 0; i < rig.doc->records.size(); ++i) {
        MeasurementRecord expected{};
        ASSERT_TRUE(rig.doc->ParseRecordLine(expected, instrument[i], nullptr));
        rig.doc->MarkRecord(expected);
        ASSERT_EQ(std::memcmp(&rig.doc->records[i], &expected, sizeof expected), 0)
            << "record " << i << " differs from " << instrument[i];
        EXPECT_TRUE(times.insert(CProjectDoc::FormatRecordTime(expected.time, false)).second);
    }
    CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
    ASSERT_EQ(reread.LoadProject(rig.folder.File("Demo.phj")), kFileOk);
    ASSERT_EQ(reread.records.size(), rig.doc->records.size());
    EXPECT_EQ(std::memcmp(reread.records.data(), rig.doc->records.data(),
                          reread.records.size() * sizeof(MeasurementRecord)),
              0);
    const sim::SimFaults& faults = rig.network->Faults();
    std::printf(
        "[ figures  ] %zu records in %.0f s of line time; faults: %d lost, %d late, %d "
        "doubled, %d foreign, %d noise, %d garbage\n",
        rig.doc->records.size(), seconds, faults.Injected(FaultKind::Lost),
        faults.Injected(FaultKind::Late), faults.Injected(FaultKind::Doubled),
        faults.Injected(FaultKind::Foreign), faults.Injected(FaultKind::Noise),
        faults.Injected(FaultKind::Garbage));
}

// Guards against records lost, stored twice, taken from another instrument or differing from
// the instrument's when the replies of a download are lost, late, doubled, noisy or come among
// other lines. Each row forces its faults on the first replies of the download.
TEST(DownloadFaults, TwoThousandRecordsOverAFaultyLine) {
    const std::vector<std::vector<FaultKind>> rows = {
        {FaultKind::Lost},
        {FaultKind::Late},
        {FaultKind::Doubled},
        {FaultKind::Foreign},
        {FaultKind::Noise},
        {FaultKind::Garbage},
        {FaultKind::Echo},
        {FaultKind::Lost, FaultKind::Late, FaultKind::Doubled, FaultKind::Foreign},
    };
    for (std::size_t row = 0; row < rows.size(); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        ASSERT_NO_FATAL_FAILURE(DownloadTwoThousandRecords(rows[row], false));
    }
}

// Guards against records lost when faults hit single record lines inside the burst: a lost
// line leaves a gap among newer records, a late one holds up the rest, and a query sent
// meanwhile must not take a record line for its answer. Each row is another fault sequence.
TEST(DownloadFaults, FaultsInsideTheRecordStream) {
    for (const std::uint32_t seed : {2828u, 7u, 4242u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ASSERT_NO_FATAL_FAILURE(DownloadTwoThousandRecords({}, true, seed));
    }
}

}  // namespace
}  // namespace vg28::test
