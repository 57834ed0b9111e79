#pragma once
// The worker behind the "Синхронизация" dialog: compares and reconciles the instrument's project
// with the PC's (name, configuration time, flags, period, the sensors of inputs S1-S17), and
// runs the record download and the Em50 download. It is driven one step per Tick() (the
// dialog's 200 ms timer), takes the operator's button presses and exposes what the dialog
// shows; it never shows a window itself.
//
// The worker works on the environment it is given and on a working copy of the project setup;
// the caller (RunSynchronization) applies the outcome by Result(). Failed exchanges are retried
// on the next tick and bounded by the time budget; nothing throws.

#include <array>
#include <string>

#include "project/ProjectSetup.h"
#include "sensors/SensorDatabase.h"
#include "sensors/SensorRecord.h"
#include "sync/Em50Protocol.h"
#include "sync/SyncEnvironment.h"

namespace vg28 {

class SyncWorker {
public:
    enum ResultCode : int {
        kResultTimeout = 0,
        kResultFailed = 1,
        kResultCancelled = 2,
        kResultDone = 3,
        kResultNoProject = 4,
    };
    // Buttons of the dialog; the answer buttons are the bits of the question's button set.
    enum Button : int {
        kButtonCancel = 1,
        kButtonInstrument = 2,     // "VG-28"
        kButtonPc = 4,             // "PC"
        kButtonInstrumentAll = 8,  // "VG-28 для всех"
        kButtonPcAll = 16,         // "PC для всех"
        kButtonDetails = 32,       // "Подробнее"
    };
    enum Choice : int {
        kChoiceNone = 0,
        kChoiceQuestion = 1,
        kChoiceSummary = 2,
        kChoiceInstrument = 3,
        kChoicePc = 4,
        kChoiceInstrumentAll = 5,
        kChoicePcAll = 6,
    };
    static constexpr int kTickMs = 200;
    static constexpr int kSecondsPerUnit = 4;

    explicit SyncWorker(SyncEnvironment& env);

    // The opening: instrument mode, MANUAL for an upload, budget and working copy by the live
    // step.
    void Open();
    // One timer tick.
    void Tick();
    // A button press (any of Button).
    void Press(Button button);
    // Ends the run with the given result (the dialog's cancel, a driver's refusal).
    void Close(int result);

    bool IsClosed() const { return m_closed; }
    int Result() const { return m_result; }

    // What the dialog shows. Texts are UTF-8.
    const std::string& Caption() const { return m_caption; }
    int ProgressRange() const { return m_budget; }
    int ProgressPosition() const { return m_progress; }
    bool ProgressVisible() const { return !QuestionVisible(); }
    bool QuestionVisible() const {
        return m_choice == kChoiceQuestion || m_choice == kChoiceSummary;
    }
    const std::string& QuestionText() const { return m_shownText; }
    // The buttons shown besides "Отменить" (bits of Button).
    int VisibleButtons() const;

    // The outcome, for the closing.
    int ModeBefore() const { return m_modeBefore; }
    int ModeNow() const { return m_modeNow; }
    bool InstrumentWinsParameters() const { return m_instrumentWinsParameters; }
    bool ApplyToDocument() const { return m_applyToDocument; }
    bool DatabaseChanged() const { return m_databaseChanged; }
    const ProjectSetup& WorkingCopy() const { return m_working; }
    // The sensor database as the run left it; it replaces the real one only on success.
    const SensorDatabase& WorkingDatabase() const { return m_database; }
    // Set by the closing when the changed database could not be written: the sensors the run
    // brought were not added after all.
    void NoteDatabaseNotSaved() { m_databaseNotSaved = true; }
    bool DatabaseNotSaved() const { return m_databaseNotSaved; }
    // A project file of the instrument's project name that exists but would not load: the run
    // failed rather than overwrite it (file operation code and path).
    int FileError() const { return m_fileError; }
    const std::string& FileErrorPath() const { return m_fileErrorPath; }
    // The instrument's project name (UTF-8) when it cannot be a file name: the run failed on it.
    const std::string& RejectedProjectName() const { return m_rejectedName; }
    int RecordsDownloaded() const { return m_recordsAdded; }
    int Em50RecordsFetched() const { return m_em50Fetched; }
    int SensorsAdded() const { return m_sensorsAdded; }
    // Questions shown in this run.
    int QuestionCount() const { return m_questions; }

private:
    struct Sides {
        bool instrument;
        bool pc;
    };
    // How a step of the parameter stage ended.
    enum class Outcome { Advance, Retry, Question, Closed };

    void KeepAlive();
    bool Answered() const { return m_choice >= kChoiceInstrument; }
    Sides ParameterSides() const;
    Sides SensorSides() const;
    void Ask(const std::string& text, int buttonSet);
    void AnswerPc();

    void ParameterStep();
    Outcome ProjectNameStep(std::string& question, int& buttonSet);
    Outcome TakeInstrumentProject();
    Outcome ConfigTimeStep();
    Outcome FlagsStep(std::string& question);
    bool WriteExactTimeKeepingEm50(bool instrumentEm50);
    Outcome PeriodStep(std::string& question);
    void SensorStep();
    void DownloadStep();
    bool TakeRecordLine(const std::string& line);
    int MissingFromSelection() const;
    void SelectRecords(const TimeStamp& from);
    void FinishDownload();
    void Em50Step();

    SyncEnvironment& m_env;
    Em50Protocol m_em50;

    int m_result = kResultCancelled;
    bool m_closed = false;
    int m_modeBefore = 0;
    int m_modeNow = 0;
    int m_delayTicks = 0;
    long long m_startMs = 0;
    int m_budget = 0;
    int m_progress = 0;
    int m_stepIndex = 0;
    int m_choice = kChoiceNone;
    bool m_instrumentWinsParameters = false;
    bool m_pcWinsParameters = false;
    bool m_instrumentWinsSensors = false;
    bool m_pcWinsSensors = false;
    bool m_applyToDocument = false;
    bool m_databaseChanged = false;
    bool m_databaseNotSaved = false;
    bool m_wroteToInstrument = false;
    bool m_nameConflictPending = false;
    bool m_firstQuestion = true;
    int m_buttonSet = 0;
    std::string m_questionText;
    std::string m_shownText;
    std::string m_instrumentName;  // UTF-8, converted from the wire's CP1251
    ProjectSetup m_working{};
    SensorRecord m_instrumentSensor{};
    std::string m_caption = "Синхронизация";
    std::string m_rejectedName;
    SensorDatabase m_database;
    int m_fileError = 0;
    std::string m_fileErrorPath;

    // Record download. The instrument sends every record from the selection's start in one
    // burst and says how many: a record whose line was lost leaves the project short of that
    // count, and the selection is asked for again once the line has been quiet for a while (a
    // selection queues behind the burst still on its way). Records already here are skipped,
    // so repeats and late lines are taken once. The answer of a selection may also come late,
    // among the record lines.
    TimeStamp m_selectionFrom{};
    int m_selectionCount = -1;
    long long m_lastLineMs = 0;
    int m_fruitlessRefills = 0;
    long long m_refillSeconds = 0;
    int m_counted = 0;
    int m_recordsAdded = 0;

    // Em50 download.
    Em50Protocol::Ports m_ports{};
    bool m_em50Started = false;
    int m_em50Remaining = 0;
    int m_em50Attempt = 0;
    int m_em50Failures = 0;
    int m_em50Fetched = 0;

    int m_sensorsAdded = 0;
    int m_questions = 0;
};

}  // namespace vg28
