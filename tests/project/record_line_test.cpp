#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/FixedText.h"
#include "project/ProjectBuilders.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

constexpr const char* kStamp = "2011-01-18 15:30:00";

struct LineCase {
    const char* name;
    std::string line;
    bool ok;
    int mode;                                    // expected mode output (starts at -1)
    std::vector<std::pair<int, double>> values;  // channels that must be non-zero
    std::vector<std::pair<int, int>> flags;      // status flags that must be non-zero
};

std::string Line(const std::string& items) {
    return kStamp + items;
}

// Guards against misread items, wrong prefix matching and values landing in the wrong channel
// or flag: every channel and flag not named must stay zero.
TEST(RecordLine, ParsesItemsByTheRulesOfTheInstrument) {
    const std::vector<LineCase> cases = {
        {"example", Line(";S1;12.5;S50;3;F:KWS;1"), true, -1, {{0, 12.5}}, {{kFlagKws, 1}}},
        {"prefix order", Line(";F:KWS-LW;1"), true, -1, {}, {{kFlagKwsLw, 1}}},
        {"no ; after input", Line(";S1 5"), false, -1, {}, {}},
        {"T separator", "2011-01-18T15:30:00;S1;1", false, -1, {}, {}},
        {"year 1979", "1979-12-31 23:59:59", false, -1, {}, {}},
        {"year 3001", "3001-01-01 00:00:00", false, -1, {}, {}},
        {"month 13", "2011-13-01 00:00:00", false, -1, {}, {}},
        {"day 32", "2011-01-32 00:00:00", false, -1, {}, {}},
        {"hour 24", "2011-01-18 24:00:00", false, -1, {}, {}},
        {"second 60", "2011-01-18 23:59:60", false, -1, {}, {}},
        {"signed field", "2011--1-18 00:00:00", false, -1, {}, {}},
        {"time cut short", "2011-01-18 15:30", false, -1, {}, {}},
        {"huge year", "99999999999999999999-01-18 15:30:00", false, -1, {}, {}},
        {"mode STOP", Line(";MODE;STOP;S2;4"), true, 3, {{1, 4.0}}, {}},
        {"mode prefix", Line(";MODE;STARTED"), true, 2, {}, {}},
        {"mode unknown", Line(";MODE;RUN;S2;4"), true, -1, {{1, 4.0}}, {}},
        {"mode at end", Line(";MODE;MANUAL"), true, 1, {}, {}},
        {"mode without ;", Line(";MODE"), false, -1, {}, {}},
        {"M not MODE", Line(";MOVE;S1;5"), true, -1, {}, {}},
        {"ends after ;", Line(";S1;5;"), false, -1, {}, {}},
        {"ends after letter", Line(";S1;5;F"), false, -1, {}, {}},
        {"flag without :", Line(";F;KWS;1"), false, -1, {}, {}},
        {"flag without ;", Line(";F:KWS"), false, -1, {}, {}},
        {"flag unknown", Line(";F:FOO;7;S3;1.5"), true, -1, {{2, 1.5}}, {}},
        {"flag name prefix", Line(";F:BLX;2"), true, -1, {}, {{kFlagBatteryLow, 2}}},
        {"flag no number", Line(";F:KWS;x"), true, -1, {}, {}},
        {"all flags",
         Line(";F:KWS-FAN;1;F:KWS-MFAN;2;F:KWS-SHT;3;F:KWS-HSHT;4;F:KWS-SMTE;5"),
         true,
         -1,
         {},
         {{kFlagKwsFan, 1},
          {kFlagKwsMfan, 2},
          {kFlagKwsSht, 3},
          {kFlagKwsHsht, 4},
          {kFlagKwsSmte, 5}}},
        {"unknown item with ;", Line(";X;S2;7"), true, -1, {{1, 7.0}}, {}},
        {"unknown item without ;", Line(";XY;S2;7"), true, -1, {}, {}},
        {"value not a number", Line(";S1;abc;S2;1"), true, -1, {}, {}},
        {"value missing at end", Line(";S1;"), true, -1, {}, {}},
        {"input without number", Line(";S;5;S2;1"), true, -1, {{1, 1.0}}, {}},
        {"inputs 0 and -1", Line(";S0;5;S-1;6;S49;1.5"), true, -1, {{48, 1.5}}, {}},
        {"exponent", Line(";S1;-2.5e1"), true, -1, {{0, -25.0}}, {}},
        {"overflowing value", Line(";S1;1e999;S2;3"), true, -1, {{1, 3.0}}, {}},
        {"no items", Line(""), true, -1, {}, {}},
        {"trailing garbage", Line(" junk;S1;1"), true, -1, {}, {}},
        {"carriage return", Line(";S1;2\r"), true, -1, {{0, 2.0}}, {}},
        {"embedded NUL", Line(std::string(";S1;5\0;S2;6", 11)), true, -1, {{0, 5.0}}, {}},
    };
    TestProject fixture;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        MeasurementRecord record{};
        int mode = -1;
        EXPECT_EQ(fixture.doc->ParseRecordLine(record, c.line, &mode), c.ok);
        EXPECT_EQ(mode, c.mode);
        for (int k = 0; k < kChannelCount; ++k) {
            double expected = 0.0;
            for (const auto& [channel, value] : c.values)
                if (channel == k) expected = value;
            EXPECT_EQ(record.values[k].value, expected) << "channel " << k;
        }
        for (int f = 0; f < kStatusCount; ++f) {
            int expected = 0;
            for (const auto& [flag, value] : c.flags)
                if (flag == f) expected = value;
            EXPECT_EQ(record.status[f], expected) << "flag " << f;
        }
    }
}

// Guards against fields read with fixed widths or the cursor left at the wrong place.
TEST(RecordLine, TimeStampNeedsNoLeadingZerosAndMovesTheCursor) {
    const std::string text = "x2011-1-18 7:5:0;";
    std::size_t cursor = 1;
    TimeStamp stamp;
    ASSERT_TRUE(CProjectDoc::ParseTimeStamp(text, cursor, stamp));
    EXPECT_EQ(cursor, text.size() - 1);
    EXPECT_EQ(stamp, TimeStamp::FromWords(2011 | 1 << 16 | 18 << 24, 7 | 5 << 8));

    std::size_t failed = 0;
    TimeStamp untouched = stamp;
    EXPECT_FALSE(CProjectDoc::ParseTimeStamp("2011-01-18 15:3", failed, untouched));
    EXPECT_EQ(failed, 0u);
    EXPECT_EQ(untouched, stamp);
}

// Guards against a line that fails half-way leaving part of its values in the record.
TEST(RecordLine, FailedLineLeavesRecordAndModeUntouched) {
    TestProject fixture;
    MeasurementRecord record = MakeRecord(2010, 5, 6, 7, 8, 9, 3);
    const MeasurementRecord before = record;
    int mode = 1;
    EXPECT_FALSE(fixture.doc->ParseRecordLine(record, Line(";MODE;STOP;S1;99;F:KWS"), &mode));
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    EXPECT_EQ(mode, 1);
}

// Guards against numbers read with the C library's locale (a comma locale would cut 12.5 to 12).
TEST(RecordLine, NumbersIgnoreTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    TestProject fixture;
    MeasurementRecord record{};
    const bool ok = fixture.doc->ParseRecordLine(record, Line(";S1;12.5"), nullptr);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_TRUE(ok);
    EXPECT_EQ(record.values[0].value, 12.5);
}

// Guards against S13/S14 stored raw when their sensor is known, or other inputs converted.
TEST(RecordLine, SoilProbeInputsAreConvertedByTheirSensor) {
    TestProject fixture({{.id = "KWS/SMTE/BEC",
                          .description = "KWS/SMTE/BEC",
                          .precision = 2,
                          .minimum = 0,
                          .maximum = 100,
                          .type = "KWS/SMTE",
                          .coefficients = {1, 2}},
                         {.id = "Other",
                          .description = "Other",
                          .precision = 2,
                          .minimum = 0,
                          .maximum = 100,
                          .type = "T",
                          .coefficients = {1, 2}}});
    CopyText(fixture.doc->setup.sensorIds[12], "KWS/SMTE/BEC");
    CopyText(fixture.doc->setup.sensorIds[11], "Other");
    CopyText(fixture.doc->setup.sensorIds[13], "Missing");
    MeasurementRecord record{};
    ASSERT_TRUE(fixture.doc->ParseRecordLine(record, Line(";S12;3;S13;3;S14;3"), nullptr));
    EXPECT_EQ(record.values[11].value, 3.0);
    EXPECT_EQ(record.values[12].value, 7.0);
    EXPECT_EQ(record.values[13].value, 3.0);
}

// A text placed so that its last byte is the last readable byte of a page: any read past the
// end of the text faults.
class GuardedText {
public:
    GuardedText() {
        m_page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        m_size = m_page * 512;
        m_base = static_cast<char*>(::mmap(nullptr, m_size + m_page, PROT_READ | PROT_WRITE,
                                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        if (m_base == MAP_FAILED || ::mprotect(m_base + m_size, m_page, PROT_NONE) != 0)
            throw std::runtime_error("no guard page");
    }
    ~GuardedText() { ::munmap(m_base, m_size + m_page); }
    std::string_view Place(const std::string& text) {
        char* start = m_base + m_size - text.size();
        std::memcpy(start, text.data(), text.size());
        return std::string_view(start, text.size());
    }

private:
    std::size_t m_page;
    std::size_t m_size;
    char* m_base;
};

// Guards against reads past the end of a line of any content (cut anywhere, random bytes).
TEST(RecordLine, NeverReadsPastTheEndOfTheLine) {
    TestProject fixture;
    GuardedText guard;
    const std::vector<std::string> lines = {Line(";S1;12.5;S50;3;F:KWS-LW;1;MODE;START;X;S13;1e5"),
                                            Line(";F:KWS;"), Line(";MODE;"), Line(";S12;-"),
                                            "2011-01-18 15:30:0"};
    for (const std::string& line : lines) {
        for (std::size_t length = 0; length <= line.size(); ++length) {
            MeasurementRecord record{};
            int mode = 0;
            fixture.doc->ParseRecordLine(record, guard.Place(line.substr(0, length)), &mode);
        }
    }
    std::mt19937 random(28);
    const std::string alphabet = std::string("0123456789-: ;SFMODEKWSLB.e+x\r", 30) + '\0';
    for (int i = 0; i < 20000; ++i) {
        std::string line = random() % 2 ? std::string(kStamp) : std::string();
        const std::size_t length = random() % 40;
        for (std::size_t j = 0; j < length; ++j)
            line += alphabet[random() % alphabet.size()];
        MeasurementRecord record{};
        int mode = 0;
        fixture.doc->ParseRecordLine(record, guard.Place(line), &mode);
    }
    std::string longLine = kStamp;
    for (int i = 0; i < 10000; ++i)
        longLine += ";S1;" + std::string(50, '9');
    MeasurementRecord record{};
    EXPECT_TRUE(fixture.doc->ParseRecordLine(record, guard.Place(longLine), nullptr));
}

}  // namespace
}  // namespace vg28::test
