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
        const int order = TextCase::Compare(c.a, c.b);
        EXPECT_EQ((order > 0) - (order < 0), c.order);
        const int reverse = TextCase::Compare(c.b, c.a);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order);
        EXPECT_EQ(TextCase::Equal(c.a, c.b), c.order == 0);
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

}  // namespace
}  // namespace vg28
