#include <gtest/gtest.h>

#include <string>

#include "protocol/ReplyGrammar.h"
#include "protocol/SensorDescription.h"

namespace vg28 {
namespace {

using namespace std::string_literals;

// Guards against keyword matching that is case-sensitive, ignores the ';' rule or the length
// limit, or reads past the reply.
TEST(ReplyGrammar, MatchReply) {
    struct Case {
        const char* name;
        std::string reply;
        std::string command;
        std::size_t limit;
        bool ok;
        std::size_t cursor;
    } cases[] = {
        {"plain", "MODE;START\r", "mode\r", 0, true, 5},
        {"anywhere", "#x MODE;START\r", "mode\r", 0, true, 8},
        {"needs semicolon", "MODEX;START\r", "mode\r", 0, false, 0},
        {"at the very end", "MODE", "mode\r", 0, false, 0},
        {"full request", "SENSOR;3;\"a\"\r", "sensor;3\r", 0, true, 9},
        {"other input", "SENSOR;31;\"a\"\r", "sensor;3\r", 0, false, 0},
        {"limited", "RECORD;12\r", "record;s", 6, true, 7},
        {"unlimited needs all", "RECORD;12\r", "record;s", 0, false, 0},
        {"limit longer than command", "DATA;x\r", "data\r", 40, true, 5},
        {"empty command", "MODE;START\r", "", 0, false, 0},
        {"too long command", "MODE;START\r", std::string(2048, 'm'), 0, false, 0},
        {"longest command", std::string(2047, 'M') + ";", std::string(2047, 'm'), 0, true, 2048},
        {"NUL in reply", "\0\0MODE;X\r"s, "mode\r", 0, true, 7},
        {"only first hit counts", "MODE MODE;X\r", "mode\r", 0, false, 0},
    };
    for (const Case& c : cases) {
        std::size_t cursor = 0;
        EXPECT_EQ(MatchReply(c.reply, cursor, c.command, c.limit), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(cursor, c.cursor) << c.name;
        }
    }
}

// Guards against quoted texts read past their quotes or longer than the field allows.
TEST(ReplyGrammar, ExtractQuoted) {
    struct Case {
        std::string text;
        std::size_t limit;
        bool ok;
        std::string out;
    } cases[] = {
        {"\"Demo\"\r", 32, true, "Demo"},
        {"x;\"\";y", 32, true, ""},
        {"\"open", 32, false, ""},
        {"none", 32, false, ""},
        {"\"" + std::string(31, 'a') + "\"", 32, true, std::string(31, 'a')},
        {"\"" + std::string(32, 'a') + "\"", 32, false, ""},
        {"\"a\xFF\0b\"\r"s, 32, true, "a\xFF\0b"s},
    };
    for (const Case& c : cases) {
        std::string out = "unchanged";
        EXPECT_EQ(ExtractQuoted(c.text, c.limit, out), c.ok) << c.text;
        EXPECT_EQ(out, c.ok ? c.out : "unchanged") << c.text;
    }
}

// Guards against device entries read wrongly: version packing, the 31-character model, the
// cursor after the first entry.
TEST(ReplyGrammar, ParseDeviceInfo) {
    struct Case {
        const char* name;
        std::string text;
        bool ok;
        std::string model;
        std::uint32_t version;
        std::string id;
        std::string rest;
    } cases[] = {
        {"two entries", "VG-28;1.0.2.5;\"SN 1\";KWS;1.2.0.3;\"K 7\";\r", true, "VG-28", 0x01000205,
         "SN 1", "KWS;1.2.0.3;\"K 7\";\r"},
        {"last entry", "KWS;2.1.0.0;\"K\"", true, "KWS", 0x02010000, "K", ""},
        {"parts masked", "VG-28;257.2.3.4;\"x\";", true, "VG-28", 0x01020304, "x", ""},
        {"partial version", "VG-28;1.0;\"x\";", true, "VG-28", 0x01000000, "x", ""},
        {"no version", "VG-28;x.y;\"x\";", false, "", 0, "", ""},
        {"nothing after model", "VG-28;", false, "", 0, "", ""},
        {"no semicolon", "VG-28", false, "", 0, "", ""},
        {"no quoted id", "VG-28;1.0.2.0;SN;", false, "", 0, "", ""},
        {"model of 31", std::string(31, 'M') + ";1.0.0.0;\"x\";", true, std::string(31, 'M'),
         0x01000000, "x", ""},
        {"model of 32", std::string(32, 'M') + ";1.0.0.0;\"x\";", false, "", 0, "", ""},
        {"id of 32", "VG-28;1.0.2.0;\"" + std::string(32, 'i') + "\";", false, "", 0, "", ""},
    };
    for (const Case& c : cases) {
        std::size_t cursor = 0;
        std::string model;
        std::uint32_t version = 0;
        std::string id;
        ASSERT_EQ(ParseDeviceInfo(c.text, cursor, model, version, id), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(cursor, 0u) << c.name;
            continue;
        }
        EXPECT_EQ(model, c.model) << c.name;
        EXPECT_EQ(version, c.version) << c.name;
        EXPECT_EQ(id, c.id) << c.name;
        EXPECT_EQ(c.text.substr(cursor), c.rest) << c.name;
    }
}

// Guards against instrument times that need all six numbers being accepted with fewer, or
// range-checked here instead of by the caller.
TEST(ReplyGrammar, ParseInstrumentTime) {
    struct Case {
        const char* text;
        bool ok;
        int y, mo, d, h, mi, s;
    } cases[] = {
        {"2011-01-18 15:30:00\r", true, 2011, 1, 18, 15, 30, 0},
        {"2011-02-30 07:05:00", true, 2011, 2, 30, 7, 5, 0},
        {"1899-00-01 00:00:00", true, 1899, 0, 1, 0, 0, 0},
        {"2011-1-18 7:5:0", true, 2011, 1, 18, 7, 5, 0},
        {"2011-01-1815:30:00", false, 0, 0, 0, 0, 0, 0},
        {"2011-01-18 15:30", false, 0, 0, 0, 0, 0, 0},
        {"2011-01-18T15:30:00", false, 0, 0, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SystemTime t;
        t.wYear = 7;
        ASSERT_EQ(ParseInstrumentTime(c.text, t), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(t.wYear, 7) << c.text;
            continue;
        }
        EXPECT_EQ(t.wYear, c.y) << c.text;
        EXPECT_EQ(t.wMonth, c.mo) << c.text;
        EXPECT_EQ(t.wDay, c.d) << c.text;
        EXPECT_EQ(t.wHour, c.h) << c.text;
        EXPECT_EQ(t.wMinute, c.mi) << c.text;
        EXPECT_EQ(t.wSecond, c.s) << c.text;
        EXPECT_EQ(t.wDayOfWeek, 0) << c.text;
        EXPECT_EQ(t.wMilliseconds, 0) << c.text;
    }
}

// Guards against sending the wrong mode name for view mode and for out-of-range indexes.
TEST(ReplyGrammar, ModeNames) {
    EXPECT_EQ(ModeNameToSend(0), "INIT");
    EXPECT_EQ(ModeNameToSend(1), "MANUAL");
    EXPECT_EQ(ModeNameToSend(2), "START");
    EXPECT_EQ(ModeNameToSend(3), "STOP");
    EXPECT_EQ(ModeNameToSend(4), "MANUAL");
    EXPECT_EQ(ModeNameToSend(-1), "MANUAL");
    EXPECT_EQ(ModeIndexOf("STOP\r"), 3);
    EXPECT_EQ(ModeIndexOf("START;x"), 2);
    EXPECT_EQ(ModeIndexOf("STARTED\r"), -1);
    EXPECT_EQ(ModeIndexOf(""), -1);
}

// Guards against a sensor request in another format than the instrument reads (decimals by
// precision, three for the maximum output, "%.5e" coefficients, '.' whatever the locale).
TEST(SensorDescription, RequestText) {
    SensorDescription d;
    d.id = "TA 1";
    d.description = "Air";
    d.units = "C";
    d.precision = 2;
    d.minimum = -40;
    d.maximum = 60;
    d.method = kMethodComp;
    d.maxOutput = 2.5;
    d.coefficients[0] = -40;
    d.coefficients[1] = 40;
    d.coefficients[5] = 1.234567e-7;
    std::string request;
    ASSERT_TRUE(FormatSensorRequest(4, d, request));
    EXPECT_EQ(request,
              "sensor;4;\"TA 1\";\"Air\";\"C\";2;-40.00;60.00;COMP;2.500;-4.00000e+01;4.00000e+01;"
              "0.00000e+00;0.00000e+00;0.00000e+00;1.23457e-07\r");
    d.precision = 0;
    d.method = kMethodAvg;
    ASSERT_TRUE(FormatSensorRequest(4, d, request));
    EXPECT_NE(request.find(";-40;60;AVG;"), std::string::npos);
    d.description = std::string(3000, 'x');
    EXPECT_FALSE(FormatSensorRequest(4, d, request));
}

// Guards against sensor replies misread: '=' on the ID, methods, numbers, short lines.
TEST(SensorDescription, ParseReply) {
    SensorDescription d;
    ASSERT_TRUE(ParseSensorDescription(
        "\"=TA 1\";\"Air\";\"C\";1;-40.0;60.0;AVG;2.500;-4.00000E+01;4.00000E+01;0.00000E+00;"
        "0.00000E+00;0.00000E+00;1.5E-03\r",
        d));
    EXPECT_EQ(d.id, "TA 1");
    EXPECT_EQ(d.description, "Air");
    EXPECT_EQ(d.units, "C");
    EXPECT_EQ(d.precision, 1);
    EXPECT_EQ(d.minimum, -40.0);
    EXPECT_EQ(d.maximum, 60.0);
    EXPECT_EQ(d.method, kMethodAvg);
    EXPECT_EQ(d.maxOutput, 2.5);
    EXPECT_EQ(d.coefficients[0], -40.0);
    EXPECT_EQ(d.coefficients[1], 40.0);
    EXPECT_EQ(d.coefficients[5], 1.5e-3);

    const char* bad[] = {
        "\"a\";\"b\";\"c\";1;0;1;XYZ;2.5;0;1;0;0;0;0\r",    // unknown method
        "\"a\";\"b\";\"c\";1;0;1;STD;2.5;0;1;0;0;0\r",      // a coefficient missing
        "\"a\";\"b\";1;0;1;STD;2.5;0;1;0;0;0;0\r",          // a quoted field missing
        "\"a\";\"b\";\"c\";x;0;1;STD;2.5;0;1;0;0;0;0\r",    // precision not a number
        "\"a\";\"b\";\"c\";1;0;one;STD;2.5;0;1;0;0;0;0\r",  // maximum not a number
        "\"a\";\"b\";\"c",                                  // cut off
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseSensorDescription(text, d)) << text;

    // Round trip through the request form.
    SensorDescription sent;
    sent.id = "KWS/AT";
    sent.description = "T";
    sent.units =
        "\xB0"
        "C";
    sent.precision = 3;
    sent.minimum = 0.125;
    sent.maximum = 2.5;
    sent.maxOutput = 2.5;
    sent.coefficients[1] = 40;
    std::string request;
    ASSERT_TRUE(FormatSensorRequest(10, sent, request));
    SensorDescription back;
    ASSERT_TRUE(ParseSensorDescription(request.substr(std::string("sensor;10;").size()), back));
    EXPECT_EQ(back.units, sent.units);
    EXPECT_EQ(back.minimum, 0.125);
    EXPECT_EQ(back.coefficients[1], 40.0);
}

}  // namespace
}  // namespace vg28
