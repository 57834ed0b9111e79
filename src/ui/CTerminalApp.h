#pragma once
// The application of the desktop program: the core's application object (single instance,
// program folder, settings beside the program, "net.xcfg", the document, the sensor database)
// plus the main window and the user's locale. The simulated instrument is installed for the
// port name "simulator", with one instrument per device of the radio network file.

#include <memory>
#include <string>

#include "app/Application.h"
#include "qtcommon/QtTranslations.h"
#include "ui/QtOperator.h"

namespace vg28 {
class Clock;
}

namespace vg28::ui {

class CMainFrame;

class CTerminalApp {
public:
    // Made after the QApplication; puts the C library's number locale back to "C".
    explicit CTerminalApp(Clock& clock);
    ~CTerminalApp();

    // Start-up for the program file (empty: this program); the lock in lockFolder (empty: the
    // user's runtime folder). False ends the program (a second copy silently, a missing sensor
    // database after its message).
    bool InitInstance(const std::string& executablePath = {}, const std::string& lockFolder = {});
    void ExitInstance();

    Application& Core() { return m_core; }
    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    QtOperator& GetOperator() { return m_operator; }
    const QtTranslations& QtTexts() const { return m_qtTranslations; }

private:
    Clock& m_clock;
    QtTranslations m_qtTranslations;
    QtOperator m_operator;
    Application m_core;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

}  // namespace vg28::ui
