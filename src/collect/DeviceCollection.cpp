#include "collect/DeviceCollection.h"

#include <climits>
#include <cstdlib>
#include <optional>
#include <vector>

#include "base/StringIds.h"
#include "collect/CollectorLine.h"
#include "collect/CollectorOperator.h"
#include "collect/StopRequest.h"
#include "link/PacketLink.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"
#include "sensors/SensorDatabase.h"
#include "session/Session.h"
#include "sync/Em50Protocol.h"

namespace vg28 {

namespace {

// The live state's clock offset before the identification has read the instrument's clock.
constexpr int kOffsetUnknown = INT_MIN;

// How the session's run for one device ended.
enum class End { Done, Stopped, NoAnswer, Disconnected, TooLong };

// The collector's counts of the line, to see what the identification did with the clock.
struct ClockCounts {
    int sent = 0;
    int refused = 0;
};

ClockCounts ClockCountsOf(const CollectorLine* line) {
    if (!line) return {};
    return {line->ClockSettingsSent(), line->RefusedClockSettings()};
}

// Ticks the session until the device's records are in (the download step and its next
// record time ended back at idle), the search time ran out, the session disconnected or a
// stop was requested; found is set once the search has found the instrument. A tick that
// moved on is followed at once by the next; after a failed one the rest of the session's
// second is waited, as the window's timer would.
End TickSession(Session& session, Clock& clock, int searchSeconds, bool& found) {
    CurrentState& s = session.State();
    std::optional<std::int64_t> searchingSince;
    for (int tick = 0; tick < DeviceCollection::kMaxTicks; ++tick) {
        if (StopRequested()) return End::Stopped;
        if (!session.IsPortOpen()) return End::Disconnected;
        const std::int64_t now = clock.MonotonicMs();
        if (!s.searching) {
            searchingSince.reset();
        } else if (!searchingSince) {
            searchingSince = now;
        } else if (now - *searchingSince >= searchSeconds * 1000LL) {
            return End::NoAnswer;
        }
        const int step = s.step;
        session.OnTimer();
        found = found || s.connected;
        if ((step == 5 || step == 6) && s.step == 0 && s.synchronized) return End::Done;
        const bool movedOn = s.tries == 0 && !s.searching;
        const std::int64_t spent = clock.MonotonicMs() - now;
        if (!movedOn && spent < Session::kTickMs &&
            !StopRequest::Pause(clock, static_cast<int>(Session::kTickMs - spent)))
            return End::Stopped;
    }
    return End::TooLong;
}

std::string ReasonOf(End end, const CollectorShell& shell, const CollectorOperator& op,
                     int searchSeconds) {
    switch (end) {
        case End::Done:
            if (shell.DatabaseNotSaved())
                return "the sensor database could not be saved (its new sensors come again "
                       "next round)";
            return DeviceStatus::kOk;
        case End::Stopped:
            return "stopped";
        case End::NoAnswer:
            return "no answer within " + std::to_string(searchSeconds) + " s";
        case End::TooLong:
            return "no end to the session after " + std::to_string(DeviceCollection::kMaxTicks) +
                   " ticks";
        case End::Disconnected:
            break;
    }
    if (op.Shown(ids::kWrongModel)) return "not a VG-28";
    if (!shell.Failure().empty()) {
        const std::string message = op.LastError();
        return message.empty() ? shell.Failure() : shell.Failure() + ": " + message;
    }
    if (op.Shown(ids::kNoAnswer)) return "no answer";
    const std::string message = op.LastError();
    return message.empty() ? "disconnected" : message;
}

// What the round learnt about the clock: the offset (instrument minus PC) and a note.
void NoteClock(const CurrentState& s, const CollectorOperator& op, ClockCounts before,
               ClockCounts after, DeviceStatus& status) {
    if (s.clockOffset == kOffsetUnknown) return;
    if (after.refused > before.refused) {
        // The instrument's clock holds no valid time; setting it was not allowed.
        status.clockOffset.reset();
        status.notes.push_back("its clock has no valid time (not set: no --set-clock)");
        return;
    }
    status.clockOffset = -static_cast<long long>(s.clockOffset);
    if (op.ClockSetOnQuestion() && s.clockOffset == 0) {
        status.notes.push_back("clock set (it was " +
                               std::to_string(-static_cast<long long>(*op.ClockQuestionOffset())) +
                               " s off)");
    } else if (after.sent > before.sent && !op.ClockQuestionOffset()) {
        status.notes.push_back("clock set (it had no valid time)");
    } else if (std::llabs(s.clockOffset) >= 60) {
        status.notes.push_back("clock off by a minute or more (not set: no --set-clock)");
    }
}

}  // namespace

DeviceStatus DeviceCollection::Run(const NetDevice& device, const DeviceStatus& before) {
    CProjectDoc doc(m_env.folder, m_env.profile, m_env.sensors);
    CurrentState& s = doc.m_rCurState;
    CopyText(s.address, TextOf(device.deviceName));
    s.radioAddress = TextOf(device.deviceName).empty() ? kDirectLine : device.deviceAddress;
    s.clockOffset = kOffsetUnknown;

    CollectorOperator op(m_env.setClock);
    op.Watch(&s);
    InstrumentCommands commands(m_env.link, &doc);
    CollectorShell shell({commands, doc, m_env.sensors, m_env.folder + SensorDatabase::kFileName,
                          op, m_env.clock, m_env.line, m_env.projectOwner});
    Em50Protocol em50(commands, doc);
    const std::vector<NetDevice> noDeviceList;
    SessionServices services{doc,   m_env.sensors, m_env.profile, op,
                             shell, m_env.clock,   noDeviceList};
    services.link = &m_env.link;
    services.em50 = &em50;

    DeviceStatus status = before;
    status.added = 0;
    status.em50Added = 0;
    status.notes.clear();
    const ClockCounts clockBefore = ClockCountsOf(m_env.line);
    End end = End::Disconnected;
    bool found = false;
    {
        Session session(services);
        session.SetAutoDownload(true);
        session.Connect();
        end = TickSession(session, m_env.clock, m_env.searchSeconds, found);
        // No new instrument record: the Em50 stage did not come after a download.
        if (end == End::Done && doc.setup.em50 != 0 && !shell.Em50StageRan() && !StopRequested() &&
            em50.Em50Present() && !shell.RunEm50Stage()) {
            status.notes.push_back(shell.Failure());
        }
        if (shell.Stopped() || (end == End::Done && StopRequested())) end = End::Stopped;
    }
    // The document goes with this function; the link stays for the next device.
    m_env.link.SetState(nullptr);

    status.result = ReasonOf(end, shell, op, m_env.searchSeconds);
    // Before the instrument answered, the lines were the radio modem's.
    if (found && s.lastReplyTime != 0)
        status.lastContact =
            CollectStatus::TimeText(s.lastReplyTime + m_env.clock.LocalOffsetSeconds());
    if (shell.ProjectTaken() && doc.HasProject()) {
        status.project = doc.ProjectName();
        status.records = static_cast<long long>(doc.records.size());
        status.lastRecord = doc.records.empty()
                                ? std::nullopt
                                : std::optional<std::string>(CollectStatus::TimeText(doc.lastTime));
        status.added = static_cast<int>(doc.records.size() - shell.RecordsBeforeDownload());
    }
    status.em50Added = shell.Em50Added();
    if (s.deviceMode != 0) {
        status.mode = CollectStatus::ModeName(s.deviceMode);
        status.nextRecord.reset();
        if (s.deviceMode == 2 && s.m_rNextRecordTime.wYear > 1900)
            status.nextRecord = CollectStatus::TimeText(SecondsOf(s.m_rNextRecordTime));
    }
    NoteClock(s, op, clockBefore, ClockCountsOf(m_env.line), status);
    if (op.Shown(ids::kNewerFirmware)) status.notes.push_back("firmware newer than this program");
    if (op.Shown(ids::kSensorsNotRegistered))
        status.notes.push_back("a sensor of the project is not in the sensor database");
    return status;
}

}  // namespace vg28
