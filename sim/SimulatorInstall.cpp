#include "SimulatorInstall.h"

#include "link/SerialLine.h"

namespace vg28::sim {

SimNetworkConfig DefaultSimulatorConfig() {
    return SimNetworkConfig{};
}

void InstallSimulator(const SimNetworkConfig& config) {
    SetSimulatorFactory([config](Clock& clock) -> std::shared_ptr<LinePeer> {
        return std::make_shared<SimNetwork>(config, clock);
    });
}

}  // namespace vg28::sim
