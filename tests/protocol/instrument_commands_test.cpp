#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CivilTime.h"
#include "protocol/ReplyGrammar.h"
#include "sim/SimRig.h"

namespace vg28 {
namespace {

using test::SimRig;

std::string LastRequest(const SimRig& rig) {
    return rig.network->Requests().back();
}

LocalTime ToLocal(const SystemTime& t) {
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Guards against the identification entries being lost or misread from the "info" reply.
TEST(InstrumentCommands, InfoNamesInstrumentAndModule) {
    SimRig rig;
    std::string info;
    ASSERT_TRUE(rig.commands.QueryInfo(info));
    std::size_t cursor = 0;
    std::string model, id;
    std::uint32_t version = 0;
    ASSERT_TRUE(ParseDeviceInfo(info, cursor, model, version, id));
    EXPECT_EQ(model, "VG-28");
    EXPECT_EQ(version, 0x01000205u);
    EXPECT_EQ(id, "VG28-00115");
    ASSERT_TRUE(ParseDeviceInfo(info, cursor, model, version, id));
    EXPECT_EQ(model, "KWS");
    EXPECT_EQ(id, "KWS-00042");
    EXPECT_EQ(LastRequest(rig), "info");
}

// Guards against mode names sent or read wrongly, and index 1 / out-of-range not sent as MANUAL.
TEST(InstrumentCommands, ModesRoundTrip) {
    SimRig rig;
    int mode = -1;
    ASSERT_TRUE(rig.commands.QueryMode(mode));
    EXPECT_EQ(mode, 2);
    struct Case {
        int index;
        const char* sent;
        int result;
    } cases[] = {{0, "mode;INIT", 0},  {3, "mode;STOP", 3},   {1, "mode;MANUAL", 1},
                 {2, "mode;START", 2}, {9, "mode;MANUAL", 1}, {-1, "mode;MANUAL", 1}};
    for (const Case& c : cases) {
        EXPECT_TRUE(rig.commands.SetMode(c.index)) << c.index;
        EXPECT_EQ(LastRequest(rig), c.sent);
        ASSERT_TRUE(rig.commands.QueryMode(mode));
        EXPECT_EQ(mode, c.result);
    }
}

// Guards against the instrument clock being read or set wrongly.
TEST(InstrumentCommands, ClockReadAndSet) {
    sim::SimNetworkConfig config;
    config.instruments[0].clockOffset = -125;
    SimRig rig(config);
    SystemTime t;
    ASSERT_TRUE(rig.commands.QueryClock(t));
    const std::int64_t pc = SecondsFromLocal(rig.clock.Local());
    EXPECT_EQ(SecondsFromLocal(ToLocal(t)), pc - 125);
    EXPECT_TRUE(rig.commands.SetClock());
    EXPECT_EQ(rig.Instrument().Now(), SecondsFromLocal(rig.clock.Local()));
    EXPECT_EQ(LastRequest(rig).substr(0, 5), "time;");
}

// Guards against project name, configuration time and period requests in the wrong form.
TEST(InstrumentCommands, ProjectNameConfigTimeAndPeriod) {
    SimRig rig;
    std::string name;
    ASSERT_TRUE(rig.commands.QueryProjectId(name));
    EXPECT_EQ(name, "Demo");
    TimeStamp before;
    ASSERT_TRUE(rig.commands.QueryConfigTime(before));
    rig.clock.Advance(60000);
    ASSERT_TRUE(rig.commands.SetProjectId("Rose"));
    EXPECT_EQ(LastRequest(rig), "project;id;\"Rose\"");
    ASSERT_TRUE(rig.commands.QueryProjectId(name));
    EXPECT_EQ(name, "Rose");
    TimeStamp after;
    ASSERT_TRUE(rig.commands.QueryConfigTime(after));
    EXPECT_TRUE(before < after);
    EXPECT_EQ(after.year, 2011);
    EXPECT_EQ(after.hour, 15);
    EXPECT_EQ(after.minute, 31);

    const std::size_t sent = rig.RequestCount();
    EXPECT_FALSE(rig.commands.SetProjectId(std::string(3000, 'n')));  // would overflow
    EXPECT_EQ(rig.RequestCount(), sent);

    int reserved = -1, period = 0;
    ASSERT_TRUE(rig.commands.QueryPeriod(0, reserved, period));
    EXPECT_EQ(reserved, 0);
    EXPECT_EQ(period, 600);
    ASSERT_TRUE(rig.commands.SetPeriod(0, 900));
    EXPECT_EQ(LastRequest(rig), "project;period;1;0;900");
    ASSERT_TRUE(rig.commands.QueryPeriod(0, reserved, period));
    EXPECT_EQ(period, 900);
}

// Guards against the "em50" flag being used with firmware that lacks it (full 32-bit check).
TEST(InstrumentCommands, Em50FlagNeedsFirmware) {
    struct Case {
        std::uint32_t firmware;
        bool em50Sent;
    } cases[] = {{0x010001FF, false}, {0x01000200, true}, {0x02000000, true}};
    for (const Case& c : cases) {
        sim::SimNetworkConfig config;
        config.instruments[0].firmware = c.firmware;
        SimRig rig(config);
        rig.State().firmwareVersion = c.firmware;
        bool exact = false, em50 = true;
        ASSERT_TRUE(rig.commands.QueryProjectFlags(exact, em50));
        EXPECT_TRUE(exact);
        EXPECT_EQ(em50, !c.em50Sent) << std::hex << c.firmware;  // untouched when not asked
        ASSERT_TRUE(rig.commands.SetProjectFlags(false, true));
        EXPECT_FALSE(rig.Instrument().ExactTime());
        EXPECT_EQ(rig.Instrument().Em50Flag(), c.em50Sent);
        std::vector<std::string> expected = {"project;f;exact"};
        if (c.em50Sent) expected.push_back("project;f;em50");
        expected.push_back("project;f;exact;off");
        if (c.em50Sent) expected.push_back("project;f;em50;on");
        EXPECT_EQ(rig.network->Requests(), expected);
    }
}

// Guards against sensor descriptions lost between the terminal and the instrument, and
// against sending anything for inputs the instrument fills itself.
TEST(InstrumentCommands, SensorsBothWays) {
    SimRig rig;
    SensorRecord sensor{};
    ASSERT_TRUE(rig.commands.QuerySensor(1, sensor));
    EXPECT_EQ(TextOf(sensor.id), "TA 1");
    EXPECT_EQ(sensor.precision, 1);
    EXPECT_EQ(sensor.minimum, -40.0);
    EXPECT_EQ(sensor.maximum, 60.0);
    EXPECT_EQ(sensor.maxOutput, 2.5);
    EXPECT_EQ(sensor.coefficients[0], -40.0);
    EXPECT_EQ(sensor.coefficients[1], 40.0);

    SensorRecord mine = sensor;
    CopyText(mine.id, "TA 2");
    CopyText(mine.description, "Second");
    mine.precision = 2;
    ASSERT_TRUE(rig.commands.SetSensor(4, &mine));
    EXPECT_EQ(rig.Instrument().Sensor(4).id, "TA 2");
    EXPECT_EQ(rig.Instrument().Sensor(4).precision, 2);
    SensorRecord back{};
    ASSERT_TRUE(rig.commands.QuerySensor(4, back));
    EXPECT_EQ(TextOf(back.description), "Second");

    const std::size_t sent = rig.RequestCount();
    SensorRecord free{};
    CopyText(free.id, "Plug and Play");
    EXPECT_TRUE(rig.commands.SetSensor(5, &free));
    CopyText(free.id, "=KWS/AT");
    EXPECT_TRUE(rig.commands.SetSensor(5, &free));
    EXPECT_EQ(rig.RequestCount(), sent);

    ASSERT_TRUE(rig.commands.SetSensor(9, nullptr));
    EXPECT_EQ(LastRequest(rig),
              "sensor;9;\"\";\"\";\"\";1;0.0;2.5;STD;2.500;0.00000E+00;1.00000E+00;0.00000E+00;"
              "0.00000E+00;0.00000E+00;0.00000E+00");
    EXPECT_EQ(rig.Instrument().Sensor(9).id, "");
    ASSERT_TRUE(rig.commands.SetSensor(4, nullptr));
    EXPECT_EQ(LastRequest(rig), "sensor;clear;4");
    EXPECT_EQ(rig.Instrument().Sensor(4).id, "");
}

// Guards against clearing that leaves the name or the sensors on the instrument.
TEST(InstrumentCommands, ClearProject) {
    SimRig rig;
    rig.commands.ClearProject();
    EXPECT_EQ(rig.Instrument().Project(), "");
    for (int n = 1; n <= 49; ++n)
        EXPECT_EQ(rig.Instrument().Sensor(n).id, "") << n;
    const std::vector<std::string> expected = {"sensor;clear", "project;id;\"\""};
    EXPECT_EQ(rig.network->Requests(), expected);
}

// Guards against formatting that reports success before the instrument has finished.
TEST(InstrumentCommands, FormatMemory) {
    SimRig rig;
    ASSERT_FALSE(rig.Instrument().Records().empty());
    EXPECT_TRUE(rig.commands.FormatMemory());
    EXPECT_TRUE(rig.Instrument().Records().empty());
    int mode = -1;
    ASSERT_TRUE(rig.commands.QueryMode(mode));
    EXPECT_EQ(mode, 1);  // initialised, not recording
    EXPECT_TRUE(rig.commands.QueryRecordState());
}

// Guards against record selection, counting and lines that the document cannot take.
TEST(InstrumentCommands, RecordDownload) {
    SimRig rig({}, true);
    EXPECT_TRUE(rig.commands.QueryRecordState());
    int count = -1;
    ASSERT_TRUE(rig.commands.SelectRecordsFrom(TimeStamp{}, count));
    EXPECT_EQ(LastRequest(rig), "record;s;from;1980-01-01 00:00:01");
    ASSERT_EQ(count, 48);
    for (int i = 0; i < count; ++i) {
        std::string line;
        ASSERT_TRUE(rig.commands.ReadLine(line)) << i;
        const std::size_t semicolon = line.find(';');
        ASSERT_EQ(line.substr(0, semicolon), "RECORD");
        int added = 0;
        ASSERT_TRUE(rig.doc->AddRecordLine(line.substr(semicolon + 1), added)) << line;
        EXPECT_EQ(added, 1);
    }
    ASSERT_EQ(rig.doc->records.size(), 48u);
    EXPECT_EQ(rig.doc->lastTime.hour, 15);
    EXPECT_EQ(rig.doc->lastTime.minute, 30);
    EXPECT_EQ(rig.doc->records.back().status[kFlagKws], 1);

    TimeStamp from = rig.doc->lastTime;
    from.second += 1;
    ASSERT_TRUE(rig.commands.SelectRecordsFrom(from, count));
    EXPECT_EQ(count, 0);  // "Empty"
    EXPECT_EQ(LastRequest(rig), "record;s;from;2011-01-18 15:30:01");

    // Recording goes on: three periods later three new records are there.
    rig.clock.Advance(3 * 600 * 1000);
    ASSERT_TRUE(rig.commands.SelectRecordsFrom(from, count));
    EXPECT_EQ(count, 3);
    SystemTime next;
    for (int i = 0; i < 3; ++i) {
        std::string line;
        ASSERT_TRUE(rig.commands.ReadLine(line));
    }
    ASSERT_TRUE(rig.commands.QueryNextRecordTime(next));
    EXPECT_EQ(next.wHour, 16);
    EXPECT_EQ(next.wMinute, 10);
}

// Guards against current readings not reaching the document, or a reported mode change not
// reaching the session.
TEST(InstrumentCommands, CurrentDataReachesDocument) {
    SimRig rig({}, true);
    struct Views : DocObserver {
        std::vector<int> hints;
        void OnDocumentUpdate(int hint) override { hints.push_back(hint); }
    } views;
    rig.doc->AddObserver(&views);
    std::vector<std::pair<int, bool>> changes;
    rig.commands.SetModeChangeHandler([&](int mode, bool fromUser) {
        changes.push_back({mode, fromUser});
    });
    rig.State().deviceMode = 1;
    ASSERT_TRUE(rig.commands.QueryCurrentData());
    EXPECT_EQ(rig.State().reportedMode, 2);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(2, false));
    ASSERT_FALSE(views.hints.empty());
    EXPECT_EQ(views.hints.back(), 2);
    const MeasurementRecord& readings = rig.State().readings;
    EXPECT_EQ(readings.time.year, 2011);
    EXPECT_EQ(readings.status[kFlagKws], 1);
    EXPECT_NE(readings.values[9].value, 0.0);  // KWS/AT

    rig.State().deviceMode = 2;
    changes.clear();
    ASSERT_TRUE(rig.commands.QueryCurrentData());
    EXPECT_TRUE(changes.empty());
    rig.doc->RemoveObserver(&views);
}

// Guards against the modem commands: the dial's hexadecimal address, the CR that makes the
// dial step fail, the ping.
TEST(InstrumentCommands, ModemCommands) {
    struct Case {
        std::uint16_t radio;
        const char* dial;
    } cases[] = {{0xFFFF, "ATFH,DT 0,CN"}, {0x1A2B, "ATFH,DT 1A2B,CN"}, {0, "ATFH,DT 0,CN"}};
    for (const Case& c : cases) {
        SimRig rig;
        rig.State().radioAddress = c.radio;
        EXPECT_FALSE(rig.commands.ModemConnect());  // "OK\r" is not a bare "OK"
        const std::vector<std::string> expected = {"+++", c.dial};
        EXPECT_EQ(rig.network->Requests(), expected);
        EXPECT_TRUE(rig.commands.ModemPing());
    }
}

// Guards against the Em50 pass-through: the echo check, the "< " answer lines, the record
// hand-out with ack and dump -write.
TEST(InstrumentCommands, Em50PassThrough) {
    sim::SimNetworkConfig config;
    config.instruments[0].em50 = sim::SimEm50Config{};
    SimRig rig(config);
    std::string reply;
    ASSERT_TRUE(rig.commands.ExternalDeviceCommand("get -ver", &reply, 3));
    EXPECT_EQ(reply, "Em50 Ver 2.13\r");
    ASSERT_TRUE(rig.commands.ExternalDeviceCommand("get -port", &reply, 3));
    EXPECT_EQ(reply, "159 186 187 222 250\r");
    EXPECT_TRUE(rig.commands.ExternalDeviceCommand("set -w 15", nullptr, 3));
    EXPECT_EQ(rig.Instrument().Em50()->IntervalMinutes(), 15);
    ASSERT_TRUE(rig.commands.ExternalDeviceCommand("dump -enum -new 65535", &reply, 3));
    EXPECT_EQ(reply, "3\r");

    const char* steps[] = {"dump -new 1", "ack", "ack", "ack"};
    std::vector<std::string> firsts;
    for (const char* step : steps) {
        ASSERT_TRUE(rig.commands.ExternalDeviceCommand(step, &reply, 3)) << step;
        firsts.push_back(reply);
        ASSERT_TRUE(rig.commands.ExternalDeviceCommand(std::nullopt, &reply, 3)) << step;
        EXPECT_TRUE(reply[0] >= '0' && reply[0] <= '9') << step;
    }
    const auto& readings = rig.Instrument().Em50()->Readings();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(firsts[i], sim::SimEm50::LineOf(readings[i]) + "\r");
    }
    EXPECT_EQ(firsts[3].substr(0, 4), "0 80");
    ASSERT_TRUE(rig.commands.ExternalDeviceCommand("dump -write", &reply, 3));
    EXPECT_EQ(rig.Instrument().Em50()->Downloaded(), 3u);
    ASSERT_TRUE(rig.commands.ExternalDeviceCommand("dump -enum -new 65535", &reply, 3));
    EXPECT_EQ(reply, "0\r");

    SimRig without;
    EXPECT_FALSE(without.commands.ExternalDeviceCommand("get -ver", &reply, 3));
    EXPECT_TRUE(without.commands.ExternalDeviceCommand("get -ver", nullptr, 3));
}

// Guards against radio addressing: only the named instrument answers, others count as silent.
TEST(InstrumentCommands, RadioAddressing) {
    sim::SimNetworkConfig config;
    config.instruments.clear();
    for (const char* name : {"North", "South"}) {
        sim::SimInstrumentConfig instrument;
        instrument.name = name;
        instrument.identification = std::string("ID-") + name;
        config.instruments.push_back(instrument);
    }
    struct Case {
        const char* address;
        bool answers;
        const char* id;
    } cases[] = {{"South", true, "ID-South"},
                 {"North", true, "ID-North"},
                 {"East", false, ""},
                 {"", false, ""}};
    for (const Case& c : cases) {
        SimRig rig(config, false, c.address);
        std::string info;
        ASSERT_EQ(rig.commands.QueryInfo(info), c.answers) << c.address;
        EXPECT_EQ(rig.commands.ModemPing(), c.answers) << c.address;
        if (!c.answers) continue;
        std::size_t cursor = 0;
        std::string model, id;
        std::uint32_t version = 0;
        ASSERT_TRUE(ParseDeviceInfo(info, cursor, model, version, id));
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(rig.network->Requests().front(), ":" + std::string(c.address) + ";info");
    }
}

}  // namespace
}  // namespace vg28
