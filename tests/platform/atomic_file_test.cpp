#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/AtomicFile.h"
#include "platform/FixedText.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

// Guards against losing the old file when a replacement is abandoned half-way.
TEST(AtomicFile, OldContentSurvivesUntilCommit) {
    test::TempFolder folder;
    folder.WriteFile("data.bin", "old");
    {
        AtomicFile file(folder.File("data.bin"));
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("new content", 11));
        EXPECT_EQ(folder.ReadFile("data.bin"), "old");
    }  // destroyed without Commit
    EXPECT_EQ(folder.ReadFile("data.bin"), "old");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"data.bin"});

    AtomicFile file(folder.File("data.bin"));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(folder.ReadFile("data.bin"), "new");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"data.bin"});
}

// Guards against reporting success when the target cannot be replaced (a folder in the way).
TEST(AtomicFile, CommitOverAFolderFailsAndCleansUp) {
    test::TempFolder folder;
    ASSERT_EQ(::mkdir(folder.File("target").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(folder.File("target/inner").c_str(), 0755), 0);
    AtomicFile file(folder.File("target"));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"target"});
}

// Guards against overflowing fixed arrays or leaving them unterminated.
TEST(FixedText, CopyCutsAndTerminates) {
    char small[4];
    CopyText(small, "abcdef");
    EXPECT_EQ(TextOf(small), "abc");
    EXPECT_EQ(small[3], '\0');
    CopyText(small, std::string_view("a\0bc", 4));
    EXPECT_EQ(TextOf(small), "a");
    EXPECT_EQ(small[2], '\0');
    char full[3] = {'x', 'y', 'z'};  // no NUL at all
    EXPECT_EQ(TextOf(full), "xyz");
}

}  // namespace
}  // namespace vg28
