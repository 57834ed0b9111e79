#pragma once
// Runs a synchronization worker without a window, for vg28-tool and the tests: it ticks the
// worker every 200 ms of the given clock and answers each question by a fixed policy. With
// FailOnQuestion the first question ends the run as failed, before anything more is written.
// A stop asked for by the wait hook (platform/WaitHook.h) cancels the run, as "Отменить" does.

#include "sync/SyncDialogDriver.h"

namespace vg28 {

class Clock;

class HeadlessSyncDriver final : public SyncDialogDriver {
public:
    enum class Policy { InstrumentWins, PcWins, FailOnQuestion };

    HeadlessSyncDriver(Clock& clock, Policy policy) : m_clock(clock), m_policy(policy) {}

    int Run(SyncWorker& worker) override;

    // Whether the run ended because a question came under FailOnQuestion.
    bool RefusedQuestion() const { return m_refused; }

private:
    Clock& m_clock;
    Policy m_policy;
    bool m_refused = false;
};

}  // namespace vg28
