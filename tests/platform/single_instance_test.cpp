#include <gtest/gtest.h>

#include "platform/SingleInstance.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

// Guards against two copies running at once, and against a lock that outlives its holder.
TEST(SingleInstance, SecondHolderRefusedUntilFirstReleases) {
    test::TempFolder folder;
    SingleInstance first("Arbolux28", folder.Path());
    SingleInstance second("Arbolux28", folder.Path());
    ASSERT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
    first.Release();
    EXPECT_TRUE(second.Acquire());
    EXPECT_EQ(second.LockPath(), folder.Path() + "Arbolux28.lock");
    SingleInstance nowhere("Arbolux28", folder.File("missing/folder"));
    EXPECT_FALSE(nowhere.Acquire());
}

}  // namespace
}  // namespace vg28
