#pragma once
// A terminal side wired to the simulator for end-to-end tests: fake clock, simulated line,
// packet link, command set and, when asked for, a project document with the shipped sensor
// database in its own temporary program folder.

#include <memory>
#include <string>

#include "SimNetwork.h"
#include "base/Profile.h"
#include "link/PacketLink.h"
#include "link/SimulatedLine.h"
#include "platform/FakeClock.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"
#include "sensors/SensorDatabase.h"
#include "support/TempFolder.h"

namespace vg28::test {

inline std::string ShippedSensorDatabase() {
    return std::string(VG28_PROGRAM_DIR) + "/sensors.dat";
}

struct SimRig {
    FakeClock clock{LocalTime{2011, 1, 18, 15, 30, 0}};
    std::shared_ptr<sim::SimNetwork> network;
    TempFolder folder;
    Profile profile{folder.File("vg28.ini")};
    SensorDatabase sensors;
    std::unique_ptr<CProjectDoc> doc;
    CurrentState ownState{};
    PacketLink link{clock};
    InstrumentCommands commands{link};

    explicit SimRig(const sim::SimNetworkConfig& config = {}, bool withDocument = false,
                    const char* address = "") {
        network = std::make_shared<sim::SimNetwork>(config, clock);
        CurrentState* state = &ownState;
        if (withDocument) {
            sensors.Load(ShippedSensorDatabase());
            doc = std::make_unique<CProjectDoc>(folder.Path(), profile, sensors);
            state = &doc->m_rCurState;
            commands.SetDocument(doc.get());
        }
        CopyText(state->address, address);
        state->firmwareVersion = 0x01000205;
        link.SetState(state);
        link.OpenLine(std::make_unique<SimulatedLine>(clock, network));
    }

    CurrentState& State() { return *link.State(); }
    sim::SimInstrument& Instrument(std::size_t i = 0) { return network->Instrument(i); }
    std::size_t RequestCount() const { return network->Requests().size(); }
};

}  // namespace vg28::test
