#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "collect/CollectRig.h"
#include "collect/CollectorLine.h"
#include "collect/StopRequest.h"
#include "link/SimulatedLine.h"
#include "platform/FixedText.h"

namespace vg28::test {
namespace {

std::vector<NetDevice> AbcDevices() {
    return {CollectRig::Device("a", 1), CollectRig::Device("b", 2), CollectRig::Device("c", 3)};
}

// A line that raises the stop request once it has received that many bytes.
class StoppingLine final : public SerialLine {
public:
    StoppingLine(std::unique_ptr<SerialLine> line, std::uint64_t stopAfter)
        : m_line(std::move(line)), m_stopAfter(stopAfter) {}
    void Open(const LineSettings& settings) override { m_line->Open(settings); }
    int Close() override { return m_line->Close(); }
    bool IsOpen() const override { return m_line->IsOpen(); }
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t got = m_line->Read(buffer, count);
        m_received += got;
        if (m_received >= m_stopAfter) StopRequest::Raise();
        return got;
    }
    std::size_t Write(const void* data, std::size_t count) override {
        return m_line->Write(data, count);
    }
    void SetTimeouts(const SerialTimeouts& timeouts) override { m_line->SetTimeouts(timeouts); }
    void SetDtr() override { m_line->SetDtr(); }
    void ClearDtr() override { m_line->ClearDtr(); }
    void PurgeInput() override { m_line->PurgeInput(); }
    const std::string& Name() const override { return m_line->Name(); }

private:
    std::unique_ptr<SerialLine> m_line;
    std::uint64_t m_stopAfter;
    std::uint64_t m_received = 0;
};

// Guards against a round that leaves an instrument's project short of its records, mixes the
// instruments' records, stores one twice, names the file otherwise than the instrument's
// project, or writes anything to an instrument (project, mode or clock).
TEST(Collector, OneRoundTakesEveryInstrumentsProjectAndRecords) {
    CollectRig rig(CollectRig::ThreeInstruments(48), AbcDevices());
    const RoundResult round = rig.Round();
    EXPECT_TRUE(round.portOpened);
    EXPECT_TRUE(round.allCollected);
    EXPECT_FALSE(round.stopped);
    EXPECT_EQ(rig.afterDeviceCalls, 3);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const DeviceStatus& d = rig.Status(i);
        EXPECT_EQ(d.result, "ok");
        EXPECT_EQ(d.project, "Demo" + std::to_string(i + 1));
        EXPECT_EQ(d.records, 48);
        EXPECT_EQ(d.added, 48);
        EXPECT_EQ(d.mode, std::optional<std::string>("record"));
        EXPECT_EQ(d.clockOffset, std::optional<long long>(0));
        ASSERT_TRUE(d.lastRecord && d.nextRecord && d.lastContact);
        rig.ExpectProjectHoldsRecordsOf(d.project, i);
        // The project's inputs are the instrument's.
        const auto doc = rig.Project(d.project);
        ASSERT_TRUE(doc);
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(TextOf(doc->setup.sensorIds[n - 1]), rig.Instrument(i).Sensor(n).id) << n;
        EXPECT_EQ(doc->setup.period, rig.Instrument(i).Period());
    }
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
    EXPECT_FALSE(rig.network->Dtr()) << "the port was left with DTR raised";
    EXPECT_GT(round.bytesSent, 0u);
    EXPECT_GT(round.bytesReceived, round.bytesSent);
}

// Guards against a device that does not answer holding up the round longer than the search
// time, stopping the round, or being reported as collected; and against the search finding an
// instrument through another's radio address.
TEST(Collector, AbsentDeviceIsReportedAndTheOthersCollected) {
    CollectRig rig(CollectRig::ThreeInstruments(6),
                   {CollectRig::Device("a", 1), CollectRig::Device("x", 9),
                    CollectRig::Device("c", 3), CollectRig::Device("b", 7)});
    std::vector<std::int64_t> endedAt;
    const std::int64_t start = rig.clock.MonotonicMs();
    const RoundResult round = rig.Round(15);
    EXPECT_FALSE(round.allCollected);
    EXPECT_EQ(rig.Status(0).result, "ok");
    EXPECT_EQ(rig.Status(1).result, "no answer within 15 s");
    EXPECT_EQ(rig.Status(2).result, "ok");
    // "b" is on the line, but at radio address 2, not 7.
    EXPECT_EQ(rig.Status(3).result, "no answer within 15 s");
    EXPECT_FALSE(rig.Status(1).lastContact);
    EXPECT_TRUE(rig.Status(1).project.empty());
    rig.ExpectProjectHoldsRecordsOf("Demo1", 0);
    rig.ExpectProjectHoldsRecordsOf("Demo3", 2);
    EXPECT_FALSE(rig.Project("Demo2"));
    // Two searches of at most 15 s (and the tick that ends each) and two collections.
    EXPECT_LT(rig.clock.MonotonicMs() - start, 2 * 20000 + 2 * 30000);
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
}

// Guards against a later round downloading the records it already has again (or skipping
// some), and against the speed rule: with nothing changed, a round asks each instrument for
// its project name and configuration time only, not for its parameters or sensors.
TEST(Collector, SecondRoundTakesOnlyTheNewRecords) {
    CollectRig rig(CollectRig::ThreeInstruments(12), AbcDevices());
    ASSERT_TRUE(rig.Round().allCollected);
    rig.clock.Advance(30 * 60 * 1000);  // three more records each
    const std::size_t requestsBefore = rig.network->Requests().size();
    ASSERT_TRUE(rig.Round().allCollected);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rig.Status(i).added, 3);
        EXPECT_EQ(rig.Status(i).records, 15);
        rig.ExpectProjectHoldsRecordsOf(rig.Status(i).project, i);
    }
    const auto& requests = rig.network->Requests();
    for (std::size_t r = requestsBefore; r < requests.size(); ++r) {
        const std::string& request = requests[r];
        EXPECT_EQ(request.find("sensor;"), std::string::npos) << request;
        EXPECT_EQ(request.find("project;period"), std::string::npos) << request;
        EXPECT_EQ(request.find("project;f;"), std::string::npos) << request;
    }
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
}

// Guards against a stop in the middle of a download losing the records already received,
// leaving the port open with DTR raised, or the next run storing a record twice.
TEST(Collector, StopInTheMiddleOfADownloadThenANewRunHasEveryRecordOnce) {
    CollectRig rig(CollectRig::ThreeInstruments(300), AbcDevices());
    // The stop comes while the second instrument's records arrive.
    rig.wrapLine = [](std::unique_ptr<SerialLine> line) -> std::unique_ptr<SerialLine> {
        return std::make_unique<StoppingLine>(std::move(line), 300 * 150 + 20000);
    };
    const RoundResult stopped = rig.Round();
    EXPECT_TRUE(stopped.stopped);
    EXPECT_FALSE(stopped.allCollected);
    EXPECT_FALSE(rig.network->Dtr());
    EXPECT_EQ(rig.Status(0).result, "ok");
    EXPECT_EQ(rig.Status(1).result, "stopped");
    EXPECT_EQ(rig.Status(2).result, "not collected yet");
    const auto partial = rig.Project("Demo2");
    ASSERT_TRUE(partial);
    EXPECT_GT(partial->records.size(), 0u);
    EXPECT_LT(partial->records.size(), 300u);
    EXPECT_EQ(rig.Status(1).records, static_cast<long long>(partial->records.size()));

    StopRequest::Clear();
    rig.wrapLine = nullptr;
    // The instrument goes on sending the rest of its burst; the new run starts at once and
    // lets the line fall quiet before it talks.
    const RoundResult again = rig.Round();
    ASSERT_TRUE(again.allCollected) << rig.Status(0).LogLine() << "\n"
                                    << rig.Status(1).LogLine() << "\n"
                                    << rig.Status(2).LogLine();
    for (std::size_t i = 0; i < 3; ++i)
        rig.ExpectProjectHoldsRecordsOf(rig.Status(i).project, i);
    EXPECT_EQ(rig.Status(1).added, 300 - static_cast<int>(partial->records.size()));
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
}

// Guards against a configuration changed on the instrument (its period, a sensor) not reaching
// the PC's project, against the PC writing its own values back, and against the exact-time
// flag of an instrument that has it off being set from the PC.
TEST(Collector, ChangedConfigurationOnTheInstrumentIsTaken) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(6);
    config.instruments[1].exactTime = false;
    CollectRig rig(config, AbcDevices());
    ASSERT_TRUE(rig.Round().allCollected);
    rig.clock.Advance(5 * 60 * 1000);
    for (std::size_t i = 0; i < 2; ++i) {
        sim::SimInstrument& instrument = rig.Instrument(i);
        instrument.Handle("project;period;1;0;1200");
        instrument.Handle("sensor;clear;2");
    }
    rig.clock.Advance(2000);
    const RoundResult round = rig.Round();
    EXPECT_TRUE(round.allCollected) << rig.Status(0).result << " / " << rig.Status(1).result;
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto doc = rig.Project("Demo" + std::to_string(i + 1));
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->setup.period, 1200);
        EXPECT_EQ(TextOf(doc->setup.sensorIds[1]), rig.Instrument(i).Sensor(2).id);
        EXPECT_EQ(doc->setup.configTime.Seconds(), rig.Instrument(i).ConfigTime());
    }
    EXPECT_FALSE(rig.Instrument(1).ExactTime());
    EXPECT_EQ(rig.Project("Demo2")->setup.exactTime, 0);
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
}

// Guards against records lost, doubled or taken from another instrument when 1 % of the
// replies and of the record lines are lost, late, doubled, noisy, garbage or another
// instrument's. Each row is another fault sequence.
TEST(Collector, LineFaultsAtOnePercentLoseNothing) {
    for (const std::uint32_t seed : {4242u, 7u, 99u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        sim::SimNetworkConfig config = CollectRig::ThreeInstruments(500);
        // A record a day: none comes while the rounds run.
        for (sim::SimInstrumentConfig& instrument : config.instruments)
            instrument.period = 86400;
        config.faultEachLine = true;
        config.faultSeed = seed;
        for (const sim::FaultKind kind :
             {sim::FaultKind::Lost, sim::FaultKind::Late, sim::FaultKind::Doubled,
              sim::FaultKind::Noise, sim::FaultKind::Garbage, sim::FaultKind::Foreign}) {
            config.faults.perMille[static_cast<int>(kind)] = 2;
        }
        config.foreignName = "b";
        CollectRig rig(config, AbcDevices());
        int rounds = 0;
        bool all = false;
        while (!all && rounds < 3) {
            all = rig.Round().allCollected;
            ++rounds;
        }
        EXPECT_TRUE(all) << rig.Status(0).result << " / " << rig.Status(1).result << " / "
                         << rig.Status(2).result;
        for (std::size_t i = 0; i < 3; ++i)
            rig.ExpectProjectHoldsRecordsOf(rig.Status(i).project, i);
        EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
        int injected = 0;
        for (int k = 0; k < sim::kFaultKindCount; ++k)
            injected += rig.network->Faults().Injected(static_cast<sim::FaultKind>(k));
        EXPECT_GT(injected, 10);
        std::printf("[ figures  ] 1 %% line faults, seed %u: %d round(s), %d faults\n", seed,
                    rounds, injected);
    }
}

}  // namespace
}  // namespace vg28::test
