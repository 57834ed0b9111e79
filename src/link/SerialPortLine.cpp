#include "link/SerialPortLine.h"

namespace vg28 {

SerialPortLine::SerialPortLine(std::string device, Clock& clock) : m_device(std::move(device)) {
    m_port.SetWaitHook([&clock] { return clock.StopRequested(); });
}

void SerialPortLine::Open(const LineSettings& settings) {
    m_port.Open(m_device, settings.baudRate, settings.parity, settings.dataBits, settings.stopBits,
                settings.flowControl, false);
}

}  // namespace vg28
