#pragma once
// The collector's line: the port (or the simulated line) it wraps, with what the collector
// promises the instrument made sure of on the wire. A command that would change the
// instrument's project (its name, period, flags or sensors, clearing it, formatting the
// memory) or its mode is never written; neither is the clock setting unless the clock may be
// set. Such a write sends nothing and reports 0 bytes written, and the refusal is counted, so
// that a synchronization that tried one is ended as failed. The line also counts the bytes
// each way, and once a stop is requested its reads return at once with nothing.
//
// The line owns the wrapped one. It throws what the wrapped line throws (CSerialException).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "link/SerialLine.h"

namespace vg28 {

class CollectorLine final : public SerialLine {
public:
    CollectorLine(std::unique_ptr<SerialLine> line, bool clockMayBeSet);

    void Open(const LineSettings& settings) override;
    int Close() override;
    bool IsOpen() const override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* data, std::size_t count) override;
    void SetTimeouts(const SerialTimeouts& timeouts) override;
    void SetDtr() override;
    void ClearDtr() override;
    void PurgeInput() override;
    const std::string& Name() const override;

    std::uint64_t BytesSent() const { return m_sent; }
    std::uint64_t BytesReceived() const { return m_received; }
    int RefusedWrites() const { return m_refused; }
    int RefusedClockSettings() const { return m_refusedClock; }
    int ClockSettingsSent() const { return m_clockSent; }

    // Whether a request line (without its CR; an address prefix ":name;" is allowed) changes
    // the instrument's project or memory, its mode, or (for the clock) its clock.
    static bool ChangesProject(std::string_view request);
    static bool ChangesMode(std::string_view request);
    static bool SetsClock(std::string_view request);

private:
    // Whether one written piece (one or more lines, or a part of one) may go out.
    bool MayWrite(std::string_view bytes);

    std::unique_ptr<SerialLine> m_line;
    bool m_clockMayBeSet;
    // An address prefix written on its own waits for its command: both go out, or neither.
    std::string m_heldPrefix;
    std::uint64_t m_sent = 0;
    std::uint64_t m_received = 0;
    int m_refused = 0;
    int m_refusedClock = 0;
    int m_clockSent = 0;
};

}  // namespace vg28
