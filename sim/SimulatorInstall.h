#pragma once
// Makes the port name "simulator" reach a simulated instrument in this process: every line
// opened on it gets a fresh SimNetwork built from the given configuration, on the line's clock.

#include "SimNetwork.h"

namespace vg28::sim {

// The simulated line a new user meets: one instrument on a direct cable, recording, with the
// weather-station module and a project whose sensors the shipped catalogue knows.
SimNetworkConfig DefaultSimulatorConfig();

void InstallSimulator(const SimNetworkConfig& config = DefaultSimulatorConfig());

}  // namespace vg28::sim
