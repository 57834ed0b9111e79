#pragma once
// The simulated far end of the instrument line: a radio modem ("+++", "AT..."), one or more
// instruments (named ones answer only their own ":name;" prefix, an unnamed one answers
// unaddressed requests; one with a radio address only while the modem has dialled it), and the
// line faults. Replies are queued byte by byte with the times
// they arrive (20 ms after the request, one millisecond per byte), on the line's Clock.
// Nothing throws.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SimFaults.h"
#include "SimInstrument.h"
#include "link/LinePeer.h"

namespace vg28 {
class Clock;
}

namespace vg28::sim {

struct SimNetworkConfig {
    std::vector<SimInstrumentConfig> instruments{SimInstrumentConfig{}};
    bool modem = true;  // a radio modem answers "+++" and "AT..." with "OK"
    FaultRates faults;  // per mille of the replies
    std::uint32_t faultSeed = 1;
    int byteMs = 1;                        // transmit time of one byte (9600 baud is about 1 ms)
    std::string foreignName = "VG-OTHER";  // the instrument the foreign lines come from
    // The lines after the first of a reply of several lines (a record download) get a fault
    // decision each, as a radio link loses, delays or doubles single lines.
    bool faultEachLine = false;
    // The line echoes every byte the terminal sends back to it at once (a half-duplex modem or
    // a cable with its send and receive wires joined), before any reply.
    bool localEcho = false;
};

class SimNetwork final : public LinePeer {
public:
    SimNetwork(const SimNetworkConfig& config, Clock& clock);

    void Receive(std::string_view bytes) override;
    std::optional<std::int64_t> NextByteAt() override;
    std::optional<unsigned char> TakeByte() override;
    void SetDtr(bool raised) override { m_dtr = raised; }

    SimInstrument& Instrument(std::size_t index = 0) { return *m_instruments.at(index); }
    SimInstrument* FindInstrument(std::string_view name);
    // The address the modem dialled last ("ATFH,DT <hex>,CN"); none before the first dial.
    std::optional<std::uint16_t> DialledAddress() const { return m_dialled; }
    std::size_t InstrumentCount() const { return m_instruments.size(); }
    SimFaults& Faults() { return m_faults; }
    bool Dtr() const { return m_dtr; }
    // Request lines received, as they came (address prefix included, CR removed).
    const std::vector<std::string>& Requests() const { return m_requests; }
    // Bytes queued but not taken yet.
    std::size_t Pending() const { return m_queue.size(); }

private:
    struct QueuedByte {
        std::int64_t at;
        unsigned char byte;
    };

    void Pump();
    // Whether the instrument's modem hears the line at the dialled address.
    bool Reachable(const SimInstrument& instrument) const;
    void Dial(const std::string& packet);
    void Dispatch(const std::string& packet);
    void Queue(std::string_view bytes, std::int64_t at);
    void QueueReplies(std::vector<SimOutput> outputs, const std::string& prefix,
                      const std::string& packet);
    // Applies a fault to one line of a longer reply; returns how often the line is sent.
    int LineFault(std::string& noise, std::int64_t& at);

    Clock& m_clock;
    SimNetworkConfig m_config;
    std::vector<std::unique_ptr<SimInstrument>> m_instruments;
    SimFaults m_faults;
    std::string m_input;
    std::deque<QueuedByte> m_queue;
    std::vector<std::string> m_requests;
    bool m_dtr = false;
    std::optional<std::uint16_t> m_dialled;
};

}  // namespace vg28::sim
