#pragma once
// Runs a synchronization worker for the collector: one tick every 200 ms of the clock, as the
// dialog does, with every question answered for the instrument ("VG-28 для всех" where it is
// offered, else "VG-28"). The run is ended at once when a stop is requested (the Em50 stage
// as done, so that the readings it merged into existing records are saved; anything else as
// cancelled) and as failed when the line refused a command that would have written to the
// instrument.

#include "sync/SyncDialogDriver.h"

namespace vg28 {

class Clock;
class CollectorLine;
struct CurrentState;

class CollectorSyncDriver final : public SyncDialogDriver {
public:
    // state is the live state whose step names the worker's job; line may be null (no
    // refusals to watch).
    CollectorSyncDriver(Clock& clock, const CurrentState& state, const CollectorLine* line)
        : m_clock(clock), m_state(state), m_line(line) {}

    int Run(SyncWorker& worker) override;

    bool Stopped() const { return m_stopped; }
    bool RefusedWrite() const { return m_refused; }

private:
    int Refusals() const;

    Clock& m_clock;
    const CurrentState& m_state;
    const CollectorLine* m_line;
    bool m_stopped = false;
    bool m_refused = false;
};

}  // namespace vg28
