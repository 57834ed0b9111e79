#pragma once
// The record download of a synchronization run: the session has selected the records before the
// run starts, and each tick reads up to three lines, adding every record the project does not
// hold yet. A selection left short is asked for again (SelectionRefill); once it is complete,
// the records the instrument took meanwhile are selected too. The download ends the run as
// done, or hands over to the Em50 download when the project uses a logger that answers.

#include <string>

#include "sync/SelectionRefill.h"
#include "sync/SyncRun.h"

namespace vg28 {

class RecordDownload {
public:
    explicit RecordDownload(SyncRun& run) : m_run(run), m_refill(run.env) {}

    // At the opening: the session's selection, from the project's next download time, with the
    // count the live state holds.
    void Open();
    // One tick. True when the records are complete and the Em50 download follows.
    bool Tick();
    // The time the refills added to the run's allowance.
    long long ExtraSeconds() const { return m_refill.AllowanceSeconds(); }

private:
    static constexpr int kLinesPerTick = 3;

    bool TakeRecordLine(const std::string& line);

    SyncRun& m_run;
    SelectionRefill m_refill;
    int m_counted = 0;  // records counted against the budget (and shown as progress)
};

}  // namespace vg28
