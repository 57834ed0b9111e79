#include "collect/CollectorShell.h"

#include "collect/CollectorSyncDriver.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"
#include "sync/SyncEnvironment.h"
#include "sync/SyncWorker.h"
#include "sync/Synchronization.h"

namespace vg28 {

namespace {

// The live step a record download leaves when it goes on with the Em50 stage.
constexpr int kEm50Step = 9;

bool IsSynchronizationJob(SyncJob job) {
    return job == SyncJob::Full || job == SyncJob::Sensors;
}

std::string JobName(SyncJob job) {
    if (job == SyncJob::Download) return "the record download";
    if (job == SyncJob::Em50) return "the Em50 download";
    return "the synchronization";
}

// Why a run that left the project unusable failed.
std::string FailureOf(const SyncWorker& worker, const CollectorSyncDriver& driver, SyncJob job) {
    if (driver.RefusedWrite())
        return JobName(job) + " would have written to the instrument; ended before it did";
    if (driver.Stopped()) return "stopped";
    if (!worker.RejectedProjectName().empty())
        return "the instrument's project name \"" + worker.RejectedProjectName() +
               "\" cannot be a file name";
    if (worker.FileError() != 0)
        return "the project file " + worker.FileErrorPath() + " does not load (error " +
               std::to_string(worker.FileError()) + ")";
    switch (worker.Result()) {
        case SyncWorker::kResultNoProject:
            return "no project on the instrument";
        case SyncWorker::kResultTimeout:
            return JobName(job) + " ran out of time";
        case SyncWorker::kResultDone:
            return "the project file could not be saved";
        default:
            return JobName(job) + " failed";
    }
}

}  // namespace

CollectorShell::CollectorShell(const Environment& env) : m_env(env) {}

bool CollectorShell::RunSynchronization(SyncJob job) {
    if (IsSynchronizationJob(job) && !ProjectIsOurs()) return false;
    return RunJob(job);
}

bool CollectorShell::RunEm50Stage() {
    CurrentState& state = m_env.doc.m_rCurState;
    const int step = state.step;
    const bool usable = RunJob(SyncJob::Em50);
    state.step = step;
    return usable;
}

bool CollectorShell::ProjectIsOurs() {
    if (!m_env.projectOwner) return true;
    std::string name;
    if (!m_env.commands.QueryProjectId(name)) {
        m_failure = "no answer to the project name";
        return false;
    }
    if (const std::optional<std::string> owner = m_env.projectOwner(name)) {
        m_failure = "its project \"" + name + "\" is that of " + *owner +
                    " already; two instruments cannot share one project file";
        return false;
    }
    return true;
}

bool CollectorShell::RunJob(SyncJob job) {
    CurrentState& state = m_env.doc.m_rCurState;
    SyncEnvironment env{m_env.commands, m_env.doc, m_env.sensors, m_env.sensorsPath, m_env.op,
                        m_env.clock,    {}};
    env.instrumentReadOnly = true;
    CollectorSyncDriver driver(m_env.clock, state, m_env.line);
    SyncWorker worker(env, job);
    const bool usable = ::vg28::RunSynchronization(env, driver, worker);
    // A download goes on with the Em50 stage by itself when the project uses the Em50.
    if (job == SyncJob::Em50 || (job == SyncJob::Download && state.step == kEm50Step))
        m_em50StageRan = true;
    m_em50Added += worker.Em50RecordsFetched();
    if (worker.DatabaseNotSaved()) m_databaseNotSaved = true;
    if (driver.Stopped()) m_stopped = true;
    if (!usable) {
        m_failure = FailureOf(worker, driver, job);
    } else if (IsSynchronizationJob(job)) {
        m_projectTaken = true;
        m_recordsBeforeDownload = m_env.doc.records.size();
    }
    return usable;
}

}  // namespace vg28
