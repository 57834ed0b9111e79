#include "ui/CTerminalApp.h"

#include <QCoreApplication>
#include <QLocale>
#include <QtGlobal>
#include <clocale>

#include "SimulatorInstall.h"
#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "ui/CMainFrame.h"
#include "ui/QtLocale.h"

namespace vg28::ui {

namespace {

// The simulated line behind "simulator": the radio network's instruments by name and address,
// or the one instrument on a direct cable when the network file names none.
sim::SimNetworkConfig SimulatorFor(const std::vector<NetDevice>& devices) {
    sim::SimNetworkConfig config = sim::DefaultSimulatorConfig();
    if (devices.empty()) return config;
    const sim::SimInstrumentConfig model = config.instruments.front();
    config.instruments.clear();
    int number = 0;
    for (const NetDevice& device : devices) {
        sim::SimInstrumentConfig instrument = model;
        instrument.name = std::string(TextOf(device.deviceName));
        ++number;
        instrument.identification = "VG28-0011" + std::to_string(4 + number);
        instrument.project = "Demo" + std::to_string(number);
        instrument.seed = static_cast<std::uint32_t>(number);
        config.instruments.push_back(instrument);
    }
    return config;
}

}  // namespace

CTerminalApp::CTerminalApp(Clock& clock) : m_clock(clock), m_core(m_operator, clock) {
    // The QApplication made before has set the C library's locale from the environment
    // (setlocale(LC_ALL, "")): its numbers go back to "C", so that no number of a file or of the
    // line follows the user's decimal comma; the numbers shown go through Locale.
    std::setlocale(LC_NUMERIC, "C");
}

CTerminalApp::~CTerminalApp() {
    ExitInstance();
}

bool CTerminalApp::InitInstance(const std::string& executablePath, const std::string& lockFolder) {
    Locale::SetCurrent(LocaleFromQt(QLocale::system()));
    // Before the first message box, so that every standard dialog speaks Russian.
    m_qtTranslations.Install(executablePath.empty() ? QCoreApplication::applicationFilePath()
                                                    : QString::fromStdString(executablePath));
    const bool started = m_core.InitInstance(executablePath, lockFolder);
    // The user's data folder could not be made or filled: say why on the console, as the
    // message of a missing sensor database alone would not.
    if (!m_core.FolderError().empty()) qWarning("vg28-terminal: %s", m_core.FolderError().c_str());
    if (!started) return false;
    sim::InstallSimulator(SimulatorFor(m_core.Devices()));
    m_mainFrame = std::make_unique<CMainFrame>(m_core, m_operator, m_clock);
    m_operator.SetParent(m_mainFrame.get());
    m_mainFrame->ShowFromProfile();
    // The control panel is the first view the operator sees.
    m_mainFrame->ShowControlPanel(false);
    return true;
}

void CTerminalApp::ExitInstance() {
    m_operator.SetParent(nullptr);
    m_mainFrame.reset();
    m_core.ExitInstance();
}

}  // namespace vg28::ui
