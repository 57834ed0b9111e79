#pragma once
// The C library's number locale (LC_NUMERIC) of the test process set to a locale whose decimal
// point is a comma, as the desktop program's environment sets it on a Russian desktop, for the
// life of the object; the locale before is put back at its end. A locale that cannot be set
// fails the test (scripts/install-deps.sh installs ru_RU.UTF-8), it is never skipped.

#include <string>

namespace vg28::test {

class CommaNumericLocale {
public:
    static constexpr const char* kName = "ru_RU.UTF-8";

    CommaNumericLocale();
    ~CommaNumericLocale();
    CommaNumericLocale(const CommaNumericLocale&) = delete;
    CommaNumericLocale& operator=(const CommaNumericLocale&) = delete;

    // Whether the C library now writes and reads numbers with a comma.
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

}  // namespace vg28::test
