#include <gtest/gtest.h>

#include <string>

#include "project/PlugAndPlay.h"

namespace vg28 {
namespace {

// Guards against the two readings of "Plug and Play" merged into one: the free-channel mark
// takes any ID that begins with the word, the placeholder only the word itself.
TEST(PlugAndPlay, MarkByPrefixPlaceholderByEquality) {
    struct Case {
        std::string id;
        bool placeholder;  // IsPlugAndPlay
        bool mark;         // IsFreeChannelMark
    } cases[] = {
        {"Plug and Play", true, true},   {"Plug and Play 2", false, true},
        {"Plug and PlayX", false, true}, {"plug and play", false, false},
        {"Plug and Pla", false, false},  {" Plug and Play", false, false},
        {"KWS/AT", false, false},        {"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.id + "\"");
        EXPECT_EQ(IsPlugAndPlay(c.id), c.placeholder);
        EXPECT_EQ(IsEmptyOrPlugAndPlay(c.id), c.id.empty() || c.placeholder);
        EXPECT_EQ(IsFreeChannelMark(c.id), c.mark);
        EXPECT_EQ(IsFreeChannel(c.id), c.id.empty() || c.mark);
    }
}

}  // namespace
}  // namespace vg28
