// The whole program against the built-in simulated instrument: connect, synchronize, download,
// and the records in the table.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "UiTestSupport.h"
#include "base/Profile.h"
#include "project/CProjectDoc.h"
#include "session/CommandIds.h"
#include "sync/HeadlessSyncDriver.h"
#include "ui/CTableView.h"
#include "ui/RecordTableModel.h"

namespace vg28::test {
namespace {

// The session, the synchronization and the views not joined up: records downloaded but not
// shown or not counted in the status bar, the link indicator not following, or the program
// stuck in the search.
TEST(WholeProgram, ConnectsSynchronizesDownloadsAndShowsRecords) {
    RunningTerminal t([](UiProgramFolder& f) {
        Profile profile(f.SettingsPath());
        profile.Write(keys::kPortDevice, "simulator");
        profile.Write(keys::kStartUpShow, 0);
    });
    ASSERT_TRUE(t.Started());
    ui::CMainFrame& frame = t.Frame();
    // The instrument's project wins every question, as a new user would take it.
    frame.SetSyncDriverFactory([](ui::CMainFrame&) -> std::unique_ptr<SyncDialogDriver> {
        return std::make_unique<HeadlessSyncDriver>(Clock::System(),
                                                    HeadlessSyncDriver::Policy::InstrumentWins);
    });
    // Questions of the session (clock, upload) are answered with No; messages with OK.
    CProjectDoc& doc = *t.App().Core().Doc();
    QElapsedTimer elapsed;
    elapsed.start();
    // The first tick: no start window, the start action connects.
    frame.TickTimer().start(1);
    auto answerBoxes = [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            for (const char* name : {"no", "ok"}) {
                if (auto* button = modal->findChild<QAbstractButton*>(QString::fromLatin1(name))) {
                    button->click();
                    break;
                }
            }
        }
    };
    QTimer boxes;
    QObject::connect(&boxes, &QTimer::timeout, answerBoxes);
    boxes.start(50);
    while (elapsed.elapsed() < 60000 && doc.records.empty())
        RunningTerminal::Pump(50);
    boxes.stop();
    frame.TickTimer().stop();
    ASSERT_FALSE(doc.records.empty()) << frame.StatusText().toStdString();
    EXPECT_TRUE(doc.m_rCurState.connected);
    EXPECT_EQ(frame.LinkIndicatorText(), QStringLiteral("На связи"));
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Скачано записей: %1").arg(doc.records.size()));
    EXPECT_TRUE(frame.windowTitle().contains(QStringLiteral("Demo")));
    ASSERT_TRUE(frame.RunCommand(cmd::kShowRecordTable));
    ui::CTableView* table = frame.RecordTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->rowCount(), static_cast<int>(doc.records.size()));
    EXPECT_FALSE(table->model()->index(0, 0).data().toString().isEmpty());
    EXPECT_GT(table->model()->columnCount(), 1);
}

}  // namespace
}  // namespace vg28::test
