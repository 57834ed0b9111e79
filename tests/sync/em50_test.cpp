#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "support/TestProject.h"
#include "sync/Em50Protocol.h"
#include "sync/SyncDialogDriver.h"
#include "sync/SyncRig.h"

namespace vg28 {
namespace {

using test::SyncRig;

// Guards against wrong masks, shifts or scales in the decoding of each port type.
TEST(Em50Decoding, PortTypes) {
    const struct {
        const char* name;
        int type;
        std::uint32_t raw;
        int index;
        double value;
    } cases[] = {
        {"159 temperature", 159, 206400, 1, 24.45},
        {"159 humidity", 159, 206400, 2, 26.5593},
        {"159 no answer", 159, 0, 1, 0.0},
        {"250 radiation", 250, 1000, 0, 1831.0546875},
        {"186 direction", 186, 10496858, 6, 429.0},
        {"186 gust", 186, 10496858, 7, 1.006},
        {"186 speed", 186, 10496858, 8, 1.006},
        {"187 rain scaled", 187, 0x0001000A, 9, 2.0},
        {"189 rain counted", 189, 0x0001000A, 9, 10.0},
        {"222 first counter", 222, (500u << 22) | (300u << 11) | 17u, 12, 17.0},
        {"222 second counter", 222, (500u << 22) | (300u << 11) | 17u, 15, 300.0},
        {"222 wetness", 222, (500u << 22) | (300u << 11) | 17u, 18, 500.0},
        {"unknown type", 42, 0xFFFFFFFF, 1, 0.0},
    };
    for (const auto& c : cases) {
        Em50Values values{};
        Em50Protocol::DecodePort(c.type, c.raw, values);
        EXPECT_NEAR(values[static_cast<std::size_t>(c.index)], c.value, 1e-9) << c.name;
    }
}

// Guards against values decoded by the wrong port, a time read wrongly, or a short or
// malformed line that is not cut off where its values end.
TEST(Em50Decoding, RecordLines) {
    const Em50Protocol::Ports ports = {250, 159, 0, 187, 186};
    const Em50Record full =
        Em50Protocol::DecodeRecord("348000000,1000,206400,7,10,10496858\r", ports);
    EXPECT_EQ(full.time, 348000000u);
    EXPECT_NEAR(full.values[0], 1831.0546875, 1e-9);
    EXPECT_NEAR(full.values[1], 24.45, 1e-9);
    EXPECT_NEAR(full.values[9], 2.0, 1e-9);
    EXPECT_NEAR(full.values[6], 429.0, 1e-9);
    const Em50Record cut = Em50Protocol::DecodeRecord("12,1000;206400,7", ports);
    EXPECT_EQ(cut.time, 12u);
    EXPECT_NEAR(cut.values[0], 1831.0546875, 1e-9);
    EXPECT_EQ(cut.values[1], 0.0);
}

// Guards against port codes that set the wrong channels, clear the wrong ones, or report a
// change when nothing new was written.
TEST(Em50Decoding, PortTypesSetChannelIds) {
    ProjectSetup setup{};
    CopyText(setup.sensorIds[23], "Em50/WD");
    CopyText(setup.sensorIds[26], "old");
    EXPECT_TRUE(Em50Protocol::ApplyPortTypes({159, 0, 0, 0, 0}, setup));
    for (int k : {15, 16, 18, 19, 36})
        EXPECT_FALSE(TextOf(setup.sensorIds[k]).empty()) << k;
    EXPECT_EQ(TextOf(setup.sensorIds[19]), "Em50/RH");
    EXPECT_EQ(TextOf(setup.sensorIds[23]), "Em50/WD");
    EXPECT_EQ(TextOf(setup.sensorIds[26]), "old");
    EXPECT_FALSE(Em50Protocol::ApplyPortTypes({159, 0, 0, 0, 0}, setup));
    EXPECT_TRUE(Em50Protocol::ApplyPortTypes({187, 0, 0, 0, 0}, setup));
    EXPECT_TRUE(TextOf(setup.sensorIds[26]).empty());
    EXPECT_EQ(TextOf(setup.sensorIds[28]), "Em50/Prec D");
}

// Guards against the merge rules: the minute match, the predecessor, interval amounts with
// reset and noise, daily sums, VPD and dew point.
class Em50Merge : public ::testing::Test {
protected:
    test::TestProject fixture;
    CProjectDoc& doc = *fixture.doc;

    static std::uint32_t LoggerTime(int year, int month, int day, int hour, int minute,
                                    int second) {
        LocalTime t{year, month, day, hour, minute, second};
        return static_cast<std::uint32_t>(SecondsFromLocal(t) - 946684800);
    }
    void AddInstrumentRecord(int hour, int minute, int second) {
        MeasurementRecord r{};
        r.time = TimeStamp::FromSeconds(SecondsFromLocal({2011, 1, 18, hour, minute, second}));
        doc.InsertRecord(r);
    }
    static Em50Values Reading(double counter, double battery = 5000.0) {
        Em50Values v{};
        v[9] = counter;
        v[19] = battery;
        return v;
    }
};

// Guards against a reading that starts a new record beside the instrument record of its
// minute, or merges into the wrong one of two.
TEST_F(Em50Merge, SameMinuteMergesIntoLatestRecord) {
    for (int second : {0, 59}) {
        doc.records.clear();
        AddInstrumentRecord(12, 30, second);
        EXPECT_EQ(doc.AddEm50Data(LoggerTime(2011, 1, 18, 12, 30, 40), Reading(1.0)), 1);
        ASSERT_EQ(doc.records.size(), 1u) << second;
        EXPECT_EQ(doc.records[0].values[36].value, 5000.0);
        EXPECT_EQ(doc.records[0].time.second, second);
    }
    AddInstrumentRecord(12, 30, 20);
    doc.AddEm50Data(LoggerTime(2011, 1, 18, 12, 30, 40), Reading(2.0, 4000.0));
    EXPECT_EQ(doc.records.back().values[36].value, 4000.0);
    EXPECT_EQ(doc.FindRecord(doc.records[0].time.DateWord(), doc.records[0].time.TimeWord(),
                             CProjectDoc::kFindExact),
              static_cast<int>(doc.records.size()) - 1);
    EXPECT_EQ(doc.AddEm50Data(0, Reading(0.0)), 1);
    EXPECT_EQ(doc.records.front().time.year, 2000);
    EXPECT_EQ(doc.records.front().time.hour, 0);
}

// Guards against interval amounts taken from a record without logger data, and counters that
// are not read as reset, unchanged or grown.
TEST_F(Em50Merge, IntervalAmountsFromCounters) {
    const struct {
        double before;
        double now;
        double interval;
    } cases[] = {{12.0, 12.0005, 0.0}, {12.0, 3.0, 3.0}, {12.0, 14.5, 2.5}};
    for (const auto& c : cases) {
        doc.records.clear();
        doc.AddEm50Data(LoggerTime(2011, 1, 18, 10, 0, 0), Reading(c.before));
        doc.AddEm50Data(LoggerTime(2011, 1, 18, 10, 10, 0), Reading(c.now));
        ASSERT_EQ(doc.records.size(), 2u);
        EXPECT_NEAR(doc.records[1].values[27].value, c.interval, 1e-9) << c.now;
        EXPECT_NEAR(doc.records[1].values[26].value, c.now, 1e-9);
    }
    // A predecessor without logger data does not count.
    doc.records.clear();
    AddInstrumentRecord(10, 0, 0);
    doc.records[0].values[26].value = 100.0;
    Em50Values first = Reading(12.0);
    first[10] = 0.7;
    doc.AddEm50Data(LoggerTime(2011, 1, 18, 10, 10, 0), first);
    EXPECT_NEAR(doc.records.back().values[27].value, 0.7, 1e-9);
}

// Guards against daily precipitation sums that miss records of the day, count other days, or
// count a record twice when a reading merges into it. The rain counter goes through the code
// under test; the expected interval amounts and daily sums are worked out here from the counter
// alone.
TEST_F(Em50Merge, DailySums) {
    const struct {
        int day, hour, minute, second;
        double counter;
    } readings[] = {
        {17, 23, 40, 0, 2.0},  // the first reading: no predecessor
        {17, 23, 50, 0, 6.0},  // the day before, must not count on the 18th
        {18, 0, 10, 0, 7.0},  {18, 0, 20, 0, 9.0},
        {18, 0, 30, 0, 12.0}, {18, 0, 30, 30, 12.0},  // merges into the record of 00:30
        {18, 0, 40, 0, 1.5},                          // the counter was reset
    };
    constexpr double kFirstInterval = 0.4;  // the logger's own amount for the first reading

    // The records as they should be: minute, day, counter and interval amount, in time order.
    struct Expected {
        int minuteKey, day;
        double counter, interval;
    };
    std::vector<Expected> expected;
    for (const auto& r : readings) {
        SCOPED_TRACE(std::to_string(r.day) + " " + std::to_string(r.hour) + ":" +
                     std::to_string(r.minute) + ":" + std::to_string(r.second));
        Em50Values v = Reading(r.counter);
        if (expected.empty()) v[10] = kFirstInterval;
        doc.AddEm50Data(LoggerTime(2011, 1, r.day, r.hour, r.minute, r.second), v);

        // A reading of a stored minute goes into that record, and is taken against the one
        // before it; a new one against the last record.
        const int minuteKey = (r.day * 24 + r.hour) * 60 + r.minute;
        const bool merged = !expected.empty() && expected.back().minuteKey == minuteKey;
        if (!merged) expected.push_back({minuteKey, r.day, 0.0, 0.0});
        Expected& e = expected.back();
        const std::size_t at = expected.size() - 1;
        e.counter = r.counter;
        if (at == 0) {
            e.interval = kFirstInterval;
        } else {
            const double before = expected[at - 1].counter;
            e.interval = r.counter < before ? r.counter : r.counter - before;
        }
        double dayTotal = 0.0;
        for (const Expected& x : expected)
            if (x.day == r.day) dayTotal += x.interval;

        const MeasurementRecord& stored = doc.records.back();
        EXPECT_EQ(stored.time.day, r.day);
        EXPECT_EQ(stored.time.minute, r.minute);
        EXPECT_NEAR(stored.values[26].value, r.counter, 1e-9);
        EXPECT_NEAR(stored.values[27].value, e.interval, 1e-9);
        EXPECT_NEAR(stored.values[28].value, dayTotal, 1e-9);
    }
    ASSERT_EQ(doc.records.size(), std::size(readings) - 1);
    // The sums in figures: 0.4 + 4 on the 17th; 1 + 2 + 3 + 1.5 on the 18th.
    EXPECT_NEAR(doc.records[1].values[28].value, 4.4, 1e-9);
    EXPECT_NEAR(doc.records.back().values[28].value, 7.5, 1e-9);
}

// Guards against wrong VPD and dew-point formulas, or channels written for no humidity.
TEST_F(Em50Merge, VapourPressureDeficitAndDewPoint) {
    Em50Values v = Reading(0.0);
    v[1] = 20.0;
    v[2] = 50.0;
    doc.AddEm50Data(LoggerTime(2011, 1, 18, 9, 0, 0), v);
    EXPECT_NEAR(doc.records.back().values[15].value, 1.17, 0.01);
    EXPECT_NEAR(doc.records.back().values[16].value, 9.3, 0.05);
    v[2] = 0.0;
    doc.AddEm50Data(LoggerTime(2011, 1, 18, 9, 10, 0), v);
    EXPECT_EQ(doc.records.back().values[15].value, 0.0);
    EXPECT_EQ(doc.records.back().values[16].value, 0.0);
}

// Guards against an Em50 download that stops early, stores the "0 80" end of data as a
// reading, or never commits what it took.
TEST(Em50Download, ReadsEveryNewRecordAndCommits) {
    sim::SimNetworkConfig config;
    sim::SimEm50Config logger;
    logger.records = 3;
    config.instruments[0].em50 = logger;
    config.instruments[0].em50Flag = true;
    SyncRig rig(config);
    rig.CreatePcProject("Demo");
    rig.doc->setup.em50 = 1;
    rig.State().downloadCount = 0;
    SyncWorker* worker = nullptr;
    ASSERT_TRUE(rig.Run(HeadlessSyncDriver::Policy::FailOnQuestion, SyncJob::Em50, worker));
    EXPECT_EQ(worker->Em50RecordsFetched(), 3);
    EXPECT_EQ(rig.Instrument().Em50()->Downloaded(), 3u);
    EXPECT_TRUE(rig.Requested("xdev;dump -write"));
    ASSERT_EQ(rig.doc->records.size(), 3u);
    for (const MeasurementRecord& r : rig.doc->records) {
        EXPECT_GT(r.time.year, 2010);
        EXPECT_EQ(r.values[36].value, 5234.0);
        EXPECT_GT(r.values[19].value, 30.0);  // plausible humidity
        EXPECT_LT(r.values[19].value, 95.0);
        EXPECT_GT(r.values[18].value, 5.0);  // plausible air temperature
        EXPECT_LT(r.values[18].value, 35.0);
        EXPECT_GT(r.values[15].value, 0.0);  // VPD derived
    }
    EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[17]), "Em50/PYR");
    CProjectDoc reread(rig.folder.Path(), rig.profile, rig.sensors);
    ASSERT_EQ(reread.LoadProject(rig.folder.File("Demo.phj")), kFileOk);
    EXPECT_EQ(reread.records.size(), 3u);
    EXPECT_EQ(TextOf(reread.setup.sensorIds[36]), "Em50/BATT");
}

// Guards against a port list of five zero codes (every port empty) taken for a failed reply:
// the battery channel must still be set and the logger's records fetched.
TEST(Em50Download, EmptyPortsStillFetchRecordsWithBattery) {
    sim::SimNetworkConfig config;
    sim::SimEm50Config logger;
    logger.records = 2;
    logger.ports = {0, 0, 0, 0, 0};
    config.instruments[0].em50 = logger;
    config.instruments[0].em50Flag = true;
    SyncRig rig(config);
    rig.CreatePcProject("Demo");
    rig.doc->setup.em50 = 1;
    const ProjectSetup before = rig.doc->setup;
    rig.State().downloadCount = 0;
    SyncWorker* worker = nullptr;
    ASSERT_TRUE(rig.Run(HeadlessSyncDriver::Policy::FailOnQuestion, SyncJob::Em50, worker));
    EXPECT_EQ(worker->Result(), SyncWorker::kResultDone);
    EXPECT_EQ(worker->Em50RecordsFetched(), 2);
    EXPECT_EQ(rig.Instrument().Em50()->Downloaded(), 2u);
    EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[36]), "Em50/BATT");
    ASSERT_EQ(rig.doc->records.size(), 2u);
    for (const MeasurementRecord& r : rig.doc->records) {
        EXPECT_EQ(r.values[36].value, logger.battery);
        for (int channel = 17; channel < 36; ++channel)
            EXPECT_EQ(r.values[channel].value, 0.0) << channel;
    }
    for (int channel = 15; channel < 36; ++channel)
        EXPECT_EQ(TextOf(rig.doc->setup.sensorIds[channel]), TextOf(before.sensorIds[channel]))
            << channel;
}

// Guards against "get -port" replies read wrongly: five zeros are a list of empty ports, missing
// codes read as 0, and only a reply without any code is no list.
TEST(Em50Decoding, PortListReplies) {
    const struct {
        const char* reply;
        bool isList;
        Em50Protocol::Ports ports;
    } cases[] = {
        {"0 0 0 0 0", true, {0, 0, 0, 0, 0}},
        {"159 186 187 222 250", true, {159, 186, 187, 222, 250}},
        {"  250\t0 159", true, {250, 0, 159, 0, 0}},
        {"ERR", false, {}},
        {"", false, {}},
    };
    const Em50Protocol::Ports untouched{7, 7, 7, 7, 7};
    for (const auto& c : cases) {
        Em50Protocol::Ports ports = untouched;
        EXPECT_EQ(Em50Protocol::ParsePortList(c.reply, ports), c.isList) << c.reply;
        EXPECT_EQ(ports, c.isList ? c.ports : untouched) << c.reply;
    }
}

// Ticks once normally, then makes every reply get lost.
class LosingDriver final : public SyncDialogDriver {
public:
    LosingDriver(SyncRig& rig) : m_rig(rig) {}
    int Run(SyncWorker& worker) override {
        worker.Tick();
        sim::FaultRates lost;
        lost.perMille[static_cast<int>(sim::FaultKind::Lost)] = 1000;
        m_rig.network->Faults().SetRates(lost);
        while (!worker.IsClosed()) {
            worker.Tick();
            ++ticks;
        }
        return worker.Result();
    }
    int ticks = 0;

private:
    SyncRig& m_rig;
};

// Guards against an Em50 stage that fails the run or never ends when the logger stops
// answering: five failed fetches in a row end it as done.
TEST(Em50Download, FiveFailedFetchesEndAsDone) {
    sim::SimNetworkConfig config;
    sim::SimEm50Config logger;
    logger.records = 10;
    config.instruments[0].em50 = logger;
    SyncRig rig(config);
    rig.CreatePcProject("Demo");
    rig.doc->setup.em50 = 1;
    rig.State().step = 9;
    SyncWorker worker(*rig.env, SyncJob::Em50);
    LosingDriver driver(rig);
    EXPECT_TRUE(RunSynchronization(*rig.env, driver, worker));
    EXPECT_EQ(worker.Result(), SyncWorker::kResultDone);
    EXPECT_EQ(worker.Em50RecordsFetched(), 1);
    EXPECT_EQ(driver.ticks, 5);
}

// Guards against a logger clock set when it is within a minute, or left when it is not.
TEST(Em50Clock, SetOnlyFromSixtySecondsOff) {
    for (const int offset : {59, 60, -60}) {
        sim::SimNetworkConfig config;
        sim::SimEm50Config logger;
        logger.clockOffset = offset;
        config.instruments[0].em50 = logger;
        SyncRig rig(config);
        Em50Protocol em50(*rig.commands, *rig.doc);
        EXPECT_TRUE(em50.SyncEm50Clock(false)) << offset;
        EXPECT_EQ(rig.Requested("xdev;set -t"), offset != 59) << offset;
        if (offset != 59) {
            EXPECT_LE(std::llabs(rig.Instrument().Em50()->ClockOffset()), 1);
        }
    }
}

}  // namespace
}  // namespace vg28
