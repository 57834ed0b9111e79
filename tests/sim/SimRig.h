#pragma once
// A terminal side wired to the simulator for end-to-end tests: the common wiring (fake clock,
// simulated network, packet link, a document with the shipped sensor database) and the command
// set, on the document's state when asked for, else on a state of its own.

#include <cstddef>

#include "SimNetwork.h"
#include "platform/FixedText.h"
#include "protocol/InstrumentCommands.h"
#include "support/SimWiring.h"

namespace vg28::test {

struct SimRig : SimWiring {
    CurrentState ownState{};
    InstrumentCommands commands{link};

    explicit SimRig(const sim::SimNetworkConfig& config = {}, bool withDocument = false,
                    const char* address = "")
        : SimWiring(config) {
        CurrentState* state = &ownState;
        if (withDocument) {
            state = &doc->m_rCurState;
            commands.SetDocument(doc.get());
        }
        CopyText(state->address, address);
        state->firmwareVersion = 0x01000205;
        OpenLink(*state);
    }

    CurrentState& State() { return *link.State(); }
    sim::SimInstrument& Instrument(std::size_t i = 0) { return network->Instrument(i); }
    std::size_t RequestCount() const { return network->Requests().size(); }
};

}  // namespace vg28::test
