#include "link/SerialPortLine.h"

namespace vg28 {

void SerialPortLine::Open(const LineSettings& settings) {
    m_port.Open(m_device, settings.baudRate, settings.parity, settings.dataBits, settings.stopBits,
                settings.flowControl, false);
}

}  // namespace vg28
