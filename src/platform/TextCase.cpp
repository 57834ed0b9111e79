#include "platform/TextCase.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/TextCodec.h"

namespace vg28 {

namespace {

// The next code point of a UTF-8 text; a byte that starts no well-formed sequence stands for
// itself, so that any text has a defined order.
char32_t Next(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    }
    if (length == 0 || i + length > text.size()) {
        ++i;
        return lead;
    }
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    i += length;
    return code;
}

// Code point order, but for ё, which the alphabet puts right after е.
std::uint64_t SortKey(char32_t lower) {
    constexpr char32_t kIe = 0x0435;  // е
    constexpr char32_t kIo = 0x0451;  // ё
    return lower == kIo ? std::uint64_t{kIe} * 2 + 1 : std::uint64_t{lower} * 2;
}

// Every CP1251 byte's lower-case byte, made once from the case table.
const std::array<unsigned char, 256>& Cp1251LowerTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> lower{};
        for (int byte = 0; byte < 256; ++byte) {
            const char32_t code =
                TextCase::Lower(TextCodec::CodePointOf(static_cast<unsigned char>(byte)));
            lower[byte] = static_cast<unsigned char>(byte);
            for (int other = 0; other < 256; ++other) {
                if (TextCodec::CodePointOf(static_cast<unsigned char>(other)) == code) {
                    lower[byte] = static_cast<unsigned char>(other);
                    break;
                }
            }
        }
        return lower;
    }();
    return table;
}

char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char LowerAsciiChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

char32_t TextCase::Lower(char32_t code) {
    if (code >= 'A' && code <= 'Z') return code + ('a' - 'A');
    if (code >= 0x0410 && code <= 0x042F) return code + 0x20;  // А-Я
    if (code >= 0x0400 && code <= 0x040F) return code + 0x50;  // Ѐ-Џ: Ё, Ђ, Є, І, Ї, Ў...
    if (code == 0x0490) return 0x0491;                         // Ґ
    return code;
}

int TextCase::CompareUtf8(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::uint64_t x = SortKey(Lower(Next(a, i)));
        const std::uint64_t y = SortKey(Lower(Next(b, j)));
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

unsigned char TextCase::LowerCp1251(unsigned char byte) {
    return Cp1251LowerTable()[byte];
}

std::string TextCase::LowerCp1251(std::string_view bytes) {
    std::string lower(bytes);
    for (char& c : lower)
        c = static_cast<char>(LowerCp1251(static_cast<unsigned char>(c)));
    return lower;
}

bool TextCase::EqualCp1251(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerCp1251(static_cast<unsigned char>(a[i])) !=
            LowerCp1251(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string TextCase::UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = UpperAsciiChar(c);
    return upper;
}

std::string TextCase::LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = LowerAsciiChar(c);
    return lower;
}

bool TextCase::EqualAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) return false;
    }
    return true;
}

}  // namespace vg28
