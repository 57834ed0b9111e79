#pragma once
// A disk that fills up, for the tests of failed writes: the process's file size limit is
// lowered, and SIGXFSZ ignored so that a write beyond the limit fails (EFBIG) instead of ending
// the process. Restore (or the end of the scope) puts the limit and the signal's handler back.

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

namespace vg28::test {

class FileSizeLimit {
public:
    FileSizeLimit();  // reads the current limit
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // The current limit was read; without it nothing is lowered.
    bool Saved() const { return m_saved; }
    // Writes beyond bytes fail from now on; false when the limit could not be set.
    bool Lower(std::uint64_t bytes);
    void Restore();

private:
    rlimit m_limit{};
    bool m_saved = false;
    bool m_lowered = false;
    struct sigaction m_previousHandler {};
};

}  // namespace vg28::test
