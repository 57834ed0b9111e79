#include "support/OtherUser.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace vg28::test {

namespace {

const passwd* Nobody() {
    return ::getpwnam("nobody");
}

}  // namespace

bool CanActAsOtherUser() {
    return ::geteuid() == 0 && Nobody() != nullptr;
}

std::optional<std::string> RunAsOtherUser(const std::function<std::string()>& fn) {
    if (!CanActAsOtherUser()) return std::nullopt;
    const uid_t uid = Nobody()->pw_uid;
    const gid_t gid = Nobody()->pw_gid;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) _exit(2);
        const std::string result = fn();
        const ssize_t written = ::write(pipeEnds[1], result.data(), result.size());
        _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return result;
}

std::optional<std::string> RunUnprivileged(const std::function<std::string()>& fn) {
    if (::geteuid() != 0) return fn();
    return RunAsOtherUser(fn);
}

bool MakeDeviceOfOtherGroup(const std::string& path) {
    if (::geteuid() != 0) return ::chmod(path.c_str(), 0) == 0;
    const group* dialout = ::getgrnam("dialout");
    const gid_t gid = dialout ? dialout->gr_gid : 0;
    return ::chown(path.c_str(), 0, gid) == 0 && ::chmod(path.c_str(), 0660) == 0;
}

void OpenToOtherUsers(const std::string& folder) {
    ::chmod(folder.c_str(), 0755);
}

}  // namespace vg28::test
