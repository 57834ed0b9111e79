#pragma once
// Letter case of the system's texts, in one place: one case table (Latin and the Cyrillic
// letters of CP1251) and the comparisons that ignore case, each named for the text it takes.
// Names in memory are UTF-8 (EqualUtf8, CompareUtf8); stored texts are CP1251 bytes
// (LowerCp1251, EqualCp1251); the Ascii functions fold only A-Z and leave every other byte as
// it is, whatever the encoding (keywords, file extensions, settings keys).

#include <string>
#include <string_view>

namespace vg28 {

class TextCase {
public:
    // The case table: the lower-case form of a code point (ASCII and the Cyrillic letters of
    // CP1251; others are unchanged).
    static char32_t Lower(char32_t code);

    // UTF-8: negative, zero or positive as a is before, equal to or after b, comparing the
    // code points of the lower-case forms (ё, as in the alphabet, right after е). Malformed
    // bytes compare by their byte value.
    static int CompareUtf8(std::string_view a, std::string_view b);
    static bool EqualUtf8(std::string_view a, std::string_view b) { return CompareUtf8(a, b) == 0; }

    // CP1251 bytes: the lower-case byte (the case table read through the code page) and the
    // text with every byte so folded; equal when both texts fold to the same bytes.
    static unsigned char LowerCp1251(unsigned char byte);
    static std::string LowerCp1251(std::string_view bytes);
    static bool EqualCp1251(std::string_view a, std::string_view b);

    // ASCII letters only.
    static std::string UpperAscii(std::string_view text);
    static std::string LowerAscii(std::string_view text);
    static bool EqualAscii(std::string_view a, std::string_view b);
};

}  // namespace vg28
