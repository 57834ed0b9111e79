#pragma once
// The worker behind the "Синхронизация" dialog: compares and reconciles the instrument's project
// with the PC's (name, configuration time, flags, period, the sensors of inputs S1-S17), and
// runs the record download and the Em50 download. It is driven one step per Tick() (the
// dialog's 200 ms timer), takes the operator's button presses and exposes what the dialog
// shows; it never shows a window itself.
//
// The worker keeps what the dialog sees (caption, progress, the question and its buttons, the
// result) and the time budget, and drives one class per stage over the run state they share
// (SyncRun): ParameterStage, SensorStage, RecordDownload, Em50Download. It works on the
// environment it is given and on a working copy of the project setup; the caller
// (RunSynchronization) applies the outcome by Result(). Failed exchanges are retried on the next
// tick and bounded by the time budget; nothing throws.

#include <string>

#include "project/ProjectSetup.h"
#include "sensors/SensorDatabase.h"
#include "session/SyncJob.h"
#include "sync/Em50Download.h"
#include "sync/ParameterStage.h"
#include "sync/RecordDownload.h"
#include "sync/SensorStage.h"
#include "sync/SyncCodes.h"
#include "sync/SyncEnvironment.h"
#include "sync/SyncRun.h"

namespace vg28 {

class SyncWorker : public SyncCodes {
public:
    static constexpr int kTickMs = 200;
    static constexpr int kSecondsPerUnit = 4;

    // The stage a run is in: a full synchronization moves from the parameters to the sensors, a
    // download from the records to the Em50's. The live state's step follows (3 and 9).
    enum class Stage { Parameters, Sensors, Records, Em50 };

    SyncWorker(SyncEnvironment& env, SyncJob job);

    // The opening: instrument mode, MANUAL for an upload, budget and working copy by the job.
    void Open();
    // One timer tick.
    void Tick();
    // A button press (any of Button).
    void Press(Button button);
    // Ends the run with the given result (the dialog's cancel, a driver's refusal).
    void Close(int result);

    bool IsClosed() const { return m_closed; }
    int Result() const { return m_result; }
    Stage CurrentStage() const { return m_stage; }

    // What the dialog shows. Texts are UTF-8.
    const std::string& Caption() const { return m_caption; }
    int ProgressRange() const { return m_run.budget; }
    int ProgressPosition() const { return m_run.progress; }
    bool ProgressVisible() const { return !QuestionVisible(); }
    bool QuestionVisible() const {
        return m_run.choice == kChoiceQuestion || m_run.choice == kChoiceSummary;
    }
    const std::string& QuestionText() const { return m_shownText; }
    // The buttons shown besides "Отменить" (bits of Button).
    int VisibleButtons() const;

    // The outcome, for the closing.
    int ModeBefore() const { return m_run.modeBefore; }
    int ModeNow() const { return m_run.modeNow; }
    bool InstrumentWinsParameters() const { return m_run.instrumentWinsParameters; }
    bool ApplyToDocument() const { return m_run.applyToDocument; }
    bool DatabaseChanged() const { return m_run.databaseChanged; }
    const ProjectSetup& WorkingCopy() const { return m_run.working; }
    // The sensor database as the run left it; it replaces the real one only on success.
    const SensorDatabase& WorkingDatabase() const { return m_run.database; }
    // Set by the closing when the changed database could not be written: the sensors the run
    // brought were not added after all.
    void NoteDatabaseNotSaved() { m_databaseNotSaved = true; }
    bool DatabaseNotSaved() const { return m_databaseNotSaved; }
    // A project file of the instrument's project name that exists but would not load: the run
    // failed rather than overwrite it (file operation code and path).
    int FileError() const { return m_run.fileError; }
    const std::string& FileErrorPath() const { return m_run.fileErrorPath; }
    // The instrument's project name (UTF-8) when it cannot be a file name: the run failed on it.
    const std::string& RejectedProjectName() const { return m_run.rejectedName; }
    int RecordsDownloaded() const { return m_run.recordsAdded; }
    int Em50RecordsFetched() const { return m_run.em50Fetched; }
    int SensorsAdded() const { return m_run.sensorsAdded; }
    // Questions shown in this run.
    int QuestionCount() const { return m_questions; }

private:
    void KeepAlive();
    void RunStage();
    void BeginSensorStage();
    void BeginEm50Stage();
    void TakeStageRequests();
    void Ask(const std::string& text, int buttonSet);
    void AnswerPc();

    SyncRun m_run;
    Stage m_stage;
    ParameterStage m_parameters{m_run};
    SensorStage m_sensors{m_run};
    RecordDownload m_records{m_run};
    Em50Download m_em50{m_run};

    int m_result = kResultCancelled;
    bool m_closed = false;
    long long m_startMs = 0;
    std::string m_caption = "Синхронизация";
    bool m_firstQuestion = true;
    int m_buttonSet = 0;
    std::string m_questionText;
    std::string m_shownText;
    int m_questions = 0;
    bool m_databaseNotSaved = false;
};

}  // namespace vg28
