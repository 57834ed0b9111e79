#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/SingleInstance.h"
#include "support/OtherUser.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

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

// Guards against a lock folder shared with other users (/tmp itself), one inherited from
// another user ($XDG_RUNTIME_DIR kept by su), or one that someone else made or pointed
// elsewhere with a link.
TEST(SingleInstance, UserLockFolderIsTheUsersOwn) {
    const uid_t me = ::getuid();
    const std::string mine = "vg28-" + std::to_string(me);
    const std::string theirs = "vg28-" + std::to_string(me + 1000);
    struct Case {
        const char* name;
        bool runtimeDir;  // $XDG_RUNTIME_DIR names the test's "run" folder
        uid_t uid;
        const char* prepare;  // "link": tmp/<mine> links to a folder; "open": it is mode 0777
        bool home;
        std::string expected;  // under the test folder; empty: none
        mode_t mode;           // of the folder chosen, 0: not checked
    } cases[] = {
        {"runtime folder of the user's", true, me, "", true, "run/", 0},
        {"no runtime folder", false, me, "", true, "tmp/" + mine + "/", 0700},
        {"runtime folder of another user", true, me + 1000, "", true, "home/.cache/vg28/", 0},
        {"fallback folder of another user", false, me + 1000, "", true, "home/.cache/vg28/", 0},
        {"fallback folder is a link", false, me, "link", true, "home/.cache/vg28/", 0},
        {"fallback folder open to others", false, me, "open", true, "tmp/" + mine + "/", 0700},
        {"nothing of the user's", false, me + 1000, "", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder root;
        fs::create_directories(root.File("run"));
        fs::create_directories(root.File("tmp"));
        fs::create_directories(root.File("elsewhere"));
        if (std::string(c.prepare) == "link")
            fs::create_directory_symlink(root.File("elsewhere"), root.File("tmp/" + mine));
        if (std::string(c.prepare) == "open") {
            fs::create_directories(root.File("tmp/" + mine));
            ::chmod(root.File("tmp/" + mine).c_str(), 0777);
        }
        // Another user's fallback folder, already made.
        fs::create_directories(root.File("tmp/" + theirs));
        UserEnvironment environment;
        environment.uid = c.uid;
        environment.tempRoot = root.File("tmp");
        if (c.runtimeDir) environment.runtimeDir = root.File("run");
        if (c.home) {
            fs::create_directories(root.File("home"));
            environment.home = root.File("home");
        }
        const std::string folder = SingleInstance::UserLockFolder(environment);
        EXPECT_EQ(folder, c.expected.empty() ? "" : root.File(c.expected));
        if (c.mode != 0) {
            EXPECT_EQ(ModeOf(folder), c.mode);
        }
        if (folder.empty()) continue;
        SingleInstance first("Arbolux28", folder);
        SingleInstance second("Arbolux28", folder);
        EXPECT_TRUE(first.Acquire());
        EXPECT_FALSE(second.Acquire());
    }
}

// Guards against a lock file left behind (by a copy that crashed, or one made by hand)
// keeping the program from starting.
TEST(SingleInstance, StaleLockFileNeverBlocks) {
    test::TempFolder folder;
    folder.WriteFile("Arbolux28.lock", "left over");
    {
        SingleInstance left("Arbolux28", folder.Path());
        EXPECT_TRUE(left.Acquire());
    }
    // A copy that holds the lock and dies without releasing it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance dying("Arbolux28", folder.Path());
        _exit(dying.Acquire() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    SingleInstance next("Arbolux28", folder.Path());
    EXPECT_TRUE(next.Acquire());
}

// Guards against one user's running copy keeping another user's copy from starting (the lock
// file of a shared /tmp, mode 0600, that the second user can neither open nor lock).
TEST(SingleInstance, AnotherUsersLockNeverBlocks) {
    if (!test::CanActAsOtherUser()) GTEST_SKIP() << "needs root to act as a second user";
    test::TempFolder root;
    test::OpenToOtherUsers(root.Path());
    fs::create_directories(root.File("tmp"));
    ::chmod(root.File("tmp").c_str(), 01777);  // as /tmp is
    UserEnvironment mine;
    mine.uid = ::getuid();
    mine.tempRoot = root.File("tmp");
    SingleInstance running("Arbolux28", SingleInstance::UserLockFolder(mine));
    ASSERT_TRUE(running.Acquire());
    const auto other = test::RunAsOtherUser([&] {
        UserEnvironment theirs;
        theirs.uid = ::getuid();
        theirs.tempRoot = root.File("tmp");
        SingleInstance second("Arbolux28", SingleInstance::UserLockFolder(theirs));
        return std::string(second.Acquire() ? "started" : "refused");
    });
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(*other, "started");
}

}  // namespace
}  // namespace vg28
