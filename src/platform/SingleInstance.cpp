#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ProgramFolder.h"

namespace vg28 {

namespace {

// A folder (not a link to one) owned by the user.
bool IsOwnFolder(const std::string& path, uid_t uid, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid;
}

bool IsOwnFolder(const std::string& path, uid_t uid) {
    struct stat info {};
    return IsOwnFolder(path, uid, info);
}

// <temp root>/vg28-<uid>: made if missing; someone else's folder or a link is never used.
std::string TempLockFolder(const UserEnvironment& environment) {
    const std::string folder = ProgramFolder::WithSeparator(environment.tempRoot) + "vg28-" +
                               std::to_string(environment.uid);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat info {};
    if (!IsOwnFolder(folder, environment.uid, info)) return {};
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return {};
    return folder + "/";
}

std::string CacheLockFolder(const UserEnvironment& environment) {
    std::string cache = environment.cacheHome;
    if (cache.empty() && !environment.home.empty())
        cache = ProgramFolder::WithSeparator(environment.home) + ".cache";
    if (cache.empty()) return {};
    const std::string folder = ProgramFolder::WithSeparator(cache) + "vg28";
    for (const std::string& path : {cache, folder}) {
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
    return folder + "/";
}

}  // namespace

SingleInstance::SingleInstance(std::string name, std::string folder) {
    if (folder.empty()) folder = UserLockFolder(UserEnvironment::FromProcess());
    if (folder.empty()) return;  // no folder of the user's: the lock cannot be made
    m_path = ProgramFolder::WithSeparator(folder) + name + ".lock";
}

SingleInstance::~SingleInstance() {
    Release();
}

std::string SingleInstance::UserLockFolder(const UserEnvironment& environment) {
    // A runtime folder inherited from another user (su, runuser) is not ours to use.
    if (!environment.runtimeDir.empty() && IsOwnFolder(environment.runtimeDir, environment.uid))
        return ProgramFolder::WithSeparator(environment.runtimeDir);
    if (std::string folder = TempLockFolder(environment); !folder.empty()) return folder;
    return CacheLockFolder(environment);
}

bool SingleInstance::Acquire() {
    if (m_fd >= 0) return true;
    if (m_path.empty()) return false;
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void SingleInstance::Release() {
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace vg28
