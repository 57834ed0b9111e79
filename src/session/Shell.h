#pragma once
// What the main window offers the session: the status bar (message pane with the search
// progress bar, link indicator), the title, the views, the session timer and the modal dialogs
// that the session and its commands start. The desktop program implements it with widgets,
// vg28-tool without a window, tests by recording every call and answering from a script.
// Texts handed over are UTF-8. A dialog that the operator cancels returns no result.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "project/ProjectSetup.h"
#include "project/TimeStamp.h"
#include "session/NetDevice.h"
#include "session/SyncJob.h"

namespace vg28 {

class SensorDatabase;

// The start window's answer: the chosen start action (0 create a project, 1 open a project,
// 2 connect) and the "do not show again" box.
struct StartChoice {
    int action = 0;
    bool dontShowAgain = false;
};

// The project list's answer after a project was opened or created.
struct ProjectListResult {
    bool newlyCreated = false;  // then the project description follows
};

// The project description dialog works on these copies; the project changes only on OK.
struct ProjectDescription {
    std::string name;  // shown, not edited
    TimeStamp firstTime{};
    TimeStamp lastTime{};
    std::int32_t period = 0;
    bool em50 = false;
    char sensorIds[kChannelCount][kIdLength]{};
    char notes[kNoteCount][kIdLength]{};
    const SensorDatabase* sensors = nullptr;  // a copy of the database, for the combos
};

// The device list's answer: an instrument (name and radio address) or, with an empty name and
// the address 0xFFFF, the direct connection.
struct DeviceChoice {
    std::string name;  // Windows ANSI bytes, as the device list keeps them
    std::uint16_t radioAddress = 0;
};

class Shell {
public:
    virtual ~Shell() = default;

    // Status pane 0 and the search progress bar inside it.
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void ShowSearchProgress(const std::string& text, int range) = 0;
    virtual void SetSearchProgress(int position) = 0;
    virtual void HideSearchProgress() = 0;
    virtual bool HasSearchProgress() const = 0;
    // What a long piece of work achieved (a download, a synchronization, an export), shown in
    // status pane 0 for about that many seconds over the pane's text, which then returns; the
    // next status text or search ends it sooner.
    virtual void ShowTransientMessage(const std::string& text, int seconds) = 0;

    // The link indicator pane (59200) and the window title.
    virtual void SetLinkIndicator(const std::string& text) = 0;
    virtual void SetTitle(const std::string& title) = 0;

    // Views.
    virtual bool IsControlPanelActive() const = 0;
    virtual bool IsRecordTableActive() const = 0;
    virtual void ShowControlPanel(bool currentReadings) = 0;
    virtual void ShowRecordTable() = 0;
    virtual void RefreshControlPanel() = 0;
    virtual void RefreshRecordTable() = 0;

    // The session timer (window timer 1): its period in milliseconds, 0 stops it.
    virtual void SetTickPeriod(int milliseconds) = 0;

    // The synchronization dialog around the synchronization worker, for the given job; true
    // when the project may be used.
    virtual bool RunSynchronization(SyncJob job) = 0;

    // Modal dialogs.
    virtual std::optional<StartChoice> RunStartWindow(int action) = 0;
    // The project list works on the document through the project library (listing resets
    // it, so the project that was open is closed whatever the answer).
    virtual std::optional<ProjectListResult> RunProjectList(bool newProject) = 0;
    // True on OK with the edited values in description.
    virtual bool RunProjectDescription(ProjectDescription& description) = 0;
    virtual std::optional<DeviceChoice> RunDeviceList(const std::vector<NetDevice>& devices,
                                                      const std::string& address,
                                                      std::uint16_t radioAddress) = 0;
    // The available ports and the current one; the chosen port.
    virtual std::optional<std::string> RunConnectionSettings(const std::vector<std::string>& ports,
                                                             const std::string& current) = 0;
    // The sensor database dialog on a working copy, which the caller takes back whatever the
    // dialog returns.
    virtual void RunSensorEditor(SensorDatabase& workingCopy) = 0;
    virtual void RunAbout() = 0;

    // Opens the help file with the desktop's default handler; false when that cannot start.
    virtual bool OpenHelpFile(const std::string& path) = 0;
};

}  // namespace vg28
