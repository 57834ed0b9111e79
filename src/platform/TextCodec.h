#pragma once
// Conversion between the Windows Cyrillic code page (CP1251), in which every stored text of the
// system is kept, and UTF-8, which the user interface, JSON and the graph script use.

#include <string>
#include <string_view>

namespace vg28 {

class TextCodec {
public:
    // Every byte maps to one character; the one unassigned byte 0x98 maps to U+0098 so that any
    // byte string survives a round trip.
    static std::string Cp1251ToUtf8(std::string_view bytes);

    // Characters without a CP1251 byte, and malformed UTF-8, become '?'.
    static std::string Utf8ToCp1251(std::string_view text);

    // True when the text is well-formed UTF-8.
    static bool IsValidUtf8(std::string_view text);

    // The code point of a CP1251 byte.
    static char32_t CodePointOf(unsigned char byte);
};

}  // namespace vg28
