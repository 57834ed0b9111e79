#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FixedText.h"
#include "project/ProjectBuilders.h"
#include "support/FileSizeLimit.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

ProjectSetup PatternedSetup() {
    ProjectSetup setup{};
    setup.period = 900;
    CopyText(setup.sensorIds[0], "T 1");
    CopyText(setup.sensorIds[30], "Em50/RH");
    for (std::size_t i = 0; i < sizeof setup.reserved1; ++i)
        setup.reserved1[i] = static_cast<std::uint8_t>(i * 7 + 1);
    for (std::size_t i = 0; i < sizeof setup.reserved2; ++i)
        setup.reserved2[i] = static_cast<std::uint8_t>(i * 13 + 5);
    setup.reservedWord = 0xDEADBEEF;
    setup.exactTime = 0;
    setup.em50 = 1;
    CopyText(setup.notes[7], "note");
    setup.configTime = MakeRecord(2011, 1, 17, 8, 0, 0).time;
    return setup;
}

std::vector<MeasurementRecord> SomeRecords(int count) {
    std::vector<MeasurementRecord> records;
    for (int i = 0; i < count; ++i)
        records.push_back(MakeRecord(2011, 1, 18, 10, i, 0, i));
    return records;
}

// Guards against short files, unknown versions and cut-off records making a project unloadable
// or loading garbage: length, expected code and expected record count.
TEST(ProjectFile, LoadCountsOnlyWholeRecords) {
    const std::string whole = ProjectFileBytes(PatternedSetup(), SomeRecords(3));
    const std::string empty = ProjectFileBytes(PatternedSetup(), {});
    std::string version3 = whole;
    version3[4] = 2;
    std::string badMagic = whole;
    badMagic[0] = 'F';
    struct Case {
        const char* name;
        std::string bytes;
        int code;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {"no records", empty, kFileOk, 0},
        {"three records", whole, kFileOk, 3},
        {"tail of 1", whole + std::string(1, 'x'), kFileOk, 3},
        {"tail of 100", whole + std::string(100, 'x'), kFileOk, 3},
        {"tail of 823", whole + std::string(823, 'x'), kFileOk, 3},
        {"tail of 824", whole + std::string(824, 'x'), kFileOk, 3},
        {"tail of 831", whole + std::string(831, 'x'), kFileOk, 3},
        {"version 0x00030002", version3, kFileWrongFormat, 0},
        {"bad magic", badMagic, kFileWrongFormat, 0},
        {"empty file", "", kFileWrongFormat, 0},
        {"header only", whole.substr(0, 8), kFileWrongFormat, 0},
        {"setup cut short", whole.substr(0, 5951), kFileWrongFormat, 0},
        {"foreign text", std::string(10000, 'a'), kFileWrongFormat, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProject fixture;
        fixture.folder.WriteFile("p.phj", c.bytes);
        EXPECT_EQ(fixture.doc->LoadProject(fixture.folder.File("p.phj")), c.code);
        EXPECT_EQ(fixture.doc->records.size(), c.count);
        EXPECT_EQ(fixture.doc->HasProject(), c.code == kFileOk);
        EXPECT_EQ(fixture.doc->firstTime.IsEmpty(), c.count == 0);
        EXPECT_EQ(fixture.folder.ReadFile("p.phj"), c.bytes);  // loading never writes
    }
}

// Guards against a huge (here sparse) file exhausting memory instead of being refused.
TEST(ProjectFile, OversizedFileIsRefused) {
    TestProject fixture;
    fixture.folder.WriteFile("big.phj", ProjectFileBytes(PatternedSetup(), SomeRecords(1)));
    std::filesystem::resize_file(fixture.folder.File("big.phj"),
                                 5952 + 832 * (CProjectDoc::kMaxRecordCount + 1));
    EXPECT_EQ(fixture.doc->LoadProject(fixture.folder.File("big.phj")), kFileWrongFormat);
    EXPECT_TRUE(fixture.doc->records.empty());
}

// Guards against a missing file, a folder or a pipe being taken for a project (or blocking).
TEST(ProjectFile, LoadOfSomethingThatIsNoFileGivesCannotOpen) {
    TestProject fixture;
    std::filesystem::create_directory(fixture.folder.File("dir.phj"));
    ASSERT_EQ(::mkfifo(fixture.folder.File("pipe.phj").c_str(), 0600), 0);
    for (const char* name : {"missing.phj", "dir.phj", "pipe.phj"}) {
        EXPECT_EQ(fixture.doc->LoadProject(fixture.folder.File(name)), kFileCannotOpen) << name;
        EXPECT_FALSE(fixture.doc->HasProject());
    }
}

// Guards against the document staying attached to a damaged file that a later save would
// overwrite, and against keeping the records of the previous project.
TEST(ProjectFile, FailedLoadDetachesTheDocument) {
    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    fixture.folder.WriteFile("good.phj", ProjectFileBytes(PatternedSetup(), SomeRecords(2)));
    const std::string damaged = ProjectFileBytes(PatternedSetup(), SomeRecords(2)).substr(0, 3000);
    fixture.folder.WriteFile("bad.phj", damaged);
    ASSERT_EQ(doc.LoadProject(fixture.folder.File("good.phj")), kFileOk);
    EXPECT_EQ(doc.LoadProject(fixture.folder.File("bad.phj")), kFileWrongFormat);
    EXPECT_FALSE(doc.HasProject());
    EXPECT_TRUE(doc.records.empty());
    EXPECT_EQ(doc.SaveProject(), kFileCannotOpen);
    int added = 0;
    doc.AddRecordLine("2011-01-18 10:00:00;S1;1", added);
    EXPECT_EQ(fixture.folder.ReadFile("bad.phj"), damaged);
}

// Guards against records left in file order after loading and against the file being rewritten.
TEST(ProjectFile, LoadSortsTheRecordsButLeavesTheFile) {
    TestProject fixture;
    std::vector<MeasurementRecord> records = {
        MakeRecord(2011, 1, 18, 12, 0, 0, 1), MakeRecord(2048, 1, 1, 0, 0, 0, 2),
        MakeRecord(2011, 1, 18, 9, 0, 0, 3), MakeRecord(2047, 1, 1, 0, 0, 0, 4)};
    const std::string bytes = ProjectFileBytes(PatternedSetup(), records);
    fixture.folder.WriteFile("p.phj", bytes);
    ASSERT_EQ(fixture.doc->LoadProject(fixture.folder.File("p.phj")), kFileOk);
    const std::vector<int> years = {2011, 2011, 2047, 2048};
    for (std::size_t i = 0; i < years.size(); ++i)
        EXPECT_EQ(fixture.doc->records[i].time.year, years[i]);
    EXPECT_EQ(fixture.doc->records[0].time.hour, 9);
    EXPECT_EQ(fixture.doc->firstTime, records[2].time);
    EXPECT_EQ(fixture.doc->lastTime, records[1].time);
    EXPECT_EQ(fixture.folder.ReadFile("p.phj"), bytes);
}

// Guards against lost reserved areas or reordered bytes: save writes exactly header, setup and
// records, and load then save gives the same file; the profile template follows the save.
TEST(ProjectFile, SaveAndLoadRoundTripByteForByte) {
    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    doc.setup = PatternedSetup();
    doc.records = SomeRecords(5);
    doc.SetPathName(doc.ProjectFilePath("p"));
    ASSERT_EQ(doc.SaveProject(), kFileOk);
    const std::string expected = ProjectFileBytes(PatternedSetup(), SomeRecords(5));
    EXPECT_EQ(fixture.folder.ReadFile("p.phj"), expected);

    TestProject other;
    other.folder.WriteFile("q.phj", expected);
    ASSERT_EQ(other.doc->LoadProject(other.folder.File("q.phj")), kFileOk);
    EXPECT_EQ(std::memcmp(&other.doc->setup, &doc.setup, sizeof doc.setup), 0);
    std::remove(other.folder.File("q.phj").c_str());
    ASSERT_EQ(other.doc->SaveProject(), kFileOk);
    EXPECT_EQ(other.folder.ReadFile("q.phj"), expected);

    ProjectSetup stored;
    ASSERT_TRUE(fixture.profile.GetBinary("Project", "Default", &stored, sizeof stored));
    EXPECT_EQ(std::memcmp(&stored, &doc.setup, sizeof stored), 0);
    EXPECT_EQ(fixture.folder.Files(), std::vector<std::string>({"p.phj", "vg28-terminal.ini"}));
}

// Guards against a failed save destroying the old file (and against wrong codes): the file is
// written through a temporary file; the profile template is still refreshed.
TEST(ProjectFile, FailedSaveKeepsTheOldFile) {
    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    doc.SetPathName(doc.ProjectFilePath("p"));
    ASSERT_EQ(doc.SaveProject(), kFileOk);
    const std::string old = fixture.folder.ReadFile("p.phj");
    doc.records = SomeRecords(100);
    doc.setup.period = 1234;

    FileSizeLimit limit;
    ASSERT_TRUE(limit.Saved());
    ASSERT_TRUE(limit.Lower(20000));  // the settings file fits, the project does not
    const int code = doc.SaveProject();
    limit.Restore();

    EXPECT_EQ(code, kFileWriteError);
    EXPECT_EQ(fixture.folder.ReadFile("p.phj"), old);
    EXPECT_EQ(fixture.folder.Files(), std::vector<std::string>({"p.phj", "vg28-terminal.ini"}));
    ProjectSetup stored;
    ASSERT_TRUE(fixture.profile.GetBinary("Project", "Default", &stored, sizeof stored));
    EXPECT_EQ(stored.period, 1234);

    doc.SetPathName(fixture.folder.File("no-such-folder/p.phj"));
    EXPECT_EQ(doc.SaveProject(), kFileCannotOpen);
}

// Hand-built version-1 file: 1016-byte setup and 320-byte records.
std::string Version1File(int records, std::size_t tail) {
    std::string setup(1016, '\0');
    const std::int32_t period = 60;
    std::memcpy(&setup[0], &period, 4);
    std::memcpy(&setup[4 + 2 * 32], "KWS/AT", 6);
    std::memset(&setup[4 + 16 * 32], 'Z', 32);  // no NUL: must be cut to 31 characters
    const std::uint32_t reservedWord = 0x01020304;
    std::memcpy(&setup[548], &reservedWord, 4);
    std::memcpy(&setup[556 + 1 * 32], "leaf", 4);
    const TimeStamp config = MakeRecord(2010, 12, 31, 23, 0, 5).time;
    const std::uint32_t words[2] = {config.DateWord(), config.TimeWord()};
    std::memcpy(&setup[812], words, 8);
    std::string bytes = BytesOf(CProjectDoc::kMagic) + BytesOf(CProjectDoc::kVersion1) + setup;
    for (int i = 0; i < records; ++i) {
        std::string record(320, '\0');
        const MeasurementRecord full = MakeRecord(2010, 6, 1, 12, 10 - i, 0, i + 1);
        std::memcpy(&record[0], &full.time, 8);
        std::memcpy(&record[8], full.values, 17 * 16);
        std::memcpy(&record[280], full.status, 32);
        std::memcpy(&record[312], &full.powerOff, 4);
        std::memcpy(&record[316], &full.powerOn, 4);
        bytes += record;
    }
    return bytes + std::string(tail, '\x7F');
}

// Guards against a wrong distribution of the old format's fields, stale channels 17-48 and the
// old format being kept when the project is saved again.
TEST(ProjectFile, Version1FilesAreConverted) {
    TestProject fixture;
    ProjectSetup stored{};
    stored.em50 = 1;
    CopyText(stored.sensorIds[20], "Em50/RH");
    CopyText(stored.sensorIds[5], "from template");
    ASSERT_TRUE(fixture.profile.WriteBinary("Project", "Default", &stored, sizeof stored));
    fixture.folder.WriteFile("old.phj", Version1File(2, 319));

    CProjectDoc& doc = *fixture.doc;
    ASSERT_EQ(doc.LoadProject(fixture.folder.File("old.phj")), kFileOk);
    EXPECT_EQ(doc.version, CProjectDoc::kVersion1);
    EXPECT_EQ(doc.setup.period, 60);
    EXPECT_EQ(doc.setup.exactTime, 1);
    EXPECT_EQ(doc.setup.em50, 1);
    EXPECT_EQ(TextOf(doc.setup.sensorIds[2]), "KWS/AT");
    EXPECT_EQ(TextOf(doc.setup.sensorIds[5]), "");
    EXPECT_EQ(TextOf(doc.setup.sensorIds[16]), std::string(31, 'Z'));
    EXPECT_EQ(TextOf(doc.setup.sensorIds[20]), kPlugAndPlay);
    EXPECT_EQ(TextOf(doc.setup.notes[1]), "leaf");
    EXPECT_EQ(doc.setup.reservedWord, 0x01020304u);
    EXPECT_EQ(doc.setup.configTime, MakeRecord(2010, 12, 31, 23, 0, 5).time);

    ASSERT_EQ(doc.records.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        // The file holds 12:10 then 12:09; memory is sorted.
        const MeasurementRecord full = MakeRecord(2010, 6, 1, 12, 9 + i, 0, 2 - i);
        const MeasurementRecord& got = doc.records[i];
        EXPECT_EQ(got.time, full.time);
        EXPECT_EQ(std::memcmp(got.values, full.values, 17 * 16), 0);
        for (int k = 17; k < kChannelCount; ++k)
            EXPECT_EQ(got.values[k].value, 0.0);
        EXPECT_EQ(std::memcmp(got.status, full.status, sizeof full.status), 0);
        EXPECT_EQ(got.powerOff, full.powerOff);
        EXPECT_EQ(got.powerOn, full.powerOn);
    }

    ASSERT_EQ(doc.SaveProject(), kFileOk);
    const std::string saved = fixture.folder.ReadFile("old.phj");
    EXPECT_EQ(saved.size(), 5952u + 2 * 832);
    TestProject again;
    again.folder.WriteFile("p.phj", saved);
    ASSERT_EQ(again.doc->LoadProject(again.folder.File("p.phj")), kFileOk);
    EXPECT_EQ(again.doc->version, CProjectDoc::kVersion2);
    EXPECT_EQ(std::memcmp(again.doc->records.data(), doc.records.data(), 2 * 832), 0);
}

// Guards against 832-byte images appended to a 320-byte-record file: the first download after
// loading an old file writes the whole project in the current format.
TEST(ProjectFile, AppendToAVersion1FileRewritesIt) {
    TestProject fixture;
    fixture.folder.WriteFile("old.phj", Version1File(2, 0));
    CProjectDoc& doc = *fixture.doc;
    ASSERT_EQ(doc.LoadProject(fixture.folder.File("old.phj")), kFileOk);
    int added = 0;
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 10:00:00;S1;1", added));
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 11:00:00;S1;2", added));
    EXPECT_EQ(fixture.folder.ReadFile("old.phj").size(), 5952u + 4 * 832);
    TestProject again;
    again.folder.WriteFile("p.phj", fixture.folder.ReadFile("old.phj"));
    ASSERT_EQ(again.doc->LoadProject(again.folder.File("p.phj")), kFileOk);
    ASSERT_EQ(again.doc->records.size(), 4u);
    EXPECT_EQ(std::memcmp(again.doc->records.data(), doc.records.data(), 4 * 832), 0);
}

// Guards against appends that create a headless file, land after a torn record, or go to a file
// that is no longer a whole project file.
TEST(ProjectFile, AppendRepairsOrRefusesInsteadOfCorrupting) {
    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    int added = 0;
    EXPECT_TRUE(doc.AddRecordLine("2011-01-18 08:00:00;S1;1", added));  // no project: no file
    EXPECT_EQ(doc.AppendLastRecord(), kFileCannotOpen);
    doc.records.clear();

    doc.SetPathName(doc.ProjectFilePath("p"));
    ASSERT_EQ(doc.SaveProject(), kFileOk);
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 09:00:00;S1;1", added));
    // Power lost during the next append: part of a record at the end.
    std::string file = fixture.folder.ReadFile("p.phj");
    fixture.folder.WriteFile("p.phj", file + std::string(500, '\x55'));
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 10:00:00;S1;2", added));
    file = fixture.folder.ReadFile("p.phj");
    ASSERT_EQ(file.size(), 5952u + 2 * 832);
    TestProject reader;
    reader.folder.WriteFile("p.phj", file);
    ASSERT_EQ(reader.doc->LoadProject(reader.folder.File("p.phj")), kFileOk);
    EXPECT_EQ(std::memcmp(reader.doc->records.data(), doc.records.data(), 2 * 832), 0);

    // A file cut below its setup block is written anew from memory.
    fixture.folder.WriteFile("p.phj", file.substr(0, 100));
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 11:00:00;S1;3", added));
    EXPECT_EQ(fixture.folder.ReadFile("p.phj").size(), 5952u + 3 * 832);

    // A file that disappeared is not recreated.
    std::filesystem::remove(fixture.folder.File("p.phj"));
    EXPECT_TRUE(doc.AddRecordLine("2011-01-18 12:00:00;S1;4", added));
    EXPECT_EQ(doc.AppendLastRecord(), kFileCannotOpen);
    EXPECT_FALSE(fixture.folder.Exists("p.phj"));
    EXPECT_EQ(doc.records.size(), 4u);
}

}  // namespace
}  // namespace vg28::test
