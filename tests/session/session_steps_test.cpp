#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimFaults.h"
#include "base/Profile.h"
#include "platform/CivilTime.h"
#include "sensors/SensorDatabase.h"
#include "session/CommandIds.h"
#include "session/SessionHarness.h"

namespace vg28 {
namespace {

using test::HarnessOptions;
using test::SessionHarness;

HarnessOptions Options(const sim::SimNetworkConfig& network) {
    HarnessOptions options;
    options.network = network;
    return options;
}

// Guards against view-mode polling more or less than once per tick, and against a failed
// poll not being followed by exactly one silent tick.
TEST(SessionSteps, ViewModePollsOncePerTickWithOneSilentTickAfterAFailure) {
    SessionHarness h(Options(SessionHarness::OneInstrument(1)));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    std::vector<int> polls;
    auto pollsOfTick = [&] {
        const int before = h.RequestCount("data;s");
        h.Tick();
        return h.RequestCount("data;s") - before;
    };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pollsOfTick(), 1);
    h.network->Faults().Force(sim::FaultKind::Lost);
    EXPECT_EQ(pollsOfTick(), 1);  // the lost one
    EXPECT_EQ(h.State().tries, 1);
    EXPECT_EQ(pollsOfTick(), 0);  // silent
    EXPECT_EQ(pollsOfTick(), 1);
    EXPECT_EQ(h.State().tries, 0);
    EXPECT_EQ(pollsOfTick(), 1);
    // Without the control panel in front nothing is polled.
    h.shell.controlPanelActive = false;
    EXPECT_EQ(pollsOfTick(), 0);
    EXPECT_TRUE(h.State().connected);
}

// Guards against the recording schedule starting the download too early (3 s ahead) or not at
// all (2 s ahead), and against the downloaded record missing from the project or its file.
TEST(SessionSteps, RecordingModeDownloadsEachRecordWhenItIsDue) {
    SessionHarness h(Options(SessionHarness::OneInstrument(2, 5, 60)));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    ASSERT_EQ(h.RecordTimes(), h.InstrumentRecordTimes());  // the backlog, by the synchronization
    ASSERT_EQ(h.State().m_rNextRecordTime.wYear, 2011);

    const auto secondsToNext = [&] {
        const SystemTime& t = h.State().m_rNextRecordTime;
        return SecondsFromLocal({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}) +
               h.State().clockOffset - SecondsFromLocal(h.clock.Local());
    };
    // Wait in idle until 3 s before the record: no selection is made.
    const int selections = h.RequestCount("record;s;from");
    while (secondsToNext() > 3)
        h.Tick();
    ASSERT_EQ(secondsToNext(), 3);
    h.Tick();
    EXPECT_EQ(h.State().step, 0);
    EXPECT_EQ(h.RequestCount("record;s;from"), selections);
    ASSERT_EQ(secondsToNext(), 2);
    h.Tick();
    EXPECT_EQ(h.State().step, 5);

    const std::size_t before = h.doc->records.size();
    ASSERT_GE(h.TickUntil([&] { return h.doc->records.size() > before && h.Idle(); }, 10), 0);
    EXPECT_EQ(h.RecordTimes(), h.InstrumentRecordTimes());
    EXPECT_EQ(h.shell.synchronizations, 2);  // the first sync and the backlog only
    EXPECT_TRUE(h.op.Messages().empty());

    // The project file holds the same records.
    CProjectDoc reread(h.folder.Path(), h.profile, h.sensors);
    ASSERT_EQ(reread.LoadProject(h.doc->PathName()), kFileOk);
    ASSERT_EQ(reread.records.size(), h.doc->records.size());
    EXPECT_EQ(reread.lastTime, h.doc->lastTime);
}

// Guards against the graph viewer not being refreshed after a download that brought records,
// or being started when nothing came.
TEST(SessionSteps, ViewerRefreshedAfterDownloadsWithRecords) {
    HarnessOptions options = Options(SessionHarness::OneInstrument(2, 2, 60));
    options.viewer = true;
    SessionHarness h(options);
    h.profile.Write(keys::kGraphPUpdate, 1);
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    ASSERT_EQ(h.processes.started.size(), 1u);  // the backlog of two records
    EXPECT_TRUE(h.folder.Exists("Demo-ag.xml"));
    ASSERT_GE(h.TickUntil([&] { return h.doc->records.size() == 3 && h.Idle(); }, 70), 0);
    EXPECT_EQ(h.processes.started.size(), 2u);
    // Switched to view mode: the record time is read again, nothing downloaded, no refresh.
    h.session->ChangeMode(1, true);
    for (int i = 0; i < 5; ++i)
        h.Tick();
    EXPECT_EQ(h.processes.started.size(), 2u);
}

// Guards against the download command's answers: 10125 without records, 10124 with the count
// when automatic download is on, 10118 otherwise, always followed by the count downloaded.
TEST(SessionSteps, DownloadCommandMessages) {
    struct Case {
        const char* name;
        int instrumentRecords;
        bool autoDownload;
        int expected;
        std::string text;
    } cases[] = {
        {"nothing yet", 0, true, 10125, "В VG-28 пока не записей.\nДождитесь первой записи."},
        {"automatic", 4, true, 10124,
         "Система переведена в режим автоматического обновления данных.\n4 записей уже скачано."},
        {"manual", 4, false, 10118, "Пока не получено новых данных от VG-28."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionHarness h(Options(SessionHarness::OneInstrument(3, c.instrumentRecords)));
        h.NewProject();
        h.session->SetAutoDownload(true);
        ASSERT_TRUE(h.ConnectAndSettle());
        ASSERT_EQ(h.doc->records.size(), static_cast<std::size_t>(c.instrumentRecords));
        h.session->SetAutoDownload(c.autoDownload);
        h.op.Clear();
        ASSERT_TRUE(h.session->OnCommand(cmd::kDownload));
        EXPECT_EQ(h.State().step, 4);
        h.Tick();
        ASSERT_EQ(h.op.Ids(), (std::vector<int>{c.expected, 10066}));
        EXPECT_EQ(h.op.Messages()[0].text, c.text);
        EXPECT_EQ(h.op.Messages()[1].text, "Скачено 0 запись(ей).");
        EXPECT_TRUE(h.Idle());
    }
}

// Guards against the automatic download announcing an empty selection, or a single new record
// not being counted in the download message of the command.
TEST(SessionSteps, AutomaticDownloadIsSilentAndCommandCountsRecords) {
    SessionHarness h(Options(SessionHarness::OneInstrument(1, 2)));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    EXPECT_TRUE(h.op.Messages().empty());  // step 5 after the synchronization: no box
    h.Instrument().Handle("mode;start");
    h.clock.Advance(600 * 1000);
    h.Instrument().Handle("mode;manual");
    ASSERT_TRUE(h.session->OnCommand(cmd::kDownload));
    // Ten minutes without a reply: the step looks for the instrument first.
    EXPECT_TRUE(h.State().searching);
    ASSERT_GE(h.TickUntil([&] { return h.op.Shown(10066); }, 5), 0);
    ASSERT_EQ(h.op.Ids(), std::vector<int>{10066});
    EXPECT_EQ(h.op.Messages()[0].text, "Скачено 1 запись(ей).");
    EXPECT_EQ(h.RecordTimes(), h.InstrumentRecordTimes());
}

// Guards against the mode commands: the current mode does nothing, stopping asks first, the
// mode reaches the instrument, and a mode reported as INIT is kept as view mode.
TEST(SessionSteps, ModeChanges) {
    SessionHarness h(Options(SessionHarness::OneInstrument(1)));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    EXPECT_FALSE(h.session->QueryCommand(cmd::kModeView).enabled);
    h.session->ChangeMode(1, true);
    EXPECT_EQ(h.State().step, 0);

    h.op.AnswerWith(10126, Answer::No);
    ASSERT_TRUE(h.session->OnCommand(cmd::kModeStop));
    EXPECT_EQ(h.op.Count(10126), 1);
    EXPECT_EQ(h.State().deviceMode, 1);
    EXPECT_EQ(h.State().step, 0);

    h.op.AnswerWith(10126, Answer::Yes);
    ASSERT_TRUE(h.session->OnCommand(cmd::kModeStop));
    EXPECT_EQ(h.State().deviceMode, 3);
    EXPECT_EQ(h.State().step, 7);
    h.Tick();
    EXPECT_EQ(h.Instrument().Mode(), 3);
    EXPECT_EQ(h.State().step, 0);

    ASSERT_TRUE(h.session->OnCommand(cmd::kModeRecord));
    h.Tick();
    EXPECT_EQ(h.Instrument().Mode(), 2);
    EXPECT_EQ(h.State().m_rNextRecordTime.wYear, 2011);
    EXPECT_EQ(h.op.Count(10126), 2);

    ASSERT_TRUE(h.session->OnCommand(cmd::kModeView));
    EXPECT_EQ(h.shell.calls.back(), "controlPanel:current");
    h.Tick();
    EXPECT_EQ(h.Instrument().Mode(), 1);

    // The instrument restarts on its own: its INIT is taken as view mode.
    h.shell.calls.clear();
    h.Instrument().Handle("mode;init");
    h.Instrument().Handle("mode;start");
    ASSERT_EQ(h.Instrument().Mode(), 2);
    h.Tick();  // the poll reports START
    EXPECT_EQ(h.State().deviceMode, 2);
    EXPECT_EQ(h.shell.Count("controlPanel:current"), 1);
    h.session->ChangeMode(0, false);
    EXPECT_EQ(h.State().deviceMode, 1);
}

// Guards against the time synchronization acting without the operator's Yes, or not setting
// the instrument's clock and clearing the offset.
TEST(SessionSteps, TimeSynchronization) {
    sim::SimNetworkConfig network = SessionHarness::OneInstrument(3);
    network.instruments[0].clockOffset = -30;
    SessionHarness h(Options(network));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    EXPECT_EQ(h.State().clockOffset, 30);

    h.op.AnswerWith(10031, Answer::No);
    ASSERT_TRUE(h.session->OnCommand(cmd::kTimeSync));
    EXPECT_EQ(h.State().step, 0);
    h.op.AnswerWith(10031, Answer::Yes);
    ASSERT_TRUE(h.session->OnCommand(cmd::kTimeSync));
    EXPECT_EQ(h.State().step, 8);
    h.Tick();
    EXPECT_EQ(h.op.Count(10032), 1);
    EXPECT_EQ(h.op.Messages().back().text, "Время синхронизированно.");
    EXPECT_EQ(h.State().clockOffset, 0);
    EXPECT_EQ(h.Instrument().Now(), SecondsFromLocal(h.clock.Local()));
    EXPECT_EQ(h.State().step, 0);
}

// Guards against format and clear touching the instrument without a Yes, or leaving the link
// open afterwards.
TEST(SessionSteps, FormatAndClear) {
    {
        SessionHarness h(Options(SessionHarness::OneInstrument(3, 10)));
        h.NewProject();
        ASSERT_TRUE(h.ConnectAndSettle());
        h.op.AnswerWith(10109, Answer::No);
        h.session->OnCommand(cmd::kFormatMemory);
        EXPECT_EQ(h.Instrument().Records().size(), 10u);
        EXPECT_TRUE(h.State().connected);
        h.op.AnswerWith(10109, Answer::Yes);
        h.session->OnCommand(cmd::kFormatMemory);
        EXPECT_TRUE(h.Instrument().Records().empty());
        EXPECT_FALSE(h.State().connected);
        EXPECT_FALSE(h.session->IsPortOpen());
        EXPECT_FALSE(h.session->QueryCommand(cmd::kFormatMemory).enabled);
    }
    {
        SessionHarness h(Options(SessionHarness::OneInstrument(3, 10)));
        h.NewProject();
        ASSERT_TRUE(h.ConnectAndSettle());
        h.op.AnswerWith(10052, Answer::No);
        h.session->OnCommand(cmd::kClearInstrument);
        EXPECT_EQ(h.Instrument().Project(), "Demo");
        h.op.AnswerWith(10052, Answer::Yes);
        h.session->OnCommand(cmd::kClearInstrument);
        EXPECT_EQ(h.Instrument().Project(), "");
        EXPECT_EQ(h.Instrument().Sensor(1).id, "");
        EXPECT_FALSE(h.State().connected);
        EXPECT_FALSE(h.session->IsPortOpen());
        EXPECT_FALSE(h.op.Shown(10117));  // stopped, not in view mode
        EXPECT_TRUE(h.folder.Exists("Demo.phj"));
    }
}

// Guards against a lost, late, noisy or echoed reply losing or duplicating a record while the
// session follows a recording instrument for hours.
TEST(SessionSteps, LineFaultsNeverLoseOrDuplicateRecords) {
    sim::SimNetworkConfig network = SessionHarness::OneInstrument(2, 3, 60);
    network.faults.perMille[static_cast<int>(sim::FaultKind::Lost)] = 40;
    network.faults.perMille[static_cast<int>(sim::FaultKind::Late)] = 30;
    network.faults.perMille[static_cast<int>(sim::FaultKind::Noise)] = 60;
    network.faults.perMille[static_cast<int>(sim::FaultKind::Echo)] = 30;
    network.faults.perMille[static_cast<int>(sim::FaultKind::Garbage)] = 30;
    network.faultSeed = 7;
    SessionHarness h(Options(network));
    h.NewProject();
    h.session->Connect();
    // Three hours of ticks.
    for (int i = 0; i < 3 * 3600 && !h.op.Shown(10029); ++i)
        h.Tick();
    ASSERT_FALSE(h.op.Shown(10029));
    EXPECT_GT(h.network->Faults().Injected(sim::FaultKind::Lost), 10);
    // Let the last record come in, then compare.
    h.network->Faults().SetRates({});
    ASSERT_GE(
        h.TickUntil([&] { return h.Idle() && h.RecordTimes() == h.InstrumentRecordTimes(); }, 120),
        0);
    EXPECT_GT(h.doc->records.size(), 150u);
    // Most records came one by one through the session's own download, not the dialog's.
    EXPECT_LT(h.shell.synchronizations * 4, static_cast<int>(h.doc->records.size()));
    CProjectDoc reread(h.folder.Path(), h.profile, h.sensors);
    ASSERT_EQ(reread.LoadProject(h.doc->PathName()), kFileOk);
    ASSERT_EQ(reread.records.size(), h.doc->records.size());
}

}  // namespace
}  // namespace vg28
