#include <iconv.h>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vg28
