#pragma once
// The collector run in-process against vg28sim, on the rigs' common wiring (the fake clock, one
// simulated radio line whose far end stays for every round, so the instruments keep their
// records and projects, and a program folder holding the shipped sensor database), and the
// status the rounds update.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "collect/CollectStatus.h"
#include "collect/Collector.h"
#include "project/CProjectDoc.h"
#include "session/NetDevice.h"
#include "support/SimWiring.h"

namespace vg28::test {

class CollectRig : public SimWiring {
public:
    // Three instruments "a", "b", "c" at radio addresses 1, 2, 3 with the projects Demo1,
    // Demo2, Demo3 and the given records each, recording every 600 s.
    static sim::SimNetworkConfig ThreeInstruments(int records = 48);
    static NetDevice Device(const std::string& name, std::uint16_t address);

    // The devices of net.xcfg; empty: the direct line.
    CollectRig(const sim::SimNetworkConfig& config, std::vector<NetDevice> devices);
    ~CollectRig();

    // One round over the devices (search time and clock as given).
    RoundResult Round(int searchSeconds = 15, bool setClock = false);

    // The project file of that name as the PC has it; null when it does not load.
    std::unique_ptr<CProjectDoc> Project(const std::string& name);
    // Expects the project file to hold exactly the instrument's records, each once and equal
    // byte for byte to the instrument's record line as the document reads it.
    void ExpectProjectHoldsRecordsOf(const std::string& project, std::size_t instrument);
    // The requests the line carried that would change an instrument's project, mode or clock.
    std::vector<std::string> WritingRequests() const;

    sim::SimInstrument& Instrument(std::size_t i) { return network->Instrument(i); }
    const DeviceStatus& Status(std::size_t i) const { return status.devices.at(i); }

    std::vector<NetDevice> devices;
    CollectStatus status;
    // Made for each opened line: may wrap the simulated line (a test's own faults).
    std::function<std::unique_ptr<SerialLine>(std::unique_ptr<SerialLine>)> wrapLine;
    int afterDeviceCalls = 0;
};

}  // namespace vg28::test
