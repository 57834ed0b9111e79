#include <gtest/gtest.h>

#include <string>

#include "platform/TextCase.h"
#include "platform/TextCodec.h"

namespace vg28 {
namespace {

// Guards against a case-insensitive comparison that knows only ASCII ("поле" and "Поле" taken
// for two names), folds other characters, or orders without regard to the letters.
TEST(TextCase, LatinAndCyrillicCompareIgnoringCase) {
    struct Case {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"поле", "Поле", 0},   {"ТЕПЛИЦА 1", "теплица 1", 0},
        {"Ёлка", "ёлка", 0},   {"ёж", "Жук", -1},  // ё right after е, as in the alphabet
        {"Ель", "ёж", -1},     {"Ґ Є І Ї Ў Ђ Џ", "ґ є і ї ў ђ џ", 0},
        {"Demo", "dEMO", 0},   {"a", "B", -1},
        {"Zeta", "agat", 1},   {"агат", "Поле", -1},
        {"Поле", "поле2", -1}, {"Z", "а", -1},  // Latin before Cyrillic
        {"[", "a", -1},                         // not folded: '[' stays below the letters
        {"Ä", "ä", -1},                         // outside the two alphabets nothing is folded
        {"", "", 0},           {"", "a", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        const int order = TextCase::CompareUtf8(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order);
        const int reverse = TextCase::CompareUtf8(c.b, c.a);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order);
        EXPECT_EQ(TextCase::EqualUtf8(c.a, c.b), c.order == 0);
    }
    // Every upper-case letter of CP1251 folds, and onto a letter CP1251 has as well.
    int folded = 0;
    for (int byte = 0x80; byte < 256; ++byte) {
        const char32_t code = TextCodec::CodePointOf(static_cast<unsigned char>(byte));
        const char32_t lower = TextCase::Lower(code);
        if (lower == code) continue;
        ++folded;
        bool found = false;
        for (int other = 0x80; other < 256 && !found; ++other)
            found = TextCodec::CodePointOf(static_cast<unsigned char>(other)) == lower;
        EXPECT_TRUE(found) << "byte " << byte;
    }
    EXPECT_EQ(folded, 32 + 15);  // А-Я; Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Ё Є Ї І Ѕ
}

// Guards against the byte fold of stored CP1251 texts drifting from the case table (a stored
// ID and its UTF-8 name folding differently), or folding a byte that is no capital letter.
TEST(TextCase, Cp1251BytesFoldByTheCaseTable) {
    // The capitals outside А-Я, each with its small letter: Ђ Ѓ Љ Њ Ќ Ћ Џ Ў Ј Ґ Ё Є Ї І Ѕ.
    const unsigned char pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
                                      {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2},
                                      {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
                                      {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (int byte = 0; byte < 256; ++byte) {
        int expected = byte;
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDF)) expected = byte + 0x20;
        for (const auto& pair : pairs) {
            if (pair[0] == byte) expected = pair[1];
        }
        const auto b = static_cast<unsigned char>(byte);
        EXPECT_EQ(TextCase::LowerCp1251(b), expected) << "byte " << byte;
        const std::string upper(1, static_cast<char>(b));
        const std::string lower(1, static_cast<char>(TextCase::LowerCp1251(b)));
        EXPECT_TRUE(
            TextCase::EqualUtf8(TextCodec::Cp1251ToUtf8(upper), TextCodec::Cp1251ToUtf8(lower)))
            << "byte " << byte;
    }
}

// Guards against a comparison applied to the wrong encoding: UTF-8 names, CP1251 bytes and
// ASCII keywords each fold only what their own encoding makes a letter.
TEST(TextCase, EachComparisonFoldsItsOwnEncoding) {
    struct Case {
        const char* a;
        const char* b;
        bool utf8;
        bool cp1251;
        bool ascii;
    } cases[] = {
        {"Demo", "dEMO", true, true, true},
        {"Поле", "поле", true, false, false},          // UTF-8: П is D0 9F, п is D0 BF
        {"\xC0\xDF", "\xE0\xFF", false, true, false},  // CP1251 А Я / а я
        {"\xA8", "\xB8", false, true, false},          // CP1251 Ё / ё
        {"\xB0", "\xB1", false, false, false},         // CP1251 ° ±, no letters
        {".CSV", ".csv", true, true, true},
        {"UTF-8", "utf8", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(TextCase::EqualUtf8(c.a, c.b), c.utf8);
        EXPECT_EQ(TextCase::EqualCp1251(c.a, c.b), c.cp1251);
        EXPECT_EQ(TextCase::EqualAscii(c.a, c.b), c.ascii);
    }
    EXPECT_EQ(TextCase::UpperAscii("mode;start\xE0"), "MODE;START\xE0");
    EXPECT_EQ(TextCase::LowerAscii("PROJECT;ID\xC0"), "project;id\xC0");
    EXPECT_EQ(TextCase::LowerCp1251("T\xC0 1"), "t\xE0 1");
}

}  // namespace
}  // namespace vg28
