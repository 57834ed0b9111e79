#include "platform/CLocaleScope.h"

namespace vg28 {

namespace {

// Made once and kept for the life of the process; null when it cannot be made, and then
// uselocale leaves the thread's locale as it is.
locale_t TheCLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

CLocaleScope::CLocaleScope() : m_previous(uselocale(TheCLocale())) {}

CLocaleScope::~CLocaleScope() {
    if (m_previous) uselocale(m_previous);
}

}  // namespace vg28
