#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "sensors/SensorCatalogue.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {
namespace {

// A valid entry; tests replace or drop single lines of it.
std::string Entry(const std::string& id = "TA 1", const std::string& type = "TA") {
    return "id = " + id + "\n" + "type = " + type +
           "\n"
           "description = Air temperature\n"
           "units = C\n"
           "precision = 1\n"
           "method = STD\n"
           "maxOutput = 2.5\n"
           "minimum = -40\n"
           "maximum = 60\n"
           "c0 = -40\n"
           "c1 = 40\n"
           "standard = 1\n";
}

// The entry with the line of one key replaced (or removed when replacement is empty).
std::string EntryWith(const std::string& key, const std::string& replacement) {
    std::string text = Entry();
    const std::size_t start = text.find(key + " = ");
    const std::size_t end = text.find('\n', start) + 1;
    text.replace(start, end - start, replacement.empty() ? "" : replacement + "\n");
    return text;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

SensorRecord Record(const std::string& id, const std::string& type) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, id);
    CopyText(record.type, type);
    CopyText(record.units, "C");
    record.precision = 1;
    record.maxOutput = 2.5;
    record.minimum = 0.0;
    record.maximum = 1.0;
    record.coefficients[1] = 1.0;
    return record;
}

// Guards against catalogue mistakes slipping into the shipped database or being reported at a
// wrong place: every problem fails the whole text and names the line where it stands.
TEST(SensorCatalogue, ParseErrorsNameTheirLine) {
    const std::string two = Entry() + "\n" + Entry();
    struct Case {
        const char* name;
        std::string text;
        int line;
        const char* message;  // part of the expected message
    } cases[] = {
        {"no equals sign", Entry() + "units\n", 13, "key = value"},
        {"unknown key", "# comment\nid = T\ncolour = red\n", 3, "unknown key 'colour'"},
        {"key given twice", Entry() + "units = K\n", 13, "given twice"},
        {"key case matters", EntryWith("units", "Units = C"), 4, "unknown key"},
        {"missing id", EntryWith("id", ""), 1, "no 'id'"},
        {"missing maximum", "\n\n" + EntryWith("maximum", ""), 3, "no 'maximum'"},
        {"missing type", EntryWith("type", ""), 1, "no 'type'"},
        {"empty id", EntryWith("id", "id ="), 1, "id is empty"},
        {"id of 32 bytes", EntryWith("id", "id = TA " + std::string(29, 'x')), 1, "at most 31"},
        {"type of 32 bytes", EntryWith("type", "type = " + std::string(32, 'T')), 2, "at most 31"},
        {"description of 32 Cyrillic letters",
         EntryWith("description", "description = " + Repeat("ж", 32)), 3, "32 CP1251 bytes"},
        {"units of 16 bytes", EntryWith("units", "units = мкмоль/м2с/xxxxx"), 4, "at most 15"},
        {"character outside CP1251", EntryWith("units", "units = Вт/м²"), 4, "no CP1251"},
        {"line not UTF-8", EntryWith("units", "units = \xB0\x43"), 4, "not UTF-8"},
        {"precision 6", EntryWith("precision", "precision = 6"), 5, "0..5"},
        {"precision -1", EntryWith("precision", "precision = -1"), 5, "0..5"},
        {"precision not whole", EntryWith("precision", "precision = 1.5"), 5, "0..5"},
        {"precision empty", EntryWith("precision", "precision ="), 5, "0..5"},
        {"method in small letters", EntryWith("method", "method = std"), 6, "STD, COMP or AVG"},
        {"method by editor label", EntryWith("method", "method = Normal"), 6, "STD, COMP"},
        {"method as number", EntryWith("method", "method = 0"), 6, "STD, COMP"},
        {"maxOutput above 20", EntryWith("maxOutput", "maxOutput = 20.5"), 7, "0..20"},
        {"maxOutput negative", EntryWith("maxOutput", "maxOutput = -1"), 7, "0..20"},
        {"maxOutput not a number", EntryWith("maxOutput", "maxOutput = n/a"), 7, "number"},
        {"minimum with comma", EntryWith("minimum", "minimum = -40,5"), 8, "number"},
        {"minimum trailing text", EntryWith("minimum", "minimum = -40 C"), 8, "number"},
        {"maximum infinite", EntryWith("maximum", "maximum = inf"), 9, "number"},
        {"maximum out of range", EntryWith("maximum", "maximum = 1e999"), 9, "number"},
        {"coefficient NaN", EntryWith("c1", "c1 = nan"), 11, "finite number"},
        {"coefficient empty", EntryWith("c0", "c0 ="), 10, "number"},
        {"maximum equal to minimum", EntryWith("maximum", "maximum = -40"), 9, "above minimum"},
        {"maximum below minimum", EntryWith("maximum", "maximum = -50"), 9, "above minimum"},
        {"standard 2", EntryWith("standard", "standard = 2"), 12, "0 or 1"},
        {"duplicate id", two, 14, "already used on line 1"},
        {"duplicate id in other case", Entry() + "\n" + Entry("ta 1", "ta"), 14, "already used"},
        {"duplicate Cyrillic id in other case", Entry("TA Ёж", "TA") + "\n" + Entry("TA ёЖ", "TA"),
         14, "already used"},
        {"id of another type", EntryWith("id", "id = TB 1"), 1, "the id must be the type"},
        {"id glued to the type", EntryWith("id", "id = TA1"), 1, "the id must be the type"},
        {"two blanks after the type", EntryWith("id", "id = \"TA  1\""), 1, "the id must"},
        {"template without its blanks", EntryWith("id", "id = Sample TA"), 1, "Sample"},
        {"template of another type", EntryWith("id", "id = \" Sample TB\""), 1, "Sample"},
        {"Sample as a suffix", EntryWith("id", "id = TA Sample"), 1, "Sample"},
        {"template without type", Entry("\" Sample \"", ""), 1, "Sample"},
        {"unterminated quote", EntryWith("description", "description = \"Air"), 3, "closing"},
        {"bare quote inside quotes", EntryWith("description", "description = \"a\"b\""), 3,
         "double quote"},
        {"unknown escape", EntryWith("description", "description = \"a\\qb\""), 3, "escape"},
        {"short hex escape", EntryWith("description", "description = \"a\\x4\""), 3, "hex"},
        {"NUL escape", EntryWith("description", "description = \"a\\x00\""), 3, "\\x00"},
        {"lone backslash", EntryWith("description", "description = \"a\\\""), 3, "backslash"},
        {"error in second entry", Entry() + "\n\n" + EntryWith("units", "units = Вт/м²"), 18,
         "no CP1251"},
    };
    for (const Case& c : cases) {
        const SensorCatalogue::ParseResult result = SensorCatalogue::Parse(c.text);
        EXPECT_FALSE(result.Ok()) << c.name;
        EXPECT_EQ(result.errorLine, c.line) << c.name << ": " << result.error;
        EXPECT_NE(result.error.find(c.message), std::string::npos)
            << c.name << ": " << result.error;
        EXPECT_TRUE(result.records.empty()) << c.name;
    }
}

// Guards against counting UTF-8 bytes instead of the stored CP1251 bytes (31 Cyrillic letters
// are 62 UTF-8 bytes but fit), and against storing UTF-8 into the record.
TEST(SensorCatalogue, TextsAreMeasuredAndStoredInCp1251) {
    std::string text = EntryWith("description", "description = " + Repeat("ж", 31));
    text = text.replace(text.find("units = C"), 9, "units = " + Repeat("м", 14) + "°");
    const auto result = SensorCatalogue::Parse(text);
    ASSERT_TRUE(result.Ok()) << result.errorLine << ": " << result.error;
    ASSERT_EQ(result.records.size(), 1u);
    EXPECT_EQ(TextOf(result.records[0].description), std::string(31, '\xE6'));
    EXPECT_EQ(TextOf(result.records[0].units), std::string(14, '\xEC') + "\xB0");
}

// Guards against a reader that only copes with its own output: comments inside entries, CRLF,
// a byte-order mark, runs of blank lines, quoted blanks, escapes and left-out optional keys.
TEST(SensorCatalogue, ReadsHandWrittenText) {
    const std::string text =
        "\xEF\xBB\xBF# catalogue\r\n"
        "\r\n"
        "\r\n"
        "id = \" Sample T\"\r\n"
        "  # the template\r\n"
        "type=T\r\n"
        "description = \"Темп. \\\"air\\\" \\\\ \\x98\\t\"\r\n"
        "units =   °C  \r\n"
        "precision = +2\r\n"
        "method = COMP\r\n"
        "maxOutput = 5\r\n"
        "minimum = -1.5e1\r\n"
        "maximum = +60\r\n"
        "c5 = 1e-3\r\n"
        "   \t \r\n"
        "id = T 1\n"
        "type = T\n"
        "description =\n"
        "units = %\n"
        "precision = 0\n"
        "method = AVG\n"
        "maxOutput = 0\n"
        "minimum = 0\n"
        "maximum = 100";  // no line break at the end
    const auto result = SensorCatalogue::Parse(text);
    ASSERT_TRUE(result.Ok()) << result.errorLine << ": " << result.error;
    ASSERT_EQ(result.records.size(), 2u);
    EXPECT_EQ(result.lines, (std::vector<int>{4, 16}));

    const SensorRecord& first = result.records[0];
    EXPECT_EQ(TextOf(first.id), " Sample T");
    EXPECT_EQ(TextOf(first.type), "T");
    EXPECT_EQ(TextOf(first.description), "\xD2\xE5\xEC\xEF. \"air\" \\ \x98\t");
    EXPECT_EQ(TextOf(first.units),
              "\xB0"
              "C");
    EXPECT_EQ(first.precision, 2);
    EXPECT_EQ(first.method, kMethodComp);
    EXPECT_EQ(first.maxOutput, 5.0);
    EXPECT_EQ(first.minimum, -15.0);
    EXPECT_EQ(first.maximum, 60.0);
    EXPECT_EQ(first.coefficients[5], 0.001);
    EXPECT_EQ(first.coefficients[0], 0.0);
    EXPECT_EQ(first.standardCoefficients, 0);

    // Everything the text does not set is zero, reserved areas and bytes after the texts too.
    SensorRecord expected = EmptySensorRecord();
    CopyText(expected.id, "T 1");
    CopyText(expected.type, "T");
    CopyText(expected.units, "%");
    expected.method = kMethodAvg;
    expected.maximum = 100.0;
    EXPECT_EQ(std::memcmp(&result.records[1], &expected, sizeof expected), 0);
}

// Guards against dumps that do not read back to the same bytes: texts with blanks at their
// ends, quotes, backslashes, control bytes and Cyrillic; records from an instrument (no type);
// numbers that need all 17 digits, signed zero, extremes.
TEST(SensorCatalogue, WriteThenParseGivesTheSameRecords) {
    std::vector<SensorRecord> records;
    records.push_back(Record(" Sample T", "T"));
    records.push_back(Record("T 1", "T"));
    records.push_back(Record("QJ-7 \xC4\xE5\xED\xE4\xF0", "QJ-7"));  // Cyrillic suffix
    records.push_back(Record("any id from an instrument ", ""));
    records.push_back(Record("\"quoted\"", ""));
    records.push_back(Record("\"", ""));

    SensorRecord& tricky = records[1];
    CopyText(tricky.description, "  a \\ \"b\"\n\r\t\x01\x7F\x98\xFF ");
    CopyText(tricky.units,
             "\xB0"
             "C");
    tricky.precision = 5;
    tricky.method = kMethodAvg;
    tricky.maxOutput = 20.0;
    tricky.minimum = -DBL_MAX;
    tricky.maximum = DBL_MAX;
    tricky.coefficients[0] = -0.0;
    tricky.coefficients[1] = 1.0 / 3.0;
    tricky.coefficients[2] = std::numeric_limits<double>::denorm_min();
    tricky.coefficients[3] = -1e-300;
    tricky.coefficients[4] = 0.1 + 0.2;
    tricky.coefficients[5] = 123456789.123456789;
    tricky.standardCoefficients = 1;
    CopyText(records[2].description, "\"starts with a quote");
    CopyText(records[3].description, "ends with a quote\"");

    const std::string text = SensorCatalogue::Write(records);
    EXPECT_TRUE(TextCodec::IsValidUtf8(text));
    const auto result = SensorCatalogue::Parse(text);
    ASSERT_TRUE(result.Ok()) << result.errorLine << ": " << result.error;
    ASSERT_EQ(result.records.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(std::memcmp(&result.records[i], &records[i], sizeof(SensorRecord)), 0)
            << "record " << i << " (" << TextOf(records[i].id) << ")";
    }
    EXPECT_TRUE(std::signbit(result.records[1].coefficients[0]));
}

// Guards against a dump that silently drops or merges records the database really holds: a
// second record with the same ID is written, and reading it back names that record's line.
TEST(SensorCatalogue, DumpOfDuplicateIdsIsRefusedAtTheSecond) {
    const std::vector<SensorRecord> records = {Record("T 1", "T"), Record("T 1", "T")};
    const std::string text = SensorCatalogue::Write(records);
    const auto result = SensorCatalogue::Parse(text);
    ASSERT_FALSE(result.Ok());
    const std::size_t second = text.find("id = T 1", text.find("id = T 1") + 1);
    const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + second, '\n'));
    EXPECT_EQ(result.errorLine, line);
}

// Guards against an ID match that folds only Latin letters, or folds what it should not.
TEST(SensorCatalogue, SameIdIgnoringCase) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"T 1", "t 1", true},
        {"T 1", "T 1 ", false},
        {"\xC0\xDF", "\xE0\xFF", true},  // А Я / а я
        {"\xA8", "\xB8", true},          // Ё / ё
        {"\xB0", "\xB1", false},         // ° ±
        {"1", "2", false},
        {"", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SensorCatalogue::SameIdIgnoringCase(c.a, c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace vg28
