#include "support/SimWiring.h"

#include <gtest/gtest.h>

#include "link/SimulatedLine.h"

namespace vg28::test {

SimWiring::SimWiring(const sim::SimNetworkConfig& config)
    : TestProject(LocaleAsItIs{}), network(std::make_shared<sim::SimNetwork>(config, clock)) {
    LoadSensors(ShippedSensorDatabase());
}

std::unique_ptr<SerialLine> SimWiring::NewLine(const std::string& name) {
    return std::make_unique<SimulatedLine>(clock, network, name);
}

void SimWiring::OpenLink(CurrentState& state) {
    link.SetState(&state);
    EXPECT_TRUE(link.OpenLine(NewLine())) << "the simulated line did not open";
}

}  // namespace vg28::test
