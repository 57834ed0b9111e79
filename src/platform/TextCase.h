#pragma once
// Comparison of UTF-8 texts without regard to letter case, for the letters the system's texts
// can hold: Latin (ASCII) and the Cyrillic letters of CP1251. Malformed bytes compare by their
// byte value.

#include <string_view>

namespace vg28 {

class TextCase {
public:
    // Negative, zero or positive as a is before, equal to or after b, comparing the code points
    // of the lower-case forms (ё, as in the alphabet, right after е).
    static int Compare(std::string_view a, std::string_view b);
    static bool Equal(std::string_view a, std::string_view b) { return Compare(a, b) == 0; }

    // The lower-case form of a code point (ASCII and the Cyrillic letters of CP1251; others
    // are unchanged).
    static char32_t Lower(char32_t code);
};

}  // namespace vg28
