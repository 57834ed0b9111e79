// The synchronization dialog around the worker: which of its controls show at each state, the
// answers and the cancel reaching the worker, no step started inside another, and a whole
// synchronization with conflicts answered by hand in the running program.

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <functional>
#include <set>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "base/Profile.h"
#include "link/SimulatedLine.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "sync/SyncRig.h"
#include "ui/SyncDialog.h"

namespace vg28::test {
namespace {

using W = SyncWorker;
constexpr int kSet30 = W::kButtonInstrument | W::kButtonPc | W::kButtonInstrumentAll |
                       W::kButtonPcAll | W::kButtonCancel;
const QString kSummary = QStringLiteral("Проекты отличаются.\nИспользовать данные из...");

// The buttons the dialog shows, as worker button bits.
int ShownButtons(const ui::SyncDialog& dialog) {
    int shown = 0;
    for (int bit = 1; bit <= W::kButtonDetails; bit <<= 1) {
        if (!dialog.Button(static_cast<W::Button>(bit))->isHidden()) shown |= bit;
    }
    return shown;
}

// Ticks the dialog as its timer would, the fake clock moving on with each tick.
bool TickUntil(ui::SyncDialog& dialog, SyncRig& rig, const W& worker,
               const std::function<bool()>& done, int limit = 2000) {
    for (int i = 0; i < limit && !worker.IsClosed(); ++i) {
        if (done()) return true;
        dialog.OnTick();
        rig.clock.SleepMs(W::kTickMs);
    }
    return done();
}

// A PC project named like the instrument's, older, with another period and the sensors of
// S1 and S2 swapped.
void ConflictingPcProject(SyncRig& rig, const std::string& name = "Demo") {
    rig.CreatePcProject(name);
    rig.doc->setup.configTime = TimeStamp::FromSeconds(0);
    rig.doc->setup.period = 1200;
    CopyText(rig.doc->setup.sensorIds[0], "TL 1");
    CopyText(rig.doc->setup.sensorIds[1], "TA 1");
}

// Answer buttons shown while no question waits (or hidden at a question), the summary offering
// the for-all buttons, "Подробнее" not showing the detailed question with its own buttons,
// Enter answering, or an answer not reaching the worker.
TEST(SyncDialog, ControlsFollowTheWorker) {
    const struct {
        const char* pcName;
        const char* detail;  // start of the detailed first question
        int detailButtons;
    } rows[] = {
        {"Demo", "Параметры проекта отличаются:\nVG-28\t- Measurement time interval = ", kSet30},
        {"Field", "Названия проектов отличаются:\nVG-28\t- Demo\nPC\t- Field\n",
         W::kButtonInstrument | W::kButtonPc | W::kButtonCancel},
    };
    for (const auto& row : rows) {
        SyncRig rig;
        ConflictingPcProject(rig, row.pcName);
        rig.State().step = 2;
        SyncWorker worker(*rig.env, SyncJob::Full);
        worker.Open();
        ui::SyncDialog dialog;
        dialog.Attach(worker);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Синхронизация"));
        EXPECT_FALSE(dialog.Progress()->isHidden());
        EXPECT_TRUE(dialog.Question()->isHidden());
        EXPECT_EQ(ShownButtons(dialog), W::kButtonCancel);

        ASSERT_TRUE(TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); }))
            << row.pcName;
        EXPECT_EQ(dialog.Question()->text(), kSummary);
        EXPECT_FALSE(dialog.Question()->isHidden());
        EXPECT_TRUE(dialog.Progress()->isHidden());
        EXPECT_EQ(ShownButtons(dialog),
                  W::kButtonInstrument | W::kButtonPc | W::kButtonDetails | W::kButtonCancel);
        // A stray Enter decides nothing; the keep-alive ticks leave the question standing.
        QTest::keyClick(&dialog, Qt::Key_Return);
        dialog.OnTick();
        EXPECT_TRUE(worker.QuestionVisible());
        EXPECT_EQ(dialog.Question()->text(), kSummary);

        dialog.Button(W::kButtonDetails)->click();
        EXPECT_TRUE(dialog.Question()->text().startsWith(QString::fromUtf8(row.detail)))
            << dialog.Question()->text().toStdString();
        EXPECT_EQ(ShownButtons(dialog), row.detailButtons);
        EXPECT_TRUE(dialog.Progress()->isHidden());

        dialog.Button(W::kButtonInstrument)->click();
        EXPECT_FALSE(worker.QuestionVisible());
        EXPECT_FALSE(dialog.Progress()->isHidden());
        EXPECT_TRUE(dialog.Question()->isHidden());
        EXPECT_EQ(ShownButtons(dialog), W::kButtonCancel);
    }
}

// A later question shown as the summary again, its answer not applied to the project, or the
// dialog staying open (its timer running) after the worker closed.
TEST(SyncDialog, LaterQuestionsAndTheEnd) {
    SyncRig rig;
    ConflictingPcProject(rig);
    rig.State().step = 2;
    SyncWorker worker(*rig.env, SyncJob::Full);
    worker.Open();
    ui::SyncDialog dialog;
    dialog.show();
    dialog.Attach(worker);
    ASSERT_TRUE(TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); }));
    dialog.Button(W::kButtonDetails)->click();
    dialog.Button(W::kButtonPc)->click();  // the PC's period
    ASSERT_TRUE(TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); }));
    EXPECT_EQ(dialog.Question()->text(),
              QStringLiteral("Списки датчиков отличаются:\nVG-28\t- вход S1: \"TA 1\"\n"
                             "PC\t- вход S1: \"TL 1\"\nИспользовать данные из..."));
    EXPECT_EQ(ShownButtons(dialog), kSet30);
    dialog.Button(W::kButtonInstrumentAll)->click();
    TickUntil(dialog, rig, worker, [] { return false; });
    ASSERT_TRUE(worker.IsClosed());
    EXPECT_EQ(worker.Result(), W::kResultDone);
    EXPECT_EQ(dialog.result(), W::kResultDone);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(rig.Instrument().Period(), 1200);
    EXPECT_EQ(TextOf(worker.WorkingCopy().sensorIds[0]), "TA 1");
    EXPECT_EQ(TextOf(worker.WorkingCopy().sensorIds[1]), "TL 1");
}

// A second click while an answer is carried out (the window goes on handling events during the
// exchanges it makes) answering the next question, which nobody has seen yet.
TEST(SyncDialog, ClickWhileAnAnswerIsCarriedOutAnswersNothing) {
    SyncRig rig;
    ConflictingPcProject(rig);
    rig.State().step = 2;
    SyncWorker worker(*rig.env, SyncJob::Full);
    worker.Open();
    ui::SyncDialog dialog;
    dialog.show();
    dialog.Attach(worker);
    ASSERT_TRUE(TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); }));
    dialog.Button(W::kButtonDetails)->click();
    int secondClicks = 0;
    rig.clock.SetWaitPump([&] {
        QPushButton* again = dialog.Button(W::kButtonInstrument);
        if (secondClicks == 0 && again->isVisible()) {
            ++secondClicks;
            again->click();
        }
        return false;
    });
    dialog.Button(W::kButtonPc)->click();  // the PC's period, written to the instrument
    rig.clock.SetWaitPump({});
    EXPECT_EQ(secondClicks, 0) << "the answered question stayed on the screen";
    ASSERT_TRUE(TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); }));
    EXPECT_TRUE(dialog.Question()->text().startsWith(
        QStringLiteral("Списки датчиков отличаются:\nVG-28\t- вход S1: \"TA 1\"")))
        << dialog.Question()->text().toStdString();
}

// "Отменить", Escape or the close box not ending the run, or ending it with another result
// than "cancelled".
TEST(SyncDialog, CancelEscapeAndCloseBoxCancel) {
    enum class How { Button, Escape, CloseBox };
    for (const How how : {How::Button, How::Escape, How::CloseBox}) {
        for (const bool atQuestion : {false, true}) {
            SyncRig rig;
            ConflictingPcProject(rig);
            rig.State().step = 2;
            SyncWorker worker(*rig.env, SyncJob::Full);
            worker.Open();
            ui::SyncDialog dialog;
            dialog.show();
            dialog.Attach(worker);
            if (atQuestion) {
                ASSERT_TRUE(
                    TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); }));
            } else {
                dialog.OnTick();
            }
            switch (how) {
                case How::Button:
                    dialog.Button(W::kButtonCancel)->click();
                    break;
                case How::Escape:
                    QTest::keyClick(&dialog, Qt::Key_Escape);
                    break;
                case How::CloseBox:
                    dialog.close();
                    break;
            }
            const int how_ = static_cast<int>(how);
            EXPECT_TRUE(worker.IsClosed()) << how_ << atQuestion;
            EXPECT_EQ(worker.Result(), W::kResultCancelled) << how_ << atQuestion;
            EXPECT_FALSE(dialog.isVisible()) << how_ << atQuestion;
        }
    }
}

// One step of the script: the question's text starts so, and this button answers it.
struct ScriptedAnswer {
    QString textStart;
    QString button;
};

// What the test saw of the synchronization dialogs while the program ran.
struct Observed {
    std::vector<QString> questions;
    std::set<QString> captions;
    std::set<QString> statusTexts;
    bool alwaysBusy = true;
    bool modalOverFrame = true;
    bool ticking = true;  // its own 200 ms timer running
    int unexpected = 0;
    std::vector<QString> boxes;  // the message boxes answered, for a failure's report
};

// Answers the synchronization dialog's questions by the script, as a person clicks, and the
// session's message boxes with No or OK.
void AnswerAsAPerson(ui::CMainFrame& frame, std::deque<ScriptedAnswer>& script, Observed& seen) {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* sync = qobject_cast<ui::SyncDialog*>(modal)) {
        seen.captions.insert(sync->windowTitle());
        seen.statusTexts.insert(frame.StatusText());
        seen.alwaysBusy = seen.alwaysBusy && frame.GetSession().IsBusy();
        seen.modalOverFrame = seen.modalOverFrame && sync->isModal() &&
                              sync->parentWidget() == &frame && sync->isVisible();
        seen.ticking = seen.ticking && sync->Timer().isActive() &&
                       sync->Timer().interval() == SyncWorker::kTickMs;
        if (sync->Question()->isHidden()) return;
        if (script.empty()) {
            ++seen.unexpected;
            seen.questions.push_back(sync->Question()->text());
            sync->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
            return;
        }
        auto* button = sync->findChild<QPushButton*>(script.front().button);
        if (!button || button->isHidden()) return;
        seen.questions.push_back(sync->Question()->text());
        script.pop_front();
        button->click();
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (seen.boxes.empty() || seen.boxes.back() != box->text())
            seen.boxes.push_back(box->text());
        for (const char* name : {"no", "ok"}) {
            if (auto* button = modal->findChild<QAbstractButton*>(QString::fromLatin1(name))) {
                button->click();
                return;
            }
        }
    }
}

// The dialog, the session and the worker not joined up: the answers given by hand not
// deciding what the project and the instrument end with, the dialog not modal over the main
// window, the main timer not kept away meanwhile, or the download not shown in the dialog.
TEST(SyncDialog, WholeSynchronizationWithConflictsAgainstTheSimulator) {
    RunningTerminal t([](UiProgramFolder& f) {
        Profile(f.SettingsPath()).Write(keys::kPortDevice, "simulator");
    });
    ASSERT_TRUE(t.Started());
    ui::CMainFrame& frame = t.Frame();
    CProjectDoc& doc = *t.App().Core().Doc();
    // The instrument shows its readings (view mode): answering "PC" then needs no pause for a
    // recording to stop. A dozen records make a short download.
    sim::SimNetworkConfig config;
    config.instruments[0].mode = 1;
    config.instruments[0].records = 12;
    auto network = std::make_shared<sim::SimNetwork>(config, Clock::System());
    frame.GetSession().SetLineFactory([network](const std::string&) {
        return std::make_unique<SimulatedLine>(Clock::System(), network);
    });
    // The PC's project of the same name: older, another period, S1 and S2 swapped.
    ASSERT_NO_FATAL_FAILURE(MakeProject(doc, "Demo", {}));
    for (int n = 1; n <= 17; ++n)
        CopyText(doc.setup.sensorIds[n - 1], sim::SimInstrument::DefaultSensor(n).id);
    CopyText(doc.setup.sensorIds[0], "TL 1");
    CopyText(doc.setup.sensorIds[1], "TA 1");
    doc.setup.period = 1200;
    doc.setup.exactTime = 1;
    doc.setup.configTime = TimeStamp::FromSeconds(0);
    ASSERT_EQ(doc.SaveProject(), kFileOk);

    std::deque<ScriptedAnswer> script = {
        {kSummary, QStringLiteral("details")},
        {QStringLiteral("Параметры проекта отличаются:\nVG-28\t- Measurement time interval"),
         QStringLiteral("pc")},
        {QStringLiteral("Списки датчиков отличаются:\nVG-28\t- вход S1: \"TA 1\"\nPC\t- вход "
                        "S1: \"TL 1\""),
         QStringLiteral("instrument")},
        {QStringLiteral("Списки датчиков отличаются:\nVG-28\t- вход S2: \"TL 1\"\nPC\t- вход "
                        "S2: \"TA 1\""),
         QStringLiteral("instrumentAll")},
    };
    const std::vector<QString> expected = [&] {
        std::vector<QString> texts;
        for (const ScriptedAnswer& answer : script)
            texts.push_back(answer.textStart);
        return texts;
    }();
    Observed seen;
    QTimer person;
    QObject::connect(&person, &QTimer::timeout, [&] { AnswerAsAPerson(frame, script, seen); });
    person.start(30);
    frame.TickTimer().start(1);  // no start window: the start action connects
    QElapsedTimer elapsed;
    elapsed.start();
    const auto finished = [&] {
        return !doc.records.empty() && doc.m_rCurState.synchronized &&
               QApplication::activeModalWidget() == nullptr;
    };
    while (elapsed.elapsed() < 120000 && !finished())
        RunningTerminal::Pump(50);
    frame.TickTimer().stop();
    person.stop();
    ASSERT_TRUE(finished()) << [&] {
        std::string report = frame.StatusText().toStdString() + "\nrecords " +
                             std::to_string(doc.records.size()) + ", synchronized " +
                             std::to_string(doc.m_rCurState.synchronized) + ", step " +
                             std::to_string(doc.m_rCurState.step) + ", questions left " +
                             std::to_string(script.size());
        if (QWidget* modal = QApplication::activeModalWidget()) {
            report += "\nopen modal: " + std::string(modal->metaObject()->className()) + " \"" +
                      modal->windowTitle().toStdString() + "\"";
        }
        for (const QString& question : seen.questions)
            report += "\nquestion: " + question.toStdString();
        for (const QString& box : seen.boxes)
            report += "\nbox: " + box.toStdString();
        return report;
    }();

    EXPECT_EQ(seen.unexpected, 0);
    EXPECT_TRUE(script.empty());
    ASSERT_EQ(seen.questions.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(seen.questions[i].startsWith(expected[i])) << seen.questions[i].toStdString();
    EXPECT_EQ(seen.captions, (std::set<QString>{QStringLiteral("Синхронизация"),
                                                QStringLiteral("Закачка записей")}));
    EXPECT_EQ(seen.statusTexts, std::set<QString>{QStringLiteral("Пожалуйста, подождите")});
    EXPECT_TRUE(seen.alwaysBusy);
    EXPECT_TRUE(seen.modalOverFrame);
    EXPECT_TRUE(seen.ticking);

    // The period as the PC had it, the sensors as the instrument had them, on both sides and
    // in the project file.
    const sim::SimInstrument& instrument = network->Instrument();
    EXPECT_EQ(instrument.Period(), 1200);
    EXPECT_EQ(instrument.Sensor(1).id, "TA 1");
    EXPECT_EQ(instrument.Sensor(2).id, "TL 1");
    CProjectDoc reread(doc.ProgramFolder(), t.App().Core().GetProfile(), t.App().Core().Sensors());
    ASSERT_EQ(reread.LoadProject(doc.ProjectFilePath("Demo")), kFileOk);
    for (const CProjectDoc* project : {&doc, &reread}) {
        EXPECT_EQ(project->setup.period, 1200);
        EXPECT_EQ(TextOf(project->setup.sensorIds[0]), "TA 1");
        EXPECT_EQ(TextOf(project->setup.sensorIds[1]), "TL 1");
        EXPECT_EQ(TextOf(project->setup.sensorIds[2]), "RH 1");
    }
    EXPECT_EQ(doc.records.size(), instrument.Records().size());
}

// Not a test: pictures of the synchronization dialog (the summary, the detailed questions, a
// download in progress), written to the folder named by VG28_SHOT_DIR.
TEST(Shots, DISABLED_SyncDialog) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VG28_SHOT_DIR"));
    const QDir folder(qEnvironmentVariable("VG28_SHOT_DIR"));
    const auto save = [&](QWidget& widget, const char* name) {
        RunningTerminal::Pump(100);
        widget.grab().save(folder.filePath(QString::fromLatin1(name) + ".png"));
    };
    {
        SyncRig rig;
        ConflictingPcProject(rig);
        // A long description in the PC's database, for the widest question there is.
        SensorRecord& rh = rig.sensors.At(static_cast<std::size_t>(rig.sensors.IndexOf("RH 1")));
        CopyText(rh.description, TextCodec::Utf8ToCp1251("Влажность воздуха в теплице 12345"));
        rig.State().step = 2;
        SyncWorker worker(*rig.env, SyncJob::Full);
        worker.Open();
        ui::SyncDialog dialog;
        dialog.show();
        dialog.Attach(worker);
        TickUntil(dialog, rig, worker, [&] { return worker.ProgressPosition() > 0; });
        save(dialog, "sync-progress");
        TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); });
        save(dialog, "sync-summary");
        dialog.Button(W::kButtonDetails)->click();
        save(dialog, "sync-question-period");
        dialog.Button(W::kButtonInstrument)->click();
        TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); });
        save(dialog, "sync-question-sensors");
        dialog.Button(W::kButtonInstrument)->click();
        TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); });
        dialog.Button(W::kButtonInstrument)->click();
        TickUntil(dialog, rig, worker, [&] { return worker.QuestionVisible(); });
        save(dialog, "sync-question-characteristics");
    }
    {
        SyncRig rig;
        rig.CreatePcProject("Demo");
        int count = 0;
        ASSERT_TRUE(rig.commands->SelectRecordsFrom(TimeStamp{}, count));
        rig.State().synchronized = true;
        rig.State().step = 4;
        rig.State().downloadCount = count;
        SyncWorker worker(*rig.env, SyncJob::Download);
        worker.Open();
        ui::SyncDialog dialog;
        dialog.show();
        dialog.Attach(worker);
        TickUntil(dialog, rig, worker, [&] { return worker.ProgressPosition() >= count / 3; });
        save(dialog, "sync-download");
    }
}

}  // namespace
}  // namespace vg28::test
