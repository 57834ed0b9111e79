#include "sync/SyncWorker.h"

#include <utility>

#include "base/DebugLog.h"
#include "platform/Clock.h"
#include "project/CProjectDoc.h"
#include "project/MeasurementRecord.h"
#include "protocol/InstrumentCommands.h"

namespace vg28 {

namespace {

constexpr int kOpeningDelayTicks = 15;
// The progress units a run starts with, by its job: the parameter and sensor stages together
// (an Em50 download of its own starts with as many), the sensor stage alone; a download counts
// the records the selection announced.
constexpr int kFullBudget = 94;
constexpr int kSensorsBudget = 26;

constexpr const char* kSummaryText = "Проекты отличаются.\nИспользовать данные из...";

SyncWorker::Stage FirstStage(SyncJob job) {
    switch (job) {
        case SyncJob::Full:
            return SyncWorker::Stage::Parameters;
        case SyncJob::Sensors:
            return SyncWorker::Stage::Sensors;
        case SyncJob::Download:
            return SyncWorker::Stage::Records;
        case SyncJob::Em50:
            break;
    }
    return SyncWorker::Stage::Em50;
}

}  // namespace

SyncWorker::SyncWorker(SyncEnvironment& env, SyncJob job) : m_run(env), m_stage(FirstStage(job)) {}

void SyncWorker::Open() {
    SyncEnvironment& env = m_run.env;
    CurrentState& state = env.doc.m_rCurState;
    const bool download = m_stage == Stage::Records || m_stage == Stage::Em50;
    if (!download) {
        int mode = kModeStart;
        if (!env.commands.QueryMode(mode)) mode = kModeStart;
        m_run.modeBefore = mode;
        m_run.modeNow = mode;
        if (mode != kModeManual && state.uploadPending && env.commands.SetMode(kModeManual))
            m_run.modeNow = kModeManual;
        // The record download starts at once: its lines are already on the way, and a
        // keep-alive would take one of them for its answer.
        m_run.delayTicks = kOpeningDelayTicks;
    }
    m_startMs = env.clock.MonotonicMs();
    m_run.working = env.doc.setup;
    switch (m_stage) {
        case Stage::Parameters:
            m_run.budget = kFullBudget;
            m_run.pcWinsParameters = state.uploadPending;
            break;
        case Stage::Sensors:
            m_run.budget = kSensorsBudget;
            m_run.pcWinsSensors = state.uploadPending;
            break;
        case Stage::Records:
            m_caption = "Закачка записей";
            m_run.budget = state.downloadCount;
            m_records.Open();
            break;
        case Stage::Em50:
            m_run.budget = kFullBudget;
            break;
    }
    m_run.progress = 0;
}

void SyncWorker::Close(int result) {
    if (m_closed) return;
    m_result = result;
    m_closed = true;
}

int SyncWorker::VisibleButtons() const {
    if (m_run.choice == kChoiceSummary)
        return kButtonCancel | kButtonDetails | kButtonInstrument | kButtonPc;
    if (m_run.choice == kChoiceQuestion) return kButtonCancel | m_buttonSet;
    return kButtonCancel;
}

void SyncWorker::KeepAlive() {
    m_run.env.commands.ModemPing();
}

void SyncWorker::Ask(const std::string& text, int buttonSet) {
    ++m_questions;
    m_questionText = text;
    m_buttonSet = buttonSet;
    if (m_firstQuestion) {
        // One answer to the summary settles every difference of the stage.
        m_firstQuestion = false;
        m_shownText = kSummaryText;
        m_run.choice = kChoiceSummary;
    } else {
        m_shownText = text;
        m_run.choice = kChoiceQuestion;
    }
}

void SyncWorker::Press(Button button) {
    if (m_closed) return;
    if (button == kButtonCancel) {
        Close(m_result);
        return;
    }
    if (!QuestionVisible()) return;
    if (button == kButtonDetails) {
        m_shownText = m_questionText;
        m_run.choice = kChoiceQuestion;
        return;
    }
    const bool summary = m_run.choice == kChoiceSummary;
    const bool parameterStage = m_stage == Stage::Parameters;
    if (button == kButtonInstrument && summary) button = kButtonInstrumentAll;
    if (button == kButtonPc && summary) button = kButtonPcAll;
    switch (button) {
        case kButtonInstrument:
            m_run.choice = kChoiceInstrument;
            m_run.applyToDocument = true;
            break;
        case kButtonPc:
            m_run.choice = kChoicePc;
            AnswerPc();
            break;
        case kButtonInstrumentAll:
            m_run.choice = kChoiceInstrumentAll;
            (parameterStage ? m_run.instrumentWinsParameters : m_run.instrumentWinsSensors) = true;
            m_run.applyToDocument = true;
            break;
        case kButtonPcAll:
            m_run.choice = kChoicePcAll;
            (parameterStage ? m_run.pcWinsParameters : m_run.pcWinsSensors) = true;
            AnswerPc();
            break;
        default:
            return;
    }
    m_shownText.clear();
}

void SyncWorker::AnswerPc() {
    // The instrument's project is about to change: stop recording into it first.
    if (m_run.modeBefore == kModeStart && m_run.modeNow == kModeStart) {
        if (m_run.env.commands.SetMode(kModeManual)) m_run.modeNow = kModeManual;
        m_run.delayTicks = SyncRun::kReconfigureTicks;
    }
}

void SyncWorker::Tick() {
    if (m_closed) return;
    const long long elapsedSeconds = (m_run.env.clock.MonotonicMs() - m_startMs) / 1000;
    if (elapsedSeconds >=
        static_cast<long long>(kSecondsPerUnit) * m_run.budget + m_records.ExtraSeconds()) {
        DebugLog("SYNCRES_TIMEOUT");
        Close(kResultTimeout);
        return;
    }
    if (QuestionVisible()) {
        KeepAlive();
        return;
    }
    if (m_run.delayTicks > 0) {
        --m_run.delayTicks;
        if (m_run.delayTicks % 5 == 0) KeepAlive();
        return;
    }
    RunStage();
    TakeStageRequests();
    // A single answer applies to one question only.
    if (!QuestionVisible()) m_run.choice = kChoiceNone;
}

void SyncWorker::RunStage() {
    switch (m_stage) {
        case Stage::Parameters:
            if (m_parameters.Tick()) BeginSensorStage();
            break;
        case Stage::Sensors:
            m_sensors.Tick();
            break;
        case Stage::Records:
            if (m_records.Tick()) BeginEm50Stage();
            break;
        case Stage::Em50:
            m_em50.Tick();
            break;
    }
}

// The parameter stage's decisions for all carry over to the sensor stage.
void SyncWorker::BeginSensorStage() {
    m_stage = Stage::Sensors;
    m_run.env.doc.m_rCurState.step = 3;
    m_run.instrumentWinsSensors = m_run.instrumentWinsParameters;
    m_run.pcWinsSensors = m_run.pcWinsParameters;
    m_run.wroteToInstrument = false;
}

void SyncWorker::BeginEm50Stage() {
    m_stage = Stage::Em50;
    m_run.env.doc.m_rCurState.step = 9;
    m_run.budget += 1;
}

void SyncWorker::TakeStageRequests() {
    if (m_run.endResult) Close(*std::exchange(m_run.endResult, std::nullopt));
    if (m_run.question) {
        const SyncRun::Question question = *std::exchange(m_run.question, std::nullopt);
        Ask(question.text, question.buttonSet);
    }
}

}  // namespace vg28
