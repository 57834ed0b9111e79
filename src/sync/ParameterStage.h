#pragma once
// The parameter stage of a synchronization: the project name (which may open or make the
// instrument's project on the PC), the configuration time, the project flags and the
// measurement period, one step per tick. A difference that no decision settles becomes a
// question to the operator; the answer comes back through the run state and the same step runs
// again. A failed exchange retries the step on the next tick.

#include <string>

#include "sync/SyncRun.h"

namespace vg28 {

class ParameterStage {
public:
    explicit ParameterStage(SyncRun& run) : m_run(run) {}

    // One step. True when the last step is done and the sensor stage follows; the run may also
    // have ended (identical configuration, no project, a project that cannot be opened).
    bool Tick();

private:
    // How a step ended.
    enum class Outcome { Advance, Retry, Question, Closed };

    Outcome ProjectNameStep(std::string& question, int& buttonSet);
    Outcome TakeInstrumentProject();
    Outcome ConfigTimeStep();
    Outcome FlagsStep(std::string& question);
    bool WriteExactTimeKeepingEm50(bool instrumentEm50);
    Outcome PeriodStep(std::string& question);

    static constexpr int kSteps = 4;

    SyncRun& m_run;
    int m_stepIndex = 0;
    std::string m_instrumentName;  // UTF-8, converted from the wire's CP1251
};

}  // namespace vg28
