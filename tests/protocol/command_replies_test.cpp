#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "link/PacketLink.h"
#include "link/ScriptedLine.h"
#include "platform/FakeClock.h"
#include "platform/FixedText.h"
#include "project/CurrentState.h"
#include "protocol/InstrumentCommands.h"

namespace vg28 {
namespace {

// Guards against reply parsing of the command set accepting what it must refuse (and the
// reverse), and against the extra line that some failed queries must drop not being read.
// Each row scripts the instrument's lines; "left" is what must still be unread afterwards.
TEST(InstrumentCommands, RepliesByTheGrammar) {
    struct Case {
        const char* name;
        std::string incoming;
        std::function<bool(InstrumentCommands&)> operation;
        bool ok;
        std::string left;
    } cases[] = {
        {"unknown mode drops a line", "MODE;PAUSE\rX\rY\r",
         [](InstrumentCommands& c) {
             int m = 7;
             return c.QueryMode(m) || m != 7;
         },
         false, "Y\r"},
        {"mode of another keyword", "TIME;2011-01-18 15:30:00\rMODE;STOP\r",
         [](InstrumentCommands& c) {
             int m;
             return c.QueryMode(m);
         },
         false, ""},
        {"30 February parses", "TIME;2011-02-30 10:00:00\r",
         [](InstrumentCommands& c) {
             SystemTime t;
             return c.QueryClock(t) && t.wMonth == 2 && t.wDay == 30;
         },
         true, ""},
        {"clock with five numbers", "TIME;2011-02-28 10:00\r",
         [](InstrumentCommands& c) {
             SystemTime t;
             return c.QueryClock(t);
         },
         false, ""},
        {"period needs two numbers", "PROJECT;PERIOD;1;0\r",
         [](InstrumentCommands& c) {
             int r, p;
             return c.QueryPeriod(0, r, p);
         },
         false, ""},
        {"period of input two", "PROJECT;PERIOD;1;0;600\r",
         [](InstrumentCommands& c) {
             int r, p;
             return c.QueryPeriod(1, r, p);
         },
         false, ""},
        {"project name too long", "PROJECT;ID;\"" + std::string(32, 'n') + "\"\r",
         [](InstrumentCommands& c) {
             std::string n;
             return c.QueryProjectId(n);
         },
         false, ""},
        {"flags off", "PROJECT;F;EXACT;OFF\rPROJECT;F;EM50;ON\r",
         [](InstrumentCommands& c) {
             bool e = true, m = false;
             return c.QueryProjectFlags(e, m) && !e && m;
         },
         true, ""},
        {"flag reply missing drops a line", "PROJECT;F;EXACT;ON\rPROJECT;F;EXACT;ON\rZ\rW\r",
         [](InstrumentCommands& c) {
             bool e, m;
             return c.QueryProjectFlags(e, m);
         },
         false, "W\r"},
        {"empty selection", "RECORD;S;FROM;1980-01-01 00:00:01\rRECORD;S;Empty\r",
         [](InstrumentCommands& c) {
             int n = -1;
             return c.SelectRecordsFrom(TimeStamp{}, n) && n == 0;
         },
         true, ""},
        {"selection without echo", "RECORD;S;3\r",
         [](InstrumentCommands& c) {
             int n = -1;
             return c.SelectRecordsFrom(TimeStamp{}, n);
         },
         false, ""},
        {"record state", "RECORD;Empty\r",
         [](InstrumentCommands& c) { return c.QueryRecordState(); }, true, ""},
        {"record state needs RECORD;", "RECORDS\rRECORDS\rRECORDS\r",
         [](InstrumentCommands& c) { return c.QueryRecordState(); }, false, ""},
        {"record state is not a record line of a download",
         "RECORD;2026-01-02 03:04:05;1;2\rRECORD;2026-01-02 03:05:05;1;2\rRECORD;12\r",
         [](InstrumentCommands& c) { return c.QueryRecordState(); }, true, ""},
        {"record state count must stand alone", "RECORD;12;x\rRECORD;12;x\rRECORD;12;x\r",
         [](InstrumentCommands& c) { return c.QueryRecordState(); }, false, ""},
        {"sensor of another description",
         "SENSOR;4;\"TA 9\";\"Air\";\"C\";1;0.0;1.0;STD;2.500;"
         "0e0;1e0;0e0;0e0;0e0;0e0\rQ\rR\r",
         [](InstrumentCommands& c) {
             SensorRecord s{};
             CopyText(s.id, "TA 1");
             CopyText(s.description, "Air");
             CopyText(s.units, "C");
             s.precision = 1;
             return c.SetSensor(4, &s);
         },
         false, "R\r"},
        {"cleared input without echo drops a line", "X\rY\rZ\rW\r",
         [](InstrumentCommands& c) { return c.SetSensor(5, nullptr); }, false, "W\r"},
        {"device answer after a prompt", "XDEV;GET -VER\rXDEV;< >\rXDEV;< Em50\r",
         [](InstrumentCommands& c) {
             std::string r;
             return c.ExternalDeviceCommand("get -ver", &r, 3) && r == "Em50\r";
         },
         true, ""},
        {"device answer with '>'", "XDEV;GET -T\rXDEV;< >Date\\Time: 2011\r",
         [](InstrumentCommands& c) {
             std::string r;
             return c.ExternalDeviceCommand("get -t", &r, 3) && r == "Date\\Time: 2011\r";
         },
         true, ""},
        {"pass-through without echo", "XDEV;GET -T\rXDEV;< Em50\r",
         [](InstrumentCommands& c) {
             std::string r;
             return c.ExternalDeviceCommand("get -ver", &r, 3);
         },
         false, "XDEV;< Em50\r"},
        {"dial answered with CR", "OK\rOK\r",
         [](InstrumentCommands& c) { return c.ModemConnect(); }, false, ""},
        {"ping", "OK\r", [](InstrumentCommands& c) { return c.ModemPing(); }, true, ""},
        {"ping refused", "ERROR\r", [](InstrumentCommands& c) { return c.ModemPing(); }, false, ""},
        {"format finished", "INIT\rINIT;OK\r",
         [](InstrumentCommands& c) { return c.FormatMemory(); }, true, ""},
        {"format answered otherwise", "INIT\rERROR\r",
         [](InstrumentCommands& c) { return c.FormatMemory(); }, false, ""},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        CurrentState state{};
        state.firmwareVersion = 0x01000200;
        PacketLink link(clock);
        link.SetState(&state);
        auto scripted = std::make_unique<test::ScriptedLine>(clock);
        test::ScriptedLine& line = *scripted;
        ASSERT_TRUE(link.OpenLine(std::move(scripted)));
        line.incoming = c.incoming;
        InstrumentCommands commands(link);
        EXPECT_EQ(c.operation(commands), c.ok) << c.name;
        EXPECT_EQ(line.incoming, c.left) << c.name;
    }
}

}  // namespace
}  // namespace vg28
