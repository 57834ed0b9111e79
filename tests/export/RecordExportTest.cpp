#include "project/RecordExport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/TableColumns.h"
#include "support/Ansi.h"
#include "support/FileSizeLimit.h"
#include "support/GoldenFile.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

// Air temperature on S1, humidity on S2; three records, the second at the humidity sensor's
// upper range end, the third with a negative temperature.
void AirProject(TestProject& project) {
    project.AddSensor({"AT 1", Ansi("Воздух"),
                       "\xB0"
                       "C",
                       2, -40.0, 60.0});
    project.AddSensor({"RH 1", Ansi("Влажность"), "%", 1, 0.0, 100.0});
    project.SetChannel(0, "AT 1");
    project.SetChannel(1, "RH 1");
    project.AddRecord(2011, 1, 18, 15, 30, 0, {{0, 21.5}, {1, 55.26}});
    project.AddRecord(2011, 1, 18, 16, 0, 0, {{0, 22.126}, {1, 100.0}});
    project.AddRecord(2011, 1, 18, 16, 30, 0, {{0, -3.5}, {1, 61.0}});
}

// Adds the soil probe on S12-S15 and an Em50 sensor unknown to the database on S18.
void ProbeProject(TestProject& project) {
    AirProject(project);
    project.AddSensor({"KWS/SMTE/VWC C1", "VWC", "%", 1, 0.0, 100.0});
    project.AddSensor({"KWS/SMTE/BEC", "BEC", "dS/m", 3, 0.0, 20.0});
    project.AddSensor({"KWS/SMTE/ST", "ST",
                       "\xB0"
                       "C",
                       1, -40.0, 60.0});
    project.SetChannel(11, "KWS/SMTE/VWC C1");
    project.SetChannel(12, "KWS/SMTE/BEC");
    project.SetChannel(13, "KWS/SMTE/PEC");
    project.SetChannel(14, "KWS/SMTE/ST");
    project.SetChannel(17, "Em50/XX");
    project.doc->setup.em50 = 1;
    for (std::size_t r = 0; r < project.doc->records.size(); ++r) {
        MeasurementRecord& record = project.doc->records[r];
        record.values[11] = {r == 1 ? 0.0 : 31.5, 1, 0};  // low substrate: probe values invalid
        record.values[12] = {123.456, 3, 0};              // a 7-character field
        record.values[13] = {5.0, 2, 0};
        record.values[14] = {12.26, 1, 0};
        record.values[17] = {7.5, 1, 0};
        record.values[36] = {r == 2 ? 0.0 : 1.0, 0, 0};  // Em50 channels invalid in the last
    }
    project.doc->records[2].status[kFlagBatteryLow] = 1;
    project.doc->records[1].status[kFlagKwsFan] = 1;
    project.doc->records[0].powerOn = 1;
}

std::string Export(TestProject& project, const std::string& name, int mode, int markLimits,
                   std::uint64_t custom = TableColumns::kAllColumns) {
    TableColumns columns;
    columns.Build(*project.doc, mode, custom);
    const std::string path = project.folder.File(name);
    EXPECT_EQ(ExportRecords(*project.doc, columns, path, markLimits), 0);
    return project.folder.ReadFile(name);
}

// Guards the CSV layout: ";" between fields and none trailing, CR LF, the comma separator,
// the "*" of correct values, titles with units in ANSI.
TEST(RecordExportTest, CsvOfCorrectValuesWithCommaSeparator) {
    TestProject project("demo", ',');
    AirProject(project);
    ExpectMatchesGolden(Export(project, "air.csv", 0, 1), "export/csv_comma_correct_values.csv");
}

// Guards the fixed-width layout: 20-character right-aligned fields (13 blanks before a field
// of 7), longer fields unpadded, empty fields for invalid values (soil probe with low
// substrate, Em50 without its reference), no mark for "all records", status texts in ANSI.
TEST(RecordExportTest, FixedWidthOfAllRecordsInDiagnosticsMode) {
    TestProject project("demo", ',');
    ProbeProject(project);
    ExpectMatchesGolden(Export(project, "probe.txt", 3, 0), "export/txt_comma_all_records.txt");
}

// Guards the header-only file of a project without records and the custom column choice.
TEST(RecordExportTest, ProjectWithoutRecordsGivesTheHeaderOnly) {
    TestProject project("demo");
    AirProject(project);
    project.doc->records.clear();
    const std::uint64_t custom = std::uint64_t{1} << 0 | std::uint64_t{1} << 2;
    EXPECT_EQ(Export(project, "empty.csv", 2, 1, custom), Ansi("Время;Влажность (S2:RH 1), %\r\n"));
}

// Guards the padding rule itself and the layout chosen by the file name's extension.
TEST(RecordExportTest, LayoutByExtensionAndFieldPadding) {
    const std::vector<std::pair<std::string, ExportLayout>> names = {
        {"export.csv", ExportLayout::Csv},           {"export.CSV", ExportLayout::Csv},
        {"/a/b/Export.Csv", ExportLayout::Csv},      {"export.txt", ExportLayout::FixedWidth},
        {"export", ExportLayout::FixedWidth},        {"dir.csv/export", ExportLayout::FixedWidth},
        {"export.csv.txt", ExportLayout::FixedWidth}};
    for (const auto& [name, layout] : names)
        EXPECT_EQ(ExportLayoutFor(name), layout) << name;

    std::string line;
    AppendExportField(line, "-12,345", true, ExportLayout::FixedWidth);
    EXPECT_EQ(line, std::string(13, ' ') + "-12,345");
    line.clear();
    AppendExportField(line, std::string(20, 'x'), false, ExportLayout::FixedWidth);
    AppendExportField(line, "", false, ExportLayout::FixedWidth);
    EXPECT_EQ(line, std::string(20, 'x') + std::string(20, ' '));
    line.clear();
    AppendExportField(line, "a", true, ExportLayout::Csv);
    AppendExportField(line, "", false, ExportLayout::Csv);
    AppendExportField(line, "b", false, ExportLayout::Csv);
    EXPECT_EQ(line, "a;;b");
}

// Guards the failure codes: a file that cannot be created gives 1 and creates nothing; a write
// error gives 3 and leaves the earlier export as it was, with no half file or temporary left.
TEST(RecordExportTest, FailuresKeepTheOldFile) {
    TestProject project("demo");
    AirProject(project);
    for (int i = 0; i < 3000; ++i)
        project.AddRecord(2012, 1, 1, 0, 0, 0, {{0, i * 0.5}});
    TableColumns columns;
    columns.Build(*project.doc, 0, TableColumns::kAllColumns);
    EXPECT_EQ(ExportRecords(*project.doc, columns, project.folder.File("missing/x.csv"), 1), 1);

    project.folder.WriteFile("old.csv", "old export\r\n");
    FileSizeLimit limit;
    ASSERT_TRUE(limit.Saved());
    ASSERT_TRUE(limit.Lower(4096));
    const int code = ExportRecords(*project.doc, columns, project.folder.File("old.csv"), 1);
    limit.Restore();
    EXPECT_EQ(code, 3);
    EXPECT_EQ(project.folder.ReadFile("old.csv"), "old export\r\n");
    EXPECT_EQ(project.folder.Files(), std::vector<std::string>{"old.csv"});
}

}  // namespace
}  // namespace vg28::test
