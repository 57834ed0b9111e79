#include "SimNetwork.h"

#include <algorithm>
#include <cctype>

#include "platform/Clock.h"

namespace vg28::sim {

namespace {

constexpr int kModemMs = 20;

}  // namespace

SimNetwork::SimNetwork(const SimNetworkConfig& config, Clock& clock)
    : m_clock(clock), m_config(config), m_faults(config.faultSeed, config.faults) {
    for (const SimInstrumentConfig& instrument : config.instruments) {
        m_instruments.push_back(std::make_unique<SimInstrument>(instrument, clock));
    }
}

SimInstrument* SimNetwork::FindInstrument(std::string_view name) {
    for (auto& instrument : m_instruments) {
        if (instrument->Name() == name) return instrument.get();
    }
    return nullptr;
}

bool SimNetwork::Reachable(const SimInstrument& instrument) const {
    return instrument.RadioAddress() == 0 || !m_dialled || *m_dialled == instrument.RadioAddress();
}

void SimNetwork::Dial(const std::string& packet) {
    // "ATFH,DT <hex>,CN": the remote modem the radio talks to from now on.
    const std::string kDial = "ATFH,DT ";
    if (packet.compare(0, kDial.size(), kDial) != 0) return;
    unsigned address = 0;
    std::size_t i = kDial.size();
    bool digits = false;
    for (; i < packet.size() && std::isxdigit(static_cast<unsigned char>(packet[i])); ++i) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(packet[i])));
        address =
            (address * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10)) & 0xFFFFu;
        digits = true;
    }
    if (digits) m_dialled = static_cast<std::uint16_t>(address);
}

void SimNetwork::Queue(std::string_view text, std::int64_t at) {
    const std::string bytes = m_faults.Mangle(text);
    // A line starts when the one before it has been sent: replies never overtake each other.
    if (!m_queue.empty()) at = std::max(at, m_queue.back().at + m_config.byteMs);
    for (char c : bytes) {
        m_queue.push_back({at, static_cast<unsigned char>(c)});
        at += m_config.byteMs;
    }
}

void SimNetwork::Pump() {
    for (auto& instrument : m_instruments) {
        instrument->CatchUp();
        const std::int64_t now = m_clock.MonotonicMs();
        const std::optional<std::int64_t> due = instrument->NextMonitorAt();
        if (due && *due <= now && !Reachable(*instrument)) {
            instrument->TakeMonitorLine();  // sent into a radio nobody listens to
        } else if (due && *due <= now) {
            const std::string prefix =
                instrument->Name().empty() ? std::string() : ":" + instrument->Name() + ";";
            Queue(prefix + instrument->TakeMonitorLine(), *due);
        }
    }
}

void SimNetwork::Receive(std::string_view bytes) {
    Pump();
    if (m_config.localEcho) Queue(bytes, m_clock.MonotonicMs());
    m_input.append(bytes);
    for (;;) {
        // "+++" has no CR: the modem takes it as soon as it is complete.
        if (m_input.compare(0, 3, "+++") == 0) {
            m_input.erase(0, 3);
            m_requests.push_back("+++");
            if (m_config.modem) QueueReplies({{"OK\r", kModemMs}}, {}, "+++");
            continue;
        }
        const std::size_t cr = m_input.find('\r');
        if (cr == std::string::npos) break;
        std::string packet = m_input.substr(0, cr);
        m_input.erase(0, cr + 1);
        packet.erase(std::remove(packet.begin(), packet.end(), '\n'), packet.end());
        m_requests.push_back(packet);
        Dispatch(packet);
    }
    // A line that never ends is not kept for ever.
    if (m_input.size() > 4096) m_input.clear();
}

// The address prefix read as the instruments and the modem read it, apart from the terminal's
// AddressPrefix on purpose: a second reading of the same rule.
void SimNetwork::Dispatch(const std::string& packet) {
    if (packet.compare(0, 2, "AT") == 0) {
        if (!m_config.modem) return;
        Dial(packet);
        QueueReplies({{"OK\r", kModemMs}}, {}, packet);
        return;
    }
    SimInstrument* target = nullptr;
    std::string request = packet;
    std::string prefix;
    if (!packet.empty() && packet[0] == ':') {
        const std::size_t semicolon = packet.find(';');
        if (semicolon == std::string::npos) return;
        const std::string name = packet.substr(1, semicolon - 1);
        target = name.empty() ? nullptr : FindInstrument(name);
        request = packet.substr(semicolon + 1);
        prefix = ":" + name + ";";
    } else {
        target = FindInstrument("");
    }
    if (!target || !Reachable(*target)) return;
    QueueReplies(target->Handle(request), prefix, packet);
}

void SimNetwork::QueueReplies(std::vector<SimOutput> outputs, const std::string& prefix,
                              const std::string& packet) {
    if (outputs.empty()) return;
    const std::optional<FaultKind> fault = m_faults.Next();
    const std::int64_t now = m_clock.MonotonicMs();
    std::int64_t at = now;
    std::string noise;
    int copies = 1;
    if (fault) {
        switch (*fault) {
            case FaultKind::Lost:
                return;
            case FaultKind::Late:
                at += SimFaults::kLateMs;
                break;
            case FaultKind::Echo:
                Queue(packet + (packet == "+++" ? "" : "\r"), now);
                break;
            case FaultKind::Foreign: {
                // Another instrument answers as well: with its own reply when it is on the
                // network, else with a copy of this one.
                std::string line = outputs.front().line;
                if (SimInstrument* other = FindInstrument(m_config.foreignName)) {
                    const std::vector<SimOutput> own = other->Handle(packet.substr(prefix.size()));
                    if (!own.empty()) line = own.front().line;
                }
                Queue(":" + m_config.foreignName + ";" + line, now + kModemMs);
                break;
            }
            case FaultKind::Doubled:
                copies = 2;
                break;
            case FaultKind::Garbage:
                Queue(m_faults.GarbageLine(), now + kModemMs);
                break;
            case FaultKind::Noise:
                noise = m_faults.NoiseBytes();
                break;
        }
    }
    for (int copy = 0; copy < copies; ++copy) {
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            at += outputs[i].delayMs;
            const int lineCopies = i > 0 && m_config.faultEachLine ? LineFault(noise, at) : 1;
            for (int c = 0; c < lineCopies; ++c) {
                Queue(noise + prefix + outputs[i].line, at);
                noise.clear();
                if (!m_queue.empty()) at = m_queue.back().at;  // line faults may drop every byte
            }
        }
    }
}

int SimNetwork::LineFault(std::string& noise, std::int64_t& at) {
    const std::optional<FaultKind> fault = m_faults.Next();
    if (!fault) return 1;
    switch (*fault) {
        case FaultKind::Lost:
            return 0;
        case FaultKind::Late:
            at += SimFaults::kLateMs;
            return 1;
        case FaultKind::Doubled:
            return 2;
        case FaultKind::Noise:
            noise = m_faults.NoiseBytes();
            return 1;
        case FaultKind::Garbage:
            Queue(m_faults.GarbageLine(), at);
            return 1;
        case FaultKind::Foreign: {
            // A line of the other instrument's own: one of its records when it has any.
            const SimInstrument* other = FindInstrument(m_config.foreignName);
            const std::string line = other && !other->Records().empty()
                                         ? "RECORD;" + other->Records().back() + "\r"
                                         : "MODE;STOP\r";
            Queue(":" + m_config.foreignName + ";" + line, at);
            return 1;
        }
        case FaultKind::Echo:
            return 1;
    }
    return 1;
}

std::optional<std::int64_t> SimNetwork::NextByteAt() {
    Pump();
    if (!m_queue.empty()) return m_queue.front().at;
    std::optional<std::int64_t> next;
    for (auto& instrument : m_instruments) {
        const std::optional<std::int64_t> due = instrument->NextMonitorAt();
        if (due && (!next || *due < *next)) next = due;
    }
    return next;
}

std::optional<unsigned char> SimNetwork::TakeByte() {
    Pump();
    if (m_queue.empty() || m_queue.front().at > m_clock.MonotonicMs()) return std::nullopt;
    const unsigned char byte = m_queue.front().byte;
    m_queue.pop_front();
    return byte;
}

}  // namespace vg28::sim
