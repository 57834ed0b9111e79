#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vg28 {

namespace {

bool IsRegular(const struct stat& info) {
    if (S_ISREG(info.st_mode)) return true;
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return false;
}

}  // namespace

int OpenRegularFile(const std::string& path, int flags) {
    // A device is not opened at all (opening one may have effects of its own); the check on the
    // open descriptor covers a file replaced in between. O_NONBLOCK keeps the open of a FIFO
    // from waiting for a writer; on a regular file it changes nothing and is cleared again.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !IsRegular(info)) return -1;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    const int status = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !IsRegular(info) || status < 0 ||
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxSize) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[16384];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (static_cast<std::size_t>(got) > maxSize - content.size()) {
            ok = false;
            errno = EFBIG;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    const int error = errno;
    ::close(fd);
    if (!ok) {
        errno = error;
        return std::nullopt;
    }
    return content;
}

}  // namespace vg28
