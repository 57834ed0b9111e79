#pragma once
// Helpers of the widget tests: a temporary program folder with the built sensor database, the
// desktop application started in it, the one way of answering a modal dialog: a queued step
// that waits for the modal widget, lets the test fill it, and clicks a button by name, and the
// one way of finding a widget by its object name.
//
// Helpers stop the test on a fatal failure: a void helper with fatal assertions is called
// inside ASSERT_NO_FATAL_FAILURE, and so is a statement that opens a modal dialog whose fill
// has them (a fatal failure in a fill closes the dialog, so that the statement returns).

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Locale.h"
#include "platform/SystemClock.h"
#include "support/TempFolder.h"
#include "ui/CMainFrame.h"
#include "ui/CTerminalApp.h"

namespace vg28::test {

// Thrown when a widget the test needs is missing: the test body ends at once (a fill of a
// modal dialog ends, and its dialog is closed).
class MissingChild : public std::runtime_error {
public:
    explicit MissingChild(const QString& name)
        : std::runtime_error("no child widget named \"" + name.toStdString() + "\"") {}
};

// The child of parent with that object name; never null: a missing one fails the test (as a
// fatal failure) with the name and throws MissingChild.
template <class T>
T* Child(QObject& parent, const QString& name) {
    T* child = parent.findChild<T*>(name);
    if (!child) {
        [&name] { FAIL() << "no child widget named \"" << name.toStdString() << "\""; }();
        throw MissingChild(name);
    }
    return child;
}
template <class T>
T* Child(QObject& parent, const char* name) {
    return Child<T>(parent, QString::fromLatin1(name));
}

// Answers the next modal dialog: fill (may be empty) sees it first, then the button with the
// object name is clicked (an empty name clicks nothing: fill is expected to close it). The
// answers queue up: each waits for a modal widget other than the one the previous answered.
void AnswerModal(const QString& buttonName, std::function<void(QWidget*)> fill = {});
// The number of queued answers that found no dialog to answer within their wait.
int UnansweredModals();
// Drops the answers still waiting (end of a test).
void ClearModalAnswers();

// A program folder: sensors.dat copied in, settings written by the test.
class UiProgramFolder {
public:
    UiProgramFolder();
    const std::string& Path() const { return m_folder.Path(); }
    std::string ExecutablePath() const { return m_folder.File("vg28-terminal"); }
    std::string SettingsPath() const { return m_folder.File("vg28-terminal.ini"); }
    TempFolder& Folder() { return m_folder; }

private:
    TempFolder m_folder;
};

// The desktop program started in its own program folder, timer stopped so that the test drives
// the ticks; the start window is switched off unless the test writes "StartUp"/"Show".
class RunningTerminal {
public:
    // prepare runs before the start (settings, net.xcfg, project files); a fatal failure in it
    // leaves the program unstarted.
    explicit RunningTerminal(const std::function<void(UiProgramFolder&)>& prepare = {});
    ~RunningTerminal();

    bool Started() const { return m_started; }
    ui::CMainFrame& Frame() { return *m_app->MainFrame(); }
    ui::CTerminalApp& App() { return *m_app; }
    UiProgramFolder& Folder() { return m_folder; }
    // Processes the queued events (and the modal answers) for a moment.
    static void Pump(int milliseconds = 0);

private:
    UiProgramFolder m_folder;
    std::unique_ptr<ui::CTerminalApp> m_app;
    bool m_started = false;
};

// The user's decimal separator of the desktop program while it lives (dates and times as a
// Russian desktop shows them), for the view tests that run once with "." and once with ",". It
// is made after the start, which takes the system's; the Locale before is put back at the end.
class UserDecimalSeparator {
public:
    explicit UserDecimalSeparator(char separator);
    ~UserDecimalSeparator();
    UserDecimalSeparator(const UserDecimalSeparator&) = delete;
    UserDecimalSeparator& operator=(const UserDecimalSeparator&) = delete;

private:
    Locale m_saved;
};

// The separators the number-showing view tests run with, named "Point" and "Comma".
inline auto UserSeparators() {
    return testing::Values('.', ',');
}
std::string SeparatorName(const testing::TestParamInfo<char>& info);

}  // namespace vg28::test
