#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "sensors/SensorDatabase.h"
#include "sensors/SensorFormat.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

SensorRecord Sensor(const std::string& id, const std::string& type = "T") {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, id);
    CopyText(record.type, type);
    return record;
}

void AppendWord(std::string& bytes, std::uint32_t word) {
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((word >> (8 * i)) & 0xFF);
}

// A file image: the header with the given fields, then the given records.
std::string FileImage(std::uint32_t magic, std::uint32_t version, std::uint32_t count,
                      const std::vector<SensorRecord>& records) {
    std::string bytes;
    AppendWord(bytes, magic);
    AppendWord(bytes, version);
    AppendWord(bytes, count);
    bytes.append(52, '\0');
    for (const SensorRecord& record : records)
        bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    return bytes;
}

// A record whose every byte is set, reserved areas and the bytes after the texts included.
SensorRecord NoisyRecord(unsigned seed) {
    std::mt19937 random(seed);
    SensorRecord record;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i)
        bytes[i] = static_cast<std::uint8_t>(random());
    return record;
}

// Sets the process's locale for one test and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(char separator) : m_saved(Locale::Current()) {
        Locale::SetCurrent(Locale(separator, "%d.%m.%Y", "%H:%M:%S"));
    }
    ~LocaleScope() { Locale::SetCurrent(m_saved); }

private:
    Locale m_saved;
};

// Guards against accepting damaged, foreign or empty files, which must stop the program
// instead of running it with a half database.
TEST(SensorDatabase, LoadRefusesDamagedFiles) {
    const SensorRecord a = Sensor("T 1");
    const SensorRecord b = Sensor("T 2");
    const std::string good = FileImage(SensorDatabase::kMagic, SensorDatabase::kVersion, 2, {a, b});
    struct Case {
        const char* name;
        std::string bytes;
        std::size_t recordsKept;
    } cases[] = {
        {"empty file", "", 0},
        {"header cut short", good.substr(0, 63), 0},
        {"no records (N = 0)", FileImage(SensorDatabase::kMagic, SensorDatabase::kVersion, 0, {}),
         0},
        {"older version", FileImage(SensorDatabase::kMagic, 0x00010000, 2, {a, b}), 0},
        {"newer version", FileImage(SensorDatabase::kMagic, 0x00020001, 2, {a, b}), 0},
        {"foreign magic", FileImage(0x52505845, SensorDatabase::kVersion, 2, {a, b}), 0},
        {"second record cut in its first block", good.substr(0, 64 + 432 + 271), 1},
        {"second record cut in its second block", good.substr(0, good.size() - 1), 1},
        {"count larger than the file", FileImage(SensorDatabase::kMagic, 0x00020000, 3, {a, b}), 2},
        {"huge count", FileImage(SensorDatabase::kMagic, 0x00020000, 0xFFFFFFFF, {a}), 1},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        folder.WriteFile("sensors.dat", c.bytes);
        SensorDatabase database;
        EXPECT_FALSE(database.Load(folder.File("sensors.dat"))) << c.name;
        EXPECT_EQ(database.Count(), c.recordsKept) << c.name;
    }
    SensorDatabase database;
    EXPECT_FALSE(database.Load(folder.File("missing.dat")));
    EXPECT_FALSE(database.Load(folder.Path()));  // a folder, not a file
}

// Guards against reading past the count (trailing bytes are not records) and against Load
// replacing instead of appending.
TEST(SensorDatabase, LoadAppendsTheCountedRecordsOnly) {
    test::TempFolder folder;
    std::string bytes =
        FileImage(SensorDatabase::kMagic, SensorDatabase::kVersion, 1, {Sensor("T 1")});
    bytes += std::string(432, 'x');
    folder.WriteFile("sensors.dat", bytes);
    SensorDatabase database;
    database.Append(Sensor("already there"));
    ASSERT_TRUE(database.Load(folder.File("sensors.dat")));
    ASSERT_EQ(database.Count(), 2u);
    EXPECT_EQ(TextOf(database.At(0).id), "already there");
    EXPECT_EQ(TextOf(database.At(1).id), "T 1");
}

// Guards against a save that changes bytes the program does not understand (reserved areas,
// bytes after the texts) or a layout other than header + 272 + 160 bytes per record.
TEST(SensorDatabase, SaveThenLoadIsByteIdentical) {
    test::TempFolder folder;
    SensorDatabase database;
    for (unsigned seed = 1; seed <= 3; ++seed)
        database.Append(NoisyRecord(seed));
    ASSERT_TRUE(database.Save(folder.File("sensors.dat")));

    const std::string bytes = folder.ReadFile("sensors.dat");
    EXPECT_EQ(bytes, FileImage(0x534E4553, 0x00020000, 3, database.Records()));
    EXPECT_EQ(bytes.substr(0, 4), "SENS");

    SensorDatabase loaded;
    ASSERT_TRUE(loaded.Load(folder.File("sensors.dat")));
    ASSERT_EQ(loaded.Count(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(std::memcmp(&loaded.At(i), &database.At(i), sizeof(SensorRecord)), 0) << i;
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"sensors.dat"});
}

// Guards against a failed save that reports success, destroys the old database (the program
// would not start again) or leaves a temporary file behind.
TEST(SensorDatabase, FailedSaveKeepsTheOldFile) {
    test::TempFolder folder;
    const std::string old =
        FileImage(SensorDatabase::kMagic, SensorDatabase::kVersion, 1, {Sensor("old")});
    folder.WriteFile("sensors.dat", old);
    SensorDatabase database;
    for (unsigned seed = 1; seed <= 20; ++seed)
        database.Append(NoisyRecord(seed));

    // The disk fills up half-way: writes beyond 2000 bytes fail.
    test::FileSizeLimit limit;
    ASSERT_TRUE(limit.Saved());
    ASSERT_TRUE(limit.Lower(2000));
    const bool saved_ok = database.Save(folder.File("sensors.dat"));
    limit.Restore();
    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(folder.ReadFile("sensors.dat"), old);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"sensors.dat"});

    // The path names a folder: nothing may be replaced or left over.
    ASSERT_EQ(::mkdir(folder.File("taken").c_str(), 0755), 0);
    folder.WriteFile("taken/inside", "keep");
    EXPECT_FALSE(database.Save(folder.File("taken")));
    EXPECT_EQ(folder.ReadFile("taken/inside"), "keep");
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"sensors.dat", "taken"}));

    // The folder does not exist.
    EXPECT_FALSE(database.Save(folder.File("none/sensors.dat")));
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"sensors.dat", "taken"}));
}

// Guards against a lookup that ignores case, matches prefixes, or takes a later duplicate.
TEST(SensorDatabase, FindByIdIsExactAndTakesTheFirst) {
    SensorDatabase database;
    SensorRecord first = Sensor("T 1");
    first.precision = 1;
    SensorRecord second = Sensor("T 1");
    second.precision = 2;
    database.Append(Sensor("T 10"));
    database.Append(first);
    database.Append(second);
    SensorRecord full = EmptySensorRecord();
    std::memset(full.id, 'F', sizeof full.id);  // 32 bytes without a NUL
    database.Append(full);

    ASSERT_NE(database.FindById("T 1"), nullptr);
    EXPECT_EQ(database.FindById("T 1")->precision, 1);
    EXPECT_EQ(database.IndexOf("T 1"), 1);
    EXPECT_EQ(database.FindById("t 1"), nullptr);
    EXPECT_EQ(database.FindById("T"), nullptr);
    EXPECT_EQ(database.FindById("T 1 "), nullptr);
    EXPECT_EQ(database.IndexOf(std::string(32, 'F')), 3);
    EXPECT_EQ(database.IndexOf(std::string(31, 'F')), -1);

    database.RemoveAt(1);
    EXPECT_EQ(database.FindById("T 1")->precision, 2);
    database.RemoveAt(99);  // out of range: nothing happens
    EXPECT_EQ(database.Count(), 3u);
}

// Guards against captions that label module, probe, calculated or logger channels as inputs.
TEST(SensorFormat, ShortLabelsAndCaptions) {
    struct Case {
        int n;
        const char* id;
        const char* label;
    } cases[] = {
        {5, "KWS/SMTE/VWC C1", "SMTE"}, {5, "KWS/SMTE", "SMTE"}, {5, "KWS/AT", "KWS"},
        {5, "Em50/RH", "Em50"},         {5, "CV/VPD", "CV"},     {5, "T 1", "S5"},
        {17, "kws/AT", "S17"},          {5, "KWS", "S5"},        {12, "", "S12"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortLabel(c.n, c.id), c.label) << c.id;

    SensorRecord record = Sensor("T 1");
    CopyText(record.description, "Temp");
    CopyText(record.units, "C");
    EXPECT_EQ(ChannelCaption(record, 3, true), "Temp (S3:T 1), C");
    EXPECT_EQ(ChannelCaption(record, 3, false), "Temp (S3:T 1)");
    EXPECT_EQ(MissingSensorCaption(13, "KWS/SMTE/BEC"), "SMTE (KWS/SMTE/BEC)");
    EXPECT_EQ(MissingSensorCaption(2, "X 9"), "S2 (X 9)");
}

// Guards against the wrong number of decimals, a separator the user did not choose, or
// separators in the unlocalized text that files and the wire need with ".".
TEST(SensorFormat, FormatValueByPrecisionAndLocale) {
    LocaleScope comma(',');
    struct Case {
        double value;
        int precision;
        bool localized;
        const char* text;
    } cases[] = {
        {2.5, 2, true, "2,50"},           {2.5, 2, false, "2.50"},  {2.46, 0, true, "2"},
        {-0.123456, 5, true, "-0,12346"}, {2.5, 7, true, "2,500"},  {2.5, -1, false, "2.500"},
        {1234.5678, 1, true, "1234,6"},   {1.0, 3, false, "1.000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatValue(c.value, c.precision, c.localized), c.text)
            << c.value << " " << c.precision;
    // The largest values are written out in full, not cut.
    const std::string huge = FormatValue(1.7e308, 5, false);
    EXPECT_EQ(std::strtod(huge.c_str(), nullptr), 1.7e308);
}

// Guards against coefficient texts that differ from the Windows runtime's three exponent digits
// or ignore the decimal separator.
TEST(SensorFormat, FormatCoefficientAsTheWindowsRuntime) {
    struct Case {
        char separator;
        double value;
        const char* text;
    } cases[] = {
        {',', 1.0, "1,00000e+000"},   {'.', 1.0, "1.00000e+000"},
        {',', 0.0, "0,00000e+000"},   {',', -0.00012345, "-1,23450e-004"},
        {',', 1e100, "1,00000e+100"}, {',', 2.5e-300, "2,50000e-300"},
        {',', 40.0, "4,00000e+001"},
    };
    for (const Case& c : cases) {
        LocaleScope scope(c.separator);
        EXPECT_EQ(FormatCoefficient(c.value), c.text) << c.value;
    }
}

// Guards against misreading what the operator types: the user's separator, blanks, signs,
// empty text and rubbish.
TEST(SensorFormat, ParseLocalizedReadsTheUsersSeparator) {
    struct Case {
        char separator;
        const char* text;
        double value;
    } cases[] = {
        {',', "2,5", 2.5},          {',', "", 0.0},
        {',', "  -1,25", -1.25},    {',', "+3", 3.0},
        {',', "1,00000e+000", 1.0}, {',', "4,00000e+001", 40.0},
        {',', "abc", 0.0},          {',', "1,5,6", 1.5},
        {'.', "2.5", 2.5},          {'.', "2,5", 2.0},
        {',', "1e999", 0.0},        {',', "7 V", 7.0},
    };
    for (const Case& c : cases) {
        LocaleScope scope(c.separator);
        EXPECT_EQ(ParseLocalized(c.text), c.value) << c.text;
    }
    LocaleScope comma(',');
    for (double value : {1.0, -0.00012345, 123.456, 1e-7})
        EXPECT_DOUBLE_EQ(ParseLocalized(FormatCoefficient(value)), value);
}

// Guards against a wrong order or a missing term in the conversion of raw soil-probe readings.
TEST(SensorFormat, PolynomialConvertsRawReadings) {
    SensorRecord record = Sensor("KWS/SMTE/BEC", "KWS/SMTE/BEC");
    record.coefficients[0] = 1.0;
    record.coefficients[1] = 2.0;
    EXPECT_EQ(EvaluatePolynomial(record, 3.0), 7.0);
    for (int k = 0; k < 6; ++k)
        record.coefficients[k] = k + 1.0;  // 1 + 2x + ... + 6x^5
    EXPECT_EQ(EvaluatePolynomial(record, 2.0), 1 + 4 + 12 + 32 + 80 + 192);
    EXPECT_EQ(EvaluatePolynomial(record, 0.0), 1.0);
    EXPECT_EQ(EvaluatePolynomial(EmptySensorRecord(), 12.5), 0.0);
}

// Guards against marking values inside the range, missing clipped ones, or marking the Em50
// logger's values, which have no clipping.
TEST(SensorFormat, MarkValueAtRangeEnds) {
    struct Case {
        const char* type;
        double value;
        int mark;
    } cases[] = {
        {"T", 60.0, 1},        {"T", -40.0, 1},      {"T", 60.000009, 1},
        {"T", 59.9999, 0},     {"T", 20.0, 0},       {"Em50/AT", 60.0, 0},
        {"Em50/AT", -40.0, 0}, {"em50/AT", 60.0, 1}, {"Em50", 60.0, 1},
    };
    for (const Case& c : cases) {
        SensorRecord record = Sensor("X", c.type);
        record.precision = 4;
        record.minimum = -40.0;
        record.maximum = 60.0;
        ChannelValue cell;
        cell.value = c.value;
        cell.precision = 1;
        cell.limitMark = 1;  // a stale mark from before must go
        MarkValue(record, cell);
        EXPECT_EQ(cell.limitMark, c.mark) << c.type << " " << c.value;
        EXPECT_EQ(cell.precision, 4) << c.type;
        EXPECT_EQ(cell.value, c.value) << c.type;
    }
}

}  // namespace
}  // namespace vg28
