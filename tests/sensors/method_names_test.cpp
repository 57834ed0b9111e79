#include <gtest/gtest.h>

#include <string>

#include "sensors/MethodNames.h"
#include "sensors/SensorRecord.h"

namespace vg28 {
namespace {

// Guards against a method written under one name and read under another, and against a
// number outside the three given a name (each writer shows such a number its own way: the
// sensor line as STD, the catalogue as the number, vg28-tool as "?").
TEST(MethodNames, NamesAndNumbersBothWays) {
    struct Case {
        int method;
        const char* name;  // nullptr: no name
    } cases[] = {
        {kMethodStd, "STD"}, {kMethodComp, "COMP"}, {kMethodAvg, "AVG"},
        {3, nullptr},        {-1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        const auto name = MethodName(c.method);
        ASSERT_EQ(name.has_value(), c.name != nullptr);
        if (!c.name) continue;
        EXPECT_EQ(*name, c.name);
        EXPECT_EQ(MethodOfName(c.name), c.method);
    }
    for (const char* other : {"std", "Comp", "AVG ", "", "STDX"})
        EXPECT_FALSE(MethodOfName(other).has_value()) << other;
}

}  // namespace
}  // namespace vg28
