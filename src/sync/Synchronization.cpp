#include "sync/Synchronization.h"

#include "base/DebugLog.h"
#include "base/Operator.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/DocObserver.h"
#include "project/MeasurementRecord.h"
#include "project/PlugAndPlay.h"
#include "project/ProjectLibrary.h"
#include "protocol/InstrumentCommands.h"
#include "sensors/SensorDatabase.h"
#include "sync/SyncDialogDriver.h"
#include "sync/SyncWorker.h"

namespace vg28 {

namespace {

// The instrument's name (UTF-8 of its CP1251) as the operator can read it: control characters
// shown as '?'.
std::string Printable(std::string_view name) {
    std::string text;
    for (const char c : TextCodec::Utf8ToCp1251(name)) {
        const char32_t code = TextCodec::CodePointOf(static_cast<unsigned char>(c));
        text += code < 0x20 || (code >= 0x7F && code <= 0x9F) ? '?' : c;
    }
    return TextCodec::Cp1251ToUtf8(text);
}

// Saves the sensor database the run changed and only then makes it the program's. A database
// that could not be written stays as it was on disk as well as in memory, and the operator is
// told; false then.
bool SaveChangedDatabase(SyncEnvironment& env, SyncWorker& worker) {
    if (!worker.DatabaseChanged()) return true;
    const SensorDatabase& changed = worker.WorkingDatabase();
    if (!changed.Save(env.sensorsPath)) {
        DebugLog("Sync: sensor database not saved");
        worker.NoteDatabaseNotSaved();
        ProjectLibrary(env.doc, env.op).ShowFileError(kFileWriteError, env.sensorsPath);
        return false;
    }
    env.sensors.ReplaceAll(changed.Records());
    return true;
}

// Applies a finished run; true when the project may be used.
bool ApplyDone(SyncEnvironment& env, SyncWorker& worker) {
    CProjectDoc& doc = env.doc;
    const bool databaseSaved = SaveChangedDatabase(env, worker);
    if (worker.InstrumentWinsParameters() || worker.ApplyToDocument() ||
        worker.CurrentStage() == SyncWorker::Stage::Em50) {
        doc.setup = worker.WorkingCopy();
        // Without the sensors it brought the run is not complete: with no configuration time
        // the next synchronization compares everything again and adds them again.
        if (!databaseSaved) doc.setup.configTime = TimeStamp{};
        if (doc.SaveProject() != kFileOk) {
            doc.ResetProject();
            doc.UpdateAllViews(kHintAll);
            if (env.op.Ask(ids::kSyncSaveFailed,
                           std::string(StringTable::Get(ids::kSyncSaveFailed)),
                           MessageIcon::Question))
                env.commands.ClearProject();
            // With the document reset there is no project to go on with either way.
            return false;
        }
        doc.UpdateAllViews(kHintAll);
    }
    doc.m_rCurState.synchronized = true;
    return true;
}

}  // namespace

bool CheckProjectSensorsRegistered(SyncEnvironment& env) {
    for (const auto& id : env.doc.setup.sensorIds) {
        const std::string_view text = TextOf(id);
        if (IsEmptyOrPlugAndPlay(text)) continue;
        if (!env.sensors.FindById(text)) {
            env.op.Tell(ids::kSensorsNotRegistered,
                        std::string(StringTable::Get(ids::kSensorsNotRegistered)),
                        MessageIcon::Warning);
            return false;
        }
    }
    return true;
}

bool RunSynchronization(SyncEnvironment& env, SyncDialogDriver& driver, SyncJob job) {
    SyncWorker worker(env, job);
    return RunSynchronization(env, driver, worker);
}

bool RunSynchronization(SyncEnvironment& env, SyncDialogDriver& driver, SyncWorker& worker) {
    if (!env.checkSensorsRegistered)
        env.checkSensorsRegistered = [&env] { CheckProjectSensorsRegistered(env); };
    CurrentState& state = env.doc.m_rCurState;
    worker.Open();
    const int result = driver.Run(worker);
    // Where the run ended: a download still in its records, or in the Em50's.
    const bool download = worker.CurrentStage() == SyncWorker::Stage::Records;
    const bool em50 = worker.CurrentStage() == SyncWorker::Stage::Em50;

    bool usable = false;
    switch (result) {
        case SyncWorker::kResultDone:
            usable = ApplyDone(env, worker);
            break;
        case SyncWorker::kResultCancelled:
            if (download) {
                env.commands.QueryRecordState();
                usable = true;
            } else if (em50) {
                usable = true;
            } else {
                state.synchronized = false;
            }
            break;
        default:
            if (result == SyncWorker::kResultNoProject) {
                env.op.Tell(ids::kNoInstrumentProject,
                            std::string(StringTable::Get(ids::kNoInstrumentProject)),
                            MessageIcon::Stop);
            }
            if (!worker.RejectedProjectName().empty()) {
                env.op.Tell(ids::kInvalidInstrumentName,
                            StringTable::FormatInsert(ids::kInvalidInstrumentName,
                                                      Printable(worker.RejectedProjectName())),
                            MessageIcon::Stop);
            } else if (worker.FileError() != 0) {
                ProjectLibrary(env.doc, env.op)
                    .ShowFileError(worker.FileError(), worker.FileErrorPath());
            }
            if (download)
                env.commands.QueryRecordState();
            else
                state.synchronized = false;
            break;
    }

    if (worker.ModeBefore() == kModeStart && worker.ModeNow() != kModeStart)
        env.commands.SetMode(kModeStart);
    state.uploadPending = false;
    return usable;
}

}  // namespace vg28
