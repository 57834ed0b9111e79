#include "session/SessionHarness.h"

#include <algorithm>
#include <cstdio>

#include "platform/FixedText.h"
#include "project/ProjectLibrary.h"

namespace vg28::test {

// ---------------------------------------------------------------------------------------------

void RecordingShell::SetStatusText(const std::string& text) {
    status = text;
    calls.push_back("status:" + text);
}

void RecordingShell::ShowSearchProgress(const std::string& text, int range) {
    progressShown = true;
    progressText = text;
    progressRange = range;
    progressPosition = 0;
    calls.push_back("progress:" + text);
}

void RecordingShell::SetSearchProgress(int position) {
    progressPosition = position;
}

void RecordingShell::HideSearchProgress() {
    progressShown = false;
    calls.push_back("hideProgress");
}

void RecordingShell::ShowTransientMessage(const std::string& text, int seconds) {
    transientMessages.push_back({text, seconds});
    calls.push_back("transient:" + text);
}

void RecordingShell::SetLinkIndicator(const std::string& text) {
    linkIndicator = text;
}

void RecordingShell::SetTitle(const std::string& text) {
    title = text;
}

void RecordingShell::ShowControlPanel(bool currentReadings) {
    controlPanelActive = true;
    recordTableActive = false;
    calls.push_back(currentReadings ? "controlPanel:current" : "controlPanel");
}

void RecordingShell::ShowRecordTable() {
    controlPanelActive = false;
    recordTableActive = true;
    calls.push_back("recordTable");
}

void RecordingShell::SetTickPeriod(int milliseconds) {
    tickPeriod = milliseconds;
    calls.push_back("timer:" + std::to_string(milliseconds));
}

bool RecordingShell::RunSynchronization(SyncJob) {
    ++synchronizations;
    calls.push_back("synchronization");
    return onSynchronization ? onSynchronization() : false;
}

std::optional<StartChoice> RecordingShell::RunStartWindow(int action) {
    startWindowAction = action;
    calls.push_back("startWindow");
    return startChoice;
}

std::optional<ProjectListResult> RecordingShell::RunProjectList(bool newProject) {
    calls.push_back(newProject ? "projectList:new" : "projectList");
    return onProjectList ? onProjectList(newProject) : std::nullopt;
}

bool RecordingShell::RunProjectDescription(ProjectDescription& description) {
    calls.push_back("description");
    return onDescription && onDescription(description);
}

std::optional<DeviceChoice> RecordingShell::RunDeviceList(const std::vector<NetDevice>& list,
                                                          const std::string& address,
                                                          std::uint16_t radioAddress) {
    calls.push_back("deviceList");
    return onDeviceList ? onDeviceList(list, address, radioAddress) : std::nullopt;
}

std::optional<std::string> RecordingShell::RunConnectionSettings(
    const std::vector<std::string>& /*ports*/, const std::string& current) {
    calls.push_back("connectionSettings:" + current);
    return connectionChoice;
}

void RecordingShell::RunSensorEditor(SensorDatabase& workingCopy) {
    calls.push_back("sensorEditor");
    if (onSensorEditor) onSensorEditor(workingCopy);
}

bool RecordingShell::OpenHelpFile(const std::string& path) {
    calls.push_back("help:" + path);
    return helpOpens;
}

int RecordingShell::Count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

// ---------------------------------------------------------------------------------------------

namespace {

std::string TimeText(const TimeStamp& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second});
    return buffer;
}

}  // namespace

sim::SimNetworkConfig SessionHarness::OneInstrument(int mode, int records, int period) {
    sim::SimNetworkConfig config;
    config.instruments[0].mode = mode;
    config.instruments[0].records = records;
    config.instruments[0].period = period;
    return config;
}

SessionHarness::SessionHarness(HarnessOptions options)
    : SimWiring(options.network), devices(std::move(options.devices)) {
    op.SetDefault(Answer::No);
    shell.onSynchronization = [this] { return Synchronize(); };
    SessionServices services{*doc, sensors, profile, op, shell, clock, devices};
    if (options.em50) services.em50 = &em50;
    if (options.viewer) {
        viewer = std::make_unique<ViewerLauncher>(*doc, profile, processes, op);
        services.viewer = viewer.get();
    }
    session = std::make_unique<Session>(services);
    session->SetPortName("simulator");
    session->SetLineFactory([this](const std::string& name) -> std::unique_ptr<SerialLine> {
        if (failLineFactory) return nullptr;
        ++linesMade;
        std::unique_ptr<SerialLine> line = NewLine(name);
        return wrapLine ? wrapLine(std::move(line)) : std::move(line);
    });
    if (options.openStart) {
        session->OnCreate();
        session->OnTimer();  // the start window, cancelled: nothing runs
        shell.calls.clear();
    }
}

SessionHarness::~SessionHarness() = default;

void SessionHarness::Tick() {
    session->OnTimer();
    const std::int64_t phase = clock.MonotonicMs() % Session::kTickMs;
    clock.Advance(Session::kTickMs - phase);
}

int SessionHarness::TickUntil(const std::function<bool()>& done, int maxTicks) {
    for (int i = 0; i < maxTicks; ++i) {
        if (done()) return i;
        Tick();
    }
    return done() ? maxTicks : -1;
}

void SessionHarness::NewProject(const std::string& name) {
    ProjectLibrary(*doc, op).NewProject(name);
}

bool SessionHarness::Idle() const {
    const CurrentState& s = doc->m_rCurState;
    return s.connected && s.synchronized && !s.searching && s.step == 0;
}

bool SessionHarness::ConnectAndSettle(int maxTicks) {
    session->Connect();
    return TickUntil([this] { return Idle(); }, maxTicks) >= 0;
}

bool SessionHarness::Synchronize() {
    CurrentState& s = doc->m_rCurState;
    if (!syncSucceeds || !s.connected) return false;
    if (!doc->HasProject()) {
        // No project on the PC: the instrument's is opened, or made when the PC has no file.
        std::string name;
        if (!session->Commands().QueryProjectId(name) || name.empty()) return false;
        ProjectLibrary library(*doc, op);
        if (library.OpenProject(name) != kFileOk && library.NewProject(name) != kFileOk) {
            return false;
        }
    }
    if (s.step == 4 || s.step == 5) {
        for (int i = 0; i < s.downloadCount; ++i) {
            std::string line;
            if (!session->Commands().ReadLine(line)) return false;
            const std::size_t semicolon = line.find(';');
            int added = 0;
            if (semicolon == std::string::npos ||
                !doc->AddRecordLine(std::string_view(line).substr(semicolon + 1), added)) {
                return false;
            }
        }
        s.step = 9;
        return true;
    }
    s.synchronized = true;
    s.uploadPending = false;
    return true;
}

int SessionHarness::RequestCount(const std::string& prefix) const {
    int count = 0;
    for (const std::string& request : network->Requests())
        if (request.compare(0, prefix.size(), prefix) == 0) ++count;
    return count;
}

std::vector<std::string> SessionHarness::RecordTimes() const {
    std::vector<std::string> times;
    for (const MeasurementRecord& record : doc->records)
        times.push_back(TimeText(record.time));
    return times;
}

std::vector<std::string> SessionHarness::InstrumentRecordTimes(std::size_t instrument) const {
    std::vector<std::string> times;
    for (const std::string& line : network->Instrument(instrument).Records())
        times.push_back(line.substr(0, 19));
    return times;
}

}  // namespace vg28::test
