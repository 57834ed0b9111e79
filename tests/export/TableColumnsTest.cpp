#include "project/TableColumns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Ansi.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

// A project with a thermometer on S1, an unknown sensor on S2, the soil probe on S12-S15 and
// thermometers on S48 and S49 (channels 15-46 are "Plug and Play" from the reset).
void FillChannels(TestProject& project, bool withSubstrate) {
    project.AddSensor({"T 1", Ansi("Температура"),
                       "\xB0"
                       "C",
                       2, -40.0, 60.0});
    project.AddSensor({"KWS/SMTE/VWC C1", "VWC", "%", 1, 0.0, 100.0});
    project.AddSensor({"KWS/SMTE/BEC", "BEC", "dS/m", 2, 0.0, 20.0});
    project.AddSensor({"KWS/SMTE/PEC", "PEC", "dS/m", 2, 0.0, 20.0});
    project.AddSensor({"KWS/SMTE/ST", "ST",
                       "\xB0"
                       "C",
                       1, -40.0, 60.0});
    project.SetChannel(0, "T 1");
    project.SetChannel(1, "X 9");
    if (withSubstrate) project.SetChannel(11, "KWS/SMTE/VWC C1");
    project.SetChannel(12, "KWS/SMTE/BEC");
    project.SetChannel(13, "KWS/SMTE/PEC");
    project.SetChannel(14, "KWS/SMTE/ST");
    project.SetChannel(47, "T 1");
    project.SetChannel(48, "T 1");
}

struct ColumnCase {
    const char* name;
    bool withSubstrate;
    int mode;
    std::uint64_t custom;
    std::vector<int> dataIndices;
};

// Guards the column rules: modes, custom set, channel 13 never, channels 12/14 only together
// with channel 11, "Plug and Play" channels never, S48/S49 not in mode 1, status columns only
// in mode 3.
TEST(TableColumnsTest, ShowsTheColumnsOfEachModeByTheChannelRules) {
    const std::uint64_t all = TableColumns::kAllColumns;
    const std::vector<ColumnCase> cases = {
        {"full", true, 0, 0, {0, 1, 2, 12, 13, 15, 48, 49}},
        {"typical_drops_S48_S49", true, 1, 0, {0, 1, 2, 12, 13, 15}},
        {"diagnostics_adds_status", true, 3, 0, {0, 1, 2, 12, 13, 15, 48, 49, 50, 51, 52, 53, 54}},
        {"custom_time_only", true, 2, 1, {0}},
        {"custom_all", true, 2, all, {0, 1, 2, 12, 13, 15, 48, 49}},
        {"custom_without_substrate_hides_probe",
         true,
         2,
         all & ~(std::uint64_t{1} << 12),
         {0, 1, 2, 48, 49}},
        {"custom_without_time", true, 2, std::uint64_t{1} << 1 | std::uint64_t{1} << 12, {1, 12}},
        {"no_substrate_sensor_hides_probe", false, 0, 0, {0, 1, 2, 48, 49}},
        {"out_of_range_mode_is_full", true, 9, 0, {0, 1, 2, 12, 13, 15, 48, 49}},
    };
    for (const ColumnCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestProject project("demo");
        FillChannels(project, c.withSubstrate);
        TableColumns columns;
        columns.Build(*project.doc, c.mode, c.custom);
        EXPECT_EQ(columns.DataIndices(), c.dataIndices);
        EXPECT_EQ(columns.Titles().size(), c.dataIndices.size());
    }
}

// Guards the titles: units in channel titles, the caption of a sensor missing from the
// database, the Windows ANSI texts of the time and status titles.
TEST(TableColumnsTest, TitlesCarryUnitsAndMissingSensorCaptions) {
    TestProject project("demo");
    FillChannels(project, true);
    TableColumns columns;
    columns.Build(*project.doc, 3, 0);
    const std::vector<std::string> expected = {
        Ansi("Время"),
        Ansi("Температура (S1:T 1), °C"),
        "S2 (X 9)",
        "VWC (SMTE:KWS/SMTE/VWC C1), %",
        "BEC (SMTE:KWS/SMTE/BEC), dS/m",
        Ansi("ST (SMTE:KWS/SMTE/ST), °C"),
        Ansi("Температура (S48:T 1), °C"),
        Ansi("Температура (S49:T 1), °C"),
        Ansi("Питание"),
        "KWS",
        "FAN",
        "SHT",
        "SMTE",
    };
    EXPECT_EQ(columns.Titles(), expected);
    EXPECT_EQ(columns.Title(99), "");
    EXPECT_EQ(columns.DataIndex(-1), -1);
}

struct CellCase {
    const char* name;
    int dataIndex;
    CellStyle style;
    std::string expected;
};

// Guards the cell texts: "n/a" only in the table, the mark only where asked, the decimal
// separator in values but not in the date, marks and precision taken from the current sensor
// database (not the stored ones), stored ones kept for unknown sensors, status texts in ANSI.
TEST(TableColumnsTest, CellTextsFollowStyleLocaleAndCurrentSensors) {
    TestProject project("demo", ',');
    FillChannels(project, true);
    project.AddSensor({"AT", "Air", "C", 2, 0.0, 2.5});
    project.SetChannel(2, "AT");
    MeasurementRecord& record =
        project.AddRecord(2011, 1, 18, 15, 30, 45, {{0, 1.25}, {1, 3.14159}, {2, 2.5}});
    record.values[0].precision = 0;  // stored marks are stale: the database decides
    record.values[0].limitMark = 1;
    record.values[1].precision = 1;  // unknown sensor: stored precision and mark stay
    record.values[1].limitMark = 1;
    record.values[11].value = 0.0;  // substrate low: the probe's values are invalid
    record.status[kFlagBatteryLow] = 1;
    TableColumns columns;
    columns.Build(*project.doc, 3, 0);

    const CellStyle table{true, true};
    const CellStyle correct{true, false};
    const CellStyle all{false, false};
    const std::vector<CellCase> cases = {
        {"time_keeps_its_dots", 0, table, "18.01.2011  15:30"},
        {"fresh_precision_no_stale_mark", 1, table, "1,25"},
        {"unknown_sensor_keeps_stored", 2, table, "*3,1"},
        {"range_end_marked_in_table", 3, table, "*2,50"},
        {"range_end_marked_for_correct_values", 3, correct, "*2,50"},
        {"range_end_unmarked_for_all_records", 3, all, "2,50"},
        {"invalid_is_placeholder_in_table", 12, table, "n/a"},
        {"invalid_is_empty_in_export", 12, correct, ""},
        {"channel_13_never_valid", 14, table, "n/a"},
        {"status_text_in_ansi", 50, table, Ansi("Низкий заряд батареи")},
        {"status_module", 51, all, Ansi("Подключен")},
        {"beyond_status", 55, table, ""},
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(columns.CellText(*project.doc, project.doc->records[0], c.dataIndex, c.style),
                  c.expected);
    }
    EXPECT_EQ(columns.CellText(*project.doc, 0, 1, table), "1,25");
    EXPECT_EQ(columns.CellText(*project.doc, 1, 1, table), "") << "row beyond the records";
    EXPECT_EQ(columns.CellText(*project.doc, 0, 14, table), "") << "column beyond the columns";
}

// Guards the table's profile values: all columns when the custom block is missing, damaged or
// of another size; the block's byte order; a mode out of range; widths per data index.
TEST(TableColumnsTest, ProfileValuesReadBackAndFallBackToDefaults) {
    TestProject project("demo");
    Profile& profile = project.profile;
    EXPECT_EQ(TableColumns::ReadCustomSet(profile), TableColumns::kAllColumns);
    EXPECT_EQ(TableColumns::ReadMode(profile), 0);
    EXPECT_EQ(TableColumns::ReadWidth(profile, 0), 96);
    EXPECT_EQ(TableColumns::ReadWidth(profile, 7), 80);

    const std::uint64_t set = 0x0001'2345'6789'ABCDull;
    ASSERT_TRUE(TableColumns::WriteCustomSet(profile, set));
    EXPECT_EQ(Profile(profile.Path()).GetString("Table", "Custom"), "CDAB896745230100D1");
    EXPECT_EQ(TableColumns::ReadCustomSet(profile), set);

    ASSERT_TRUE(profile.WriteString("Table", "Custom", "CDAB896745230100D2"));  // bad checksum
    EXPECT_EQ(TableColumns::ReadCustomSet(profile), TableColumns::kAllColumns);
    ASSERT_TRUE(profile.WriteString("Table", "Custom", "0101"));  // one byte
    EXPECT_EQ(TableColumns::ReadCustomSet(profile), TableColumns::kAllColumns);

    ASSERT_TRUE(TableColumns::WriteMode(profile, 3));
    EXPECT_EQ(TableColumns::ReadMode(profile), 3);
    ASSERT_TRUE(profile.WriteInt("Table", "Mode", 4));
    EXPECT_EQ(TableColumns::ReadMode(profile), 0);

    ASSERT_TRUE(TableColumns::WriteWidth(profile, 13, 123));
    EXPECT_EQ(TableColumns::ReadWidth(profile, 13), 123);
    EXPECT_EQ(profile.GetInt("Table", "ColWidth13", 0), 123);
}

// Guards the column choice: only the 50 lines of the dialog can set bits.
TEST(TableColumnsTest, ColumnChoiceNeverSetsBitsAbove49) {
    EXPECT_EQ(TableColumns::CustomSetFromChoice(std::vector<bool>(64, true)),
              (std::uint64_t{1} << 50) - 1);
    std::vector<bool> checked(50, false);
    checked[0] = checked[49] = true;
    EXPECT_EQ(TableColumns::CustomSetFromChoice(checked),
              std::uint64_t{1} | std::uint64_t{1} << 49);
}

// Guards the column colours by data index.
TEST(TableColumnsTest, ColoursByDataIndex) {
    const ColumnColour grey{240, 240, 240};
    const ColumnColour yellow{255, 255, 192};
    const ColumnColour cyan{192, 255, 255};
    const std::vector<std::pair<int, ColumnColour>> cases = {
        {0, grey},  {1, yellow}, {8, yellow}, {9, cyan},  {15, cyan}, {16, grey},
        {17, grey}, {18, cyan},  {49, cyan},  {50, grey}, {54, grey}};
    for (const auto& [index, colour] : cases) {
        EXPECT_EQ(TableColumns::Colour(index), colour) << "data index " << index;
    }
}

}  // namespace
}  // namespace vg28::test
