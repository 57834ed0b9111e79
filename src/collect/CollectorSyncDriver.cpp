#include "collect/CollectorSyncDriver.h"

#include "collect/CollectorLine.h"
#include "collect/StopRequest.h"
#include "platform/Clock.h"
#include "project/CurrentState.h"
#include "sync/SyncWorker.h"

namespace vg28 {

namespace {

constexpr int kEm50Step = 9;

}  // namespace

int CollectorSyncDriver::Refusals() const {
    return m_line ? m_line->RefusedWrites() : 0;
}

int CollectorSyncDriver::Run(SyncWorker& worker) {
    const int refusalsBefore = Refusals();
    while (!worker.IsClosed()) {
        if (StopRequested()) {
            m_stopped = true;
            worker.Close(m_state.step == kEm50Step ? SyncWorker::kResultDone
                                                   : SyncWorker::kResultCancelled);
            break;
        }
        if (Refusals() != refusalsBefore) {
            m_refused = true;
            worker.Close(SyncWorker::kResultFailed);
            break;
        }
        if (worker.QuestionVisible()) {
            const bool all = (worker.VisibleButtons() & SyncWorker::kButtonInstrumentAll) != 0;
            worker.Press(all ? SyncWorker::kButtonInstrumentAll : SyncWorker::kButtonInstrument);
        }
        worker.Tick();
        if (!worker.IsClosed()) m_clock.SleepMs(SyncWorker::kTickMs);
    }
    return worker.Result();
}

}  // namespace vg28
