#include "support/CommaNumericLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

namespace vg28::test {

CommaNumericLocale::CommaNumericLocale() {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    m_previous = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, kName)) {
        ADD_FAILURE() << "cannot set LC_NUMERIC to " << kName
                      << " (scripts/install-deps.sh installs it)";
        return;
    }
    m_active = std::strcmp(std::localeconv()->decimal_point, ",") == 0;
    if (!m_active) ADD_FAILURE() << kName << " has no decimal comma";
}

CommaNumericLocale::~CommaNumericLocale() {
    std::setlocale(LC_NUMERIC, m_previous.c_str());
}

}  // namespace vg28::test
