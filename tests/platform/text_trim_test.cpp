#include <gtest/gtest.h>

#include <string>

#include "platform/TextTrim.h"

namespace vg28 {
namespace {

// Guards against one trim for all readers: the settings profile trims blanks and any CR or LF
// left in a line, the sensor catalogue only spaces and tabs (a CR it meets is part of the
// value), and a sensor description field only blanks before it but blanks and CR after it.
TEST(TextTrim, EachReaderTrimsItsOwnCharacters) {
    struct Case {
        const char* name;
        std::string text;
        const char* blanks;            // the catalogue's values
        const char* blanksAndEnds;     // the profile's lines
        const char* descriptionField;  // blanks before, blanks and line ends after
    } cases[] = {
        {"plain", "value", "value", "value", "value"},
        {"spaces and tabs", " \t value \t ", "value", "value", "value"},
        {"CR at the end", "value\r", "value\r", "value", "value"},
        {"CR before a blank", "value\r \t", "value\r", "value", "value"},
        {"LF and CR at the start", "\n\rvalue", "\n\rvalue", "value", "\n\rvalue"},
        {"CR inside", " a\rb ", "a\rb", "a\rb", "a\rb"},
        {"only blanks", " \t ", "", "", ""},
        {"only line ends", "\r\n", "\r\n", "", ""},
        {"empty", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Trim(c.text, kBlanks), c.blanks);
        EXPECT_EQ(Trim(c.text, kBlanksAndLineEnds), c.blanksAndEnds);
        EXPECT_EQ(TrimEnd(TrimStart(c.text, kBlanks), kBlanksAndLineEnds), c.descriptionField);
    }
}

}  // namespace
}  // namespace vg28
