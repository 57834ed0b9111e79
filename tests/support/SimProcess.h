#pragma once
// vg28-sim started as a separate program serving a pseudo-terminal, for the tests of the real
// serial path. Start waits until the program has printed its device path; Stop (also on
// destruction) ends it and reports whether it exited cleanly.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vg28::test {

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Runs vg28-sim with the arguments; the first line it prints is returned (its pty path).
    // With errorFile its standard error (the request log of --verbose) goes to that file.
    std::string Start(const std::vector<std::string>& arguments, const std::string& errorFile = {});
    // Ends the program; true when it exited normally on the signal.
    bool Stop();

private:
    pid_t m_child = -1;
};

}  // namespace vg28::test
