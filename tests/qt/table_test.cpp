// The record table: columns per mode, hints, colours, lazy cell texts, widths per data index,
// the column choice, the export through the save dialog and the graph type dialog.

#include <gtest/gtest.h>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "base/Profile.h"
#include "platform/FixedText.h"
#include "session/CommandIds.h"
#include "ui/CTableView.h"
#include "ui/ColumnChoiceDialog.h"
#include "ui/GraphTypeDialog.h"
#include "ui/RecordTableModel.h"

namespace vg28::test {
namespace {

ui::CTableView& Table(RunningTerminal& t) {
    t.Frame().ShowRecordTable();
    return *t.Frame().RecordTable();
}

std::vector<int> Indices(ui::CTableView& table) {
    return table.Model()->Columns().DataIndices();
}

// Columns of the wrong mode: S48/S49 in the typical mode, status columns outside diagnostics,
// S14 or "Plug and Play" channels shown, probe channels without the substrate sensor.
TEST(RecordTable, ColumnsPerMode) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo",
                                        {{0, "TA 1"},
                                         {1, "Plug and Play"},
                                         {12, "KWS/SMTE/BEC"},
                                         {13, "KWS/SMTE/PEC"},
                                         {14, "KWS/SMTE/ST"},
                                         {46, "TA 2"},
                                         {47, "TA 2"},
                                         {48, "TA 2"}},
                                        {"2026-12-07 10:00:00;S1;21"}));
    ui::CTableView& table = Table(t);
    const struct {
        int mode;
        std::vector<int> indices;
    } rows[] = {
        {0, {0, 1, 47, 48, 49}},
        {1, {0, 1, 47}},
        {3, {0, 1, 47, 48, 49, 50, 51, 52, 53, 54}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(t.Frame().RunCommand(cmd::kTableModeFirst + row.mode));
        EXPECT_EQ(Indices(table), row.indices) << row.mode;
        t.Frame().UpdateCommandUi();
        if (row.mode != 1) {
            EXPECT_TRUE(t.Frame().Action(cmd::kTableModeFirst + row.mode)->isChecked());
        }
    }
    EXPECT_EQ(table.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Время"));
    EXPECT_EQ(table.model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Температура воздуха 1 (S1:TA 1), °C"));
}

// The custom set ignored, or the choice dialog not forming it from its check marks.
TEST(RecordTable, ColumnChoiceFormsTheCustomSet) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}, {1, "TA 2"}}));
    ui::CTableView& table = Table(t);
    ASSERT_TRUE(t.Frame().RunCommand(cmd::kTableModeCustom));
    AnswerModal(QStringLiteral("ok"), [](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Определение колонок"));
        auto* list = Child<QListWidget>(*dialog, QStringLiteral("columnList"));
        ASSERT_EQ(list->count(), 50);
        EXPECT_EQ(list->item(49)->text(), QStringLiteral("S49"));
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setCheckState(i == 0 ? Qt::Checked : Qt::Unchecked);
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kColumnChoice));
    ASSERT_TRUE(ran);
    EXPECT_EQ(table.CustomSet(), 1u);
    EXPECT_EQ(Indices(table), std::vector<int>({0}));
    EXPECT_EQ(UnansweredModals(), 0);
}

// The record table's tests that show numbers, run with the user's decimal point and comma.
class RecordTableNumbers : public testing::TestWithParam<char> {};

// The table reacting to live-state hints, ignoring record hints, or showing a number without the
// user's decimal separator.
TEST_P(RecordTableNumbers, RecordHintsUpdateTheRowCount) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    const UserDecimalSeparator separator(GetParam());
    const bool comma = GetParam() == ',';
    CProjectDoc& doc = *t.App().Core().Doc();
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Demo", {{0, "TA 1"}}, {"2026-12-07 10:00:00;S1;21"}));
    ui::CTableView& table = Table(t);
    EXPECT_EQ(table.model()->rowCount(), 1);
    int added = 0;
    ASSERT_TRUE(doc.AddRecordLine("2026-12-07 10:10:00;S1;22", added));
    doc.UpdateAllViews(kHintLiveState);
    EXPECT_EQ(table.model()->rowCount(), 1);
    doc.UpdateAllViews(kHintRecords);
    EXPECT_EQ(table.model()->rowCount(), 2);
    EXPECT_EQ(table.model()->index(1, 1).data().toString(),
              comma ? QStringLiteral("22,0") : QStringLiteral("22.0"));
    EXPECT_EQ(table.model()->index(0, 0).data().toString(), QStringLiteral("07.12.2026  10:00"));
    const QColor time = table.model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>();
    const QColor input = table.model()->index(0, 1).data(Qt::BackgroundRole).value<QColor>();
    EXPECT_EQ(time, QColor(240, 240, 240));
    EXPECT_EQ(input, QColor(255, 255, 192));
    // The empty area below the rows keeps the column colours.
    t.Frame().resize(800, 600);
    RunningTerminal::Pump();
    const QImage image = table.viewport()->grab().toImage();
    const int y = image.height() - 5;
    ASSERT_GT(image.width(), table.columnWidth(0) + table.columnWidth(1) + 10);
    EXPECT_EQ(image.pixelColor(5, y), QColor(240, 240, 240));
    EXPECT_EQ(image.pixelColor(table.columnWidth(0) + 5, y), QColor(255, 255, 192));
    EXPECT_EQ(image.pixelColor(image.width() - 3, y), QColor(Qt::white));
}

// The view producing every cell of a large project instead of the painted ones.
TEST(RecordTable, OnlyPaintedCellsAreMade) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    CProjectDoc& doc = *t.App().Core().Doc();
    ASSERT_NO_FATAL_FAILURE(
        MakeProject(doc, "Big", {{0, "TA 1"}, {1, "TA 2"}}, {"2026-01-01 00:00:00;S1;1;S2;2"}));
    MeasurementRecord record = doc.records.front();
    doc.records.reserve(100000);
    for (int i = 1; i < 100000; ++i) {
        record.time.minute = static_cast<std::uint8_t>(i % 60);
        record.time.hour = static_cast<std::uint8_t>(i / 60 % 24);
        record.time.day = static_cast<std::uint8_t>(1 + i / 1440 % 28);
        record.time.month = static_cast<std::uint8_t>(1 + i / 40320 % 12);
        doc.records.push_back(record);
    }
    doc.SortRecords();
    ui::CTableView& table = Table(t);
    table.Model()->ResetCellRequests();
    doc.UpdateAllViews(kHintAll);
    table.resize(600, 400);
    table.scrollToBottom();
    (void)table.grab();
    EXPECT_EQ(table.model()->rowCount(), 100000);
    EXPECT_GT(table.Model()->CellRequests(), 0);
    EXPECT_LT(table.Model()->CellRequests(), 3 * 100);
}

// Chooses the custom column set of the data indices given through the column choice dialog.
void ChooseCustomColumns(RunningTerminal& t, const std::vector<int>& indices) {
    ASSERT_TRUE(t.Frame().RunCommand(cmd::kTableModeCustom));
    AnswerModal(QStringLiteral("ok"), [indices](QWidget* dialog) {
        auto* list = Child<QListWidget>(*dialog, QStringLiteral("columnList"));
        for (int i = 0; i < list->count(); ++i) {
            const bool shown = std::find(indices.begin(), indices.end(), i) != indices.end();
            list->item(i)->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
        }
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kColumnChoice));
    ASSERT_TRUE(ran);
    EXPECT_EQ(UnansweredModals(), 0);
}

// Widths stored by column position, so a channel takes another's width when columns hide.
TEST(RecordTable, WidthsAreKeptPerDataIndex) {
    {
        RunningTerminal t;
        ASSERT_TRUE(t.Started());
        ASSERT_NO_FATAL_FAILURE(
            MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}, {1, "TA 2"}, {2, "TA 1"}}));
        ui::CTableView& table = Table(t);
        ASSERT_EQ(Indices(table), std::vector<int>({0, 1, 2, 3}));
        EXPECT_GE(table.columnWidth(0), 96);
        EXPECT_EQ(table.columnWidth(1), 80);
        table.setColumnWidth(2, 150);  // S2
        table.setColumnWidth(3, 120);  // S3
        // S2 hidden: S3 moves to the place of S2 and keeps its own width.
        ASSERT_NO_FATAL_FAILURE(ChooseCustomColumns(t, {0, 1, 3}));
        ASSERT_EQ(Indices(table), std::vector<int>({0, 1, 3}));
        EXPECT_EQ(table.columnWidth(2), 120);
        table.setColumnWidth(2, 130);  // S3 again
        ASSERT_TRUE(t.Frame().RunCommand(cmd::kTableModeFirst));
        ASSERT_EQ(Indices(table), std::vector<int>({0, 1, 2, 3}));
        EXPECT_EQ(table.columnWidth(2), 150);
        EXPECT_EQ(table.columnWidth(3), 130);
        ASSERT_NO_FATAL_FAILURE(ChooseCustomColumns(t, {0, 1, 3}));
        t.Frame().close();
        Profile profile(t.Folder().SettingsPath());
        EXPECT_EQ(profile.GetInt("Table", "ColWidth2", 0), 150);
        EXPECT_EQ(profile.GetInt("Table", "ColWidth3", 0), 130);
        EXPECT_EQ(profile.GetInt("Table", "ColWidth1", 0), 80);
    }
}

// The export not writing the shown columns, writing where the dialog was not pointed, or not in
// the user's decimal separator.
TEST_P(RecordTableNumbers, ExportWritesThroughTheSaveDialog) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    const UserDecimalSeparator separator(GetParam());
    const bool comma = GetParam() == ',';
    ASSERT_NO_FATAL_FAILURE(
        MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}},
                    {"2026-12-07 10:00:00;S1;60", "2026-12-07 10:10:00;S1;20"}));
    Table(t);
    const std::string path = t.Folder().Path() + "out.csv";
    AnswerModal(QString(), [&path](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters(),
                  QStringList({"CSV файлы (*.csv)", "Текстовые файлы (*.txt)"}));
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("csv"));
        dialog->selectFile(QString::fromStdString(path));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kExportMarked));
    ASSERT_TRUE(ran);
    const std::string written = t.Folder().Folder().ReadFile("out.csv");
    EXPECT_EQ(written.substr(0, written.find('\r')).rfind(std::string("\xc2\xf0\xe5\xec\xff;"), 0),
              0u)
        << written;  // "Время;" in CP1251
    EXPECT_NE(written.find(comma ? ";*60,0\r\n" : ";*60.0\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find(comma ? ";20,0\r\n" : ";20.0\r\n"), std::string::npos) << written;
    EXPECT_EQ(UnansweredModals(), 0);
}

// The export proposing a Cyrillic project name decoded as CP1251 (garbage in the file name).
TEST(RecordTable, ExportProposesTheProjectName) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Теплица", {{0, "TA 1"}},
                                        {"2026-12-07 10:00:00;S1;20"}));
    Table(t);
    QString proposed;
    AnswerModal(QString(), [&proposed](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        proposed = edit->text();
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kExportMarked));
    ASSERT_TRUE(ran);
    EXPECT_EQ(proposed, QStringLiteral("Теплица"));
    EXPECT_TRUE(t.Folder().Folder().Exists("Теплица.csv"));
    EXPECT_EQ(UnansweredModals(), 0);
}

INSTANTIATE_TEST_SUITE_P(Separators, RecordTableNumbers, UserSeparators(), SeparatorName);

// A stored graph type outside 0/1 selecting nothing, or the description not following.
TEST(RecordTable, GraphTypeDialogSelectsByTypeModuloTwo) {
    const struct {
        int stored;
        int selected;
        const char* description;
    } rows[] = {{0, 0, "Зарегистрированные значения"},
                {3, 1, "Экспоненциальная скользящая средняя"},
                {-1, 1, "Экспоненциальная скользящая средняя"}};
    for (const auto& row : rows) {
        ui::GraphTypeDialog dialog(row.stored);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Выберите тип графика "));
        EXPECT_EQ(dialog.Type(), row.selected) << row.stored;
        EXPECT_EQ(dialog.Description(), QString::fromUtf8(row.description));
    }
    ui::GraphTypeDialog dialog(0);
    dialog.List()->setCurrentRow(1);
    EXPECT_EQ(dialog.Type(), 1);
    EXPECT_EQ(dialog.Description(), QStringLiteral("Экспоненциальная скользящая средняя"));
}

}  // namespace
}  // namespace vg28::test
