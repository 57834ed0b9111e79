#include "platform/FileFaults.h"

#include <cerrno>

namespace vg28 {

FileFaults::FileFaults(int failAt, bool forGood)
    : m_previous(s_current), m_failAt(failAt), m_forGood(forGood) {
    s_current = this;
}

FileFaults::~FileFaults() {
    s_current = m_previous;
}

bool FileFaults::Decide(FileOp op) {
    ++m_count;
    const bool fail = m_failAt > 0 && (m_count == m_failAt || (m_forGood && m_count > m_failAt));
    if (!fail) return false;
    ++m_failures;
    errno = op == FileOp::Write ? ENOSPC : EIO;
    return true;
}

}  // namespace vg28
