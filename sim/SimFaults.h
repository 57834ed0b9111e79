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
    Doubled,    // the reply comes twice
};
inline constexpr int kFaultKindCount = 7;

std::string_view FaultName(FaultKind kind);
std::optional<FaultKind> FaultFromName(std::string_view name);

struct FaultRates {
    std::array<int, kFaultKindCount> perMille{};  // by FaultKind
    // Faults of single bytes the instrument side sends, per mille of the bytes: dropped, one
    // bit flipped, a random byte inserted before it.
    int dropBytesPerMille = 0;
    int flipBytesPerMille = 0;
    int insertBytesPerMille = 0;
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

    // The bytes with the byte faults applied (unchanged when their rates are 0).
    std::string Mangle(std::string_view bytes);
    long long DroppedBytes() const { return m_dropped; }
    long long FlippedBytes() const { return m_flipped; }
    long long InsertedBytes() const { return m_inserted; }

private:
    unsigned Random(unsigned bound);
    unsigned char NoiseByte();

    std::mt19937 m_random;
    FaultRates m_rates;
    std::deque<FaultKind> m_forced;
    std::array<int, kFaultKindCount> m_injected{};
    long long m_dropped = 0;
    long long m_flipped = 0;
    long long m_inserted = 0;
};

}  // namespace vg28::sim
