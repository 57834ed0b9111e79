#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "SimOptions.h"
#include "SimulatorInstall.h"
#include "link/SerialLine.h"
#include "platform/TextCodec.h"
#include "protocol/SensorDescription.h"
#include "sim/SimRig.h"

namespace vg28 {
namespace {

using test::SimRig;

// Guards against a recording instrument that does not fill its memory at the period, or fills
// it while not recording.
TEST(Simulator, RecordsAtThePeriodOnlyWhileRecording) {
    struct Case {
        int mode;
        std::size_t added;
    } cases[] = {{2, 6}, {1, 0}, {3, 0}};
    for (const Case& c : cases) {
        FakeClock clock({2011, 1, 18, 15, 30, 0});
        sim::SimInstrumentConfig config;
        config.mode = c.mode;
        config.records = 2;
        config.period = 300;
        sim::SimInstrument instrument(config, clock);
        clock.SetOnAdvance([&] { instrument.CatchUp(); });
        clock.Advance(30 * 60 * 1000);
        EXPECT_EQ(instrument.Records().size(), 2 + c.added) << c.mode;
        if (c.mode == 2) {
            EXPECT_EQ(instrument.Records().back().substr(0, 19), "2011-01-18 16:00:00");
            EXPECT_EQ(instrument.NextRecordTime() % 300, 0);
        }
    }
}

// Guards against record lines that the document does not parse, or values that change with
// the order in which records are taken (they must depend only on seed, input and time).
TEST(Simulator, RecordLinesParseAndAreDeterministic) {
    SimRig rig({}, true);
    const auto& records = rig.Instrument().Records();
    ASSERT_EQ(records.size(), 48u);
    for (const std::string& line : records) {
        MeasurementRecord record{};
        int mode = -1;
        ASSERT_TRUE(rig.doc->ParseRecordLine(record, line, &mode)) << line;
        EXPECT_EQ(mode, -1);  // records carry no mode item
        EXPECT_EQ(record.status[kFlagKws], 1);
        for (int k : {0, 1, 2, 8, 9, 10}) {
            const SensorRecord* sensor = rig.sensors.FindById(rig.Instrument().Sensor(k + 1).id);
            ASSERT_NE(sensor, nullptr);
            EXPECT_GT(record.values[k].value, sensor->minimum) << line;
            EXPECT_LT(record.values[k].value, sensor->maximum) << line;
        }
    }
    FakeClock clock({2011, 1, 18, 15, 30, 0});
    sim::SimInstrument again(sim::SimInstrumentConfig{}, clock);
    EXPECT_EQ(again.Records(), records);
    sim::SimInstrumentConfig other;
    other.seed = 2;
    EXPECT_NE(sim::SimInstrument(other, clock).Records(), records);
}

// Guards against a default instrument whose sensors the shipped database lacks or describes
// otherwise, which would greet a new user with a warning or a synchronization question.
TEST(Simulator, DefaultProjectMatchesShippedCatalogue) {
    SensorDatabase database;
    ASSERT_TRUE(database.Load(test::ShippedSensorDatabase()));
    for (int n = 1; n <= 49; ++n) {
        const sim::SimSensor sensor = sim::SimInstrument::DefaultSensor(n);
        if (sensor.id == "Plug and Play") continue;
        const SensorRecord* known = database.FindById(sensor.id);
        ASSERT_NE(known, nullptr) << sensor.id;
        EXPECT_EQ(TextOf(known->description), sensor.description) << sensor.id;
        EXPECT_EQ(TextOf(known->units), sensor.units) << sensor.id;
        EXPECT_EQ(known->precision, sensor.precision) << sensor.id;
        EXPECT_EQ(known->minimum, sensor.minimum) << sensor.id;
        EXPECT_EQ(known->maximum, sensor.maximum) << sensor.id;
        EXPECT_EQ(known->maxOutput, sensor.maxOutput) << sensor.id;
        EXPECT_EQ(known->method, sensor.method) << sensor.id;
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(known->coefficients[i], sensor.coefficients[i]) << sensor.id;
    }
    EXPECT_EQ(sim::SimInstrument::DefaultSensor(10).id, "KWS/AT");
    EXPECT_EQ(sim::SimInstrument::DefaultSensor(16).id, "CV/VPD");
    EXPECT_EQ(sim::SimInstrument::DefaultSensor(40).id, "Plug and Play");
}

// Guards against the port name "simulator" not reaching the in-process instrument.
TEST(Simulator, PortNameSelectsSimulator) {
    FakeClock clock;
    CurrentState state{};
    PacketLink link(clock);
    link.SetState(&state);
    SetSimulatorFactory(nullptr);
    EXPECT_FALSE(link.OpenPort(kSimulatorPortName));
    EXPECT_FALSE(link.IsOpen());
    sim::InstallSimulator();
    ASSERT_TRUE(link.OpenPort(kSimulatorPortName));
    InstrumentCommands commands(link);
    std::string info;
    EXPECT_TRUE(commands.QueryInfo(info));
    EXPECT_EQ(info.substr(0, 6), "VG-28;");
    link.ClosePort();
    SetSimulatorFactory(nullptr);
}

// Guards against monitoring that cannot be switched off or sends nothing while on.
TEST(Simulator, MonitorSendsUntilSwitchedOff) {
    SimRig rig;
    std::string request = "monitor;5\r";
    ASSERT_TRUE(rig.link.SendExpectEcho(request, 100));
    EXPECT_EQ(rig.Instrument().MonitorInterval(), 5);
    std::string line;
    rig.clock.Advance(4000);
    ASSERT_TRUE(rig.link.ReceiveLine(line));  // the first one comes 5 s after the request
    EXPECT_EQ(line.substr(0, 5), "DATA;");
    EXPECT_TRUE(rig.commands.SetMonitor(0));
    EXPECT_EQ(rig.network->Requests().back(), "monitor;off");
    rig.clock.Advance(60000);
    while (rig.link.ReceiveLine(line)) {
    }
    EXPECT_EQ(rig.network->Pending(), 0u);
}

// Guards against a clock set that leaves the recording schedule on the old time.
TEST(Simulator, ClockSetMovesSchedule) {
    sim::SimNetworkConfig config;
    config.instruments[0].clockOffset = -3600;
    SimRig rig(config);
    SystemTime next;
    ASSERT_TRUE(rig.commands.QueryNextRecordTime(next));
    EXPECT_EQ(next.wHour, 14);
    ASSERT_TRUE(rig.commands.SetClock());
    ASSERT_TRUE(rig.commands.QueryNextRecordTime(next));
    EXPECT_EQ(next.wHour, 15);
    EXPECT_EQ(next.wMinute, 40);
}

// Guards against an Em50 whose "nack" does not repeat the record or whose "dump -write"
// commits records never handed out.
TEST(Simulator, Em50HandOutRules) {
    sim::SimEm50Config config;
    config.records = 4;
    sim::SimEm50 logger(config, 1295364600);
    const auto first = logger.Handle("dump -new 1", 1295364600);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(logger.Handle("nack", 1295364600), first);
    const auto second = logger.Handle("ack", 1295364600);
    EXPECT_NE(second, first);
    EXPECT_EQ(logger.Handle("dump -write", 1295364600).front(), "OK");
    EXPECT_EQ(logger.Downloaded(), 2u);
    EXPECT_EQ(logger.Handle("dump -enum -new 65535", 1295364600).front(), "2");
    EXPECT_EQ(logger.Handle("dump -new 1", 1295364600).front(),
              sim::SimEm50::LineOf(logger.Readings()[2]));
    EXPECT_EQ(logger.Handle("get -t", 1295364600).front(), "Date\\Time: 2011-01-18 15:30:00");
    EXPECT_TRUE(logger.Handle("set -w 30", 1295364600).empty());
    EXPECT_EQ(logger.IntervalMinutes(), 30);
    // A new reading arrives after one interval of the logger's own clock.
    const std::size_t before = logger.Readings().size();
    logger.CatchUp(1295364600 + 30 * 60);
    EXPECT_EQ(logger.Readings().size(), before + 1);
}

// Guards against vg28-sim keeping a --project name in the shell's UTF-8 (the instrument holds
// CP1251), taking one CP1251 cannot hold, or measuring the 31-character limit in UTF-8 bytes.
TEST(Simulator, ProjectOptionIsHeldInCp1251) {
    const struct {
        const char* typed;
        bool accepted;
    } rows[] = {{"Теплица", true},
                {"Теплица номер 1 у северной стены", false},  // 32 characters
                {"Теплица номер 1 у северной стен", true},    // 31 characters, 58 bytes
                {"名前", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        sim::SimOptions options;
        std::string error;
        EXPECT_EQ(options.Parse({"--project", row.typed}, error), row.accepted) << error;
        if (!row.accepted) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        const sim::SimInstrumentConfig& config = options.network.instruments.at(0);
        EXPECT_EQ(config.project, TextCodec::Utf8ToCp1251(row.typed));
        FakeClock clock({2011, 1, 18, 15, 30, 0});
        sim::SimInstrument instrument(config, clock);
        EXPECT_EQ(instrument.Handle("project;id").at(0).line,
                  "PROJECT;ID;\"" + TextCodec::Utf8ToCp1251(row.typed) + "\"\r");
    }
}

// Guards against vg28-sim's instruments on one radio line sharing a project (their records
// would end up in one file) or a radio address, or an address given in the list not taken.
TEST(Simulator, InstrumentsOptionGivesEachItsOwnAddressAndProject) {
    const struct {
        const char* list;
        bool accepted;
        std::vector<std::string> names;
        std::vector<std::uint16_t> addresses;
    } rows[] = {
        {"a,b,c", true, {"a", "b", "c"}, {1, 2, 3}},
        {"gh 1:12,gh 2:13", true, {"gh 1", "gh 2"}, {12, 13}},
        {"a:0", false, {}, {}},
        {"a:65536", false, {}, {}},
        {"a:x", false, {}, {}},
        {"a,,b", false, {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.list);
        sim::SimOptions options;
        std::string error;
        ASSERT_EQ(options.Parse({"--instruments", row.list, "--records", "5"}, error), row.accepted)
            << error;
        if (!row.accepted) continue;
        const auto& instruments = options.network.instruments;
        ASSERT_EQ(instruments.size(), row.names.size());
        for (std::size_t i = 0; i < instruments.size(); ++i) {
            EXPECT_EQ(instruments[i].name, row.names[i]);
            EXPECT_EQ(instruments[i].radioAddress, row.addresses[i]);
            EXPECT_EQ(instruments[i].project, "Demo" + std::to_string(i + 1));
            EXPECT_EQ(instruments[i].records, 5);
            if (i > 0) {
                EXPECT_NE(instruments[i].seed, instruments[i - 1].seed);
            }
        }
    }
}

// Guards against an instrument answering while the radio modem is dialled to another address
// (a device of net.xcfg that is switched off would seem to answer through its neighbour).
TEST(Simulator, InstrumentAnswersOnlyAtItsDialledAddress) {
    sim::SimNetworkConfig config;
    config.instruments[0].name = "a";
    config.instruments[0].radioAddress = 0x12;
    sim::SimInstrumentConfig other = config.instruments[0];
    other.name = "b";
    other.radioAddress = 0x13;
    config.instruments.push_back(other);
    SimRig rig(config, false, "a");
    int mode = 0;
    EXPECT_TRUE(rig.commands.QueryMode(mode));  // nothing dialled yet: every modem hears
    rig.State().radioAddress = 0x13;
    rig.commands.ModemConnect();
    EXPECT_EQ(rig.network->DialledAddress(), std::optional<std::uint16_t>(0x13));
    EXPECT_FALSE(rig.commands.QueryMode(mode));
    CopyText(rig.State().address, "b");
    EXPECT_TRUE(rig.commands.QueryMode(mode));
    rig.State().radioAddress = 0x12;
    rig.commands.ModemConnect();
    EXPECT_FALSE(rig.commands.QueryMode(mode));
    CopyText(rig.State().address, "a");
    EXPECT_TRUE(rig.commands.QueryMode(mode));
}

}  // namespace
}  // namespace vg28
