#pragma once
// The Em50 data logger hanging on the instrument, as the terminal meets it through "xdev;":
// version, its own clock, measurement interval, five port types, battery and a memory of raw
// readings taken every interval, handed out one at a time ("dump -new 1", "ack", "nack") and
// marked downloaded by "dump -write". Answers are the logger's lines without the instrument's
// "XDEV;< " wrapping; an empty list means no answer.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vg28::sim {

struct SimEm50Config {
    std::array<int, 5> ports = {159, 186, 187, 222, 250};
    int records = 3;     // readings in memory at the start, not yet downloaded
    int battery = 5234;  // "get -batt"
    int intervalMinutes = 10;
    int clockOffset = 0;  // seconds, logger clock minus the PC's local time
    std::uint32_t seed = 7;
    std::string version = "Em50 Ver 2.13";
};

struct SimEm50Reading {
    std::uint32_t time = 0;  // seconds since 2000-01-01 00:00:00 of the logger's clock
    std::array<std::uint32_t, 5> raw{};
};

class SimEm50 {
public:
    // The seconds between 1970-01-01 and 2000-01-01.
    static constexpr std::int64_t kEpoch2000 = 946684800;

    // pcLocalSeconds: the PC's local time as seconds counted like UTC, at creation.
    SimEm50(const SimEm50Config& config, std::int64_t pcLocalSeconds);

    // Takes the readings due by the given PC local time.
    void CatchUp(std::int64_t pcLocalSeconds);
    std::vector<std::string> Handle(std::string_view command, std::int64_t pcLocalSeconds);

    const std::vector<SimEm50Reading>& Readings() const { return m_readings; }
    std::size_t Downloaded() const { return m_committed; }
    int IntervalMinutes() const { return m_config.intervalMinutes; }
    std::int64_t ClockOffset() const { return m_offset; }
    // The readings line ("time,raw1,...,raw5") of a reading.
    static std::string LineOf(const SimEm50Reading& reading);
    // A plausible raw reading of a port type at a logger time.
    std::uint32_t RawFor(int type, std::uint32_t time) const;

private:
    std::vector<std::string> HandOut();

    SimEm50Config m_config;
    std::int64_t m_offset;
    std::vector<SimEm50Reading> m_readings;
    std::int64_t m_nextReading = 0;  // logger seconds since 2000
    std::size_t m_committed = 0;     // readings downloaded for good
    std::size_t m_position = 0;      // the reading handed out last
    bool m_handing = false;          // a "dump -new" is under way
};

}  // namespace vg28::sim
