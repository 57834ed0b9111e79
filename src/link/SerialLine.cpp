#include "link/SerialLine.h"

#include "link/SerialPortLine.h"
#include "link/SimulatedLine.h"

namespace vg28 {

namespace {

SimulatorFactory& Factory() {
    static SimulatorFactory factory;
    return factory;
}

}  // namespace

void SetSimulatorFactory(SimulatorFactory factory) {
    Factory() = std::move(factory);
}

bool HasSimulatorFactory() {
    return static_cast<bool>(Factory());
}

std::unique_ptr<SerialLine> MakeSerialLine(const std::string& portName, Clock& clock) {
    if (portName == kSimulatorPortName) {
        std::shared_ptr<LinePeer> peer = Factory() ? Factory()(clock) : nullptr;
        return std::make_unique<SimulatedLine>(clock, std::move(peer), portName);
    }
    return std::make_unique<SerialPortLine>(portName, clock);
}

}  // namespace vg28
