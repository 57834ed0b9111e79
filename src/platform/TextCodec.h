#pragma once
// Conversion between the Windows Cyrillic code page (CP1251), in which every stored text of the
// system is kept, and UTF-8, which the user interface, JSON and the graph script use. Every
// conversion between the two goes through here; each function is named for its direction.

#include <optional>
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

    // The CP1251 bytes of a UTF-8 text whose every character has one; nothing otherwise, and
    // unfit (when given) gets the first character that has none (a malformed sequence counts
    // as U+FFFD).
    static std::optional<std::string> Utf8ToCp1251Exactly(std::string_view text,
                                                          std::string* unfit = nullptr);

    // A text that is UTF-8 or already CP1251 (a file or a caller may hold either): converted
    // when it is well-formed UTF-8, kept byte for byte otherwise.
    static std::string Utf8ToCp1251IfValid(std::string_view text);

    // True when the text is well-formed UTF-8.
    static bool IsValidUtf8(std::string_view text);

    // True when the text is well-formed UTF-8 and every character has a CP1251 byte, so that
    // it survives the way to the instrument and back.
    static bool FitsCp1251(std::string_view text);

    // The characters of a UTF-8 text that CP1251 cannot hold, each once, in the order of their
    // first appearance; a malformed sequence counts as U+FFFD.
    static std::string CharactersOutsideCp1251(std::string_view text);

    // The text with every malformed UTF-8 sequence replaced by U+FFFD: text of unknown encoding
    // made safe for UTF-8 consumers (JSON, XML).
    static std::string ReplaceInvalidUtf8(std::string_view text);

    // The code point of a CP1251 byte.
    static char32_t CodePointOf(unsigned char byte);
};

}  // namespace vg28
