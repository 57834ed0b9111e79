#include "session/Session.h"

#include <cstdlib>

#include "base/DebugLog.h"
#include "base/Operator.h"
#include "base/Profile.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "graph/ViewerLauncher.h"
#include "link/SerialLine.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "protocol/ReplyGrammar.h"
#include "session/Em50ClockControl.h"
#include "session/SessionText.h"
#include "session/Shell.h"

namespace vg28 {

namespace {

// How long the texts said in the status bar when a piece of work has ended (ids::kDownloadDone
// and its neighbours) stay, after the step's last status text (a new status text ends them).
constexpr int kDoneSeconds = 5;
// The one record of each scheduled download is said briefly: it comes every period.
constexpr int kDoneOneRecordSeconds = 3;

}  // namespace

Session::Session(const SessionServices& services)
    : m_doc(services.doc),
      m_sensors(services.sensors),
      m_profile(services.profile),
      m_operator(services.op),
      m_shell(services.shell),
      m_clock(services.clock),
      m_devices(services.devices),
      m_em50(services.em50),
      m_viewer(services.viewer),
      m_ownLink(services.link ? nullptr : std::make_unique<PacketLink>(services.clock)),
      m_link(services.link ? *services.link : *m_ownLink),
      m_commands(m_link, &services.doc) {
    m_link.SetState(&m_doc.m_rCurState);
    // A mode the instrument reports on its own is taken as it is, without asking.
    m_commands.SetModeChangeHandler(
        [this](int mode, bool fromUser) { ChangeMode(mode, fromUser); });
    m_portName = m_profile.Get(keys::kPortDevice);
}

Session::~Session() = default;

CurrentState& Session::State() {
    return m_doc.m_rCurState;
}

const CurrentState& Session::State() const {
    return m_doc.m_rCurState;
}

bool Session::OpenPort() {
    if (m_lineFactory) return m_link.OpenLine(m_lineFactory(m_portName));
    return m_link.OpenPort(m_portName);
}

// ---------------------------------------------------------------------------------------------
// Status bar

void Session::SetStatusText(int id) {
    m_shell.SetStatusText(SessionText(id));
}

void Session::ShowSearchProgress(int textId, int range, const std::string& suffix) {
    m_shell.ShowSearchProgress(SessionText(textId) + suffix, range);
    m_progressPosition = 0;
    SetSearchProgress(1);
}

void Session::SetSearchProgress(int position) {
    if (position <= m_progressPosition) return;
    m_progressPosition = position;
    m_shell.SetSearchProgress(position);
}

void Session::HideSearchProgress() {
    m_shell.HideSearchProgress();
    m_progressPosition = 0;
    SetStatusText(ids::kReady);
}

std::string Session::SearchText() const {
    return SessionText(ids::kConnectingWith) + TextCodec::Cp1251ToUtf8(TextOf(State().address));
}

void Session::NoAnswer() {
    Disconnect(false);
    m_operator.Tell(ids::kNoAnswer, SessionText(ids::kNoAnswer), MessageIcon::Error);
}

// ---------------------------------------------------------------------------------------------
// Window life

void Session::OnCreate() {
    UpdateTitle();
    UpdateLinkIndicator();
    m_portName = m_profile.Get(keys::kPortDevice);
    m_showStartWindow = m_profile.Get(keys::kStartUpShow) != 0;
    m_startAction = m_profile.Get(keys::kStartUpAction);
    m_autoDownload = m_profile.Get(keys::kConnectPDownload) != 0;
    m_shell.SetTickPeriod(kFirstTickMs);
}

void Session::OnDestroy() {
    m_shell.SetTickPeriod(0);
    m_profile.Write(keys::kStartUpShow, m_showStartWindow ? 1 : 0);
    m_profile.Write(keys::kStartUpAction, m_startAction);
    m_profile.Write(keys::kConnectPDownload, m_autoDownload ? 1 : 0);
}

bool Session::OnClose() {
    Disconnect(true);
    return !State().connected;
}

void Session::RunStartAction(int action) {
    switch (action) {
        case 0:
            ChooseProject(true);
            break;
        case 1:
            ChooseProject(false);
            break;
        case 2:
            Connect();
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// The state machine

void Session::SetStep(int step) {
    if (!m_link.IsOpen()) return;
    CurrentState& s = State();
    if (step == 2 || step == 3) s.synchronized = false;
    s.step = step;
    if (step == 0) {
        s.searching = false;
        s.searchTicks = 0;
    } else if (!s.searching) {
        if (!s.connected || m_clock.UtcSeconds() - s.lastReplyTime >= kStaleReplySeconds) {
            s.searching = true;
            s.searchTicks = 0;
        }
    }
    s.triesLimit = kTriesLimit;
    s.tries = 0;
}

void Session::OnTimer() {
    if (m_firstTick) {
        m_shell.SetTickPeriod(0);
        bool run = true;
        if (m_showStartWindow) {
            const std::optional<StartChoice> choice = m_shell.RunStartWindow(m_startAction);
            if (choice) {
                m_startAction = choice->action;
                m_showStartWindow = !choice->dontShowAgain;
            } else {
                run = false;
            }
        } else {
            m_startAction = 2;
        }
        m_shell.SetTickPeriod(kTickMs);
        m_firstTick = false;
        if (run) RunStartAction(m_startAction);
    }
    if (m_busy > 0) return;
    if (!m_link.IsOpen()) {
        if (m_shell.HasSearchProgress()) HideSearchProgress();
        return;
    }
    BusyScope busy(*this);
    CurrentState& s = State();
    const Outcome outcome = s.searching ? SearchTick() : RunStep(s.step);
    // The operator disconnects or closes the window: the exchanges gave up on the stop, which
    // is no failure of the instrument.
    if (m_clock.StopRequested()) return;
    switch (outcome) {
        case Outcome::Success:
            s.tries = 0;
            break;
        case Outcome::Failure:
            FailureAccounting();
            break;
        case Outcome::Disconnect:
            Disconnect(false);
            break;
    }
}

void Session::FailureAccounting() {
    CurrentState& s = State();
    const int limit = s.searching ? kSearchLimit : s.triesLimit;
    ++s.tries;
    if (s.tries < limit) return;
    if (s.searching) {
        HideSearchProgress();
        NoAnswer();
        return;
    }
    // Enough failures in a row: look for the instrument again, keeping the count of tries.
    s.searching = true;
    s.searchTicks = 0;
    ShowSearchProgress(ids::kConnecting, kSearchLimit, SearchText());
}

Session::Outcome Session::SearchTick() {
    CurrentState& s = State();
    if (!m_shell.HasSearchProgress())
        ShowSearchProgress(ids::kConnecting, kSearchLimit, SearchText());
    SetSearchProgress(s.searchTicks % kSearchLimit);
    ++s.searchTicks;

    if (s.tries % kRedialEvery == 0) {
        if (!m_commands.ModemConnect()) return Outcome::Failure;
        // The count goes up for a dial that worked, but the tick's success then resets it to 0,
        // so the next tick dials again. (The dial's reply never satisfies ModemConnect, so in
        // practice these ticks fail and are counted as failed tries.)
        ++s.tries;
        return Outcome::Success;
    }
    if (!m_commands.ModemPing()) return Outcome::Failure;
    DropLinesWhile("OK");
    int mode = 0;
    if (!m_commands.QueryMode(mode)) return Outcome::Failure;
    if (mode == 0) return Outcome::Success;  // still starting: keep searching

    if (s.step != 7) s.deviceMode = mode;
    s.searching = false;
    s.searchTicks = 0;
    HideSearchProgress();
    s.connected = true;
    UpdateLinkIndicator();
    m_shell.RefreshControlPanel();
    return Outcome::Success;
}

void Session::DropLinesWhile(const char* prefix) {
    // Each read waits up to the line's time-out; a line that is not an echo ends the drain.
    for (;;) {
        std::string line;
        if (!m_commands.ReadLine(line)) return;
        if (!StartsWith(line, prefix)) return;
    }
}

Session::Outcome Session::RunStep(int step) {
    switch (step) {
        case 0:
            return StepIdle();
        case 1:
            return StepIdentify();
        case 2:
            return StepSynchronize(SyncJob::Full);
        case 3:
            return StepSynchronize(SyncJob::Sensors);
        case 4:
        case 5:
            return StepDownload(step);
        case 6:
        case 9:
            return StepNextRecordTime(false);
        case 7:
            return StepSendMode();
        case 8:
            return StepSetClock();
        default:
            // A step the machine does not know: back to idle rather than spinning on it.
            SetStep(0);
            return Outcome::Success;
    }
}

Session::Outcome Session::StepIdle() {
    if (m_shell.HasSearchProgress()) HideSearchProgress();
    CurrentState& s = State();
    if (!s.connected || !s.synchronized) return Outcome::Success;
    if (s.deviceMode == 1) {
        if (!m_shell.IsControlPanelActive() || !m_doc.HasProject()) return Outcome::Success;
        // Every failed poll costs one silent tick before the next poll.
        if (s.tries % 2 == 1) return Outcome::Failure;
        return m_commands.QueryCurrentData() ? Outcome::Success : Outcome::Failure;
    }
    if (s.deviceMode == 2 && m_doc.HasProject()) {
        std::int64_t t = 0;
        if (s.m_rNextRecordTime.wYear > 1900) {
            t = SecondsOf(s.m_rNextRecordTime) + s.clockOffset - SecondsFromLocal(m_clock.Local());
        }
        if (t > 2) return Outcome::Success;
        if (m_autoDownload) {
            RequestDownload(false);
        } else {
            SetStep(6);
        }
        return Outcome::Success;
    }
    return Outcome::Success;
}

bool Session::Em50Present() const {
    return m_em50 && m_em50->Em50Present();
}

Session::Outcome Session::ClockOutcome(bool forceEm50) {
    if (!Em50Present()) return Outcome::Success;
    return m_em50->SyncEm50Clock(forceEm50) ? Outcome::Success : Outcome::Failure;
}

Session::Outcome Session::StepIdentify() {
    CurrentState& s = State();
    if (!s.connected) return Outcome::Success;
    if (!m_commands.SetMonitor(0) || !m_commands.QueryRecordState()) return Outcome::Failure;

    std::string info;
    std::size_t cursor = 0;
    std::string model;
    std::uint32_t version = 0;
    std::string identification;
    if (!m_commands.QueryInfo(info) ||
        !ParseDeviceInfo(info, cursor, model, version, identification)) {
        return Outcome::Failure;
    }
    const bool ourModel = StartsWith(model, StringTable::Get(ids::kModelName));
    if (!ourModel) {
        m_operator.Tell(ids::kWrongModel, SessionText(ids::kWrongModel), MessageIcon::Error);
    }
    if ((version & ~std::uint32_t{0xFF}) > kNewestKnownFirmware) {
        m_operator.Tell(ids::kNewerFirmware, SessionText(ids::kNewerFirmware), MessageIcon::None);
    }
    CopyText(s.deviceId, identification);
    s.firmwareVersion = version;
    if (!ourModel) return Outcome::Disconnect;

    if (cursor < info.size()) {
        std::string moduleModel;
        std::uint32_t moduleVersion = 0;
        std::string moduleIdentification;
        if (ParseDeviceInfo(info, cursor, moduleModel, moduleVersion, moduleIdentification) &&
            StartsWith(moduleModel, StringTable::Get(ids::kModuleFamily))) {
            CopyText(s.moduleId, moduleIdentification);
            s.moduleVersion = moduleVersion;
        }
    }

    SetStep(2);
    SystemTime instrument;
    if (!m_commands.QueryClock(instrument)) return Outcome::Failure;
    if (!IsPlausibleDate(instrument.wYear, instrument.wMonth, instrument.wDay, instrument.wHour,
                         instrument.wMinute, instrument.wSecond)) {
        m_commands.SetClock();
        s.clockOffset = 0;
        return ClockOutcome(true);
    }
    const std::int64_t difference = SecondsFromLocal(m_clock.Local()) - SecondsOf(instrument);
    s.clockOffset = static_cast<int>(difference);
    DebugLog("Time difference: %d sec", s.clockOffset);
    if (std::llabs(difference) < 60) return ClockOutcome(false);
    if (!m_operator.Ask(ids::kClockDiffers, SessionText(ids::kClockDiffers)))
        return Outcome::Success;
    m_commands.SetClock();
    s.clockOffset = 0;
    return ClockOutcome(true);
}

// The full synchronization goes on to decide on a download; the sensors alone do not.
Session::Outcome Session::StepSynchronize(SyncJob job) {
    CurrentState& s = State();
    if (!s.connected) return Outcome::Success;
    const bool decideDownload = job == SyncJob::Full;
    SetStatusText(ids::kPleaseWait);
    const bool synchronized = m_shell.RunSynchronization(job);
    if (!decideDownload) SetStatusText(ids::kReady);
    SetStep(0);
    if (!synchronized) {
        if (decideDownload) SetStatusText(ids::kReady);
        AnnounceSynchronization(false);
        return Outcome::Disconnect;
    }
    CheckSensorsRegistered();
    const bool polled = m_commands.QueryCurrentData();
    if (decideDownload) UpdateTitle();
    UpdateLinkIndicator();
    m_shell.RefreshControlPanel();
    if (decideDownload) {
        m_shell.RefreshRecordTable();
        if (m_autoDownload) {
            RequestDownload(false);
        } else {
            SetStep(6);
        }
        SetStatusText(ids::kReady);
    }
    AnnounceSynchronization(true);
    return polled ? Outcome::Success : Outcome::Failure;
}

bool Session::ReadOneRecord() {
    std::string line;
    bool arrived = false;
    for (int i = 0; i < 3 && !arrived; ++i)
        arrived = m_commands.ReadLine(line);
    if (!arrived) return false;
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string::npos) return false;
    const std::string_view text = std::string_view(line).substr(semicolon + 1);
    // A line that is no record, or a stale one the project already holds, is not trusted: the
    // next selection starts again after the last record the project has.
    MeasurementRecord record{};
    if (!m_doc.ParseRecordLine(record, text, nullptr)) return false;
    if (!m_doc.records.empty() && !(m_doc.lastTime < record.time)) return false;
    int added = 0;
    return m_doc.AddRecordLine(text, added);
}

Session::Outcome Session::StepDownload(int step) {
    CurrentState& s = State();
    if (!m_doc.HasProject() || !s.connected || !s.synchronized) return Outcome::Success;
    const TimeStamp from = m_doc.NextDownloadFrom();

    s.downloadCount = 0;
    if (!m_commands.SelectRecordsFrom(from, s.downloadCount)) {
        m_commands.QueryRecordState();
        return Outcome::Failure;
    }
    bool ok = true;
    const std::size_t recordsBefore = m_doc.records.size();
    if (s.downloadCount > 0) {
        if (s.downloadCount == 1 && m_doc.setup.em50 == 0) {
            ok = ReadOneRecord();
            if (ok) AnnounceOneRecord();
        } else {
            SetStatusText(ids::kPleaseWait);
            ok = m_shell.RunSynchronization(SyncJob::Download);
            if (ok) SetStatusText(ids::kReady);
            AnnounceDownload(ok, m_doc.records.size() - recordsBefore);
        }
    } else if (step != 5) {
        if (m_doc.records.empty()) {
            m_operator.Tell(ids::kNoRecordsYet, SessionText(ids::kNoRecordsYet),
                            MessageIcon::Information);
        } else if (m_autoDownload) {
            m_operator.Tell(ids::kAutoDownloadOn,
                            SessionTextWithNumber(ids::kAutoDownloadOn,
                                                  static_cast<long long>(m_doc.records.size())),
                            MessageIcon::Information);
        } else {
            m_operator.Tell(ids::kNoNewData, SessionText(ids::kNoNewData),
                            MessageIcon::Information);
        }
    }
    m_doc.UpdateAllViews(kHintRecords);
    m_shell.RefreshControlPanel();
    if (!ok) {
        m_commands.QueryRecordState();
        return Outcome::Failure;
    }
    return StepNextRecordTime(step == 4);
}

void Session::AnnounceSynchronization(bool synchronized) {
    m_shell.ShowTransientMessage(
        SessionText(synchronized ? ids::kProjectSynchronized : ids::kSyncNotDone), kDoneSeconds);
}

void Session::AnnounceOneRecord() {
    if (m_doc.records.empty()) return;
    const std::string time =
        TextCodec::Cp1251ToUtf8(CProjectDoc::FormatRecordTime(m_doc.records.back().time, true));
    m_shell.ShowTransientMessage(StringTable::FormatInsert(ids::kOneRecordDownloaded, time),
                                 kDoneOneRecordSeconds);
}

void Session::AnnounceDownload(bool complete, std::size_t added) {
    m_shell.ShowTransientMessage(
        SessionTextWithNumber(complete ? ids::kDownloadDone : ids::kDownloadStopped,
                              static_cast<long long>(added)),
        kDoneSeconds);
}

Session::Outcome Session::StepNextRecordTime(bool announce) {
    CurrentState& s = State();
    SystemTime next{};
    const bool ok = m_commands.QueryNextRecordTime(next);
    if (ok) {
        s.m_rNextRecordTime = next;
        DebugLog("m_pProjectDoc->m_rCurState.m_rNextRecordTime = %04d-%02d-%02d %02d:%02d:%02d",
                 next.wYear, next.wMonth, next.wDay, next.wHour, next.wMinute, next.wSecond);
        m_doc.UpdateAllViews(kHintRecords);
        m_shell.RefreshControlPanel();
        SetStep(0);
        if (s.downloadCount > 0 && m_viewer) m_viewer->LaunchViewer(0);
    } else {
        SetStep(6);
    }
    if (announce) {
        m_operator.Tell(ids::kRecordsDownloaded,
                        SessionTextWithNumber(ids::kRecordsDownloaded, s.downloadCount),
                        MessageIcon::Information);
    }
    return ok ? Outcome::Success : Outcome::Failure;
}

Session::Outcome Session::StepSendMode() {
    CurrentState& s = State();
    if (!m_commands.SetMode(s.deviceMode)) return Outcome::Failure;
    DropLinesWhile("MODE");
    s.m_rNextRecordTime = SystemTime{};
    Outcome outcome = Outcome::Success;
    if (s.deviceMode == 2) {
        SystemTime next{};
        if (m_commands.QueryNextRecordTime(next)) {
            s.m_rNextRecordTime = next;
            m_doc.UpdateAllViews(kHintRecords);
        } else {
            outcome = Outcome::Failure;
        }
    }
    m_shell.RefreshControlPanel();
    SetStep(0);
    return outcome;
}

Session::Outcome Session::StepSetClock() {
    CurrentState& s = State();
    m_commands.SetClock();
    if (!m_commands.QueryNextRecordTime(s.m_rNextRecordTime)) return Outcome::Failure;
    m_doc.UpdateAllViews(kHintRecords);
    if (Em50Present() && !m_em50->SyncEm50Clock(true)) return Outcome::Failure;
    SetStep(0);
    m_operator.Tell(ids::kTimeSynchronized, SessionText(ids::kTimeSynchronized),
                    MessageIcon::Information);
    s.clockOffset = 0;
    return Outcome::Success;
}

}  // namespace vg28
