#include <iconv.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/TextCodec.h"

namespace vg28 {
namespace {

// The system's own converter, as the reference for every byte.
std::string IconvCp1251ToUtf8(unsigned char byte, bool& ok) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return std::string(out, sizeof out - outLeft);
}

// Guards against a wrong entry in the code page table: every byte the system's iconv converts
// must give the same UTF-8, and convert back to the same byte.
TEST(TextCodec, AllBytesAgreeWithIconvAndRoundTrip) {
    int compared = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string single(1, static_cast<char>(byte));
        const std::string utf8 = TextCodec::Cp1251ToUtf8(single);
        bool ok = false;
        const std::string reference = IconvCp1251ToUtf8(static_cast<unsigned char>(byte), ok);
        if (ok) {
            EXPECT_EQ(utf8, reference) << "byte " << byte;
            ++compared;
        }
        EXPECT_TRUE(TextCodec::IsValidUtf8(utf8)) << "byte " << byte;
        EXPECT_EQ(TextCodec::Utf8ToCp1251(utf8), single) << "byte " << byte;
    }
    EXPECT_GE(compared, 255);  // iconv knows every byte but the unassigned 0x98
}

// Guards against reading past a truncated sequence or accepting overlong or surrogate forms.
TEST(TextCodec, MalformedUtf8BecomesQuestionMarks) {
    struct Case {
        const char* name;
        std::string input;
        std::string expected;
    } cases[] = {
        {"truncated two-byte", "a\xD0", "a?"},
        {"lone continuation", "\x80z", "?z"},
        {"overlong slash", "\xC0\xAF", "??"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"no CP1251 byte", "\xE4\xB8\xAD", "?"},  // a CJK character
        {"Cyrillic kept", "\xD0\x9F\xD1\x80", "\xCF\xF0"},
        {"micro sign", "\xC2\xB5", "\xB5"},
        {"degree",
         "\xC2\xB0"
         "C",
         "\xB0"
         "C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextCodec::Utf8ToCp1251(c.input), c.expected) << c.name;
    }
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xC0\xAF"));
    EXPECT_TRUE(TextCodec::IsValidUtf8("Арболюкс"));
}

// Guards against a name check that lets through what CP1251 cannot hold (it would reach the
// instrument as '?'), refuses what it can, or names the wrong characters in its message; and
// against malformed UTF-8 left in a text meant for JSON or XML.
TEST(TextCodec, FitsReportsAndReplaces) {
    struct Case {
        const char* name;
        std::string text;
        bool fits;
        std::string outside;
        std::string replaced;
    } cases[] = {
        {"Cyrillic", "Теплица Ёё №5 «x»", true, "", "Теплица Ёё №5 «x»"},
        {"Ukrainian letters", "Ґґ Єє Її", true, "", "Ґґ Єє Її"},
        {"CJK", "名前", false, "名前", "名前"},
        {"emoji once", "Поле\xF0\x9F\x98\x80\xF0\x9F\x98\x80", false, "\xF0\x9F\x98\x80",
         "Поле\xF0\x9F\x98\x80\xF0\x9F\x98\x80"},
        {"raw CP1251 bytes", "\xD2\xE5\xEF", false, "\xEF\xBF\xBD",
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"truncated sequence", "a\xD0", false, "\xEF\xBF\xBD", "a\xEF\xBF\xBD"},
        {"overlong slash", "\xC0\xAF", false, "\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"empty", "", true, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextCodec::FitsCp1251(c.text), c.fits);
        EXPECT_EQ(TextCodec::CharactersOutsideCp1251(c.text), c.outside);
        EXPECT_EQ(TextCodec::ReplaceInvalidUtf8(c.text), c.replaced);
        EXPECT_TRUE(TextCodec::IsValidUtf8(TextCodec::ReplaceInvalidUtf8(c.text)));
    }
    for (int byte = 0; byte < 256; ++byte) {
        const std::string utf8 = TextCodec::Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
        EXPECT_TRUE(TextCodec::FitsCp1251(utf8)) << "byte " << byte;
    }
}

// Guards against a strict conversion that lets a character through as '?' (a catalogue value
// would be stored changed without a word) or names another character than the first unfit
// one; and against a text of either encoding converted twice or not at all.
TEST(TextCodec, ExactlyAndIfValidConversions) {
    struct Case {
        const char* name;
        std::string text;
        bool exact;
        std::string bytes;  // Utf8ToCp1251Exactly when exact, else the first unfit character
        std::string ifValid;
    } cases[] = {
        {"ASCII", "T 1", true, "T 1", "T 1"},
        {"Cyrillic", "\xD0\x9F\xD1\x80", true, "\xCF\xF0", "\xCF\xF0"},
        {"question mark kept", "a?", true, "a?", "a?"},
        {"first unfit named", "a\xE4\xB8\xAD\xE2\x82\xBF", false, "\xE4\xB8\xAD",
         "a??"},  // CJK, then the bitcoin sign
        {"malformed counts as U+FFFD", "a\xD0", false, "\xEF\xBF\xBD", "a\xD0"},
        {"already CP1251", "\xCF\xEE\xEB\xE5", false, "\xEF\xBF\xBD", "\xCF\xEE\xEB\xE5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string unfit = "stale";
        const std::optional<std::string> bytes = TextCodec::Utf8ToCp1251Exactly(c.text, &unfit);
        EXPECT_EQ(bytes.has_value(), c.exact);
        EXPECT_EQ(c.exact ? bytes.value_or("") : unfit, c.bytes);
        EXPECT_EQ(TextCodec::Utf8ToCp1251IfValid(c.text), c.ifValid);
    }
}

}  // namespace
}  // namespace vg28
