// The main window and its child frames: commands by active view, the reduced system menu,
// placement, start-up failure, command table coverage.

#include <gtest/gtest.h>
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QToolBar>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "base/Profile.h"
#include "session/CommandIds.h"
#include "ui/CChildFrame.h"
#include "ui/CMnemoView.h"
#include "ui/CTableView.h"

namespace vg28::test {
namespace {

using cmd::kColumnChoice;
using cmd::kDataViewer;
using cmd::kExportAll;
using cmd::kExportMarked;
using cmd::kPanelCurrent;
using cmd::kPanelLastRecord;
using cmd::kTableModeFull;

bool Enabled(RunningTerminal& t, int id) {
    t.Frame().UpdateCommandUi();
    return t.Frame().Action(id)->isEnabled();
}

// A view's commands reaching the other view (and crashing on a missing view) or staying enabled.
TEST(MainFrame, ViewCommandsFollowTheActiveView) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}},
                                        {"2026-12-07 10:00:00;S1;21.5;F:KWS;1"}));
    const struct {
        int id;
        bool withPanel;
        bool withTable;
    } rows[] = {
        {kTableModeFull, false, true}, {kColumnChoice, false, true},
        {kExportMarked, false, true},  {kExportAll, false, true},
        {kPanelCurrent, true, false},  {kPanelLastRecord, true, false},
        {kDataViewer, false, false},  // no viewer installed in the test folder
    };
    t.Frame().ShowControlPanel(false);
    for (const auto& row : rows)
        EXPECT_EQ(Enabled(t, row.id), row.withPanel) << row.id;
    EXPECT_FALSE(t.Frame().RunCommand(kExportAll));
    t.Frame().ShowRecordTable();
    ASSERT_TRUE(t.Frame().IsRecordTableActive());
    for (const auto& row : rows)
        EXPECT_EQ(Enabled(t, row.id), row.withTable) << row.id;
    EXPECT_FALSE(t.Frame().RunCommand(kPanelLastRecord));
    // The check marks of the view switch follow the active view.
    t.Frame().UpdateCommandUi();
    EXPECT_TRUE(t.Frame().Action(cmd::kShowRecordTable)->isChecked());
    EXPECT_FALSE(t.Frame().Action(cmd::kShowControlPanel)->isChecked());
}

// The record table opened without a project, or the frames not kept maximized.
TEST(MainFrame, ChildFramesAreMaximizedWithOnlyCloseInTheSystemMenu) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    EXPECT_FALSE(Enabled(t, cmd::kShowRecordTable));
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}}));
    ASSERT_TRUE(t.Frame().RunCommand(cmd::kShowRecordTable));
    ui::CChildFrame* table = t.Frame().RecordTableFrame();
    ASSERT_NE(table, nullptr);
    EXPECT_TRUE(table->isMaximized());
    ASSERT_NE(table->systemMenu(), nullptr);
    const QList<QAction*> items = table->systemMenu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("close"));

    table->showMinimized();
    RunningTerminal::Pump();
    EXPECT_TRUE(table->isMaximized());
    EXPECT_FALSE(table->isMinimized());
    table->showNormal();
    RunningTerminal::Pump();
    EXPECT_TRUE(table->isMaximized());
    // The panel opened while the table shows comes up maximized on top.
    t.Frame().ShowControlPanel(false);
    EXPECT_TRUE(t.Frame().ControlPanelFrame()->isMaximized());
    EXPECT_TRUE(t.Frame().IsControlPanelActive());
}

// A closed view that cannot be opened again, or a new frame for a view still open.
TEST(MainFrame, ClosedViewIsCreatedAnewByItsCommand) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    QPointer<ui::CChildFrame> first = t.Frame().ControlPanelFrame();
    ASSERT_TRUE(first);
    t.Frame().ShowControlPanel(false);
    EXPECT_EQ(t.Frame().ControlPanelFrame(), first.data());
    first->close();
    RunningTerminal::Pump(50);
    EXPECT_TRUE(first.isNull());
    EXPECT_FALSE(t.Frame().IsControlPanelActive());
    ASSERT_TRUE(t.Frame().RunCommand(cmd::kShowControlPanel));
    ASSERT_NE(t.Frame().ControlPanelFrame(), nullptr);
    EXPECT_TRUE(t.Frame().IsControlPanelActive());
    EXPECT_EQ(t.Frame().MdiArea()->subWindowList().size(), 1);
}

// Every command of the table missing from the menus, keys or toolbar; the toolbar's buttons in
// another order than the one the operator knows.
TEST(MainFrame, MenusKeysAndToolbarFollowTheCommandTable) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    QStringList titles;
    for (QAction* menu : t.Frame().menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, QStringList({"&Проект", "П&росмотр", "V&G-28", "&?"}));
    const struct {
        int id;
        const char* keys;
    } keys[] = {{cmd::kChooseProject, "Ctrl+O"},
                {kDataViewer, "Ctrl+G"},
                {57665, "Alt+X"},
                {cmd::kShowControlPanel, "Ctrl+P"},
                {cmd::kShowRecordTable, "Ctrl+T"},
                {cmd::kConnect, "F2"},
                {cmd::kHelp, "F1"}};
    for (const auto& row : keys) {
        EXPECT_EQ(t.Frame().Action(row.id)->shortcut(), QKeySequence(QString::fromLatin1(row.keys)))
            << row.id;
    }
    EXPECT_EQ(t.Frame().Action(cmd::kModeStop)->statusTip(), QStringLiteral("Остановка пректа"));
    EXPECT_EQ(t.Frame().Action(cmd::kConnect)->text(), QStringLiteral("&Синхронизция проекта"));
    auto* bar = t.Frame().findChild<QToolBar*>(QStringLiteral("mainToolbar"));
    ASSERT_NE(bar, nullptr);
    QList<int> order;
    for (QAction* action : bar->actions())
        order << (action->isSeparator() ? 0 : action->objectName().mid(7).toInt());
    // Left to right, 0 for a separator.
    const QList<int> expected = {32779, 32780, 0,     32773, 0, 32782, 32783, 0,
                                 32800, 32801, 0,     32777, 0, 32799, 0,     32784,
                                 0,     32810, 32811, 32812, 0, 32818};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(t.Frame().Action(cmd::kShowRecordTable)->toolTip(),
              QStringLiteral("Таблица записей"));
    for (QAction* action : bar->actions()) {
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
    }
}

// The window not placed by the defaults, or its placement not written back on close.
TEST(MainFrame, PlacementComesFromAndGoesToTheProfile) {
    {
        RunningTerminal t;
        ASSERT_TRUE(t.Started());
        EXPECT_EQ(t.Frame().size(), QSize(652, 585));
        EXPECT_EQ(t.Frame().windowTitle(), QStringLiteral("Арболюкс VG-28"));
        EXPECT_EQ(t.Frame().StatusText(), QStringLiteral("Готов"));
        EXPECT_EQ(t.Frame().LinkIndicatorText(), QStringLiteral("Нет связи"));
        t.Frame().resize(700, 500);
        ASSERT_TRUE(t.Frame().close());
        Profile profile(t.Folder().SettingsPath());
        EXPECT_EQ(profile.Get(keys::kLayoutWidth), 700);
        EXPECT_EQ(profile.Get(keys::kLayoutHeight), 500);
        EXPECT_EQ(profile.Get(keys::kLayoutMaximize), 0);
    }
    RunningTerminal maximized(
        [](UiProgramFolder& f) { Profile(f.SettingsPath()).Write(keys::kLayoutMaximize, 1); });
    ASSERT_TRUE(maximized.Started());
    EXPECT_TRUE(maximized.Frame().isMaximized());
}

// A missing sensor database not reported, or the program going on without one.
TEST(MainFrame, MissingSensorDatabaseIsReportedAndEndsTheStart) {
    QString text;
    AnswerModal(QStringLiteral("ok"), [&text](QWidget* box) {
        if (auto* message = qobject_cast<QMessageBox*>(box)) text = message->text();
    });
    RunningTerminal t([](UiProgramFolder& f) { f.Folder().WriteFile("sensors.dat", "broken"); });
    EXPECT_FALSE(t.Started());
    EXPECT_EQ(text, QStringLiteral("База датчиков отсутствует или повреждена!\nПожалуйста, "
                                   "переустановите программу."));
}

// The title missing the instrument or the project, the MDI child's title leaking into it, or a
// Cyrillic project name shown in another encoding.
TEST(MainFrame, TitleNamesTheProject) {
    for (const char* name : {"Demo", "Теплица"}) {
        RunningTerminal t;
        ASSERT_TRUE(t.Started());
        ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), name, {{0, "TA 1"}}));
        t.Frame().GetSession().UpdateTitle();
        t.Frame().ShowRecordTable();
        RunningTerminal::Pump();
        EXPECT_EQ(t.Frame().windowTitle(),
                  QStringLiteral("Арболюкс VG-28 -  [") + QString::fromUtf8(name) + "]");
    }
}

}  // namespace
}  // namespace vg28::test
