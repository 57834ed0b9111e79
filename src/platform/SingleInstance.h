#pragma once
// Keeps a second copy of the program from running: a lock file with the given name in the
// user's runtime folder, held with flock for the life of the object. The lock goes away with the
// process, so a crash never leaves a stale lock behind.

#include <string>

namespace vg28 {

class SingleInstance {
public:
    // folder: where the lock file lives; empty means $XDG_RUNTIME_DIR, else /tmp.
    explicit SingleInstance(std::string name, std::string folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

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
