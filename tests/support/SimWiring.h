#pragma once
// What every end-to-end rig stands on, made in one place: a fake clock at 2011-01-18 15:30:00,
// the simulated instrument network on that clock, a project document with the shipped sensor
// database in its own program folder (the TestProject this is), and a packet link. A rig opens
// the link on the network, or, as the session does, makes lines of its own with NewLine.

#include <memory>
#include <string>

#include "SimNetwork.h"
#include "link/PacketLink.h"
#include "link/SerialLine.h"
#include "platform/FakeClock.h"
#include "project/CurrentState.h"
#include "support/TestProject.h"

namespace vg28::test {

struct SimWiring : TestProject {
    explicit SimWiring(const sim::SimNetworkConfig& config = {});

    // A new line to the network; every line reaches the same far end, so the instruments keep
    // their state across reconnections.
    std::unique_ptr<SerialLine> NewLine(const std::string& name = kSimulatorPortName);
    // The link opened on a new line, keeping the state of the connection in state.
    void OpenLink(CurrentState& state);

    FakeClock clock{LocalTime{2011, 1, 18, 15, 30, 0}};
    std::shared_ptr<sim::SimNetwork> network;
    PacketLink link{clock};
};

}  // namespace vg28::test
