#pragma once
// Line faults the simulator injects into its replies, chosen with a seeded generator (rates in
// per mille of the replies) or forced for the next replies. Deterministic for a given seed and
// request sequence.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace vg28::sim {

enum class FaultKind : int {
    Noise = 0,  // stray bytes before the reply line
    Lost,       // the reply never comes
    Late,       // the reply comes after the link's read time-out
    Echo,       // the line echoes the request back before the reply
    Foreign,    // a line of another instrument comes before the reply
    Garbage,    // a line of garbage bytes comes before the reply
};
inline constexpr int kFaultKindCount = 6;

std::string_view FaultName(FaultKind kind);
std::optional<FaultKind> FaultFromName(std::string_view name);

struct FaultRates {
    std::array<int, kFaultKindCount> perMille{};  // by FaultKind
};

class SimFaults {
public:
    // How much later than usual a late reply comes (beyond the 2-second read time-out).
    static constexpr int kLateMs = 2600;

    explicit SimFaults(std::uint32_t seed = 1, FaultRates rates = {});

    void SetRates(const FaultRates& rates) { m_rates = rates; }
    // The next replies get these faults, in order, before any random choice.
    void Force(FaultKind kind) { m_forced.push_back(kind); }
    void ClearForced() { m_forced.clear(); }

    // The fault for the next reply, if any.
    std::optional<FaultKind> Next();

    // 1-8 noise bytes: NUL, bytes above 127 and punctuation, never CR, LF, ';' or ':'.
    std::string NoiseBytes();
    // A line of 1-40 garbage bytes (no CR or LF inside) ending with CR.
    std::string GarbageLine();

    int Injected(FaultKind kind) const { return m_injected[static_cast<std::size_t>(kind)]; }

private:
    unsigned Random(unsigned bound);
    unsigned char NoiseByte();

    std::mt19937 m_random;
    FaultRates m_rates;
    std::deque<FaultKind> m_forced;
    std::array<int, kFaultKindCount> m_injected{};
};

}  // namespace vg28::sim
