#include "sync/HeadlessSyncDriver.h"

#include "platform/Clock.h"
#include "sync/SyncWorker.h"

namespace vg28 {

int HeadlessSyncDriver::Run(SyncWorker& worker) {
    m_refused = false;
    while (!worker.IsClosed()) {
        if (worker.QuestionVisible()) {
            const int buttons = worker.VisibleButtons();
            switch (m_policy) {
                case Policy::FailOnQuestion:
                    m_refused = true;
                    worker.Close(SyncWorker::kResultFailed);
                    continue;
                case Policy::InstrumentWins:
                    worker.Press((buttons & SyncWorker::kButtonInstrumentAll)
                                     ? SyncWorker::kButtonInstrumentAll
                                     : SyncWorker::kButtonInstrument);
                    break;
                case Policy::PcWins:
                    worker.Press((buttons & SyncWorker::kButtonPcAll) ? SyncWorker::kButtonPcAll
                                                                      : SyncWorker::kButtonPc);
                    break;
            }
        }
        worker.Tick();
        // Once stopped, every exchange fails at once: ticking on would only spin.
        if (!worker.IsClosed() && !m_clock.SleepMs(SyncWorker::kTickMs))
            worker.Press(SyncWorker::kButtonCancel);
    }
    return worker.Result();
}

}  // namespace vg28
