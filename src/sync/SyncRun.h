#pragma once
// What the stages of one synchronization run share: the environment, the Em50 commands, the
// working copies of the project setup and of the sensor database, the time budget and the
// progress, the operator's answer to the question on show, the decisions taken so far (which
// side wins, what the closing applies) and the counters the caller reads afterwards.
//
// A stage asks a question or ends the run by leaving a request here; the worker carries it out
// when the stage's tick returns. The run state owns nothing but its copies; the environment
// outlives it.

#include <optional>
#include <string>

#include "project/ProjectSetup.h"
#include "sensors/SensorDatabase.h"
#include "sync/Em50Protocol.h"
#include "sync/SyncCodes.h"
#include "sync/SyncEnvironment.h"

namespace vg28 {

struct SyncRun {
    // 13 s for the instrument to take a changed project, in ticks.
    static constexpr int kReconfigureTicks = 65;

    explicit SyncRun(SyncEnvironment& environment)
        : env(environment),
          em50(environment.commands, environment.doc),
          database(environment.sensors) {}

    // Which side wins the comparison at hand: by a decision for all of the stage, or by the
    // answer just given.
    struct Sides {
        bool instrument;
        bool pc;
    };
    bool Answered() const { return choice >= SyncCodes::kChoiceInstrument; }
    Sides ParameterSides() const {
        return {instrumentWinsParameters || choice == SyncCodes::kChoiceInstrument ||
                    choice == SyncCodes::kChoiceInstrumentAll,
                pcWinsParameters || choice == SyncCodes::kChoicePc ||
                    choice == SyncCodes::kChoicePcAll};
    }
    Sides SensorSides() const {
        return {
            instrumentWinsSensors || choice == SyncCodes::kChoiceInstrument ||
                choice == SyncCodes::kChoiceInstrumentAll,
            pcWinsSensors || choice == SyncCodes::kChoicePc || choice == SyncCodes::kChoicePcAll};
    }

    // The requests of a stage's tick.
    void Ask(std::string text, int buttonSet) { question = Question{std::move(text), buttonSet}; }
    void End(int result) { endResult = result; }

    SyncEnvironment& env;
    Em50Protocol em50;
    ProjectSetup working{};
    // The run's copy of the sensor database; it replaces the program's only on success.
    SensorDatabase database;

    int modeBefore = 0;  // the instrument's mode at the opening
    int modeNow = 0;
    int delayTicks = 0;  // ticks to wait, with keep-alives, before the next step
    int budget = 0;      // progress units; the run may take 4 s for each
    int progress = 0;
    int choice = SyncCodes::kChoiceNone;  // the question on show, or the answer to it

    // The decisions.
    bool instrumentWinsParameters = false;
    bool pcWinsParameters = false;
    bool instrumentWinsSensors = false;
    bool pcWinsSensors = false;
    bool applyToDocument = false;
    bool databaseChanged = false;
    bool wroteToInstrument = false;

    // What the closing reports.
    int fileError = 0;
    std::string fileErrorPath;
    std::string rejectedName;
    int recordsAdded = 0;
    int em50Fetched = 0;
    int sensorsAdded = 0;

    struct Question {
        std::string text;
        int buttonSet = 0;
    };
    std::optional<Question> question;
    std::optional<int> endResult;
};

}  // namespace vg28
