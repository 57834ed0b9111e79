#ifndef _WIN32
#include "link/PortStatus.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "link/PortEnumerator.h"

namespace vg28 {

namespace {

bool IsExclusive(int fd) {
#ifdef TIOCGEXCL
    int exclusive = 0;
    return ::isatty(fd) && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
#else
    (void)fd;
    return false;
#endif
}

// Whether another program holds the open device: its lock or its exclusive mode (which root
// may open through). Unknown when the lock cannot be tried.
std::optional<bool> IsHeld(int fd) {
    if (IsExclusive(fd)) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        ::flock(fd, LOCK_UN);
        return false;
    }
    if (errno == EWOULDBLOCK) return true;
    return std::nullopt;
}

}  // namespace

PortStatus PortStatus::Of(const std::string& name) {
    PortStatus status;
    status.name = name;
    std::error_code error;
    const std::filesystem::path device = std::filesystem::canonical(name, error);
    status.device = error ? name : device.string();

    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        status.access = true;
        status.inUse = IsHeld(fd);
        ::close(fd);
        return status;
    }
    const int openError = errno;
    // Another program's exclusive mode refuses the open whatever the permissions say.
    status.access =
        openError != EACCES && openError != EPERM && ::access(name.c_str(), R_OK | W_OK) == 0;
    if (openError == EBUSY) status.inUse = true;
    return status;
}

std::vector<PortStatus> PortStatus::List(const PortEnumerator& ports) {
    std::vector<PortStatus> list;
    for (const std::string& name : ports.Ports())
        list.push_back(Of(name));
    return list;
}

}  // namespace vg28
#endif
