#include "sync/Em50Download.h"

namespace vg28 {

void Em50Download::Tick() {
    if (!m_started) {
        m_started = true;
        bool changed = false;
        int count = 0;
        if (m_run.em50.QueryEm50Ports(m_ports, m_run.working, changed)) {
            if (changed) m_run.instrumentWinsParameters = true;
            if (m_run.em50.CountEm50New(count) && count > 0) {
                m_run.budget += count;
                m_remaining = count;
            }
        }
    }
    if (m_remaining > 0 && m_failures < kMaxFailures) {
        if (m_run.em50.FetchEm50Record(m_ports, m_remaining, m_attempt)) {
            if (m_remaining > 0) ++m_run.em50Fetched;
            m_attempt = 1;  // the next fetch acknowledges this one
            m_failures = 0;
            m_run.budget += m_remaining;
            if (m_run.progress < m_run.budget) ++m_run.progress;
        } else {
            m_run.budget += kUnitsPerFailure;
            ++m_attempt;
            ++m_failures;
        }
    }
    if (m_remaining <= 0 || m_failures >= kMaxFailures) m_run.End(SyncCodes::kResultDone);
}

}  // namespace vg28
