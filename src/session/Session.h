#pragma once
// The session of the main window: the one-second state machine that searches for the
// instrument, identifies it, synchronizes the project, polls live values, follows the
// recording schedule, downloads records, sends mode changes and sets the clock, and the
// operator's instrument commands that set its steps. The window's timer calls OnTimer once per
// tick; menu and toolbar call OnCommand and ask QueryCommand.
//
// The session owns the packet link (the serial port) and the instrument command set; the
// document, sensor database, profile, device list, operator and shell are the application's
// and outlive it. Its state lives in the document's m_rCurState. Exchange failures are counted,
// never thrown; everything the operator must see goes through the Operator (message boxes by
// string ID) and the Shell (status bar, title, views, dialogs).
//
// The exchanges of a tick or a command run the clock's wait hook while they wait (WaitHook.h):
// the front end keeps its window alive there, but must not call into the session for anything
// that uses the line meanwhile. While busy, the commands that would (RunsWhileBusy false) are
// disabled and refused; the front end keeps them until the busy work has ended. A stop asked for
// through the hook ends the tick's exchanges at once, and the tick then counts nothing: no failed
// try, no "VG-28 не отвечает!". The disconnect command ends the search or the link afterwards.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/PacketLink.h"
#include "protocol/InstrumentCommands.h"
#include "session/NetDevice.h"
#include "session/SyncJob.h"

namespace vg28 {

class CProjectDoc;
class Clock;
class Em50ClockControl;
class Operator;
class Profile;
class SensorDatabase;
class SerialLine;
class Shell;
class ViewerLauncher;
struct CurrentState;

// What the session works with; everything outlives the session. em50 and viewer may be null
// (no Em50 clock handling, no viewer refresh after downloads). link may name a packet link that
// the caller owns (vg28-tool's instrument); without one the session owns its own.
struct SessionServices {
    CProjectDoc& doc;
    SensorDatabase& sensors;
    Profile& profile;
    Operator& op;
    Shell& shell;
    Clock& clock;
    const std::vector<NetDevice>& devices;
    Em50ClockControl* em50 = nullptr;
    ViewerLauncher* viewer = nullptr;
    PacketLink* link = nullptr;
};

// Enabled and checked state of a command; handled is false for an ID without a handler.
struct CommandState {
    bool handled = false;
    bool enabled = false;
    bool checked = false;
};

class Session {
public:
    static constexpr int kTriesLimit = 32;
    static constexpr int kSearchLimit = 60;
    static constexpr int kRedialEvery = 15;
    static constexpr int kTickMs = 1000;
    static constexpr int kFirstTickMs = 1;
    // A step other than idle first searches for the instrument when its last reply is this old.
    static constexpr int kStaleReplySeconds = 10;
    // Firmware above this (lowest byte ignored) is newer than the program knows.
    static constexpr std::uint32_t kNewestKnownFirmware = 0x01000200;

    // How a tick ended: tries reset, a failed try counted, or the instrument disconnected
    // without confirmation (a wrong model, a failed synchronization).
    enum class Outcome { Success, Failure, Disconnect };

    explicit Session(const SessionServices& services);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Makes the line for a port name instead of the packet link's own choice (tests, the
    // in-process simulator on a shared far end). A null line counts as a port that cannot open.
    using LineFactory = std::function<std::unique_ptr<SerialLine>(const std::string& portName)>;
    void SetLineFactory(LineFactory factory) { m_lineFactory = std::move(factory); }

    // Window creation: title, link indicator, settings from the profile, the timer started.
    void OnCreate();
    // The tick of the window timer.
    void OnTimer();
    // Close request: true when the window may close (the instrument is disconnected).
    bool OnClose();
    // Destruction: the timer stopped, the start-up and download settings written back.
    void OnDestroy();

    // The state machine.
    void SetStep(int step);
    void NoAnswer();

    // Device commands.
    void Connect();
    void Disconnect(bool confirm);
    void SelectDevice();
    void ChangeMode(int mode, bool fromUser);
    void RequestDownload(bool byUser);
    bool CheckSensorsRegistered();
    bool EditProject();
    void ChooseProject(bool newProject);
    void UpdateLinkIndicator();
    void UpdateTitle();

    // The command table: one function per command, the dispatcher and the enabling rules.
    bool OnCommand(int id);
    CommandState QueryCommand(int id) const;
    void OnTimeSync();
    void OnFormatMemory();
    void OnClearInstrument();
    void OnConnectionSettings();
    void OnEditProject();
    void OnSensorDatabase();
    void OnHelp();
    void OnAbout();
    // The operator's disconnect: the search ends, the port is closed with DTR low, without the
    // view-mode question. False, doing nothing, while busy: the front end stops the running
    // exchange first and asks again once it has unwound.
    bool OnDisconnect();
    // Whether a command may run while the session is busy: it neither uses the line, nor sets a
    // step, nor opens a dialog (the view switches and view modes, the two toggles), or it ends
    // the busy work (disconnect, exit).
    static bool RunsWhileBusy(int id);
    void ToggleAutoDownload() { m_autoDownload = !m_autoDownload; }
    void ToggleShowStartWindow() { m_showStartWindow = !m_showStartWindow; }

    // Settings of the main window.
    const std::string& PortName() const { return m_portName; }
    void SetPortName(std::string name) { m_portName = std::move(name); }
    bool AutoDownload() const { return m_autoDownload; }
    void SetAutoDownload(bool on) { m_autoDownload = on; }
    bool ShowStartWindow() const { return m_showStartWindow; }
    int StartAction() const { return m_startAction; }
    bool IsBusy() const { return m_busy > 0; }

    CurrentState& State();
    const CurrentState& State() const;
    PacketLink& Link() { return m_link; }
    InstrumentCommands& Commands() { return m_commands; }
    bool IsPortOpen() const { return m_link.IsOpen(); }

    // The busy flag around a command handler or a modal dialog; nests.
    class BusyScope {
    public:
        explicit BusyScope(Session& session) : m_session(session) { ++m_session.m_busy; }
        ~BusyScope() { --m_session.m_busy; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        Session& m_session;
    };

private:
    bool OpenPort();
    // The enabling rules of the command table, the busy flag aside.
    CommandState QueryCommandWhenIdle(int id) const;
    void RunStartAction(int action);
    void FailureAccounting();
    std::string SearchText() const;
    void ShowSearchProgress(int textId, int range, const std::string& suffix);
    void SetSearchProgress(int position);
    void HideSearchProgress();
    void SetStatusText(int id);

    Outcome SearchTick();
    Outcome RunStep(int step);
    Outcome StepIdle();
    Outcome StepIdentify();
    Outcome StepSynchronize(SyncJob job);
    Outcome StepDownload(int step);
    Outcome StepNextRecordTime(bool announce);
    Outcome StepSendMode();
    Outcome StepSetClock();
    Outcome ClockOutcome(bool forceEm50);
    bool Em50Present() const;
    bool ReadOneRecord();
    // The status bar's word after a synchronization, and after a download: the one record's
    // time, or the records added.
    void AnnounceSynchronization(bool synchronized);
    void AnnounceOneRecord();
    void AnnounceDownload(bool complete, std::size_t added);
    void DropLinesWhile(const char* prefix);

    CProjectDoc& m_doc;
    SensorDatabase& m_sensors;
    Profile& m_profile;
    Operator& m_operator;
    Shell& m_shell;
    Clock& m_clock;
    const std::vector<NetDevice>& m_devices;
    Em50ClockControl* m_em50;
    ViewerLauncher* m_viewer;

    std::unique_ptr<PacketLink> m_ownLink;
    PacketLink& m_link;
    InstrumentCommands m_commands;
    LineFactory m_lineFactory;

    std::string m_portName;
    int m_busy = 0;
    bool m_showStartWindow = true;
    int m_startAction = 0;
    bool m_autoDownload = true;
    int m_progressPosition = 0;
    bool m_firstTick = true;
};

}  // namespace vg28
