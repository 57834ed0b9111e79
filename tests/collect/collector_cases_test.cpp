#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collect/CollectRig.h"
#include "collect/StopRequest.h"
#include "link/SimulatedLine.h"

namespace vg28::test {
namespace {

std::vector<NetDevice> AbcDevices() {
    return {CollectRig::Device("a", 1), CollectRig::Device("b", 2), CollectRig::Device("c", 3)};
}

int Count(const std::vector<std::string>& requests, const std::string& prefix) {
    int n = 0;
    for (const std::string& request : requests)
        n += request.find(prefix) != std::string::npos ? 1 : 0;
    return n;
}

// Guards against the collector changing an instrument's mode (to be able to read it, or after
// a synchronization) and against the status giving a next record time for an instrument that
// does not record.
TEST(CollectorCases, ModeStaysAsItWasAndIsReported) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(4);
    config.instruments[0].mode = 1;
    config.instruments[2].mode = 3;
    CollectRig rig(config, AbcDevices());
    ASSERT_TRUE(rig.Round().allCollected);
    const char* modes[] = {"view", "record", "stop"};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rig.Status(i).mode, std::optional<std::string>(modes[i]));
        EXPECT_EQ(rig.Status(i).nextRecord.has_value(), i == 1);
        EXPECT_EQ(rig.Instrument(i).Mode(), config.instruments[i].mode);
    }
    EXPECT_EQ(Count(rig.network->Requests(), "mode;"), 0);
}

// Guards against the clock rule: only with --set-clock is a clock a minute or more off set;
// otherwise its offset (instrument minus PC) is only reported, and 59 s is never set.
TEST(CollectorCases, ClockIsSetOnlyWhenAllowedAndOffByAMinute) {
    const struct {
        int offset;
        bool setClock;
        bool expectSet;
    } rows[] = {{120, false, false},
                {120, true, true},
                {-75, true, true},
                {59, true, false},
                {-3600, false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.offset) + (row.setClock ? " --set-clock" : ""));
        sim::SimNetworkConfig config = CollectRig::ThreeInstruments(2);
        config.instruments.resize(1);
        config.instruments[0].clockOffset = row.offset;
        CollectRig rig(config, {CollectRig::Device("a", 1)});
        ASSERT_TRUE(rig.Round(15, row.setClock).allCollected) << rig.Status(0).result;
        EXPECT_EQ(Count(rig.network->Requests(), "time;"), row.expectSet ? 1 : 0);
        EXPECT_EQ(rig.Status(0).clockOffset,
                  std::optional<long long>(row.expectSet ? 0 : row.offset));
        const std::string log = rig.Status(0).LogLine();
        EXPECT_EQ(log.find("clock set") != std::string::npos, row.expectSet) << log;
    }
}

// Guards against an instrument whose clock lost its time being set without --set-clock (the
// desktop program sets it without asking) and its offset reported as 0.
TEST(CollectorCases, ClockWithoutValidTimeIsNotSetWithoutSetClock) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(2);
    config.instruments.resize(1);
    config.instruments[0].brokenClock = "1899-01-00 00:00:00";
    for (const bool setClock : {false, true}) {
        SCOPED_TRACE(setClock);
        CollectRig rig(config, {CollectRig::Device("a", 1)});
        rig.Round(15, setClock);
        EXPECT_EQ(Count(rig.network->Requests(), "time;"), setClock ? 1 : 0);
        EXPECT_EQ(rig.Status(0).clockOffset.has_value(), setClock);
    }
}

// Guards against the Em50 readings of a project that uses the Em50 being left on the logger
// when a round brings no new instrument record (the download, which the Em50 stage follows,
// does not run then).
TEST(CollectorCases, Em50StageRunsWithoutNewInstrumentRecords) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(3);
    config.instruments.resize(1);
    config.instruments[0].period = 3600;
    config.instruments[0].em50Flag = true;
    sim::SimEm50Config logger;
    logger.records = 4;
    logger.intervalMinutes = 5;
    config.instruments[0].em50 = logger;
    CollectRig rig(config, {CollectRig::Device("a", 1)});
    ASSERT_TRUE(rig.Round().allCollected) << rig.Status(0).result;
    EXPECT_EQ(rig.Status(0).em50Added, 4);
    const long long recordsBefore = rig.Status(0).records;
    const std::size_t instrumentRecords = rig.Instrument(0).Records().size();
    rig.clock.Advance(20 * 60 * 1000);  // 15:50: no record, four Em50 readings
    ASSERT_TRUE(rig.Round().allCollected) << rig.Status(0).result;
    ASSERT_EQ(rig.Instrument(0).Records().size(), instrumentRecords);
    EXPECT_EQ(rig.Status(0).em50Added, 4);
    // Readings of minutes without an instrument record are records of their own.
    EXPECT_EQ(rig.Status(0).records, recordsBefore + 4);
    EXPECT_EQ(rig.Status(0).added, 4);
    EXPECT_EQ(rig.Instrument(0).Em50()->Downloaded(), 8u);
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
}

// Guards against two instruments with one project name writing their records into one file:
// the second is refused, also in a later round in which the first does not answer.
TEST(CollectorCases, SecondInstrumentOfAProjectNameIsRefused) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(5);
    config.instruments[2].project = "Demo1";
    CollectRig rig(config, AbcDevices());
    EXPECT_FALSE(rig.Round().allCollected);
    EXPECT_EQ(rig.Status(0).result, "ok");
    EXPECT_EQ(rig.Status(1).result, "ok");
    EXPECT_NE(rig.Status(2).result.find("\"Demo1\" is that of a [1]"), std::string::npos)
        << rig.Status(2).result;
    rig.ExpectProjectHoldsRecordsOf("Demo1", 0);
    rig.devices = {CollectRig::Device("a", 9), CollectRig::Device("b", 2),
                   CollectRig::Device("c", 3)};
    rig.status = rig.status.ForDevices(rig.devices);
    rig.status.devices[0].project = "Demo1";  // what the status file kept of "a"
    rig.Round(5);
    EXPECT_NE(rig.Status(2).result.find("is that of"), std::string::npos) << rig.Status(2).result;
    rig.ExpectProjectHoldsRecordsOf("Demo1", 0);
}

// Guards against an instrument of another model being taken into a project, and against it
// stopping the round.
TEST(CollectorCases, WrongModelIsRefusedAndTheRoundGoesOn) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(3);
    config.instruments[0].model = "VG-16";
    CollectRig rig(config, AbcDevices());
    EXPECT_FALSE(rig.Round().allCollected);
    EXPECT_EQ(rig.Status(0).result, "not a VG-28");
    EXPECT_FALSE(rig.Project("Demo1"));
    EXPECT_EQ(rig.Status(1).result, "ok");
    EXPECT_EQ(rig.Status(2).result, "ok");
    rig.ExpectProjectHoldsRecordsOf("Demo3", 2);
}

// Guards against an instrument without a project giving the PC an empty one, and the round
// not going on to the next device on a port the failed synchronization closed.
TEST(CollectorCases, InstrumentWithoutProjectIsReported) {
    sim::SimNetworkConfig config = CollectRig::ThreeInstruments(3);
    config.instruments[1].project = "";
    CollectRig rig(config, AbcDevices());
    const RoundResult round = rig.Round();
    EXPECT_FALSE(round.allCollected);
    EXPECT_EQ(rig.Status(1).result.rfind("no project on the instrument", 0), 0u)
        << rig.Status(1).result;
    EXPECT_EQ(rig.Status(2).result, "ok");
    EXPECT_EQ(rig.WritingRequests(), std::vector<std::string>{});
}

// Guards against the one instrument on the direct line (no net.xcfg) not being collected.
TEST(CollectorCases, DirectLineWithoutNetworkFile) {
    sim::SimNetworkConfig config;
    config.instruments[0].records = 7;
    CollectRig rig(config, {});
    ASSERT_TRUE(rig.Round().allCollected) << rig.Status(0).result;
    ASSERT_EQ(rig.status.devices.size(), 1u);
    EXPECT_EQ(rig.Status(0).name, "");
    EXPECT_EQ(rig.Status(0).Label(), "direct line");
    rig.ExpectProjectHoldsRecordsOf("Demo", 0);
}

// Guards against a port that will not open being reported for no device, or a round
// reported as collected.
TEST(CollectorCases, PortThatWillNotOpenIsEveryDevicesResult) {
    CollectRig rig(CollectRig::ThreeInstruments(3), AbcDevices());
    rig.wrapLine = [&rig](std::unique_ptr<SerialLine> line) -> std::unique_ptr<SerialLine> {
        return std::make_unique<SimulatedLine>(rig.clock, nullptr, line->Name());
    };
    const RoundResult round = rig.Round();
    EXPECT_FALSE(round.portOpened);
    EXPECT_FALSE(round.allCollected);
    EXPECT_NE(round.portError.find("Ошибка подключения к порту simulated"), std::string::npos)
        << round.portError;
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(rig.Status(i).result.rfind("the port was not opened: ", 0), 0u);
    EXPECT_TRUE(rig.network->Requests().empty());
}

// Guards against --every starting rounds at another pace than its period (counted from each
// round's start) and against a stop between rounds not ending the loop.
TEST(CollectorCases, RoundsEveryPeriodUntilStopped) {
    CollectRig rig(CollectRig::ThreeInstruments(2), AbcDevices());
    CollectOptions options;
    options.port = "simulated";
    options.devices = rig.devices;
    Collector collector({rig.folder.Path(), rig.profile, rig.sensors, rig.clock,
                         [&rig](const std::string&) -> std::unique_ptr<SerialLine> {
                             return std::make_unique<SimulatedLine>(rig.clock, rig.network);
                         }},
                        options);
    CollectStatus status = CollectStatus{}.ForDevices(rig.devices);
    std::vector<std::int64_t> starts;
    std::int64_t roundStart = rig.clock.MonotonicMs();
    collector.RunRounds(600, status, {}, [&](const RoundResult& round, const CollectStatus& now) {
        EXPECT_TRUE(round.allCollected);
        starts.push_back(roundStart);
        if (starts.size() == 3) StopRequest::Raise();
        roundStart = rig.clock.MonotonicMs();
        (void)now;
    });
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(status.devices[0].records, 2 + 2);  // two more records in 20 minutes
}

}  // namespace
}  // namespace vg28::test
