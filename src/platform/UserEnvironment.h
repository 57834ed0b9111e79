#pragma once
// What the program knows about the user it runs for: the home and base folders of the XDG
// rules, the user id and the root of temporary folders. The real one comes from the process's
// environment; tests build their own to try every case without touching the real folders.

#include <sys/types.h>
#include <string>

namespace vg28 {

struct UserEnvironment {
    std::string home;        // $HOME, else the home folder of the password database
    std::string dataHome;    // $XDG_DATA_HOME when it is an absolute path, else empty
    std::string cacheHome;   // $XDG_CACHE_HOME when it is an absolute path, else empty
    std::string runtimeDir;  // $XDG_RUNTIME_DIR when it is an absolute path, else empty
    uid_t uid = 0;
    std::string tempRoot = "/tmp";

    // The environment of this process. Relative XDG paths are ignored, as the XDG rules say.
    static UserEnvironment FromProcess();
};

}  // namespace vg28
