#include "sync/ParameterStage.h"

#include <sys/stat.h>

#include <cstdio>

#include "base/DebugLog.h"
#include "platform/TextCase.h"
#include "platform/TextTrim.h"
#include "project/CProjectDoc.h"
#include "project/DocObserver.h"
#include "project/MeasurementRecord.h"
#include "project/ProjectLibrary.h"
#include "protocol/InstrumentCommands.h"

namespace vg28 {

namespace {

constexpr const char* kNameQuestion =
    "Названия проектов отличаются:\nVG-28\t- %s\nPC\t- %s\nИспользовать данные из...";
constexpr const char* kParameterQuestion =
    "Параметры проекта отличаются:\nVG-28\t- %s\nPC\t- %s\nИспользовать данные из...";

std::string Format(const char* format, const std::string& a, const std::string& b) {
    char buffer[4096];
    std::snprintf(buffer, sizeof buffer, format, a.c_str(), b.c_str());
    return buffer;
}

bool SameTime(const TimeStamp& a, const TimeStamp& b) {
    return a.DateWord() == b.DateWord() && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

}  // namespace

bool ParameterStage::Tick() {
    if (!m_run.env.doc.m_rCurState.connected) {
        m_run.End(SyncCodes::kResultFailed);
        return false;
    }
    std::string question;
    int buttonSet = SyncCodes::kAnswersAll;
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
        m_run.Ask(question, buttonSet);
        return false;
    }
    if (outcome != Outcome::Advance) return false;
    ++m_stepIndex;
    m_run.progress = m_stepIndex % (m_run.budget + 1);
    return m_stepIndex >= kSteps;
}

ParameterStage::Outcome ParameterStage::ProjectNameStep(std::string& question, int& buttonSet) {
    InstrumentCommands& commands = m_run.env.commands;
    CProjectDoc& doc = m_run.env.doc;
    if (!m_run.Answered()) {
        std::string name;
        if (!commands.QueryProjectId(name)) return Outcome::Retry;
        m_instrumentName = name;
    }
    const SyncRun::Sides sides = m_run.ParameterSides();
    const std::string pcName = doc.ProjectName();
    if (sides.pc) {
        if (m_instrumentName != pcName) {
            // The logger's records handed out so far stay downloaded for the old project.
            if (doc.setup.em50 && m_run.em50.Em50Present()) m_run.em50.CommitEm50();
            commands.ClearProject();
            if (!commands.SetProjectId(pcName)) return Outcome::Retry;
            if (commands.SetMode(kModeInit)) m_run.modeNow = kModeInit;
            m_run.wroteToInstrument = true;
        }
        return Outcome::Advance;
    }
    if (doc.HasProject()) {
        if (TextCase::EqualUtf8(m_instrumentName, pcName)) return Outcome::Advance;
        if (!sides.instrument) {
            if (m_instrumentName.empty()) {
                m_run.pcWinsParameters = true;  // written from the next tick on
                return Outcome::Retry;
            }
            question = Format(kNameQuestion, m_instrumentName, pcName);
            buttonSet = SyncCodes::kButtonInstrument | SyncCodes::kButtonPc;
            return Outcome::Question;
        }
    } else if (m_instrumentName.empty()) {
        m_run.End(SyncCodes::kResultNoProject);
        return Outcome::Closed;
    }
    return TakeInstrumentProject();
}

ParameterStage::Outcome ParameterStage::TakeInstrumentProject() {
    CProjectDoc& doc = m_run.env.doc;
    // The name becomes a file name in the program folder: anything but a plain file name could
    // open or overwrite a file elsewhere.
    if (TrimStart(m_instrumentName, kBlanks).empty() ||
        !ProjectLibrary::IsValidProjectName(m_instrumentName)) {
        DebugLog("Sync: invalid project name of the instrument");
        m_run.rejectedName = m_instrumentName;
        m_run.End(SyncCodes::kResultFailed);
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
            m_run.fileError = code;
            m_run.fileErrorPath = path;
            doc.UpdateAllViews(kHintAll);
            m_run.End(SyncCodes::kResultFailed);
            return Outcome::Closed;
        }
        doc.ResetProject();
        doc.SetPathName(path);
        m_run.instrumentWinsParameters = true;
    } else if (m_run.env.checkSensorsRegistered) {
        m_run.env.checkSensorsRegistered();
    }
    m_run.working = doc.setup;
    doc.UpdateAllViews(kHintAll);
    return Outcome::Advance;
}

ParameterStage::Outcome ParameterStage::ConfigTimeStep() {
    const SyncRun::Sides sides = m_run.ParameterSides();
    if (sides.pc) return Outcome::Advance;
    TimeStamp instrument{};
    bool read = false;
    for (int attempt = 0; attempt < 3 && !read; ++attempt)
        read = m_run.env.commands.QueryConfigTime(instrument);
    if (!read) return Outcome::Advance;
    const TimeStamp& project = m_run.env.doc.setup.configTime;
    DebugLog("Config time: d:%04d-%02d-%02d %02d:%02d:%02d; f:%04d-%02d-%02d %02d:%02d:%02d",
             instrument.year, instrument.month, instrument.day, instrument.hour, instrument.minute,
             instrument.second, project.year, project.month, project.day, project.hour,
             project.minute, project.second);
    if (sides.instrument || !SameTime(instrument, project)) {
        m_run.working.configTime = instrument;
        m_run.applyToDocument = true;
        DebugLog("Config time different");
        return Outcome::Advance;
    }
    // Same configuration on both sides: nothing else to compare.
    m_run.End(SyncCodes::kResultDone);
    return Outcome::Closed;
}

ParameterStage::Outcome ParameterStage::FlagsStep(std::string& question) {
    CProjectDoc& doc = m_run.env.doc;
    const SyncRun::Sides sides = m_run.ParameterSides();
    bool pcWins = sides.pc;
    if (!m_run.Answered() && !sides.pc) {
        bool exact = false;
        bool em50 = m_run.working.em50 != 0;
        if (!m_run.env.commands.QueryProjectFlags(exact, em50)) return Outcome::Retry;
        m_run.working.exactTime = exact ? 1 : 0;
        m_run.working.em50 = em50 ? 1 : 0;
        if (!sides.instrument) {
            const bool forceExactTime =
                !m_run.env.instrumentReadOnly && (!exact || exact != (doc.setup.exactTime != 0));
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
        m_run.working = doc.setup;
        if (!m_run.env.commands.SetProjectFlags(m_run.working.exactTime != 0,
                                                m_run.working.em50 != 0))
            return Outcome::Retry;
        m_run.wroteToInstrument = true;
    }
    return Outcome::Advance;
}

// The exact-time flag is the PC's whatever the answer to the Em50 question: it is written before
// the question, with the instrument's own Em50 flag, so that the answer still decides that one.
bool ParameterStage::WriteExactTimeKeepingEm50(bool instrumentEm50) {
    if (!m_run.env.commands.SetProjectFlags(true, instrumentEm50)) return false;
    m_run.working.exactTime = 1;
    m_run.wroteToInstrument = true;
    return true;
}

ParameterStage::Outcome ParameterStage::PeriodStep(std::string& question) {
    CProjectDoc& doc = m_run.env.doc;
    const SyncRun::Sides sides = m_run.ParameterSides();
    if (sides.pc) {
        m_run.working = doc.setup;
        if (!m_run.env.commands.SetPeriod(0, m_run.working.period)) return Outcome::Retry;
        if (doc.setup.em50 && m_run.em50.Em50Present())
            m_run.em50.SetEm50Interval(m_run.working.period / 60);
        m_run.wroteToInstrument = true;
        return Outcome::Advance;
    }
    if (!m_run.Answered()) {
        int reserved = 0;
        int seconds = 0;
        if (!m_run.env.commands.QueryPeriod(0, reserved, seconds)) return Outcome::Retry;
        m_run.working.period = seconds;
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

}  // namespace vg28
