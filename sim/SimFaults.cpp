#include "SimFaults.h"

namespace vg28::sim {

namespace {

constexpr std::string_view kNames[kFaultKindCount] = {"noise",   "lost",    "late",   "echo",
                                                      "foreign", "garbage", "doubled"};

}  // namespace

std::string_view FaultName(FaultKind kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

std::optional<FaultKind> FaultFromName(std::string_view name) {
    for (int i = 0; i < kFaultKindCount; ++i) {
        if (kNames[i] == name) return static_cast<FaultKind>(i);
    }
    return std::nullopt;
}

SimFaults::SimFaults(std::uint32_t seed, FaultRates rates) : m_random(seed), m_rates(rates) {}

unsigned SimFaults::Random(unsigned bound) {
    return bound == 0 ? 0 : static_cast<unsigned>(m_random() % bound);
}

std::optional<FaultKind> SimFaults::Next() {
    std::optional<FaultKind> kind;
    if (!m_forced.empty()) {
        kind = m_forced.front();
        m_forced.pop_front();
    } else {
        int total = 0;
        for (int rate : m_rates.perMille)
            total += rate;
        if (total > 0) {
            const int draw = static_cast<int>(Random(1000));
            int edge = 0;
            for (int i = 0; i < kFaultKindCount; ++i) {
                edge += m_rates.perMille[static_cast<std::size_t>(i)];
                if (draw < edge) {
                    kind = static_cast<FaultKind>(i);
                    break;
                }
            }
        }
    }
    if (kind) ++m_injected[static_cast<std::size_t>(*kind)];
    return kind;
}

unsigned char SimFaults::NoiseByte() {
    static const unsigned char kPunctuation[] = {'!', '#', '$', '%', '&', '*', '?', '~', '^', ' '};
    switch (Random(3)) {
        case 0:
            return 0x00;
        case 1:
            return static_cast<unsigned char>(0x80 + Random(0x80));
        default:
            return kPunctuation[Random(sizeof kPunctuation)];
    }
}

std::string SimFaults::NoiseBytes() {
    std::string bytes;
    const unsigned count = 1 + Random(8);
    for (unsigned i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(NoiseByte()));
    return bytes;
}

std::string SimFaults::GarbageLine() {
    std::string line;
    const unsigned count = 1 + Random(40);
    for (unsigned i = 0; i < count; ++i) {
        unsigned char byte = static_cast<unsigned char>(Random(256));
        if (byte == '\r' || byte == '\n') byte = '#';
        line.push_back(static_cast<char>(byte));
    }
    line.push_back('\r');
    return line;
}

std::string SimFaults::Mangle(std::string_view bytes) {
    const FaultRates& r = m_rates;
    if (r.dropBytesPerMille == 0 && r.flipBytesPerMille == 0 && r.insertBytesPerMille == 0)
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const int draw = static_cast<int>(Random(1000));
        if (draw < r.dropBytesPerMille) {
            ++m_dropped;
        } else if (draw < r.dropBytesPerMille + r.flipBytesPerMille) {
            ++m_flipped;
            out.push_back(static_cast<char>(c ^ (1 << Random(8))));
        } else if (draw < r.dropBytesPerMille + r.flipBytesPerMille + r.insertBytesPerMille) {
            ++m_inserted;
            out.push_back(static_cast<char>(Random(256)));
            out.push_back(c);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace vg28::sim
