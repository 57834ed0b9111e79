#pragma once
// Keeps a second copy of the program from running for the same user: a lock file with the given
// name in a folder of the user's own, held with flock for the life of the object. The lock goes
// away with the process, so a lock file left by a crash never blocks; another user's lock lives
// in that user's folder and never blocks either.

#include <string>

#include "platform/UserEnvironment.h"

namespace vg28 {

class SingleInstance {
public:
    // folder: where the lock file lives; empty means UserLockFolder of this process.
    explicit SingleInstance(std::string name, std::string folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The folder for the user's locks, ending with '/': $XDG_RUNTIME_DIR when it is a folder of
    // the user's; else <temp root>/vg28-<uid>/, made with mode 0700 and taken only when it is a
    // real folder (not a link) owned by the user, closed to everyone else; else the user's
    // cache folder ($XDG_CACHE_HOME/vg28/, else ~/.cache/vg28/). Empty when none can be had.
    static std::string UserLockFolder(const UserEnvironment& environment);

    // True when this object holds the lock; false when another process (or object) holds it or
    // the lock file cannot be made.
    bool Acquire();
    void Release();
    const std::string& LockPath() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace vg28
