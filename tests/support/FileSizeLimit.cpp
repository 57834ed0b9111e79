#include "support/FileSizeLimit.h"

namespace vg28::test {

FileSizeLimit::FileSizeLimit() : m_saved(::getrlimit(RLIMIT_FSIZE, &m_limit) == 0) {}

FileSizeLimit::~FileSizeLimit() {
    Restore();
}

bool FileSizeLimit::Lower(std::uint64_t bytes) {
    if (!m_saved) return false;
    if (!m_lowered) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &m_previousHandler);
        m_lowered = true;
    }
    rlimit lowered = m_limit;
    lowered.rlim_cur = static_cast<rlim_t>(bytes);
    return ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

void FileSizeLimit::Restore() {
    if (!m_lowered) return;
    ::setrlimit(RLIMIT_FSIZE, &m_limit);
    ::sigaction(SIGXFSZ, &m_previousHandler, nullptr);
    m_lowered = false;
}

}  // namespace vg28::test
