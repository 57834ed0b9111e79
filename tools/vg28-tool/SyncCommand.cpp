// vg28-tool sync NAME|- [--pc-wins|--instrument-wins|--ask-fails] [--json]: the job a user runs
// unattended. The session connects, identifies the instrument, checks its clock (kept as it
// is), synchronizes the project NAME with the instrument's ("-" takes the instrument's project),
// downloads every new record and the new Em50 records into the project file, and disconnects.
// Questions are answered by the policy; with --ask-fails the first question ends the run before
// anything more is written on either side.

#include <iostream>

#include "Commands.h"
#include "JsonOutput.h"
#include "ToolInstrument.h"
#include "ToolShell.h"
#include "app/NetConfig.h"
#include "platform/Clock.h"
#include "project/ProjectLibrary.h"
#include "session/Session.h"
#include "sync/Em50Protocol.h"
#include "sync/HeadlessSyncDriver.h"
#include "sync/SyncEnvironment.h"
#include "sync/SyncWorker.h"
#include "sync/Synchronization.h"

namespace vg28::tool {

namespace {

constexpr int kFailed = 1;
// Ticks of one second: the search (60), the synchronization and the download run inside ticks.
constexpr int kMaxTicks = 400;

// What the synchronization runs of one sync command did.
struct SyncTotals {
    int result = -1;  // the last run's result code
    int recordsAdded = 0;
    int em50Records = 0;
    int sensorsAdded = 0;
    bool refusedQuestion = false;
    bool databaseNotSaved = false;  // a run's new sensors could not be written
};

HeadlessSyncDriver::Policy PolicyOf(const ToolOptions& options) {
    if (options.Has("--pc-wins")) return HeadlessSyncDriver::Policy::PcWins;
    if (options.Has("--ask-fails")) return HeadlessSyncDriver::Policy::FailOnQuestion;
    return HeadlessSyncDriver::Policy::InstrumentWins;
}

int RunSync(ToolContext& context) {
    const ToolOptions& options = context.Options();
    const auto& words = options.Words();
    if (words.size() != 2)
        return UsageError("usage: sync NAME|- [--pc-wins|--instrument-wins|--ask-fails]");
    if (options.Has("--pc-wins") + options.Has("--instrument-wins") + options.Has("--ask-fails") >
        1)
        return UsageError("--pc-wins, --instrument-wins and --ask-fails exclude each other");
    const std::vector<NetDevice> devices =
        NetConfig::LoadNetConfig(context.Folder() + NetConfig::kFileName);
    if (!options.Value("--address") && devices.size() >= 2)
        return UsageError("net.xcfg lists several instruments; choose one with --address NAME");
    if (!context.LoadSensors()) return kFailed;

    CProjectDoc& doc = context.Doc();
    ConsoleOperator& op = context.Op();
    const std::string& name = words[1];
    if (name != "-") {
        const int code = context.OpenProject(name);
        if (code != 0) return code;
    }

    ToolInstrument instrument(context);
    if (!instrument.Open()) return kFailed;
    op.SetAnswer(Answer::No);  // keep the instrument's clock; clear nothing
    Clock& clock = Clock::System();
    Em50Protocol em50(instrument.Commands(), doc);
    ToolShell shell;
    SessionServices services{doc,    context.Sensors(), context.GetProfile(), op, shell, clock,
                             devices};
    services.link = &instrument.Link();
    services.em50 = &em50;
    Session session(services);
    session.SetPortName(instrument.PortName());
    session.SetAutoDownload(true);

    SyncTotals totals;
    shell.SetSynchronization([&](SyncJob job) {
        SyncEnvironment env{instrument.Commands(),
                            doc,
                            context.Sensors(),
                            context.Folder() + SensorDatabase::kFileName,
                            op,
                            clock,
                            [&] { session.CheckSensorsRegistered(); }};
        HeadlessSyncDriver driver(clock, PolicyOf(options));
        SyncWorker worker(env, job);
        const bool ok = RunSynchronization(env, driver, worker);
        totals.result = worker.Result();
        totals.recordsAdded += worker.RecordsDownloaded();
        totals.em50Records += worker.Em50RecordsFetched();
        if (worker.DatabaseNotSaved())
            totals.databaseNotSaved = true;
        else
            totals.sensorsAdded += worker.SensorsAdded();
        totals.refusedQuestion = totals.refusedQuestion || driver.RefusedQuestion();
        return ok;
    });

    const std::size_t recordsBefore = doc.records.size();
    CurrentState& state = session.State();
    session.Connect();
    bool downloaded = false;
    for (int tick = 0; tick < kMaxTicks && session.IsPortOpen() && !downloaded; ++tick) {
        const std::int64_t started = clock.MonotonicMs();
        const int step = state.step;
        session.OnTimer();
        // The download ran when a download step (or its next-record tail) ended back at idle.
        downloaded = (step == 5 || step == 6) && state.step == 0 && state.synchronized;
        const std::int64_t spent = clock.MonotonicMs() - started;
        if (!downloaded && spent < Session::kTickMs)
            clock.SleepMs(static_cast<int>(Session::kTickMs - spent));
    }
    const bool ok = downloaded && session.IsPortOpen() && !totals.databaseNotSaved;
    session.Disconnect(false);

    // A single new record is read by the session itself, not by a synchronization run.
    const int added = static_cast<int>(doc.records.size()) - static_cast<int>(recordsBefore);
    if (totals.recordsAdded < added) totals.recordsAdded = added;
    if (context.Json()) {
        const nlohmann::json result = {
            {"project", JsonText(doc.ProjectName())}, {"result", totals.result},
            {"recordsAdded", totals.recordsAdded},    {"em50Records", totals.em50Records},
            {"sensorsAdded", totals.sensorsAdded},    {"ok", ok}};
        std::cout << DumpJson(result, 2) << '\n';
    } else {
        std::cout << "project\t" << doc.ProjectName() << '\n'
                  << "result\t" << totals.result << '\n'
                  << "recordsAdded\t" << totals.recordsAdded << '\n'
                  << "em50Records\t" << totals.em50Records << '\n'
                  << "sensorsAdded\t" << totals.sensorsAdded << '\n';
    }
    if (totals.refusedQuestion) std::cerr << "vg28-tool: the projects differ; nothing decided\n";
    if (!ok) std::cerr << "vg28-tool: sync failed\n";
    return ok ? 0 : kFailed;
}

const CommandRegistration kSync(
    {"sync",
     "sync NAME|- [--pc-wins|--instrument-wins|--ask-fails] [--json]\n"
     "                                connect, synchronize the project with the instrument's\n"
     "                                (\"-\": take the instrument's), download every new record,\n"
     "                                disconnect (--port PATH|simulator, --address NAME)",
     {"--json", "--port", "--address", "--pc-wins", "--instrument-wins", "--ask-fails"},
     RunSync});

}  // namespace

}  // namespace vg28::tool
