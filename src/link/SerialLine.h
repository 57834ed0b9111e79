#pragma once
// The byte line under the packet link: a serial port (a device or a pseudo-terminal) or the
// in-process simulated instrument, chosen by the port name. Operations that fail throw
// CSerialException, exactly as CSerialPort does; the packet link catches it.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "link/LinePeer.h"
#include "link/SerialTimeouts.h"

namespace vg28 {

class Clock;

class SerialLine {
public:
    virtual ~SerialLine() = default;

    virtual void Open(const LineSettings& settings) = 0;
    // Non-zero on success, -1 when the line was not open; never throws.
    virtual int Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* data, std::size_t count) = 0;
    virtual void SetTimeouts(const SerialTimeouts& timeouts) = 0;
    virtual void SetDtr() = 0;
    virtual void ClearDtr() = 0;
    // Drops the bytes received but not read yet. A line whose bytes are scripted in advance
    // (a test double) keeps them: the default does nothing.
    virtual void PurgeInput() {}
    // The port name the line was made for.
    virtual const std::string& Name() const = 0;
};

// The port name that selects the built-in simulated instrument.
inline constexpr const char* kSimulatorPortName = "simulator";

// Makes the simulated instrument's far end for a line; installed by the simulator library.
using SimulatorFactory = std::function<std::shared_ptr<LinePeer>(Clock& clock)>;
void SetSimulatorFactory(SimulatorFactory factory);
bool HasSimulatorFactory();

// The line for a port name: "simulator" gives a SimulatedLine over a fresh simulated
// instrument (its Open fails when no simulator is installed); any other name is a serial
// device path. The line is not opened yet.
std::unique_ptr<SerialLine> MakeSerialLine(const std::string& portName, Clock& clock);

}  // namespace vg28
