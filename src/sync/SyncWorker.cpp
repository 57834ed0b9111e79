#include "sync/SyncWorker.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/DebugLog.h"
#include "platform/CivilTime.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/DocObserver.h"
#include "project/ProjectLibrary.h"
#include "protocol/InstrumentCommands.h"
#include "sensors/SensorFormat.h"

namespace vg28 {

namespace {

constexpr int kModeInit = 0;
constexpr int kModeManual = 1;
constexpr int kModeStart = 2;

constexpr int kParameterSteps = 4;
constexpr int kSensorInputs = 17;
constexpr int kOpeningDelayTicks = 15;
constexpr int kReconfigureTicks = 65;  // 13 s for the instrument to take a changed project
constexpr int kInitWaitTicks = 5;
constexpr int kEm50MaxFailures = 5;
// Record download: quiet time before a short selection is asked for again, the time each
// such selection adds to the run's allowance, and how many may bring nothing.
constexpr long long kQuietMs = 5000;
constexpr long long kRefillSeconds = 15;
constexpr int kMaxFruitlessRefills = 3;
constexpr int kCountUnknown = -1;    // the selection's answer did not arrive
constexpr int kCountAbandoned = -2;  // the records it announced are not coming

constexpr const char* kSummaryText = "Проекты отличаются.\nИспользовать данные из...";
constexpr const char* kNameQuestion =
    "Названия проектов отличаются:\nVG-28\t- %s\nPC\t- %s\nИспользовать данные из...";
constexpr const char* kParameterQuestion =
    "Параметры проекта отличаются:\nVG-28\t- %s\nPC\t- %s\nИспользовать данные из...";
constexpr const char* kSensorListQuestion =
    "Списки датчиков отличаются:\nVG-28\t- вход S%d: \"%s\"\nPC\t- вход S%d: \"%s\"\n"
    "Использовать данные из...";
constexpr const char* kSensorQuestion =
    "Характеристики датчика \"%s\" отличаются.\nVG-28\t- %s\nPC\t- %s\nИспользовать данные из...";

std::string Format(const char* format, const std::string& a, const std::string& b) {
    char buffer[4096];
    std::snprintf(buffer, sizeof buffer, format, a.c_str(), b.c_str());
    return buffer;
}

std::string Utf8(std::string_view cp1251) {
    return TextCodec::Cp1251ToUtf8(cp1251);
}

// A channel without a sensor: empty or "Plug and Play".
bool IsFreeId(std::string_view id) {
    return id.empty() || StartsWith(id, kPlugAndPlay);
}

bool SameTime(const TimeStamp& a, const TimeStamp& b) {
    return a.DateWord() == b.DateWord() && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

bool IsForcedInput(int i) {
    return i == 9 || i == 10 || (i >= 12 && i <= 16);
}

// Soil-probe IDs that combine all three parts are not compared (no ordinary ID does).
bool IsExemptFromComparison(std::string_view id) {
    return id.find("KWS/SMTE") != std::string_view::npos &&
           id.find("/BEC") != std::string_view::npos && id.find("/PEC") != std::string_view::npos;
}

std::string MethodText(int method) {
    return method == kMethodComp ? "Zeroing" : "Normal";
}

// The first characteristic in which the instrument's sensor differs from the database's, as
// the two value texts of the question; false when they agree.
bool FirstDifference(const SensorRecord& instrument, const SensorRecord& pc, std::string& mine,
                     std::string& theirs) {
    char a[512];
    char b[512];
    const auto text = [&](const char* format, const std::string& x, const std::string& y) {
        std::snprintf(a, sizeof a, format, x.c_str());
        std::snprintf(b, sizeof b, format, y.c_str());
        mine = a;
        theirs = b;
        return true;
    };
    if (TextOf(instrument.description) != TextOf(pc.description))
        return text("Description: %s", Utf8(TextOf(instrument.description)),
                    Utf8(TextOf(pc.description)));
    if (TextOf(instrument.units) != TextOf(pc.units))
        return text("Units: %s", Utf8(TextOf(instrument.units)), Utf8(TextOf(pc.units)));
    if (instrument.precision != pc.precision)
        return text("Precision: %s", std::to_string(instrument.precision),
                    std::to_string(pc.precision));
    if (instrument.minimum != pc.minimum)
        return text("Minimum: %s", FormatValue(instrument.minimum, instrument.precision, true),
                    FormatValue(pc.minimum, pc.precision, true));
    if (instrument.maximum != pc.maximum)
        return text("Maximum: %s", FormatValue(instrument.maximum, instrument.precision, true),
                    FormatValue(pc.maximum, pc.precision, true));
    if (instrument.method != pc.method)
        return text("Measurement type: %s", MethodText(instrument.method), MethodText(pc.method));
    if (instrument.maxOutput != pc.maxOutput)
        return text("Max Volts: %s", FormatValue(instrument.maxOutput, 1, true),
                    FormatValue(pc.maxOutput, 1, true));
    for (int c = 0; c < 6; ++c) {
        if (instrument.coefficients[c] != pc.coefficients[c]) {
            const std::string label = "Coefficient " + std::to_string(c) + ": %s";
            return text(label.c_str(), FormatValue(instrument.coefficients[c], 5, true),
                        FormatValue(pc.coefficients[c], 5, true));
        }
    }
    return false;
}

}  // namespace

SyncWorker::SyncWorker(SyncEnvironment& env)
    : m_env(env), m_em50(env.commands, env.doc), m_database(env.sensors) {}

void SyncWorker::Open() {
    CurrentState& state = m_env.doc.m_rCurState;
    const int step = state.step;
    const bool download = step == 4 || step == 5 || step == 9;
    if (!download) {
        int mode = kModeStart;
        if (!m_env.commands.QueryMode(mode)) mode = kModeStart;
        m_modeBefore = mode;
        m_modeNow = mode;
        if (mode != kModeManual && state.uploadPending && m_env.commands.SetMode(kModeManual))
            m_modeNow = kModeManual;
        // The record download starts at once: its lines are already on the way, and a
        // keep-alive would take one of them for its answer.
        m_delayTicks = kOpeningDelayTicks;
    }
    m_startMs = m_env.clock.MonotonicMs();
    m_working = m_env.doc.setup;
    if (step == 3) {
        m_budget = 26;
        m_pcWinsSensors = state.uploadPending;
    } else if (step == 4 || step == 5) {
        m_caption = "Закачка записей";
        m_budget = state.downloadCount;
        // The session selected the records before the worker started.
        m_selectionFrom = m_env.doc.NextDownloadFrom();
        m_selectionCount = state.downloadCount;
        m_lastLineMs = m_env.clock.MonotonicMs();
    } else {
        m_budget = 94;
        m_pcWinsParameters = state.uploadPending;
    }
    m_progress = 0;
}

void SyncWorker::Close(int result) {
    if (m_closed) return;
    m_result = result;
    m_closed = true;
}

int SyncWorker::VisibleButtons() const {
    if (m_choice == kChoiceSummary)
        return kButtonCancel | kButtonDetails | kButtonInstrument | kButtonPc;
    if (m_choice == kChoiceQuestion) return kButtonCancel | m_buttonSet;
    return kButtonCancel;
}

void SyncWorker::KeepAlive() {
    m_env.commands.ModemPing();
}

SyncWorker::Sides SyncWorker::ParameterSides() const {
    return {m_instrumentWinsParameters || m_choice == kChoiceInstrument ||
                m_choice == kChoiceInstrumentAll,
            m_pcWinsParameters || m_choice == kChoicePc || m_choice == kChoicePcAll};
}

SyncWorker::Sides SyncWorker::SensorSides() const {
    return {m_instrumentWinsSensors || m_choice == kChoiceInstrument ||
                m_choice == kChoiceInstrumentAll,
            m_pcWinsSensors || m_choice == kChoicePc || m_choice == kChoicePcAll};
}

void SyncWorker::Ask(const std::string& text, int buttonSet) {
    ++m_questions;
    m_questionText = text;
    m_buttonSet = buttonSet;
    if (m_firstQuestion) {
        // One answer to the summary settles every difference of the stage.
        m_firstQuestion = false;
        m_shownText = kSummaryText;
        m_choice = kChoiceSummary;
    } else {
        m_shownText = text;
        m_choice = kChoiceQuestion;
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
        m_choice = kChoiceQuestion;
        return;
    }
    const bool summary = m_choice == kChoiceSummary;
    const bool parameterStage = m_env.doc.m_rCurState.step == 2;
    if (button == kButtonInstrument && summary) button = kButtonInstrumentAll;
    if (button == kButtonPc && summary) button = kButtonPcAll;
    switch (button) {
        case kButtonInstrument:
            m_choice = kChoiceInstrument;
            m_applyToDocument = true;
            break;
        case kButtonPc:
            m_choice = kChoicePc;
            AnswerPc();
            break;
        case kButtonInstrumentAll:
            m_choice = kChoiceInstrumentAll;
            (parameterStage ? m_instrumentWinsParameters : m_instrumentWinsSensors) = true;
            m_applyToDocument = true;
            break;
        case kButtonPcAll:
            m_choice = kChoicePcAll;
            (parameterStage ? m_pcWinsParameters : m_pcWinsSensors) = true;
            AnswerPc();
            break;
        default:
            return;
    }
    m_nameConflictPending = false;
    m_shownText.clear();
}

void SyncWorker::AnswerPc() {
    // The instrument's project is about to change: stop recording into it first.
    if (m_modeBefore == kModeStart && m_modeNow == kModeStart) {
        if (m_env.commands.SetMode(kModeManual)) m_modeNow = kModeManual;
        m_delayTicks = kReconfigureTicks;
    }
}

void SyncWorker::Tick() {
    if (m_closed) return;
    const long long elapsedSeconds = (m_env.clock.MonotonicMs() - m_startMs) / 1000;
    if (elapsedSeconds >= static_cast<long long>(kSecondsPerUnit) * m_budget + m_refillSeconds) {
        DebugLog("SYNCRES_TIMEOUT");
        Close(kResultTimeout);
        return;
    }
    if (QuestionVisible()) {
        KeepAlive();
        return;
    }
    if (m_delayTicks > 0) {
        --m_delayTicks;
        if (m_delayTicks % 5 == 0) KeepAlive();
        return;
    }
    switch (m_env.doc.m_rCurState.step) {
        case 2:
            ParameterStep();
            break;
        case 3:
            SensorStep();
            break;
        case 4:
        case 5:
            DownloadStep();
            break;
        case 9:
            Em50Step();
            break;
        default:
            Close(kResultFailed);
            break;
    }
    // A single answer applies to one question only.
    if (!QuestionVisible()) m_choice = kChoiceNone;
}

// --- parameter stage -------------------------------------------------------------------------

void SyncWorker::ParameterStep() {
    if (!m_env.doc.m_rCurState.connected) {
        Close(kResultFailed);
        return;
    }
    std::string question;
    int buttonSet = kButtonInstrument | kButtonPc | kButtonInstrumentAll | kButtonPcAll;
    Outcome outcome = Outcome::Advance;
    switch (m_stepIndex) {
        case 0:
            outcome = ProjectNameStep(question, buttonSet);
            break;
        case 1:
            outcome = ConfigTimeStep();
            break;
        case 2:
            outcome = FlagsStep(question);
            break;
        default:
            outcome = PeriodStep(question);
            break;
    }
    if (outcome == Outcome::Question) {
        Ask(question, buttonSet);
        return;
    }
    if (outcome != Outcome::Advance) return;
    ++m_stepIndex;
    m_progress = m_stepIndex % (m_budget + 1);
    if (m_stepIndex >= kParameterSteps) {
        m_env.doc.m_rCurState.step = 3;
        m_stepIndex = 0;
        m_instrumentWinsSensors = m_instrumentWinsParameters;
        m_pcWinsSensors = m_pcWinsParameters;
        m_wroteToInstrument = false;
    }
}

SyncWorker::Outcome SyncWorker::ProjectNameStep(std::string& question, int& buttonSet) {
    InstrumentCommands& commands = m_env.commands;
    CProjectDoc& doc = m_env.doc;
    if (!Answered()) {
        std::string name;
        if (!commands.QueryProjectId(name)) return Outcome::Retry;
        m_instrumentName = name;
    }
    const Sides sides = ParameterSides();
    const std::string pcName = doc.ProjectName();
    if (sides.pc) {
        if (m_instrumentName != pcName) {
            // The logger's records handed out so far stay downloaded for the old project.
            if (doc.setup.em50 && m_em50.Em50Present()) m_em50.CommitEm50();
            commands.ClearProject();
            if (!commands.SetProjectId(pcName)) return Outcome::Retry;
            if (commands.SetMode(kModeInit)) m_modeNow = kModeInit;
            m_wroteToInstrument = true;
        }
        return Outcome::Advance;
    }
    if (doc.HasProject()) {
        if (TextCase::Equal(m_instrumentName, pcName)) return Outcome::Advance;
        if (!sides.instrument) {
            if (m_instrumentName.empty()) {
                m_pcWinsParameters = true;  // written from the next tick on
                return Outcome::Retry;
            }
            question = Format(kNameQuestion, m_instrumentName, pcName);
            buttonSet = kButtonInstrument | kButtonPc;
            m_nameConflictPending = true;
            return Outcome::Question;
        }
    } else if (m_instrumentName.empty()) {
        Close(kResultNoProject);
        return Outcome::Closed;
    }
    return TakeInstrumentProject();
}

SyncWorker::Outcome SyncWorker::TakeInstrumentProject() {
    CProjectDoc& doc = m_env.doc;
    // The name becomes a file name in the program folder: anything but a plain file name could
    // open or overwrite a file elsewhere.
    const std::size_t first = m_instrumentName.find_first_not_of(" \t");
    if (first == std::string::npos || !ProjectLibrary::IsValidProjectName(m_instrumentName)) {
        DebugLog("Sync: invalid project name of the instrument");
        m_rejectedName = m_instrumentName;
        Close(kResultFailed);
        return Outcome::Closed;
    }
    const std::string path = doc.ProjectFilePath(m_instrumentName);
    struct stat info {};
    const bool exists = ::lstat(path.c_str(), &info) == 0;
    doc.ResetProject();
    const int code = doc.LoadProject(path);
    if (code != kFileOk) {
        if (exists) {
            // A file of that name that does not load is not ours to overwrite.
            m_fileError = code;
            m_fileErrorPath = path;
            doc.UpdateAllViews(kHintAll);
            Close(kResultFailed);
            return Outcome::Closed;
        }
        doc.ResetProject();
        doc.SetPathName(path);
        m_instrumentWinsParameters = true;
    } else if (m_env.checkSensorsRegistered) {
        m_env.checkSensorsRegistered();
    }
    m_working = doc.setup;
    doc.UpdateAllViews(kHintAll);
    return Outcome::Advance;
}

SyncWorker::Outcome SyncWorker::ConfigTimeStep() {
    const Sides sides = ParameterSides();
    if (sides.pc) return Outcome::Advance;
    TimeStamp instrument{};
    bool read = false;
    for (int attempt = 0; attempt < 3 && !read; ++attempt)
        read = m_env.commands.QueryConfigTime(instrument);
    if (!read) return Outcome::Advance;
    const TimeStamp& project = m_env.doc.setup.configTime;
    DebugLog("Config time: d:%04d-%02d-%02d %02d:%02d:%02d; f:%04d-%02d-%02d %02d:%02d:%02d",
             instrument.year, instrument.month, instrument.day, instrument.hour, instrument.minute,
             instrument.second, project.year, project.month, project.day, project.hour,
             project.minute, project.second);
    if (sides.instrument || !SameTime(instrument, project)) {
        m_working.configTime = instrument;
        m_applyToDocument = true;
        DebugLog("Config time different");
        return Outcome::Advance;
    }
    // Same configuration on both sides: nothing else to compare.
    Close(kResultDone);
    return Outcome::Closed;
}

SyncWorker::Outcome SyncWorker::FlagsStep(std::string& question) {
    CProjectDoc& doc = m_env.doc;
    const Sides sides = ParameterSides();
    bool pcWins = sides.pc;
    if (!Answered() && !sides.pc) {
        bool exact = false;
        bool em50 = m_working.em50 != 0;
        if (!m_env.commands.QueryProjectFlags(exact, em50)) return Outcome::Retry;
        m_working.exactTime = exact ? 1 : 0;
        m_working.em50 = em50 ? 1 : 0;
        if (!sides.instrument) {
            const bool forceExactTime =
                !m_env.instrumentReadOnly && (!exact || exact != (doc.setup.exactTime != 0));
            if (forceExactTime) {
                doc.setup.exactTime = 1;
                pcWins = true;
            }
            if (doc.m_rCurState.firmwareVersion >= InstrumentCommands::kEm50Firmware &&
                em50 != (doc.setup.em50 != 0)) {
                if (forceExactTime && !WriteExactTimeKeepingEm50(em50)) return Outcome::Retry;
                const auto side = [](bool on) {
                    return std::string("Em50 ") + (on ? "on" : "off");
                };
                question = Format(kParameterQuestion, side(em50), side(doc.setup.em50 != 0));
                return Outcome::Question;
            }
        }
    }
    if (pcWins) {
        m_working = doc.setup;
        if (!m_env.commands.SetProjectFlags(m_working.exactTime != 0, m_working.em50 != 0))
            return Outcome::Retry;
        m_wroteToInstrument = true;
    }
    return Outcome::Advance;
}

// The exact-time flag is the PC's whatever the answer to the Em50 question: it is written before
// the question, with the instrument's own Em50 flag, so that the answer still decides that one.
bool SyncWorker::WriteExactTimeKeepingEm50(bool instrumentEm50) {
    if (!m_env.commands.SetProjectFlags(true, instrumentEm50)) return false;
    m_working.exactTime = 1;
    m_wroteToInstrument = true;
    return true;
}

SyncWorker::Outcome SyncWorker::PeriodStep(std::string& question) {
    CProjectDoc& doc = m_env.doc;
    const Sides sides = ParameterSides();
    if (sides.pc) {
        m_working = doc.setup;
        if (!m_env.commands.SetPeriod(0, m_working.period)) return Outcome::Retry;
        if (doc.setup.em50 && m_em50.Em50Present()) m_em50.SetEm50Interval(m_working.period / 60);
        m_wroteToInstrument = true;
        return Outcome::Advance;
    }
    if (!Answered()) {
        int reserved = 0;
        int seconds = 0;
        if (!m_env.commands.QueryPeriod(0, reserved, seconds)) return Outcome::Retry;
        m_working.period = seconds;
        if (!sides.instrument && (reserved != 0 || seconds != doc.setup.period)) {
            const auto side = [](int period) {
                return "Measurement time interval = " + CProjectDoc::FormatDuration(period);
            };
            question = Format(kParameterQuestion, side(seconds), side(doc.setup.period));
            return Outcome::Question;
        }
    }
    return Outcome::Advance;
}

// --- sensor stage ----------------------------------------------------------------------------

void SyncWorker::SensorStep() {
    CProjectDoc& doc = m_env.doc;
    InstrumentCommands& commands = m_env.commands;
    if (!doc.HasProject() && !doc.m_rCurState.connected) {
        Close(kResultFailed);
        return;
    }
    if (m_stepIndex >= kSensorInputs) {
        Close(kResultDone);
        return;
    }
    const int i = m_stepIndex;
    if (m_pcWinsParameters && i == 8) {
        // A freshly written project keeps the instrument in INIT for a while.
        int mode = 0;
        if (!commands.QueryMode(mode)) return;
        if (mode == kModeInit) {
            m_delayTicks = kInitWaitTicks;
            return;
        }
    }

    Sides sides = SensorSides();
    char(&slot)[kIdLength] = m_working.sensorIds[i];
    if (!Answered()) m_instrumentSensor = EmptySensorRecord();
    const bool forced = IsForcedInput(i) || StartsWith(TextOf(slot), kPlugAndPlay);
    if (!(sides.pc && !forced)) {
        SensorRecord read{};
        if (!commands.QuerySensor(i + 1, read)) return;
        m_instrumentSensor = read;
        if (forced) sides.instrument = true;
    }
    const std::string instrumentId(TextOf(m_instrumentSensor.id));
    const auto takeInstrumentId = [&] {
        if (TextOf(slot) == instrumentId) return;
        CopyText(slot, instrumentId);
        m_applyToDocument = true;
    };
    if (sides.instrument) takeInstrumentId();

    const SensorRecord* known =
        IsFreeId(TextOf(slot)) ? nullptr : m_database.FindById(TextOf(slot));
    if (!known && !sides.pc && !sides.instrument) {
        // A sensor the PC does not know: the instrument's description is the only one.
        sides.instrument = true;
        takeInstrumentId();
        known = IsFreeId(TextOf(slot)) ? nullptr : m_database.FindById(TextOf(slot));
    }

    std::string question;
    bool overwritten = false;
    if (!sides.pc) {
        const std::string pcId(TextOf(slot));
        const bool sameId = instrumentId == pcId || (IsFreeId(instrumentId) && IsFreeId(pcId));
        if (!sameId && !sides.instrument) {
            char buffer[1024];
            std::snprintf(buffer, sizeof buffer, kSensorListQuestion, i + 1,
                          Utf8(instrumentId).c_str(), i + 1, Utf8(pcId).c_str());
            question = buffer;
        } else if (sameId && known && !instrumentId.empty() &&
                   !IsExemptFromComparison(instrumentId)) {
            std::string mine;
            std::string theirs;
            if (FirstDifference(m_instrumentSensor, *known, mine, theirs)) {
                if (!sides.instrument) {
                    char buffer[2048];
                    std::snprintf(buffer, sizeof buffer, kSensorQuestion,
                                  Utf8(instrumentId).c_str(), mine.c_str(), theirs.c_str());
                    question = buffer;
                } else {
                    SensorRecord replacement = m_instrumentSensor;
                    std::memcpy(replacement.type, known->type, sizeof replacement.type);
                    m_database.At(static_cast<std::size_t>(m_database.IndexOf(instrumentId))) =
                        replacement;
                    m_databaseChanged = true;
                    overwritten = true;
                }
            }
        }
    }

    if (sides.instrument && question.empty() && !overwritten) {
        if (!IsFreeId(instrumentId) && !m_database.FindById(instrumentId)) {
            SensorRecord added = m_instrumentSensor;
            const std::size_t blank = instrumentId.find(' ');
            CopyText(added.type, std::string_view(instrumentId).substr(0, blank));
            added.standardCoefficients = 1;
            m_database.Append(added);
            m_databaseChanged = true;
            ++m_sensorsAdded;
        } else if (instrumentId.empty() && i >= 8) {
            CopyText(slot, kPlugAndPlay);
        }
    }

    if (sides.pc && !forced) {
        m_wroteToInstrument = true;
        if (!known || i <= 8 || i == 11) {
            if (!commands.SetSensor(i + 1, known)) return;
        }
    }

    if (!question.empty()) {
        Ask(question, kButtonInstrument | kButtonPc | kButtonInstrumentAll | kButtonPcAll);
        return;
    }
    if (overwritten) return;  // compared again on the next tick, and then it passes
    ++m_stepIndex;
    m_progress = (m_stepIndex + 4) % (m_budget + 1);
    if (m_wroteToInstrument && (m_stepIndex == 8 || m_stepIndex == kSensorInputs))
        m_delayTicks = kReconfigureTicks;
}

// --- record download -------------------------------------------------------------------------

void SyncWorker::DownloadStep() {
    bool gotRecord = false;
    for (int n = 0; n < 3; ++n) {
        std::string line;
        if (!m_env.commands.ReadLine(line)) break;
        m_lastLineMs = m_env.clock.MonotonicMs();
        if (TakeRecordLine(line)) gotRecord = true;
    }
    if (gotRecord) return;

    const int missing = MissingFromSelection();
    if (missing > 0) {
        // Lines may still be on their way (a late one holds up the rest of the burst).
        if (m_env.clock.MonotonicMs() - m_lastLineMs < kQuietMs) return;
        if (m_selectionCount >= 0 && ++m_fruitlessRefills > kMaxFruitlessRefills) {
            // The instrument keeps counting records it does not send: take what came.
            DebugLog("SyncWorker: %d records announced but never sent", missing);
            m_selectionCount = kCountAbandoned;
        } else {
            m_env.commands.QueryRecordState();
            SelectRecords(m_selectionFrom);
            // An answered selection extends the run's time; a silent line does not.
            if (m_selectionCount >= 0) m_refillSeconds += kRefillSeconds;
            return;
        }
    }
    if (m_counted < m_budget) {
        // Records taken while the download ran are asked for once the selection is complete.
        m_env.commands.QueryRecordState();
        SelectRecords(m_env.doc.NextDownloadFrom());
        if (m_selectionCount == 0) Close(kResultDone);
        return;
    }
    FinishDownload();
}

// A record line is added when its record is not here yet; the answer of a selection whose
// answer was missed is taken as its count. True when a record was added.
bool SyncWorker::TakeRecordLine(const std::string& line) {
    const std::size_t at = line.find("RECORD;");
    if (at == std::string::npos) return false;
    const std::string_view text = std::string_view(line).substr(at + 7);
    if (StartsWith(text, "S;")) {
        int count = 0;
        if (m_selectionCount == kCountUnknown &&
            InstrumentCommands::ParseRecordCount(text.substr(2), count))
            m_selectionCount = count;
        return false;
    }
    TimeStamp time{};
    std::size_t cursor = 0;
    if (!CProjectDoc::ParseTimeStamp(text, cursor, time)) return false;
    if (m_env.doc.HasRecordAt(time)) return false;
    int added = 0;
    if (!m_env.doc.AddRecordLine(text, added)) return false;
    ++m_recordsAdded;
    m_fruitlessRefills = 0;
    if (m_counted < m_budget) {
        ++m_counted;
        m_progress = m_counted;
    }
    return true;
}

int SyncWorker::MissingFromSelection() const {
    if (m_selectionCount == kCountUnknown) return 1;
    if (m_selectionCount == kCountAbandoned) return 0;
    const std::size_t here = m_env.doc.CountRecordsFrom(m_selectionFrom);
    return here >= static_cast<std::size_t>(m_selectionCount)
               ? 0
               : m_selectionCount - static_cast<int>(here);
}

void SyncWorker::SelectRecords(const TimeStamp& from) {
    m_selectionFrom = from;
    int count = 0;
    m_selectionCount =
        m_env.commands.SelectRecordsFrom(from, count) ? std::max(count, 0) : kCountUnknown;
    m_lastLineMs = m_env.clock.MonotonicMs();
}

void SyncWorker::FinishDownload() {
    if (m_env.doc.setup.em50 && m_em50.Em50Present()) {
        m_env.doc.m_rCurState.step = 9;
        m_budget += 1;
        return;
    }
    Close(kResultDone);
}

// --- Em50 download ---------------------------------------------------------------------------

void SyncWorker::Em50Step() {
    if (!m_em50Started) {
        m_em50Started = true;
        bool changed = false;
        int count = 0;
        if (m_em50.QueryEm50Ports(m_ports, m_working, changed)) {
            if (changed) m_instrumentWinsParameters = true;
            if (m_em50.CountEm50New(count) && count > 0) {
                m_budget += count;
                m_em50Remaining = count;
            }
        }
    }
    if (m_em50Remaining > 0 && m_em50Failures < kEm50MaxFailures) {
        if (m_em50.FetchEm50Record(m_ports, m_em50Remaining, m_em50Attempt)) {
            if (m_em50Remaining > 0) ++m_em50Fetched;
            m_em50Attempt = 1;  // the next fetch acknowledges this one
            m_em50Failures = 0;
            ++m_stepIndex;
            m_budget += m_em50Remaining;
            if (m_progress < m_budget) ++m_progress;
        } else {
            m_budget += 5;
            ++m_em50Attempt;
            ++m_em50Failures;
        }
    }
    if (m_em50Remaining <= 0 || m_em50Failures >= kEm50MaxFailures) Close(kResultDone);
}

}  // namespace vg28
