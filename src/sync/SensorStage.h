#pragma once
// The sensor stage of a synchronization: inputs S1..S17, one per tick. Each input's sensor ID,
// and for a sensor both sides know its characteristics, are compared with the working copy and
// the run's sensor database; the winning side's sensor is written to the instrument, or taken
// into the working copy and the database. A difference that no decision settles becomes a
// question to the operator. A failed exchange retries the input on the next tick; after the
// last input the run ends as done.

#include "sensors/SensorRecord.h"
#include "sync/SyncRun.h"

namespace vg28 {

class SensorStage {
public:
    explicit SensorStage(SyncRun& run) : m_run(run) {}

    // One input.
    void Tick();

private:
    bool WaitsForInit(int i);

    static constexpr int kSensorInputs = 17;

    SyncRun& m_run;
    int m_stepIndex = 0;
    SensorRecord m_instrumentSensor{};  // the instrument's sensor of the input at hand
};

}  // namespace vg28
