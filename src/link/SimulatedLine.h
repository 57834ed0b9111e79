#pragma once
// A SerialLine to an in-process far end (the simulated instrument). Reads honour the line's
// time-outs on the given Clock: with a fake clock a 2-second time-out passes in no real time.
// The reads wait through the clock, so they run its wait hook; a stop it asks for ends the read
// with CSerialException::kStopped.
// Using the line while closed throws CSerialException, as a closed port does.

#include <memory>
#include <string>

#include "link/LinePeer.h"
#include "link/SerialLine.h"

namespace vg28 {

class Clock;

class SimulatedLine final : public SerialLine {
public:
    // peer may be null: the line then fails to open (no simulator available).
    SimulatedLine(Clock& clock, std::shared_ptr<LinePeer> peer,
                  std::string name = kSimulatorPortName);

    void Open(const LineSettings& settings) override;
    int Close() override;
    bool IsOpen() const override { return m_open; }
    std::size_t Read(void* buffer, std::size_t count) override;
    void PurgeInput() override;
    std::size_t Write(const void* data, std::size_t count) override;
    void SetTimeouts(const SerialTimeouts& timeouts) override;
    void SetDtr() override;
    void ClearDtr() override;
    const std::string& Name() const override { return m_name; }

    const LineSettings& Settings() const { return m_settings; }
    const SerialTimeouts& Timeouts() const { return m_timeouts; }
    bool DtrRaised() const { return m_dtr; }
    LinePeer* Peer() const { return m_peer.get(); }

private:
    void RequireOpen() const;

    Clock& m_clock;
    std::shared_ptr<LinePeer> m_peer;
    std::string m_name;
    bool m_open = false;
    bool m_dtr = false;
    LineSettings m_settings{};
    SerialTimeouts m_timeouts{};
};

}  // namespace vg28
