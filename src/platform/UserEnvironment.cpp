#include "platform/UserEnvironment.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vg28 {

namespace {

std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return {};
    return value;
}

std::string HomeOfUser(uid_t uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return found->pw_dir;
}

}  // namespace

UserEnvironment UserEnvironment::FromProcess() {
    UserEnvironment environment;
    environment.uid = ::getuid();
    environment.home = AbsoluteVariable("HOME");
    if (environment.home.empty()) environment.home = HomeOfUser(environment.uid);
    environment.dataHome = AbsoluteVariable("XDG_DATA_HOME");
    environment.cacheHome = AbsoluteVariable("XDG_CACHE_HOME");
    environment.runtimeDir = AbsoluteVariable("XDG_RUNTIME_DIR");
    return environment;
}

}  // namespace vg28
