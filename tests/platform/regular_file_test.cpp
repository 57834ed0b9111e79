#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/RegularFile.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

// Guards against a pipe, device or folder in the place of a file being opened (a FIFO without
// a writer would block), a regular file refused, a link to a regular file refused, or the
// descriptor of a regular file left non-blocking.
TEST(RegularFile, OnlyRegularFilesOpen) {
    test::TempFolder folder;
    folder.WriteFile("plain", "abc");
    ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.File("folder"));
    std::filesystem::create_symlink(folder.File("plain"), folder.File("link"));
    std::filesystem::create_symlink("/dev/null", folder.File("device"));
    const struct {
        const char* name;
        bool opens;
    } cases[] = {
        {"plain", true},   {"link", true},    {"fifo", false},
        {"folder", false}, {"device", false}, {"missing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int flags : {O_RDONLY, O_RDWR}) {
            const int fd = OpenRegularFile(folder.File(c.name), flags);
            EXPECT_EQ(fd >= 0, c.opens);
            if (fd < 0) continue;
            EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
            EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
            ::close(fd);
        }
        const auto content = ReadRegularFile(folder.File(c.name));
        EXPECT_EQ(content.has_value(), c.opens);
        if (content) {
            EXPECT_EQ(*content, "abc");
        }
    }
    EXPECT_FALSE(ReadRegularFile(folder.File("plain"), 2).has_value());
    EXPECT_EQ(ReadRegularFile(folder.File("plain"), 3).value_or(""), "abc");
}

}  // namespace
}  // namespace vg28
