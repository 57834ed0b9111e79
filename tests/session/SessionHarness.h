#pragma once
// The session run end to end against vg28sim: the common wiring (fake clock, simulated
// instrument network, a document with the shipped sensor database), the session making its lines
// to the network as it connects (one far end for the whole test, so the instrument keeps its
// state across reconnections), an Operator that answers by message ID (No unless scripted) and
// records every message, and a recording Shell whose synchronization is scripted through the
// document.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SimNetwork.h"
#include "graph/ViewerLauncher.h"
#include "platform/ProcessStart.h"
#include "sensors/SensorDatabase.h"
#include "session/Em50ClockControl.h"
#include "session/NetDevice.h"
#include "session/Session.h"
#include "session/Shell.h"
#include "support/RecordingOperator.h"
#include "support/SimWiring.h"

namespace vg28::test {

// Records every call of the session; dialogs answer from scripts.
class RecordingShell final : public Shell {
public:
    void SetStatusText(const std::string& text) override;
    void ShowSearchProgress(const std::string& text, int range) override;
    void SetSearchProgress(int position) override;
    void HideSearchProgress() override;
    bool HasSearchProgress() const override { return progressShown; }
    void ShowTransientMessage(const std::string& text, int seconds) override;
    void SetLinkIndicator(const std::string& text) override;
    void SetTitle(const std::string& text) override;
    bool IsControlPanelActive() const override { return controlPanelActive; }
    bool IsRecordTableActive() const override { return recordTableActive; }
    void ShowControlPanel(bool currentReadings) override;
    void ShowRecordTable() override;
    void RefreshControlPanel() override { ++controlPanelRefreshes; }
    void RefreshRecordTable() override { ++recordTableRefreshes; }
    void SetTickPeriod(int milliseconds) override;
    bool RunSynchronization(SyncJob job) override;
    std::optional<StartChoice> RunStartWindow(int action) override;
    std::optional<ProjectListResult> RunProjectList(bool newProject) override;
    bool RunProjectDescription(ProjectDescription& description) override;
    std::optional<DeviceChoice> RunDeviceList(const std::vector<NetDevice>& devices,
                                              const std::string& address,
                                              std::uint16_t radioAddress) override;
    std::optional<std::string> RunConnectionSettings(const std::vector<std::string>& ports,
                                                     const std::string& current) override;
    void RunSensorEditor(SensorDatabase& workingCopy) override;
    void RunAbout() override { calls.push_back("about"); }
    bool OpenHelpFile(const std::string& path) override;

    int Count(const std::string& call) const;

    std::vector<std::string> calls;  // every call, as "name" or "name:argument"
    struct TransientMessage {
        std::string text;
        int seconds = 0;
    };
    std::vector<TransientMessage> transientMessages;
    std::string status, linkIndicator, title, progressText;
    bool progressShown = false;
    int progressRange = 0;
    int progressPosition = 0;
    int tickPeriod = -1;
    bool controlPanelActive = true;
    bool recordTableActive = false;
    int controlPanelRefreshes = 0;
    int recordTableRefreshes = 0;
    int synchronizations = 0;
    int startWindowAction = -1;  // the action the start window was preset to

    std::function<bool()> onSynchronization;
    std::optional<StartChoice> startChoice;
    std::function<std::optional<ProjectListResult>(bool)> onProjectList;
    std::function<bool(ProjectDescription&)> onDescription;
    std::function<std::optional<DeviceChoice>(const std::vector<NetDevice>&, const std::string&,
                                              std::uint16_t)>
        onDeviceList;
    std::optional<std::string> connectionChoice;
    std::function<void(SensorDatabase&)> onSensorEditor;
    bool helpOpens = false;
};

// An Em50 logger's clock as the session sees it: present or not, and whether its clock
// operations succeed; records each call's force argument.
class FakeEm50Clock final : public Em50ClockControl {
public:
    bool Em50Present() override { return present; }
    bool SyncEm50Clock(bool force) override {
        forced.push_back(force);
        return succeeds;
    }
    bool present = true;
    bool succeeds = true;
    std::vector<bool> forced;
};

// Records the programs started instead of starting them.
class RecordingProcesses final : public ProcessStart {
public:
    bool Start(const std::string& program, const std::vector<std::string>& arguments) override {
        started.push_back(program);
        lastArguments = arguments;
        return true;
    }
    std::vector<std::string> started;
    std::vector<std::string> lastArguments;
};

struct HarnessOptions {
    sim::SimNetworkConfig network;
    std::vector<NetDevice> devices;
    bool em50 = false;      // a fake Em50 clock is handed to the session
    bool viewer = false;    // the graph viewer bridge, starting nothing for real
    bool openStart = true;  // run the first tick with the start window cancelled
};

class SessionHarness : public SimWiring {
public:
    explicit SessionHarness(HarnessOptions options = {});
    ~SessionHarness();

    // One instrument on a direct cable, in the given mode, with the given records stored.
    static sim::SimNetworkConfig OneInstrument(int mode = 1, int records = 0, int period = 600);

    // One timer tick, then the clock moves on to the next whole second (the timer's period).
    void Tick();
    // Ticks until done() or maxTicks; the number of ticks run, or -1 when done never held.
    int TickUntil(const std::function<bool()>& done, int maxTicks);
    // Creates and opens a project of that name through the project library.
    void NewProject(const std::string& name = "Demo");
    // Connect, then tick until the session is connected, synchronized and idle.
    bool ConnectAndSettle(int maxTicks = 20);
    bool Idle() const;

    // The scripted synchronization: parameters/sensors mark the project synchronized; a record
    // download reads the announced record lines into the document.
    bool Synchronize();

    // Requests the instrument network received that begin with prefix.
    int RequestCount(const std::string& prefix) const;
    std::vector<std::string> RecordTimes() const;  // of the document, "YYYY-MM-DD hh:mm:ss"
    std::vector<std::string> InstrumentRecordTimes(std::size_t instrument = 0) const;

    CurrentState& State() { return doc->m_rCurState; }
    sim::SimInstrument& Instrument(std::size_t i = 0) { return network->Instrument(i); }

    std::vector<NetDevice> devices;
    RecordingOperator op;  // questions answered No unless scripted
    RecordingShell shell;
    FakeEm50Clock em50;
    RecordingProcesses processes;
    std::unique_ptr<ViewerLauncher> viewer;
    std::unique_ptr<Session> session;
    int linesMade = 0;
    // Wraps each line the session makes (a line that can fail as a real one does).
    std::function<std::unique_ptr<SerialLine>(std::unique_ptr<SerialLine>)> wrapLine;
    bool syncSucceeds = true;
    bool failLineFactory = false;
};

}  // namespace vg28::test
