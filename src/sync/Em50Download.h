#pragma once
// The Em50 download of a synchronization run, after the records (or on its own): the logger's
// port types update the working copy's Em50 slots, then its new records are fetched one per
// tick, each fetch acknowledging the one before. The logger's failures never fail the run:
// after too many in a row it ends as done with the records fetched so far.

#include "sync/Em50Protocol.h"
#include "sync/SyncRun.h"

namespace vg28 {

class Em50Download {
public:
    explicit Em50Download(SyncRun& run) : m_run(run) {}

    // One fetch; the run ends when no record remains or the fetches keep failing.
    void Tick();

private:
    // Failed fetches in a row that end the download.
    static constexpr int kMaxFailures = 5;
    // The progress units (time allowance) a failed fetch adds.
    static constexpr int kUnitsPerFailure = 5;

    SyncRun& m_run;
    Em50Protocol::Ports m_ports{};
    bool m_started = false;
    int m_remaining = 0;
    int m_attempt = 0;  // the fetch mode: 0 the first fetch, 1 acknowledge, 2 and more repeat
    int m_failures = 0;
};

}  // namespace vg28
