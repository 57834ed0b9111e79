#pragma once
// A pseudo-terminal pair for the tests of the real serial path: the test holds the master, the
// port opens the slave path (as vg28-sim prints it).

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace vg28::test {

struct PtyPair {
    int master = -1;
    std::string slave;

    PtyPair() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            char name[128] = {};
            if (::ptsname_r(master, name, sizeof name) == 0) slave = name;
        }
    }
    ~PtyPair() {
        if (master >= 0) ::close(master);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
};

}  // namespace vg28::test
