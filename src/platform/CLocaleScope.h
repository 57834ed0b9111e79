#pragma once
// While an object lives, the C library's number conversions on the calling thread (the printf
// and scanf families, strtod) use the "C" locale, whatever setlocale the process has made: for
// printf-style texts that go to a file. Other threads keep their locale.

#include <locale.h>

namespace vg28 {

class CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

}  // namespace vg28
