// The operator's instrument and session commands of the main window and their enabling rules.

#include <cstring>

#include "base/DebugLog.h"
#include "base/Operator.h"
#include "base/Profile.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "link/CSerialPort.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/PlugAndPlay.h"
#include "project/ProjectLibrary.h"
#include "sensors/SensorDatabase.h"
#include "session/CommandIds.h"
#include "session/PortErrorText.h"
#include "session/Session.h"
#include "session/SessionText.h"
#include "session/Shell.h"

namespace vg28 {

namespace {

constexpr const char* kHelpFile = "Vextorb";
constexpr const char* kHelpExtension = ".chm";

}  // namespace

void Session::Connect() {
    CurrentState& s = State();
    if (!s.connected) {
        if (TextOf(s.address).empty() && s.radioAddress == 0 && m_devices.size() >= 2) {
            // No instrument chosen on a radio network yet: the device list comes first.
            SelectDevice();
        } else if (!m_link.IsOpen() && !OpenPort()) {
            m_operator.Tell(ids::kPortOpenFailed, PortErrorText(m_portName, m_link.OpenError()),
                            MessageIcon::Error);
            return;
        }
    }
    BusyScope busy(*this);
    SetStep(1);
}

void Session::Disconnect(bool confirm) {
    CurrentState& s = State();
    if (s.connected) {
        if (confirm && m_doc.HasProject()) {
            BusyScope busy(*this);
            int mode = -1;
            if (m_commands.QueryMode(mode) && mode == 1 &&
                !m_operator.Ask(ids::kAskDisconnectViewMode,
                                SessionText(ids::kAskDisconnectViewMode))) {
                return;
            }
        }
        std::memset(s.deviceId, 0, sizeof s.deviceId);
        std::memset(s.moduleId, 0, sizeof s.moduleId);
        s.firmwareVersion = 0;
        s.moduleVersion = 0;
        s.connected = false;
        s.synchronized = false;
    }
    if (m_link.IsOpen()) m_link.ClosePort();
    UpdateLinkIndicator();
}

void Session::SelectDevice() {
    BusyScope busy(*this);
    SetStep(0);
    CurrentState& s = State();
    const std::optional<DeviceChoice> choice =
        m_shell.RunDeviceList(m_devices, std::string(TextOf(s.address)), s.radioAddress);
    if (!choice) return;
    if (choice->name == TextOf(s.address) && !choice->name.empty()) return;
    if (s.connected) {
        Disconnect(true);
        UpdateLinkIndicator();
        // The operator kept the connection: stay with the instrument and its project.
        if (s.connected) return;
    }
    if (!s.uploadPending) m_doc.ResetProject();
    CopyText(s.address, choice->name);
    s.radioAddress = choice->radioAddress;
    Connect();
    UpdateTitle();
    m_doc.UpdateAllViews(kHintRecords);
    m_shell.RefreshRecordTable();
    m_shell.RefreshControlPanel();
}

void Session::ChangeMode(int mode, bool fromUser) {
    CurrentState& s = State();
    if (fromUser) {
        if (mode == s.deviceMode || mode < 0 || mode > 3) return;
        if (mode == 3 && !m_operator.Ask(ids::kAskStopProject, SessionText(ids::kAskStopProject)))
            return;
    }
    s.deviceMode = mode == 0 ? 1 : mode;
    if (fromUser) {
        SetStep(7);
        if (s.deviceMode == 1) m_shell.ShowControlPanel(true);
    } else {
        m_shell.ShowControlPanel(true);
    }
    m_shell.RefreshControlPanel();
}

void Session::RequestDownload(bool byUser) {
    const CurrentState& s = State();
    if (m_doc.HasProject() && s.connected && s.synchronized) SetStep(byUser ? 4 : 5);
}

bool Session::CheckSensorsRegistered() {
    bool allKnown = true;
    for (int k = 0; k < kChannelCount && allKnown; ++k) {
        const std::string_view id = TextOf(m_doc.setup.sensorIds[k]);
        if (IsEmptyOrPlugAndPlay(id)) continue;
        if (!m_sensors.FindById(id)) allKnown = false;
    }
    if (!allKnown) {
        m_operator.Tell(ids::kSensorsNotRegistered, SessionText(ids::kSensorsNotRegistered),
                        MessageIcon::Warning);
    }
    return allKnown;
}

bool Session::EditProject() {
    ProjectSetup& setup = m_doc.setup;
    const SensorDatabase sensorsCopy = m_sensors;
    ProjectDescription d;
    d.name = m_doc.ProjectName();
    d.firstTime = m_doc.firstTime;
    d.lastTime = m_doc.lastTime;
    d.period = setup.period;
    d.em50 = setup.em50 != 0;
    std::memcpy(d.sensorIds, setup.sensorIds, sizeof d.sensorIds);
    std::memcpy(d.notes, setup.notes, sizeof d.notes);
    d.sensors = &sensorsCopy;
    if (!m_shell.RunProjectDescription(d)) return false;

    bool changed = d.period != setup.period || setup.exactTime == 0;
    setup.exactTime = 1;
    setup.period = d.period;
    const std::int32_t em50 = d.em50 ? 1 : 0;
    if (em50 != setup.em50) changed = true;
    setup.em50 = em50;
    for (int k = 0; k < kChannelCount; ++k) {
        const std::string_view id = TextOf(d.sensorIds[k]);
        if (id != TextOf(setup.sensorIds[k])) {
            changed = true;
            CopyText(setup.sensorIds[k], id);
        }
    }
    for (int i = 0; i < kNoteCount; ++i) {
        const std::string_view note = TextOf(d.notes[i]);
        if (note != TextOf(setup.notes[i])) {
            changed = true;
            CopyText(setup.notes[i], note);
        }
    }
    if (!changed) return true;

    setup.configTime = TimeStamp{};
    if (const int saved = m_doc.SaveProject(); saved != kFileOk) {
        ProjectLibrary(m_doc, m_operator).ShowFileError(saved, m_doc.PathName());
    }
    m_shell.RefreshRecordTable();
    m_shell.RefreshControlPanel();
    CurrentState& s = State();
    if (s.connected) {
        s.uploadPending = true;
        SetStep(2);
    } else {
        if (!m_operator.Ask(ids::kAskSendProject, SessionText(ids::kAskSendProject),
                            MessageIcon::Question)) {
            return false;
        }
        s.uploadPending = true;
        Connect();
    }
    return true;
}

void Session::ChooseProject(bool newProject) {
    BusyScope busy(*this);
    SetStep(0);
    CurrentState& s = State();
    if (const std::optional<ProjectListResult> chosen = m_shell.RunProjectList(newProject)) {
        const bool result = chosen->newlyCreated ? EditProject() : true;
        if (s.connected) {
            Disconnect(true);
            UpdateLinkIndicator();
            // The operator kept the connection: the instrument's project must be brought into
            // agreement with the newly chosen one before anything is downloaded into it.
            if (s.connected) SetStep(2);
        }
        CheckSensorsRegistered();
        if (result) {
            if (!s.uploadPending &&
                m_operator.Ask(ids::kAskSendProject, SessionText(ids::kAskSendProject))) {
                s.uploadPending = true;
            }
            if (s.uploadPending) Connect();
        }
    }
    UpdateTitle();
    m_doc.UpdateAllViews(kHintRecords);
    m_shell.RefreshRecordTable();
    m_shell.RefreshControlPanel();
}

void Session::UpdateLinkIndicator() {
    m_shell.SetLinkIndicator(SessionText(State().connected ? ids::kOnLine : ids::kOffLine));
    m_doc.UpdateAllViews(kHintLiveState);
}

void Session::UpdateTitle() {
    std::string title = SessionText(ids::kAppTitle);
    if (m_doc.HasProject()) {
        title += " - " + TextCodec::Cp1251ToUtf8(TextOf(State().address)) + " [" +
                 m_doc.ProjectName() + "]";
    }
    m_shell.SetTitle(title);
}

// ---------------------------------------------------------------------------------------------
// The command table

void Session::OnTimeSync() {
    BusyScope busy(*this);
    if (m_operator.Ask(ids::kAskTimeSync, SessionText(ids::kAskTimeSync))) SetStep(8);
}

// Format and clear talk to the instrument for seconds; busy keeps the ticks off the line while
// their waits keep the window alive.
void Session::OnFormatMemory() {
    if (!State().connected) return;
    BusyScope busy(*this);
    if (!m_operator.Ask(ids::kAskFormatMemory, SessionText(ids::kAskFormatMemory))) return;
    UpdateTitle();
    m_commands.FormatMemory();
    Disconnect(false);
}

void Session::OnClearInstrument() {
    BusyScope busy(*this);
    if (!m_operator.Ask(ids::kAskClearInstrument, SessionText(ids::kAskClearInstrument))) return;
    if (const int saved = m_doc.SaveProject(); saved != kFileOk && m_doc.HasProject()) {
        ProjectLibrary(m_doc, m_operator).ShowFileError(saved, m_doc.PathName());
    }
    UpdateTitle();
    if (State().connected) {
        m_commands.ClearProject();
        Disconnect(true);
    }
}

void Session::OnConnectionSettings() {
    const std::optional<std::string> port =
        m_shell.RunConnectionSettings(CSerialPort::PortsToOffer(m_portName), m_portName);
    if (!port) return;
    m_portName = *port;
    m_profile.Write(keys::kPortDevice, m_portName);
}

void Session::OnEditProject() {
    BusyScope busy(*this);
    if (EditProject()) {
        CheckSensorsRegistered();
        m_shell.RefreshControlPanel();
    }
}

void Session::OnSensorDatabase() {
    BusyScope busy(*this);
    SensorDatabase workingCopy = m_sensors;
    m_shell.RunSensorEditor(workingCopy);
    m_sensors = workingCopy;
    const std::string path = m_doc.ProgramFolder() + SensorDatabase::kFileName;
    if (!m_sensors.Save(path)) DebugLog("Saving %s failed", path.c_str());
    if (m_doc.HasProject()) {
        CheckSensorsRegistered();
        m_shell.RefreshControlPanel();
        m_shell.RefreshRecordTable();
    }
}

void Session::OnHelp() {
    const std::string path = m_doc.ProgramFolder() + kHelpFile + kHelpExtension;
    if (!m_shell.OpenHelpFile(path)) {
        m_operator.Tell(ids::kNoHelp, SessionText(ids::kNoHelp), MessageIcon::Error);
    }
}

void Session::OnAbout() {
    BusyScope busy(*this);
    m_shell.RunAbout();
}

bool Session::OnDisconnect() {
    if (m_busy > 0) return false;
    SetStep(0);
    if (m_shell.HasSearchProgress()) HideSearchProgress();
    Disconnect(false);
    return true;
}

bool Session::RunsWhileBusy(int id) {
    switch (id) {
        case cmd::kShowControlPanel:
        case cmd::kShowRecordTable:
        case cmd::kTableModeFull:
        case cmd::kTableModeTypical:
        case cmd::kTableModeCustom:
        case cmd::kTableModeDiagnostics:
        case cmd::kPanelCurrent:
        case cmd::kPanelLastRecord:
        case cmd::kAutoDownload:
        case cmd::kShowStartWindow:
        case cmd::kDisconnect:
        case cmd::kExit:
            return true;
        default:
            return false;
    }
}

bool Session::OnCommand(int id) {
    if (!QueryCommand(id).enabled) return false;
    switch (id) {
        case cmd::kConnect:
            Connect();
            return true;
        case cmd::kSelectDevice:
            SelectDevice();
            return true;
        case cmd::kModeView:
            ChangeMode(1, true);
            return true;
        case cmd::kModeRecord:
            ChangeMode(2, true);
            return true;
        case cmd::kModeStop:
            ChangeMode(3, true);
            return true;
        case cmd::kDownload:
            RequestDownload(true);
            return true;
        case cmd::kAutoDownload:
            ToggleAutoDownload();
            return true;
        case cmd::kTimeSync:
            OnTimeSync();
            return true;
        case cmd::kFormatMemory:
            OnFormatMemory();
            return true;
        case cmd::kClearInstrument:
            OnClearInstrument();
            return true;
        case cmd::kConnectionSettings:
            OnConnectionSettings();
            return true;
        case cmd::kChooseProject:
            ChooseProject(false);
            return true;
        case cmd::kEditProject:
            OnEditProject();
            return true;
        case cmd::kSensorDatabase:
            OnSensorDatabase();
            return true;
        case cmd::kShowControlPanel:
            m_shell.ShowControlPanel(false);
            return true;
        case cmd::kShowRecordTable:
            m_shell.ShowRecordTable();
            return true;
        case cmd::kShowStartWindow:
            ToggleShowStartWindow();
            return true;
        case cmd::kHelp:
            OnHelp();
            return true;
        case cmd::kAbout:
            OnAbout();
            return true;
        case cmd::kDisconnect:
            return OnDisconnect();
        default:
            return false;
    }
}

CommandState Session::QueryCommand(int id) const {
    CommandState state = QueryCommandWhenIdle(id);
    if (m_busy > 0 && !RunsWhileBusy(id)) state.enabled = false;
    return state;
}

CommandState Session::QueryCommandWhenIdle(int id) const {
    const CurrentState& s = State();
    const bool project = m_doc.HasProject();
    auto state = [](bool enabled, bool checked = false) {
        return CommandState{true, enabled, checked};
    };
    switch (id) {
        case cmd::kConnect:
        case cmd::kConnectionSettings:
        case cmd::kChooseProject:
        case cmd::kSensorDatabase:
        case cmd::kHelp:
        case cmd::kAbout:
            return state(true);
        case cmd::kSelectDevice:
            return state(m_devices.size() > 1);
        case cmd::kModeView:
            return state(s.connected && s.deviceMode != 1);
        case cmd::kModeRecord:
            return state(s.connected && s.deviceMode != 2);
        case cmd::kModeStop:
            return state(s.connected && s.deviceMode != 3);
        case cmd::kDownload:
            return state(s.connected && project && s.synchronized);
        case cmd::kAutoDownload:
            return state(true, m_autoDownload);
        case cmd::kTimeSync:
        case cmd::kFormatMemory:
            return state(s.connected);
        case cmd::kClearInstrument:
            return state(s.connected && project);
        case cmd::kEditProject:
            return state(project);
        case cmd::kShowControlPanel:
            return state(true, m_shell.IsControlPanelActive());
        case cmd::kShowRecordTable:
            return state(project, m_shell.IsRecordTableActive());
        case cmd::kShowStartWindow:
            return state(true, m_showStartWindow);
        case cmd::kDisconnect:
            return state(m_link.IsOpen());
        default:
            // Without a handler (F3's 32778 among them) a command stays disabled.
            return CommandState{};
    }
}

}  // namespace vg28
