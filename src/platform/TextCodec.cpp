#include "platform/TextCodec.h"

#include <array>

namespace vg28 {

namespace {

// Code points of the bytes 0x80-0xBF; 0xC0-0xFF are U+0410-U+044F.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; returns false for a malformed one (i then moves by 1).
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + length > text.size()) {
        ++i;
        return false;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += length;
    return true;
}

constexpr char32_t kReplacement = 0xFFFD;

// The CP1251 byte of a code point, if it has one.
bool FindByte(char32_t code, char& byte) {
    if (code < 0x80) {
        byte = static_cast<char>(code);
        return true;
    }
    if (code >= 0x0410 && code <= 0x044F) {
        byte = static_cast<char>(0xC0 + (code - 0x0410));
        return true;
    }
    for (std::size_t k = 0; k < kUpperHalf.size(); ++k) {
        if (kUpperHalf[k] == code) {
            byte = static_cast<char>(0x80 + k);
            return true;
        }
    }
    return false;
}

char ByteOf(char32_t code) {
    char byte = '?';
    return FindByte(code, byte) ? byte : '?';
}

}  // namespace

char32_t TextCodec::CodePointOf(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
    return kUpperHalf[byte - 0x80];
}

std::string TextCodec::Cp1251ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes)
        AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string TextCodec::Utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t code = 0;
        out += DecodeUtf8(text, i, code) ? ByteOf(code) : '?';
    }
    return out;
}

std::optional<std::string> TextCodec::Utf8ToCp1251Exactly(std::string_view text,
                                                          std::string* unfit) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t code = 0;
        char byte = 0;
        if (!DecodeUtf8(text, i, code)) code = kReplacement;
        if (code == kReplacement || !FindByte(code, byte)) {
            if (unfit) {
                unfit->clear();
                AppendUtf8(*unfit, code);
            }
            return std::nullopt;
        }
        out += byte;
    }
    return out;
}

std::string TextCodec::Utf8ToCp1251IfValid(std::string_view text) {
    return IsValidUtf8(text) ? Utf8ToCp1251(text) : std::string(text);
}

bool TextCodec::IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t code = 0;
        if (!DecodeUtf8(text, i, code)) return false;
    }
    return true;
}

bool TextCodec::FitsCp1251(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t code = 0;
        char byte = 0;
        if (!DecodeUtf8(text, i, code) || !FindByte(code, byte)) return false;
    }
    return true;
}

std::string TextCodec::CharactersOutsideCp1251(std::string_view text) {
    std::u32string seen;
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t code = 0;
        char byte = 0;
        if (!DecodeUtf8(text, i, code)) code = kReplacement;
        if (code != kReplacement && FindByte(code, byte)) continue;
        if (seen.find(code) != std::u32string::npos) continue;
        seen += code;
        AppendUtf8(out, code);
    }
    return out;
}

std::string TextCodec::ReplaceInvalidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        char32_t code = 0;
        if (DecodeUtf8(text, i, code))
            out.append(text.substr(start, i - start));
        else
            AppendUtf8(out, kReplacement);
    }
    return out;
}

}  // namespace vg28
