// The status bar's message pane: a transient message over the session's text, and the word
// an export leaves there.

#include <gtest/gtest.h>
#include <QFileDialog>
#include <QStatusTipEvent>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "session/CommandIds.h"

namespace vg28::test {
namespace {

// Lets the running transient message time out now.
void EndTransient(ui::CMainFrame& frame) {
    ASSERT_TRUE(frame.TransientTimer().isActive());
    frame.TransientTimer().start(1);
    RunningTerminal::Pump(50);
}

// Guards against a transient message that stays for good, that a menu prompt wipes out for
// good, or that hides the session's next word (a new status text, a search).
TEST(StatusPane, TransientMessageCoversThePaneForItsTime) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ui::CMainFrame& frame = t.Frame();
    frame.SetStatusText("Готов");
    frame.ShowTransientMessage("Скачано записей: 48", 5);
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Скачано записей: 48"));
    EXPECT_EQ(frame.TransientTimer().interval(), 5000);
    // The pointer over a menu item shows its prompt; leaving it brings the message back.
    QStatusTipEvent over{QStringLiteral("Скачать записи")};
    QApplication::sendEvent(&frame, &over);
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Скачать записи"));
    QStatusTipEvent leave{QString()};
    QApplication::sendEvent(&frame, &leave);
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Скачано записей: 48"));
    ASSERT_NO_FATAL_FAILURE(EndTransient(frame));
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Готов"));

    frame.ShowTransientMessage("Проект синхронизирован с VG-28", 5);
    frame.SetStatusText("Пожалуйста, подождите");
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Пожалуйста, подождите"));
    EXPECT_FALSE(frame.TransientTimer().isActive());
    frame.ShowTransientMessage("Синхронизация не выполнена", 5);
    frame.ShowSearchProgress("Соединение с ", 60);
    EXPECT_EQ(frame.StatusText(), QStringLiteral("Соединение с "));
    EXPECT_FALSE(frame.TransientTimer().isActive());
}

// Guards against an export that ends without saying where the file went and how many records
// it holds.
TEST(StatusPane, ExportSaysWhereTheFileWent) {
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    ASSERT_NO_FATAL_FAILURE(MakeProject(
        *t.App().Core().Doc(), "Demo", {{0, "TA 1"}},
        {"2026-12-07 10:00:00;S1;20", "2026-12-07 10:10:00;S1;21", "2026-12-07 10:20:00;S1;22"}));
    t.Frame().ShowRecordTable();
    const QString path = QString::fromStdString(t.Folder().Path() + "урожай.csv");
    AnswerModal(QString(), [&path](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    bool ran = false;
    ASSERT_NO_FATAL_FAILURE(ran = t.Frame().RunCommand(cmd::kExportAll));
    ASSERT_TRUE(ran);
    EXPECT_EQ(UnansweredModals(), 0);
    EXPECT_EQ(t.Frame().StatusText(), QStringLiteral("Экспортировано записей: 3 в файл ") + path);
    ASSERT_NO_FATAL_FAILURE(EndTransient(t.Frame()));
    EXPECT_EQ(t.Frame().StatusText(), QStringLiteral("Готов"));
}

}  // namespace
}  // namespace vg28::test
