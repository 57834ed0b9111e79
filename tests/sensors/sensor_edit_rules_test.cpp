// The sensor editor's rules without a window: the ID field, protection of built-in sensors,
// template lookup, the open controls of each state and the checks before a save.

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "sensors/SensorEditRules.h"

namespace vg28 {
namespace {

using Problem = SensorEditRules::Problem;

SensorRecord Sensor(const std::string& id, const std::string& type) {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, id);
    CopyText(record.type, type);
    return record;
}

// A record that passes every check.
SensorRecord Valid(const std::string& id, const std::string& type) {
    SensorRecord record = Sensor(id, type);
    CopyText(record.units, "C");
    record.maxOutput = 2.5;
    record.minimum = -40.0;
    record.maximum = 60.0;
    record.coefficients[1] = 40.0;
    return record;
}

SensorDatabase Database(const std::vector<SensorRecord>& records) {
    SensorDatabase database;
    database.ReplaceAll(records);
    return database;
}

// The ID field showing or storing the wrong text ("T T 1", a lost suffix, a template renamed,
// an ID longer than its field).
TEST(SensorEditRules, IdFieldShownAndStored) {
    const struct {
        const char* id;
        const char* type;
        const char* shown;
    } shownRows[] = {{"T 1", "T", "1"},
                     {"T", "T", "T"},
                     {" Sample T", "T", "Sample"},
                     {"TA  7", "TA", "7"},
                     {"KWS/AT", "", "KWS/AT"},
                     {"Other 1", "T", "Other 1"},
                     {"KWS/SMTE/VWC C1", "KWS/SMTE/VWC", "C1"}};
    for (const auto& row : shownRows)
        EXPECT_EQ(SensorEditRules::DisplayedId(row.id, row.type), row.shown) << row.id;

    const struct {
        const char* text;
        const char* type;
        const char* stored;
    } storedRows[] = {{"1", "T", "T 1"},
                      {"T", "T", "T"},
                      {"Sample", "T", " Sample T"},
                      {"my Sample", "QJ-DM", " Sample QJ-DM"},
                      {"", "T", ""},
                      {"#", "TA", "TA #"}};
    for (const auto& row : storedRows)
        EXPECT_EQ(SensorEditRules::StoredId(row.text, row.type), row.stored) << row.text;

    // A full type and a full suffix make 32 characters: the ID keeps 31.
    const std::string longId = SensorEditRules::StoredId("123456789012345", "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(longId, "ABCDEFGHIJKLMNOP 12345678901234");
    // Shown and stored again, an ID comes back unchanged.
    const std::pair<const char*, const char*> roundTrips[] = {
        {"T 1", "T"}, {"T", "T"}, {" Sample T", "T"}, {"KWS/SMTE/VWC C2", "KWS/SMTE/VWC"}};
    for (const auto& [id, type] : roundTrips)
        EXPECT_EQ(SensorEditRules::StoredId(SensorEditRules::DisplayedId(id, type), type), id);
}

// Built-in sensors changed or deleted without the profile's "Open", or the open weather-station
// sensors refused.
TEST(SensorEditRules, ProtectionOfBuiltInSensors) {
    const struct {
        const char* id;
        bool change;
        bool remove;
    } rows[] = {
        {"T 1", true, true},           {" Sample TA", false, false},
        {"KWS/AT", false, false},      {"KWS/R PAR", true, true},
        {"KWS/R", false, false},       {"KWS/SMTE/VWC C1", true, true},
        {"KWS/SMTE/BEC", true, false}, {"KWS/SMTE/PEC", true, false},
        {"KWS/SMTE/ST", false, false}, {"CV/VPD", false, false},
        {"Em50/RH", false, false},     {"QJ-DM 1", true, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SensorEditRules::MayChange(row.id, false), row.change) << row.id;
        EXPECT_EQ(SensorEditRules::MayDelete(row.id, false), row.remove) << row.id;
        EXPECT_TRUE(SensorEditRules::MayChange(row.id, true)) << row.id;
        EXPECT_TRUE(SensorEditRules::MayDelete(row.id, true)) << row.id;
    }
}

// A new sensor filled from the wrong record (the first of the type instead of its template),
// its ID overwritten by the template's, or a type matched ignoring case.
TEST(SensorEditRules, TemplateWhicheverOrder) {
    SensorRecord sample = Valid(" Sample T", "T");
    CopyText(sample.description, "Template");
    sample.standardCoefficients = 1;
    sample.reserved1[5] = 0x5A;
    sample.reserved2[0] = 0x11;
    SensorRecord first = Valid("T 1", "T");
    CopyText(first.description, "First");
    first.maximum = 99.0;
    const SensorRecord other = Valid("U 1", "U");
    const struct {
        const char* name;
        std::vector<SensorRecord> records;
        const char* type;
        const char* templateId;  // nullptr: none
    } rows[] = {
        {"sample first", {other, sample, first}, "T", " Sample T"},
        {"sample last", {first, other, sample}, "T", " Sample T"},
        {"no sample", {other, first}, "T", "T 1"},
        {"case differs", {sample, first}, "t", nullptr},
        {"empty type", {Sensor("X", "")}, "", nullptr},
    };
    for (const auto& row : rows) {
        const SensorDatabase database = Database(row.records);
        const int index = SensorEditRules::FindTemplate(database, row.type);
        SensorRecord work = Sensor("", "");
        work.reserved2[3] = 0x77;
        const bool applied = SensorEditRules::ApplyTemplate(database, row.type, work);
        if (!row.templateId) {
            EXPECT_EQ(index, -1) << row.name;
            EXPECT_FALSE(applied) << row.name;
            EXPECT_TRUE(TextOf(work.id).empty()) << row.name;
            continue;
        }
        ASSERT_GE(index, 0) << row.name;
        const SensorRecord& source = database.At(static_cast<std::size_t>(index));
        EXPECT_EQ(TextOf(source.id), row.templateId) << row.name;
        ASSERT_TRUE(applied) << row.name;
        EXPECT_EQ(std::memcmp(&work, &source, kSensorFirstBlock), 0) << row.name;
        EXPECT_EQ(TextOf(work.id), std::string(row.type) + " #") << row.name;
        EXPECT_EQ(work.reserved2[3], 0x77) << row.name;  // the second block is the record's own
    }
    // An ID already given stays.
    SensorRecord named = Sensor("T 5", "");
    ASSERT_TRUE(SensorEditRules::ApplyTemplate(Database({first, sample}), "T", named));
    EXPECT_EQ(TextOf(named.id), "T 5");
    EXPECT_EQ(TextOf(named.description), "Template");
}

// Checks in the wrong order (the operator told about the last problem first), a duplicate ID
// that differs in letter case accepted, min = max accepted, "n/a" maximum output accepted, or
// a record refused as a duplicate of itself.
TEST(SensorEditRules, ChecksInOrder) {
    const SensorDatabase database =
        Database({Valid("TA 1", "TA"), Valid(TextCodec::Utf8ToCp1251("Вл 1"), "X")});
    const auto make = [](auto change) {
        SensorRecord record = Valid("T 9", "T");
        change(record);
        return record;
    };
    const struct {
        const char* name;
        SensorRecord record;
        const char* idText;
        bool maxOutputOpen;
        int editIndex;
        bool openAll;
        Problem expected;
    } rows[] = {
        {"valid", make([](SensorRecord&) {}), "9", true, -1, false, Problem::None},
        {"everything missing", make([](SensorRecord& r) { r = EmptySensorRecord(); }), "", true, -1,
         false, Problem::NoType},
        {"no units, no id, bad range", make([](SensorRecord& r) {
             CopyText(r.units, "");
             r.minimum = r.maximum;
         }),
         "", true, -1, false, Problem::NoUnits},
        {"no id, bad range", make([](SensorRecord& r) { r.minimum = r.maximum; }), "", true, -1,
         false, Problem::NoId},
        {"n/a output", make([](SensorRecord& r) { r.maxOutput = 0.0; }), "9", true, -1, false,
         Problem::MaxOutput},
        {"n/a output, closed field", make([](SensorRecord& r) { r.maxOutput = 0.0; }), "9", false,
         -1, false, Problem::None},
        {"n/a output, open all", make([](SensorRecord& r) { r.maxOutput = 0.0; }), "9", true, -1,
         true, Problem::None},
        {"25 V before the range", make([](SensorRecord& r) {
             r.maxOutput = 25.0;
             r.minimum = 70.0;
         }),
         "9", true, -1, false, Problem::MaxOutput},
        {"20 V", make([](SensorRecord& r) { r.maxOutput = 20.0; }), "9", true, -1, false,
         Problem::None},
        {"min = max", make([](SensorRecord& r) { r.minimum = r.maximum = 5.0; }), "9", true, -1,
         true, Problem::Range},
        {"min > max before duplicate", make([](SensorRecord& r) {
             r.minimum = 100.0;
             CopyText(r.id, "TA 1");
         }),
         "1", true, -1, false, Problem::Range},
        {"duplicate, other case", make([](SensorRecord& r) { CopyText(r.id, "ta 1"); }), "1", true,
         -1, true, Problem::DuplicateId},
        {"duplicate, Cyrillic case",
         make([](SensorRecord& r) { CopyText(r.id, TextCodec::Utf8ToCp1251("вЛ 1")); }), "1", true,
         -1, false, Problem::DuplicateId},
        {"duplicate of another edited record",
         make([](SensorRecord& r) { CopyText(r.id, "TA 1"); }), "1", true, 1, false,
         Problem::DuplicateId},
        {"own ID kept", make([](SensorRecord& r) { CopyText(r.id, "TA 1"); }), "1", true, 0, false,
         Problem::None},
        {"no coefficients",
         make([](SensorRecord& r) { std::memset(r.coefficients, 0, sizeof r.coefficients); }), "9",
         true, -1, false, Problem::NoCoefficients},
        {"no coefficients, open all",
         make([](SensorRecord& r) { std::memset(r.coefficients, 0, sizeof r.coefficients); }), "9",
         true, -1, true, Problem::None},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SensorEditRules::Validate(row.record, row.idText, row.maxOutputOpen,
                                            row.editIndex, database, row.openAll),
                  row.expected)
            << row.name;
    }
    EXPECT_EQ(SensorEditRules::MessageOf(Problem::DuplicateId), 10438);
    EXPECT_EQ(SensorEditRules::MessageOf(Problem::None), 0);
}

// Controls open that must be closed (an existing sensor's characteristics, a protected probe's
// ID, the list during an edit) or closed that must be open (a QJ- method, coefficients that are
// not standard).
TEST(SensorEditRules, OpenControlsByState) {
    using E = SensorEditRules::Enabling;
    const struct {
        const char* name;
        SensorEditRules::State state;
        E expected;  // browse, saveCancel, characteristics, coefficients, id, method
    } rows[] = {
        {"browsing",
         {false, false, false, false, "T", "T 1", false},
         {true, false, false, false, false, false}},
        {"browsing, open all",
         {false, true, false, false, "T", "T 1", false},
         {true, false, false, false, false, false}},
        {"new, type typed",
         {true, false, true, false, "", "", true},
         {false, true, true, true, true, true}},
        {"new from a template",
         {true, false, true, true, "T", "T #", true},
         {false, true, false, false, true, false}},
        {"new from a template, own coefficients",
         {true, false, true, true, "T", "T #", false},
         {false, true, false, true, true, false}},
        {"change",
         {true, false, false, false, "T", "T 1", true},
         {false, true, false, false, true, false}},
        {"change QJ-",
         {true, false, false, false, "QJ-DM", "QJ-DM 1", true},
         {false, true, false, false, true, true}},
        {"change SMTE probe",
         {true, false, false, false, "KWS/SMTE/BEC", "KWS/SMTE/BEC", true},
         {false, true, false, false, false, false}},
        {"change SMTE probe, open all",
         {true, true, false, false, "KWS/SMTE/BEC", "KWS/SMTE/BEC", true},
         {false, true, true, true, true, true}},
    };
    for (const auto& row : rows) {
        const E e = SensorEditRules::EnablingFor(row.state);
        EXPECT_EQ(e.browse, row.expected.browse) << row.name;
        EXPECT_EQ(e.saveCancel, row.expected.saveCancel) << row.name;
        EXPECT_EQ(e.characteristics, row.expected.characteristics) << row.name;
        EXPECT_EQ(e.coefficients, row.expected.coefficients) << row.name;
        EXPECT_EQ(e.id, row.expected.id) << row.name;
        EXPECT_EQ(e.method, row.expected.method) << row.name;
    }
}

// A maximum output shown on the wrong item, an item read back as another value, or a value
// above every item shown as one of them.
TEST(SensorEditRules, MaxOutputItems) {
    const char* texts[] = {"n/a", "1.0", "2.5", "5.0", "10.0", "20.0"};
    for (int item = 0; item < SensorEditRules::kMaxOutputItems; ++item) {
        EXPECT_EQ(SensorEditRules::MaxOutputText(item), texts[item]);
        EXPECT_EQ(SensorEditRules::ItemOfMaxOutput(SensorEditRules::MaxOutputOfItem(item)), item);
    }
    const struct {
        double volts;
        int item;
    } rows[] = {{0.0, 0}, {0.05, 0}, {0.5, 1}, {2.55, 2}, {3.3, 3}, {19.95, 5}, {20.2, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(SensorEditRules::ItemOfMaxOutput(row.volts), row.item) << row.volts;
    EXPECT_EQ(SensorEditRules::MaxOutputOfItem(-1), 2.5);
}

}  // namespace
}  // namespace vg28
