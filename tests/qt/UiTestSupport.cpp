#include "UiTestSupport.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <deque>
#include <filesystem>

#include "base/Profile.h"

namespace vg28::test {

namespace {

struct PendingAnswer {
    QString button;
    std::function<void(QWidget*)> fill;
};

std::deque<PendingAnswer> g_answers;
QPointer<QWidget> g_lastAnswered;
int g_unanswered = 0;
QElapsedTimer g_waiting;
bool g_polling = false;

// Lets the test fill the modal widget; false when that failed fatally (a fatal assertion or a
// missing child), and then the widget is closed so that the statement that opened it returns.
bool Fill(const std::function<void(QWidget*)>& fill, QWidget* widget) {
    QPointer<QWidget> modal = widget;
    try {
        fill(widget);
    } catch (const MissingChild&) {
        // Already reported; it must not pass through Qt's event loop.
    }
    if (!testing::Test::HasFatalFailure()) return true;
    if (modal && modal->isVisible()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal.data())) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    return false;
}

void Poll() {
    if (g_answers.empty()) {
        g_polling = false;
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != g_lastAnswered && modal->isVisible()) {
        PendingAnswer answer = std::move(g_answers.front());
        g_answers.pop_front();
        g_lastAnswered = modal;
        const bool filled = !answer.fill || Fill(answer.fill, modal);
        if (filled && !answer.button.isEmpty()) {
            if (auto* button = modal->findChild<QAbstractButton*>(answer.button)) {
                button->click();
            } else {
                ++g_unanswered;
            }
        }
        g_waiting.restart();
    } else if (g_waiting.elapsed() > 5000) {
        // Nothing came: give up on this answer.
        g_answers.pop_front();
        ++g_unanswered;
        g_waiting.restart();
    }
    QTimer::singleShot(10, qApp, Poll);
}

}  // namespace

void AnswerModal(const QString& buttonName, std::function<void(QWidget*)> fill) {
    g_answers.push_back({buttonName, std::move(fill)});
    if (!g_polling) {
        g_polling = true;
        g_waiting.restart();
        QTimer::singleShot(0, qApp, Poll);
    }
}

int UnansweredModals() {
    return g_unanswered + static_cast<int>(g_answers.size());
}

void ClearModalAnswers() {
    g_answers.clear();
    g_unanswered = 0;
    g_lastAnswered = nullptr;
}

UiProgramFolder::UiProgramFolder() {
    std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                               m_folder.File("sensors.dat"));
}

RunningTerminal::RunningTerminal(const std::function<void(UiProgramFolder&)>& prepare) {
    Profile profile(m_folder.SettingsPath());
    EXPECT_TRUE(profile.Write(keys::kStartUpShow, 0)) << m_folder.SettingsPath();
    if (prepare) prepare(m_folder);
    // A preparation that failed fatally leaves the program unstarted, so that the test stops at
    // its check of Started().
    if (testing::Test::HasFatalFailure()) return;
    m_app = std::make_unique<ui::CTerminalApp>(SystemClock::System());
    m_started = m_app->InitInstance(m_folder.ExecutablePath(), m_folder.Path());
    if (m_started) m_app->MainFrame()->TickTimer().stop();
}

RunningTerminal::~RunningTerminal() {
    if (m_started) m_app->MainFrame()->TickTimer().stop();
    m_app.reset();
    ClearModalAnswers();
}

void RunningTerminal::Pump(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    } while (timer.elapsed() < milliseconds);
}

UserDecimalSeparator::UserDecimalSeparator(char separator) : m_saved(Locale::Current()) {
    Locale::SetCurrent(Locale(separator, "%d.%m.%Y", "%H:%M:%S"));
}

UserDecimalSeparator::~UserDecimalSeparator() {
    Locale::SetCurrent(m_saved);
}

std::string SeparatorName(const testing::TestParamInfo<char>& info) {
    return info.param == ',' ? "Comma" : "Point";
}

}  // namespace vg28::test
