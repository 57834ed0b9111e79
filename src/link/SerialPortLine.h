#pragma once
// A SerialLine over a CSerialPort: a serial device or a pseudo-terminal named by its path (on
// Windows a "COM%d" name). Owns the port; failures throw CSerialException. The port's waits run
// the clock's wait hook (Clock::StopRequested), so that a line on the real clock keeps the
// program alive and stops when asked, and one on a fake clock runs the test's pump.

#include "link/CSerialPort.h"
#include "link/SerialLine.h"
#include "platform/Clock.h"

namespace vg28 {

class SerialPortLine final : public SerialLine {
public:
    // The clock outlives the line.
    SerialPortLine(std::string device, Clock& clock);

    void Open(const LineSettings& settings) override;
    int Close() override { return m_port.Close(); }
    bool IsOpen() const override { return m_port.IsOpen(); }
    std::size_t Read(void* buffer, std::size_t count) override {
        return m_port.Read(buffer, count);
    }
    std::size_t Write(const void* data, std::size_t count) override {
        return m_port.Write(data, count);
    }
    void SetTimeouts(const SerialTimeouts& timeouts) override { m_port.SetTimeouts(timeouts); }
    void SetDtr() override { m_port.SetDtr(); }
    void ClearDtr() override { m_port.ClearDtr(); }
    void PurgeInput() override { m_port.PurgeInput(); }
    const std::string& Name() const override { return m_device; }

    CSerialPort& Port() { return m_port; }

private:
    std::string m_device;
    CSerialPort m_port;
};

}  // namespace vg28
