// The control panel: which rows it lists, what they show, when the status rows appear, which
// hints it answers, and what it keeps in the profile.

#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "base/Profile.h"
#include "platform/FixedText.h"
#include "session/CommandIds.h"
#include "ui/CMnemoView.h"

namespace vg28::test {
namespace {

QStringList Column(QTableWidget* list, int column) {
    QStringList texts;
    for (int row = 0; row < list->rowCount(); ++row)
        texts << (list->item(row, column) ? list->item(row, column)->text() : QString());
    return texts;
}

ui::CMnemoView& Panel(RunningTerminal& t) {
    return *t.Frame().ControlPanel();
}

void SetMode(RunningTerminal& t, int mode) {
    Panel(t).OnCommand(mode == 0 ? cmd::kPanelCurrent : cmd::kPanelLastRecord);
}

// Channel 13 or hidden probe channels listed, Em50 channels shown without the Em50 option.
TEST(ControlPanel, RowsFollowTheChannelRules) {
    const char* line =
        "2026-12-07 10:00:00;S1;21.5;S12;30;S13;1.5;S14;2.5;S15;18;S18;5;F:KWS;1;F:KWS-SMTE;1;"
        "F:KWS-SHT;1";
    const struct {
        const char* name;
        bool em50;
        QStringList labels;  // the start of each title, row 0 "Время" first
    } rows[] = {
        {"probe", false, {"Время", "Температура воздуха 1", "", "", ""}},
        {"em50", true, {"Время", "Температура воздуха 1", ""}},
    };
    for (const auto& row : rows) {
        RunningTerminal t;
        ASSERT_TRUE(t.Started());
        ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo",
                                            {{0, "TA 1"},
                                             {11, "KWS/SMTE/VWC C1"},
                                             {12, "KWS/SMTE/BEC"},
                                             {13, "KWS/SMTE/PEC"},
                                             {14, "KWS/SMTE/ST"},
                                             {17, "Em50/AT"}},
                                            {line}, row.em50));
        SetMode(t, 1);
        const QStringList titles = Column(Panel(t).ValuesList(), 0);
        ASSERT_EQ(titles.size(), row.labels.size())
            << row.name << " " << titles.join('|').toStdString();
        for (int i = 0; i < titles.size(); ++i)
            EXPECT_TRUE(titles[i].startsWith(row.labels[i])) << row.name << " " << i;
        // S14 (channel 13) is never listed; the probe's other channels only without Em50.
        const QString all = titles.join('|');
        EXPECT_FALSE(all.contains(QStringLiteral("KWS/SMTE/PEC"))) << row.name;
        EXPECT_EQ(all.contains(QStringLiteral("KWS/SMTE/VWC C1")), !row.em50) << row.name;
        EXPECT_EQ(all.contains(QStringLiteral("KWS/SMTE/ST")), !row.em50) << row.name;
        EXPECT_EQ(all.contains(QStringLiteral("Em50/AT")), row.em50) << row.name;
    }
}

// The control panel's tests that show numbers, run with the user's decimal point and comma.
class ControlPanelNumbers : public testing::TestWithParam<char> {};

// A value outside the rules shown as a number, a range end without its mark, a missing sensor
// without its caption, a number not in the user's decimal separator.
TEST_P(ControlPanelNumbers, ValuesShowMarksPlaceholdersAndMissingSensors) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    const UserDecimalSeparator separator(GetParam());
    const bool comma = GetParam() == ',';
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo",
                                        {{0, "TA 1"}, {2, "T 9"}, {8, "KWS/R PAR"}},
                                        {"2026-12-07 10:00:00;S1;60;S3;4.25;S9;300"}));
    SetMode(t, 1);
    QTableWidget* values = Panel(t).ValuesList();
    ASSERT_EQ(values->rowCount(), 4 + 1);  // time, S1, S3, S9, and the "KWS" status row
    EXPECT_EQ(values->item(0, 1)->text(), QStringLiteral("07.12.2026  10:00"));
    EXPECT_EQ(values->item(1, 1)->text(),
              comma ? QStringLiteral("*60,0") : QStringLiteral("*60.0"));
    EXPECT_EQ(values->item(2, 0)->text(), QStringLiteral("S3 (T 9)"));
    EXPECT_EQ(values->item(2, 2)->text(), QString());
    EXPECT_FALSE(values->item(2, 1)->text().isEmpty());
    // S9 belongs to the weather station, which this record does not report: not valid.
    EXPECT_EQ(values->item(3, 1)->text(), QStringLiteral("n/a"));
    EXPECT_EQ(values->item(4, 0)->text(), QStringLiteral("KWS"));
    EXPECT_EQ(values->item(4, 1)->text(), QStringLiteral("Отсутствует"));
}

INSTANTIATE_TEST_SUITE_P(Separators, ControlPanelNumbers, UserSeparators(), SeparatorName);

// Status rows in the current-readings mode, or a healthy module reported as a fault.
TEST(ControlPanel, StatusRowsOnlyForTheLastRecordAndOnlyWhenSomethingIsWrong) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(
        MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}},
                    {"2026-12-07 10:00:00;S1;21;F:KWS;1;F:KWS-SHT;1;F:KWS-SMTE;1;F:BL;1"}));
    SetMode(t, 1);
    EXPECT_EQ(Panel(t).TitleCaption()->text(), QStringLiteral("Последняя скачанная запись"));
    EXPECT_EQ(Column(Panel(t).ValuesList(), 0).mid(2), QStringList({"Питание"}));
    EXPECT_EQ(Panel(t).ValuesList()->item(2, 1)->text(), QStringLiteral("Низкий заряд батареи"));
    // The status text is wider than the value column: it runs on across the units column.
    EXPECT_EQ(Panel(t).ValuesList()->columnSpan(2, 1), 2);
    EXPECT_EQ(Panel(t).ValuesList()->columnSpan(1, 1), 1);
    SetMode(t, 0);
    EXPECT_EQ(Panel(t).ValuesList()->columnSpan(1, 1), 1);
    EXPECT_EQ(Panel(t).TitleCaption()->text(), QStringLiteral("Текущие значения"));
    for (int r = 0; r < ui::CMnemoView::kStatusRowCount; ++r)
        EXPECT_FALSE(Panel(t).RowMask().test(kChannelCount + r));
    EXPECT_FALSE(Column(Panel(t).ValuesList(), 0).contains(QStringLiteral("Питание")));
}

// The panel reacting to record hints, or missing the link and instrument texts.
TEST(ControlPanel, HintsAndTheInstrumentState) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Demo", {{0, "TA 1"}}, {"2026-12-07 10:00:00;S1;21"}));
    SetMode(t, 0);
    CurrentState& s = doc.m_rCurState;
    s.connected = true;
    s.deviceMode = 2;
    s.firmwareVersion = 0x02010005;
    CopyText(s.deviceId, "VG28-00115");
    s.m_rNextRecordTime = SystemTime{1980, 1, 0, 1, 0, 0, 0, 0};
    doc.UpdateAllViews(kHintRecords);
    EXPECT_EQ(Panel(t).DisplayMode(), 0) << "hint 1 must leave the panel alone";
    EXPECT_EQ(Panel(t).StatusList()->item(0, 1)->text(), QStringLiteral("Нет связи"));
    doc.UpdateAllViews(kHintLiveState);
    // Recording switches the panel to the last record; 32800 is then disabled.
    EXPECT_EQ(Panel(t).DisplayMode(), 1);
    EXPECT_FALSE(Panel(t).QueryCommand(cmd::kPanelCurrent).enabled);
    EXPECT_EQ(Panel(t).StatusList()->item(0, 1)->text(),
              QStringLiteral("На связи - # VG28-00115 (v.2.1.0.5)"));
    EXPECT_EQ(Panel(t).StatusList()->item(1, 1)->text(), QStringLiteral("Режим записи"));
    s.m_rNextRecordTime = SystemTime{2026, 12, 1, 7, 10, 10, 0, 0};
    s.firmwareVersion = 0;
    doc.UpdateAllViews(kHintLiveState);
    EXPECT_EQ(Panel(t).StatusList()->item(0, 1)->text(), QStringLiteral("На связи"));
    EXPECT_TRUE(Panel(t).StatusList()->item(1, 1)->text().startsWith(
        QStringLiteral("Режим записи  - время следующей записи: ")));
    s.connected = false;
}

// The space bar reaching the lists, or column widths and the mode lost at a restart.
TEST(ControlPanel, SpaceIsSwallowedAndLayoutIsKept) {
    std::string settings;
    {
        RunningTerminal t;
        ASSERT_TRUE(t.Started());
        ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}},
                                            {"2026-12-07 10:00:00;S1;21"}));
        SetMode(t, 1);
        QTableWidget* values = Panel(t).ValuesList();
        values->setCurrentCell(0, 0);
        values->clearSelection();
        QTest::keyClick(values, Qt::Key_Space);
        EXPECT_TRUE(values->selectedItems().isEmpty());
        values->setColumnWidth(0, 222);
        Panel(t).StatusList()->setColumnWidth(1, 333);
        settings = t.Folder().SettingsPath();
        t.Frame().close();
        Profile profile(settings);
        EXPECT_EQ(profile.GetInt("MnemoList1", "ColWidth0", 0), 222);
        EXPECT_EQ(profile.GetInt("MnemoList2", "ColWidth1", 0), 333);
        EXPECT_EQ(profile.Get(keys::kMnemoMode), 1);
    }
}

// The canvas not centred in a large window, or not scrollable in a small one.
TEST(ControlPanel, CanvasIsCentredOrScrolled) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ui::CMnemoView& panel = Panel(t);
    panel.resize(1000, 800);
    RunningTerminal::Pump();
    const QPoint big = panel.ValuesList()->pos();
    EXPECT_EQ(big, QPoint(20 + (panel.widget()->width() - 640) / 2,
                          40 + (panel.widget()->height() - 484) / 2));
    panel.resize(300, 200);
    RunningTerminal::Pump();
    EXPECT_EQ(panel.ValuesList()->pos(), QPoint(20, 40));
    EXPECT_GT(panel.horizontalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace vg28::test
