#pragma once
// The command-line options of vg28-sim, turned into a simulated line's configuration.
// Parse reports a bad option as false with a message.

#include <string>
#include <vector>

#include "SimNetwork.h"

namespace vg28::sim {

struct SimOptions {
    SimNetworkConfig network;
    std::string linkPath;  // --link: a symbolic link to the pseudo-terminal
    bool verbose = false;

    bool Parse(const std::vector<std::string>& args, std::string& error);
    static const char* Usage();
};

}  // namespace vg28::sim
