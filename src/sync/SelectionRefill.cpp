#include "sync/SelectionRefill.h"

#include <algorithm>

#include "base/DebugLog.h"
#include "platform/Clock.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"

namespace vg28 {

void SelectionRefill::Start(const TimeStamp& from, int count) {
    m_from = from;
    m_count = count;
    NoteLine();
}

void SelectionRefill::NoteLine() {
    m_lastLineMs = m_env.clock.MonotonicMs();
}

void SelectionRefill::TakeLateCount(std::string_view data) {
    int count = 0;
    if (m_count == kCountUnknown && InstrumentCommands::ParseRecordCount(data, count))
        m_count = count;
}

bool SelectionRefill::AwaitingRecords() {
    const int missing = Missing();
    if (missing <= 0) return false;
    // Lines may still be on their way (a late one holds up the rest of the burst).
    if (m_env.clock.MonotonicMs() - m_lastLineMs < kQuietMs) return true;
    if (m_count >= 0 && ++m_fruitlessRefills > kMaxFruitlessRefills) {
        // The instrument keeps counting records it does not send: take what came.
        DebugLog("SyncWorker: %d records announced but never sent", missing);
        m_count = kCountAbandoned;
        return false;
    }
    m_env.commands.QueryRecordState();
    Select(m_from);
    // An answered selection extends the run's time; a silent line does not.
    if (m_count >= 0) m_allowanceSeconds += kRefillSeconds;
    return true;
}

void SelectionRefill::Select(const TimeStamp& from) {
    m_from = from;
    int count = 0;
    m_count = m_env.commands.SelectRecordsFrom(from, count) ? std::max(count, 0) : kCountUnknown;
    NoteLine();
}

int SelectionRefill::Missing() const {
    if (m_count == kCountUnknown) return 1;
    if (m_count == kCountAbandoned) return 0;
    const std::size_t here = m_env.doc.CountRecordsFrom(m_from);
    return here >= static_cast<std::size_t>(m_count) ? 0 : m_count - static_cast<int>(here);
}

}  // namespace vg28
