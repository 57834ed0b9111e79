// The window while the line waits, on the real clock: during a search of a port with nothing
// behind it (a pseudo-terminal nobody answers) the menus open, "О&тключиться" ends the search and
// the close box closes the window, each within half a second; closing while a poll waits asks
// the view-mode question; "Отменить" ends a synchronization that waits for its reply. The
// measured times are printed.

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "UiProject.h"
#include "UiTestSupport.h"
#include "base/Profile.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "project/CProjectDoc.h"
#include "session/CommandIds.h"
#include "support/PtyPair.h"

namespace vg28::test {
namespace {

constexpr qint64 kHalfSecond = 500;

// Milliseconds since the test program started.
qint64 Now() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

// Runs the events until done() holds or the time is up; whether it held.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const qint64 end = Now() + timeoutMs;
    while (!done() && Now() < end)
        RunningTerminal::Pump(2);
    return done();
}

// Runs action from an event handled inside a wait of the line (the session is in an exchange),
// looking every 5 ms from now on; the time it ran, or -1 when no exchange came within 10 s.
qint64 RunInsideAnExchange(ui::CMainFrame& frame, const std::function<void()>& action) {
    qint64 ranAt = -1;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (ranAt >= 0 || !frame.Pump().Pumping() || !frame.GetSession().IsBusy()) return;
        ranAt = Now();
        action();
    });
    look.start(5);
    WaitUntil([&] { return ranAt >= 0; }, 10000);
    return ranAt;
}

QMenu* InstrumentMenu(ui::CMainFrame& frame) {
    for (QAction* action : frame.menuBar()->actions())
        if (action->text() == QStringLiteral("V&G-28")) return action->menu();
    return nullptr;
}

void PrintTimes(const char* what, const std::vector<qint64>& times) {
    std::printf("[ measured ] %s (ms):", what);
    for (qint64 t : times)
        std::printf(" %lld", static_cast<long long>(t));
    std::printf("\n");
}

// The far end of a pseudo-terminal that answers some requests by heart and nothing else.
class PtyResponder {
public:
    PtyResponder(int master, std::map<std::string, std::string> replies)
        : m_master(master), m_replies(std::move(replies)), m_thread([this] { Run(); }) {}
    ~PtyResponder() {
        m_stop = true;
        m_thread.join();
    }
    PtyResponder(const PtyResponder&) = delete;
    PtyResponder& operator=(const PtyResponder&) = delete;

private:
    void Run() {
        std::string line;
        while (!m_stop) {
            pollfd entry{m_master, POLLIN, 0};
            char bytes[256];
            const ssize_t n = ::poll(&entry, 1, 20) > 0 ? ::read(m_master, bytes, sizeof bytes) : 0;
            if (n <= 0) {
                ::usleep(5000);  // nobody on the other side yet, or no longer
                continue;
            }
            for (ssize_t i = 0; i < n; ++i) {
                line.push_back(bytes[i]);
                if (bytes[i] != '\r') continue;
                const auto reply = m_replies.find(line);
                if (reply != m_replies.end()) {
                    const ssize_t written =
                        ::write(m_master, reply->second.data(), reply->second.size());
                    (void)written;
                }
                line.clear();
            }
        }
    }

    int m_master;
    std::map<std::string, std::string> m_replies;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The program with its port on the slave of pty; ticking from its first tick, which (the start
// window being off) connects and starts the search.
struct DeadPortTerminal {
    PtyPair pty;
    RunningTerminal t{[this](UiProgramFolder& f) {
        ASSERT_FALSE(pty.slave.empty());
        Profile(f.SettingsPath()).Write(keys::kPortDevice, pty.slave);
    }};

    bool StartSearch() {
        if (!t.Started()) return false;
        t.Frame().TickTimer().start(1);
        return WaitUntil([this] { return t.Frame().GetSession().State().searching; }, 5000);
    }
};

// Guards against a window whose menus stay shut while the search waits for the dead port, or
// that offers the commands that use the line meanwhile.
TEST(DeadPortSearch, MenuOpensWithinHalfASecond) {
    DeadPortTerminal d;
    ASSERT_TRUE(d.StartSearch());
    ui::CMainFrame& frame = d.t.Frame();
    QMenu* menu = InstrumentMenu(frame);
    ASSERT_NE(menu, nullptr);
    qint64 shownAt = -1;
    bool shownInExchange = false;
    bool connectOffered = false;
    bool disconnectOffered = true;
    QObject::connect(menu, &QMenu::aboutToShow, [&] {
        shownAt = Now();
        shownInExchange = frame.Pump().Pumping();
        if (shownInExchange) {
            connectOffered = connectOffered || frame.Action(cmd::kConnect)->isEnabled();
            disconnectOffered = disconnectOffered && frame.Action(cmd::kDisconnect)->isEnabled();
        }
    });
    std::vector<qint64> delays;
    int inExchange = 0;
    for (int sample = 0; sample < 12; ++sample) {
        // The clicks land at various moments of the ticks.
        const qint64 askAt = Now() + 150 + (sample * 317) % 1000;
        shownAt = -1;
        QTimer::singleShot(static_cast<int>(askAt - Now()), [&] {
            QTest::mouseClick(frame.menuBar(), Qt::LeftButton, {},
                              frame.menuBar()->actionGeometry(menu->menuAction()).center());
        });
        ASSERT_TRUE(WaitUntil([&] { return shownAt >= 0; }, 10000)) << "sample " << sample;
        delays.push_back(shownAt - askAt);
        if (shownInExchange) ++inExchange;
        menu->hide();
        RunningTerminal::Pump(5);
    }
    PrintTimes("menu opened after the click, during a dead-port search", delays);
    EXPECT_LT(*std::max_element(delays.begin(), delays.end()), kHalfSecond);
    EXPECT_GE(inExchange, 3);  // most clicks come while an exchange waits
    EXPECT_FALSE(connectOffered);
    EXPECT_TRUE(disconnectOffered);
    EXPECT_TRUE(frame.GetSession().State().searching);
    EXPECT_TRUE(frame.GetSession().IsPortOpen());
}

// Guards against a disconnect that waits for the search's exchanges, leaves the port open, or
// lets the search go on (or end with "VG-28 не отвечает!").
TEST(DeadPortSearch, DisconnectEndsTheSearchWithinHalfASecond) {
    DeadPortTerminal d;
    ASSERT_TRUE(d.StartSearch());
    ui::CMainFrame& frame = d.t.Frame();
    Session& session = frame.GetSession();
    RunningTerminal::Pump(1500);
    const qint64 asked =
        RunInsideAnExchange(frame, [&] { frame.Action(cmd::kDisconnect)->trigger(); });
    ASSERT_GE(asked, 0);
    ASSERT_TRUE(WaitUntil([&] { return !session.IsPortOpen() && !session.IsBusy(); }, 10000));
    const qint64 delay = Now() - asked;
    PrintTimes("disconnect ended the search after", {delay});
    EXPECT_LT(delay, kHalfSecond);
    EXPECT_FALSE(session.State().searching);
    EXPECT_FALSE(frame.SearchProgressBar()->isVisible());
    EXPECT_EQ(frame.LinkIndicatorText(), QStringLiteral("Нет связи"));
    // The ticks go on and find the port closed: nothing more happens, no message comes.
    RunningTerminal::Pump(2500);
    EXPECT_FALSE(session.IsPortOpen());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(frame.DeferredCommands().empty());
}

// Guards against a close box that waits for the search's exchanges, or closes without the
// usual close path (the port left open).
TEST(DeadPortSearch, CloseBoxClosesWithinHalfASecond) {
    DeadPortTerminal d;
    ASSERT_TRUE(d.StartSearch());
    ui::CMainFrame& frame = d.t.Frame();
    RunningTerminal::Pump(1200);
    bool closedAtOnce = true;
    const qint64 asked = RunInsideAnExchange(frame, [&] { closedAtOnce = frame.close(); });
    ASSERT_GE(asked, 0);
    // Inside the exchange the close waits for it to unwind.
    EXPECT_FALSE(closedAtOnce);
    ASSERT_TRUE(WaitUntil([&] { return !frame.isVisible(); }, 10000));
    const qint64 delay = Now() - asked;
    PrintTimes("close box closed the window after", {delay});
    EXPECT_LT(delay, kHalfSecond);
    EXPECT_FALSE(frame.GetSession().IsPortOpen());
}

// Guards against a close during a poll that skips the view-mode question or asks it late, and
// against a "No" that loses the connection.
TEST(ViewModePoll, CloseBoxAsksTheQuestionWithinHalfASecond) {
    PtyPair pty;
    ASSERT_FALSE(pty.slave.empty());
    // The instrument tells its mode and never answers the poll: each poll waits its 2 s.
    PtyResponder instrument(pty.master, {{"mode\r", "MODE;MANUAL\r"}});
    RunningTerminal t([&](UiProgramFolder& f) {
        Profile profile(f.SettingsPath());
        profile.Write(keys::kPortDevice, pty.slave);
        profile.Write(keys::kStartUpShow, 1);
    });
    ASSERT_TRUE(t.Started());
    ui::CMainFrame& frame = t.Frame();
    Session& session = frame.GetSession();
    ASSERT_NO_FATAL_FAILURE(MakeProject(*t.App().Core().Doc(), "Demo", {{0, "TA 1"}}));
    ASSERT_TRUE(frame.RunCommand(cmd::kConnect));
    ASSERT_TRUE(session.IsPortOpen());
    // The first tick's start window is cancelled; then the instrument counts as found and
    // synchronized in view mode, so that every tick polls it.
    AnswerModal(QStringLiteral("cancel"));
    frame.TickTimer().start(1);
    ASSERT_TRUE(WaitUntil([&] { return frame.TickTimer().interval() == Session::kTickMs; }, 5000));
    CurrentState& s = session.State();
    s.connected = true;
    s.synchronized = true;
    s.searching = false;
    s.step = 0;
    s.tries = 0;
    s.deviceMode = 1;
    ASSERT_TRUE(frame.IsControlPanelActive());

    qint64 askedAt = -1;
    QString question;
    bool askedInsideTheWait = true;
    AnswerModal(QStringLiteral("no"), [&](QWidget* box) {
        askedAt = Now();
        askedInsideTheWait = frame.Pump().Pumping();
        if (auto* message = qobject_cast<QMessageBox*>(box)) question = message->text();
    });
    bool closedAtOnce = true;
    const qint64 closed = RunInsideAnExchange(frame, [&] { closedAtOnce = frame.close(); });
    ASSERT_GE(closed, 0);
    EXPECT_FALSE(closedAtOnce);
    ASSERT_TRUE(WaitUntil([&] { return askedAt >= 0; }, 10000));
    PrintTimes("close box asked the view-mode question after", {askedAt - closed});
    EXPECT_LT(askedAt - closed, kHalfSecond);
    EXPECT_EQ(question.toStdString(), StringTable::Get(ids::kAskDisconnectViewMode));
    // Asked on the close path after the poll unwound, not inside its wait.
    EXPECT_FALSE(askedInsideTheWait);
    RunningTerminal::Pump(100);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_TRUE(s.connected);
    EXPECT_TRUE(session.IsPortOpen());
    frame.TickTimer().stop();
}

// Guards against "Отменить" of the synchronization dialog waiting for the worker's exchange to
// run out, or being handed to the worker inside its tick.
TEST(SyncDialogWait, CancelEndsTheRunWithinHalfASecond) {
    DeadPortTerminal d;
    ASSERT_TRUE(d.t.Started());
    ui::CMainFrame& frame = d.t.Frame();
    ASSERT_TRUE(frame.RunCommand(cmd::kConnect));
    frame.GetSession().State().connected = true;
    qint64 pressedAt = -1;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (pressedAt >= 0 || !dialog || !frame.Pump().Pumping()) return;
        auto* cancel = dialog->findChild<QAbstractButton*>(QStringLiteral("cancel"));
        if (!cancel) return;
        pressedAt = Now();
        cancel->click();
    });
    QTimer::singleShot(700, [&] { press.start(5); });
    const bool usable = frame.RunSynchronization(SyncJob::Full);
    const qint64 ended = Now();
    press.stop();
    ASSERT_GE(pressedAt, 0);  // pressed while an exchange of the worker waited
    PrintTimes("cancel ended the synchronization after", {ended - pressedAt});
    EXPECT_LT(ended - pressedAt, kHalfSecond);
    EXPECT_FALSE(usable);
    EXPECT_FALSE(frame.GetSession().State().synchronized);

    // A stop that came before the dialog (while the run was opening) opens no dialog at all.
    frame.Pump().RequestStop();
    bool dialogShown = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout,
                     [&] { dialogShown = dialogShown || QApplication::activeModalWidget(); });
    look.start(5);
    const qint64 started = Now();
    EXPECT_FALSE(frame.RunSynchronization(SyncJob::Full));
    look.stop();
    EXPECT_FALSE(dialogShown);
    EXPECT_LT(Now() - started, kHalfSecond);
    frame.Pump().ClearStop();
}

}  // namespace
}  // namespace vg28::test
