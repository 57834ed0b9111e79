#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/ProfileKeys.h"
#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "project/ProjectBuilders.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

bool SameBytes(const MeasurementRecord& a, const MeasurementRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectPlugAndPlayFrom15(const ProjectSetup& setup) {
    for (int k = 0; k < kChannelCount; ++k)
        EXPECT_EQ(TextOf(setup.sensorIds[k]), k < kVpdChannel ? "" : kPlugAndPlay) << k;
}

// Guards against a reset without template leaving stale setup or wrong defaults.
TEST(ProjectDoc, ResetWithoutTemplateGivesTheBuiltInDefaults) {
    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    doc.setup.reserved1[5] = 9;
    doc.SetPathName(fixture.folder.File("a.phj"));
    doc.records.push_back(MakeRecord(2011, 1, 1, 0, 0, 0));
    doc.ResetProject();
    EXPECT_EQ(doc.setup.period, 1800);
    EXPECT_EQ(doc.setup.exactTime, 1);
    EXPECT_EQ(doc.setup.em50, 0);
    EXPECT_EQ(doc.setup.reserved1[5], 0);
    ExpectPlugAndPlayFrom15(doc.setup);
    EXPECT_TRUE(doc.records.empty());
    EXPECT_TRUE(doc.firstTime.IsEmpty() && doc.lastTime.IsEmpty());
    EXPECT_FALSE(doc.HasProject());
}

// Guards against the template's notes or reserved word being inherited, and against the
// channels from 15 on not being forced to "Plug and Play"; a damaged template is ignored.
TEST(ProjectDoc, ResetInheritsTheTemplateButNotItsNotes) {
    TestProject fixture;
    ProjectSetup stored{};
    stored.period = 600;
    stored.exactTime = 0;
    stored.em50 = 1;
    stored.reservedWord = 77;
    stored.reserved2[100] = 5;
    CopyText(stored.sensorIds[3], "T 1");
    CopyText(stored.sensorIds[20], "Em50/RH");
    CopyText(stored.notes[2], "leaf");
    ASSERT_TRUE(fixture.profile.WriteBinary("Project", "Default", &stored, sizeof stored));

    CProjectDoc& doc = *fixture.doc;
    doc.ResetProject();
    EXPECT_EQ(doc.setup.period, 600);
    EXPECT_EQ(doc.setup.exactTime, 0);
    EXPECT_EQ(doc.setup.em50, 1);
    EXPECT_EQ(doc.setup.reservedWord, 0u);
    EXPECT_EQ(doc.setup.reserved2[100], 5);
    EXPECT_EQ(TextOf(doc.setup.sensorIds[3]), "T 1");
    EXPECT_EQ(TextOf(doc.setup.sensorIds[20]), kPlugAndPlay);
    EXPECT_EQ(TextOf(doc.setup.notes[2]), "");

    // One hex digit changed breaks the checksum: the built-in defaults apply.
    std::string value = fixture.profile.GetString("Project", "Default");
    value[0] = value[0] == '0' ? '1' : '0';
    ASSERT_TRUE(fixture.profile.WriteString("Project", "Default", value));
    doc.ResetProject();
    EXPECT_EQ(doc.setup.period, 1800);
    EXPECT_EQ(doc.setup.em50, 0);
    ExpectPlugAndPlayFrom15(doc.setup);
}

// Guards against the project name keeping the folder or the extension.
TEST(ProjectDoc, ProjectNameIsTheFileTitle) {
    TestProject fixture;
    EXPECT_EQ(fixture.doc->ProjectFilePath("20110118_1530"),
              fixture.folder.Path() + "20110118_1530.phj");
    fixture.doc->SetPathName(fixture.doc->ProjectFilePath("20110118_1530"));
    EXPECT_EQ(fixture.doc->ProjectName(), "20110118_1530");
    EXPECT_TRUE(fixture.doc->HasProject());
}

// Guards against lost duplicates, unsorted memory and a file written in sorted order.
TEST(ProjectDoc, AddedRecordsAreSortedInMemoryAndAppendedInArrivalOrder) {
    TestProject fixture;
    CProjectDoc& doc = *fixture.doc;
    doc.SetPathName(doc.ProjectFilePath("p"));
    ASSERT_EQ(doc.SaveProject(), kFileOk);
    int added = 0;
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 10:00:00;S1;1", added));
    EXPECT_EQ(added, 1);
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 09:00:00;S1;2", added));
    ASSERT_TRUE(doc.AddRecordLine("2011-01-18 09:00:00;S1;2", added));
    added = 0;
    EXPECT_FALSE(doc.AddRecordLine("2011-13-18 09:00:00;S1;2", added));
    EXPECT_EQ(added, 0);

    ASSERT_EQ(doc.records.size(), 3u);
    EXPECT_EQ(doc.records[0].time.hour, 9);
    EXPECT_EQ(doc.records[1].time.hour, 9);
    EXPECT_EQ(doc.records[2].time.hour, 10);
    EXPECT_EQ(doc.firstTime.hour, 9);
    EXPECT_EQ(doc.lastTime.hour, 10);

    const std::string file = fixture.folder.ReadFile("p.phj");
    ASSERT_EQ(file.size(), 5952u + 3 * 832);
    EXPECT_EQ(static_cast<unsigned char>(file[5952 + 4]), 10);  // hour of the first appended
    EXPECT_EQ(static_cast<unsigned char>(file[5952 + 832 + 4]), 9);
}

// Guards against the raw byte order, which puts the year 2048 before 2047, and against records
// of equal time not being ordered by their remaining bytes.
TEST(ProjectDoc, RecordOrderIsTimeFirstThenTheRemainingBytes) {
    const MeasurementRecord y2047 = MakeRecord(2047, 12, 31, 23, 59, 59);
    const MeasurementRecord y2048 = MakeRecord(2048, 1, 1, 0, 0, 0);
    EXPECT_TRUE(CProjectDoc::RecordLess(y2047, y2048));
    EXPECT_FALSE(CProjectDoc::RecordLess(y2048, y2047));
    const MeasurementRecord small = MakeRecord(2011, 1, 18, 9, 0, 0, 1);
    MeasurementRecord large = small;
    large.powerOn = small.powerOn + 1;
    EXPECT_TRUE(CProjectDoc::RecordLess(small, large));
    EXPECT_FALSE(CProjectDoc::RecordLess(small, small));
    EXPECT_TRUE(CProjectDoc::RecordLess(MakeRecord(2011, 1, 31, 0, 0, 0, 9),
                                        MakeRecord(2011, 2, 1, 0, 0, 0, 0)));

    TestProject fixture;
    fixture.doc->records = {y2048, large, y2047, small};
    fixture.doc->SortRecords();
    EXPECT_TRUE(SameBytes(fixture.doc->records[0], small));
    EXPECT_TRUE(SameBytes(fixture.doc->records[1], large));
    EXPECT_TRUE(SameBytes(fixture.doc->records[2], y2047));
    EXPECT_TRUE(SameBytes(fixture.doc->records[3], y2048));
}

// Guards against the shortcut insertion giving another order than a full sort would.
TEST(ProjectDoc, InsertionKeepsTheOrderOfAFullSort) {
    TestProject fixture;
    std::mt19937 random(7);
    std::vector<MeasurementRecord> all;
    for (int i = 0; i < 2000; ++i) {
        // Mostly newer records, some late ones and many equal time stamps.
        const int minute = random() % 10 == 0 ? static_cast<int>(random() % 60) : i / 40 % 60;
        MeasurementRecord record =
            MakeRecord(2011 + i / 1000, 1, 18, 10, minute, 0, static_cast<int>(random() % 4));
        all.push_back(record);
        fixture.doc->InsertRecord(record);
    }
    std::sort(all.begin(), all.end(), CProjectDoc::RecordLess);
    ASSERT_EQ(fixture.doc->records.size(), all.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        ASSERT_TRUE(SameBytes(fixture.doc->records[i], all[i])) << i;
    EXPECT_EQ(fixture.doc->firstTime, all.front().time);
    EXPECT_EQ(fixture.doc->lastTime, all.back().time);
}

// Guards against current readings being zeroed, losing the known mode, or being marked while
// no project is open.
TEST(ProjectDoc, CurrentReadingsKeepUnmentionedChannelsAndTheKnownMode) {
    TestProject fixture({{.id = "T 1",
                          .description = "T 1",
                          .precision = 3,
                          .minimum = 0,
                          .maximum = 50,
                          .type = "T"}});
    CProjectDoc& doc = *fixture.doc;
    CopyText(doc.setup.sensorIds[0], "T 1");
    doc.m_rCurState.deviceMode = 2;
    ASSERT_TRUE(doc.ParseCurrentReadings("2011-01-18 10:00:00;S1;50;S2;4"));
    EXPECT_EQ(doc.m_rCurState.reportedMode, 2);
    EXPECT_EQ(doc.m_rCurState.readings.values[0].precision, 0);  // no project: not marked
    ASSERT_TRUE(doc.ParseCurrentReadings("2011-01-18 10:00:01;S1;50;MODE;STOP"));
    EXPECT_EQ(doc.m_rCurState.reportedMode, 3);
    EXPECT_EQ(doc.m_rCurState.readings.values[1].value, 4.0);

    doc.SetPathName(doc.ProjectFilePath("p"));
    EXPECT_FALSE(doc.ParseCurrentReadings("garbage"));
    EXPECT_EQ(doc.m_rCurState.reportedMode, 2);
    ASSERT_TRUE(doc.ParseCurrentReadings("2011-01-18 10:00:02;S1;50"));
    EXPECT_EQ(doc.m_rCurState.readings.values[0].precision, 3);
    EXPECT_EQ(doc.m_rCurState.readings.values[0].limitMark, 1);
}

// Guards against marks on Em50 sensors, on unknown sensors or on empty channel IDs.
TEST(ProjectDoc, MarkRecordUsesTheKnownSensorsOnly) {
    TestProject fixture(
        {{.id = "T 1",
          .description = "T 1",
          .precision = 3,
          .minimum = 0,
          .maximum = 50,
          .type = "T"},
         {.id = "Em50/RH",
          .description = "Em50/RH",
          .precision = 1,
          .minimum = 0,
          .maximum = 50,
          .type = "Em50/RH"},
         {.id = "", .description = "", .precision = 4, .minimum = 0, .maximum = 100, .type = ""}});
    CProjectDoc& doc = *fixture.doc;
    CopyText(doc.setup.sensorIds[0], "T 1");
    CopyText(doc.setup.sensorIds[1], "Em50/RH");
    CopyText(doc.setup.sensorIds[2], "unknown");
    MeasurementRecord record{};
    for (int k = 0; k < 4; ++k)
        record.values[k] = {50.0, 5, 1};
    doc.MarkRecord(record);
    EXPECT_EQ(record.values[0].precision, 3);
    EXPECT_EQ(record.values[0].limitMark, 1);
    EXPECT_EQ(record.values[1].precision, 1);
    EXPECT_EQ(record.values[1].limitMark, 0);
    EXPECT_EQ(record.values[2].precision, 5);  // unknown sensor: untouched
    EXPECT_EQ(record.values[3].precision, 5);  // empty ID: untouched
}

// Guards against channels shown although free, or soil-probe channels shown without the probe.
TEST(ProjectDoc, ChannelInUseRules) {
    struct Case {
        const char* name;
        int k;
        const char* id;
        const char* substrate;
        int em50;
        bool withRecord;
        int kws;
        int smte;
        bool inUse;
    };
    const Case cases[] = {
        {"empty", 0, "", "", 0, false, 0, 0, false},
        {"plug and play", 0, "Plug and Play 2", "", 0, false, 0, 0, false},
        {"ordinary", 0, "T 1", "", 0, true, 0, 0, true},
        {"probe without record", 12, "KWS/SMTE/BEC", "VWC", 0, false, 0, 0, true},
        {"probe without KWS", 12, "KWS/SMTE/BEC", "VWC", 0, true, 0, 1, false},
        {"probe without SMTE", 11, "VWC", "VWC", 0, true, 1, 0, false},
        {"probe with both", 14, "KWS/SMTE/ST", "VWC", 0, true, 1, 1, true},
        {"probe without substrate", 12, "KWS/SMTE/BEC", "", 0, true, 1, 1, false},
        {"probe with em50", 12, "KWS/SMTE/BEC", "VWC", 1, true, 1, 1, false},
        {"channel 13 never", 13, "KWS/SMTE/PEC", "VWC", 0, true, 1, 1, false},
        {"em50 channel off", 20, "Em50/RH", "", 0, false, 0, 0, false},
        {"em50 channel on", 20, "Em50/RH", "", 1, false, 0, 0, true},
        {"module channel", 9, "KWS/AT", "", 0, true, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProject fixture;
        CProjectDoc& doc = *fixture.doc;
        CopyText(doc.setup.sensorIds[c.k], c.id);
        if (c.k != kSubstrateChannel) CopyText(doc.setup.sensorIds[kSubstrateChannel], c.substrate);
        doc.setup.em50 = c.em50;
        MeasurementRecord record{};
        record.status[kFlagKws] = c.kws;
        record.status[kFlagKwsSmte] = c.smte;
        EXPECT_EQ(doc.IsChannelInUse(c.withRecord ? &record : nullptr, c.k), c.inUse);
    }
}

// Guards against invalid values reaching the export and the graph.
TEST(ProjectDoc, ValueValidityRules) {
    struct Case {
        const char* name;
        int k;
        std::vector<std::pair<int, double>> values;
        std::vector<int> flags;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"ordinary", 0, {}, {}, true},
        {"channel 13 always", 13, {{11, 5}}, {kFlagKws, kFlagKwsSmte}, false},
        {"probe ok", 12, {{11, 5}}, {kFlagKws, kFlagKwsSmte}, true},
        {"probe low substrate", 12, {{11, 0.0005}}, {kFlagKws, kFlagKwsSmte}, false},
        {"probe without SMTE", 14, {{11, 5}}, {kFlagKws}, false},
        {"module without KWS", 9, {}, {}, false},
        {"module with KWS", 9, {}, {kFlagKws}, true},
        {"VPD low 19", 15, {}, {}, false},
        {"VPD low 19 with SHT", 15, {}, {kFlagKws, kFlagKwsSht}, true},
        {"dew point 19 set", 16, {{19, 1}}, {}, true},
        {"em50 36 zero", 20, {{19, 1}}, {}, false},
        {"em50 ok", 20, {{36, 1}}, {}, true},
        {"em50 18 low 19", 18, {{36, 1}}, {}, false},
        {"em50 23 low 24", 23, {{36, 1}, {19, 1}}, {}, false},
        {"em50 23 ok", 23, {{36, 1}, {24, 1}}, {}, true},
        {"no role", 40, {}, {}, true},
    };
    TestProject fixture;
    EXPECT_FALSE(fixture.doc->IsValueValid(nullptr, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasurementRecord record{};
        for (const auto& [j, v] : c.values)
            record.values[j].value = v;
        for (int f : c.flags)
            record.status[f] = 1;
        EXPECT_EQ(fixture.doc->IsValueValid(&record, c.k), c.valid);
    }
}

// Guards against wrong status texts or texts shown where no case applies.
TEST(ProjectDoc, StatusTexts) {
    struct Case {
        int kind;
        std::vector<std::pair<int, int>> flags;
        int powerOff;
        int powerOn;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0, {}, 0, 0, "Ok"},
        {0, {{kFlagBatteryLow, 1}}, 0, 0, "Низкий заряд батареи"},
        {0, {{kFlagBatteryLow, 1}}, 1, 0, ""},
        {1, {{kFlagKws, 1}}, 0, 0, "Подключен"},
        {1, {}, 0, 0, "Отсутствует"},
        {1, {}, 0, 1, ""},
        {2, {{kFlagKws, 1}, {kFlagKwsFan, 1}}, 0, 0, "Ошибка"},
        {2, {{kFlagKws, 1}, {kFlagKwsFan, 1}, {kFlagKwsMfan, 1}}, 0, 0, "Ok"},
        {2, {{kFlagKws, 1}}, 0, 0, "Ok"},
        {2, {{kFlagKwsFan, 1}}, 0, 0, ""},
        {3, {{kFlagKws, 1}}, 0, 0, "Ошибка"},
        {3, {{kFlagKws, 1}, {kFlagKwsSht, 1}}, 0, 0, "Ok"},
        {4, {{kFlagKws, 1}, {kFlagKwsSmte, 1}}, 0, 0, "Подключен"},
        {4, {{kFlagKws, 1}}, 0, 0, "Отсутствует"},
        {4, {}, 0, 0, ""},
        {5, {}, 1, 1, "Питание выкл"},
        {5, {}, 0, 1, "Питание Вкл"},
        {5, {}, 0, 0, ""},
        {6, {{kFlagKws, 1}}, 0, 0, ""},
    };
    TestProject fixture;
    for (const Case& c : cases) {
        MeasurementRecord record{};
        for (const auto& [f, v] : c.flags)
            record.status[f] = v;
        record.powerOff = c.powerOff;
        record.powerOn = c.powerOn;
        EXPECT_EQ(fixture.doc->StatusText(record, c.kind), c.text) << "kind " << c.kind;
    }
}

// Guards against wrapped hours, a missing double blank or seconds shown when not wanted.
TEST(ProjectDoc, Formatting) {
    const Locale saved = Locale::Current();
    Locale::SetCurrent(Locale(',', "%d.%m.%Y", "%H:%M:%S"));
    EXPECT_EQ(CProjectDoc::FormatDuration(90061), "25:01:01");
    EXPECT_EQ(CProjectDoc::FormatDuration(0), "00:00:00");
    const TimeStamp t = MakeRecord(2011, 1, 18, 7, 5, 9).time;
    EXPECT_EQ(CProjectDoc::FormatRecordTime(t, false), "18.01.2011  07:05:09");
    EXPECT_EQ(CProjectDoc::FormatRecordTime(t, true), "18.01.2011  07:05");
    EXPECT_EQ(CProjectDoc::FormatRecordTime(TimeStamp{}, false), "");
    EXPECT_EQ(CProjectDoc::FormatCell({2.5, 2, 1}, true), "*2,50");
    EXPECT_EQ(CProjectDoc::FormatCell({2.5, 2, 1}, false), "2,50");
    EXPECT_EQ(CProjectDoc::FormatCell({2.5, 0, 0}, true), "2");
    Locale::SetCurrent(saved);
}

class CountingObserver : public DocObserver {
public:
    void OnDocumentUpdate(int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

// Guards against observers missed, told twice, or told after they left.
TEST(ProjectDoc, UpdateAllViewsTellsEveryObserver) {
    TestProject fixture;
    CountingObserver a, b;
    fixture.doc->AddObserver(&a);
    fixture.doc->AddObserver(&b);
    fixture.doc->AddObserver(&b);
    fixture.doc->UpdateAllViews(kHintRecords);
    fixture.doc->RemoveObserver(&a);
    fixture.doc->UpdateAllViews(kHintLiveState);
    EXPECT_EQ(a.hints, std::vector<int>({1}));
    EXPECT_EQ(b.hints, std::vector<int>({1, 2}));
}

}  // namespace
}  // namespace vg28::test
