#include "SimEm50.h"

#include <cmath>
#include <cstdio>

#include "platform/CivilTime.h"
#include "protocol/ReplyGrammar.h"

namespace vg28::sim {

namespace {

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double Daily(std::uint32_t time) {
    const double day = static_cast<double>(time % 86400) / 86400.0;
    return std::sin(2.0 * 3.14159265358979 * (day - 0.375));
}

}  // namespace

SimEm50::SimEm50(const SimEm50Config& config, std::int64_t pcLocalSeconds)
    : m_config(config), m_offset(config.clockOffset) {
    if (m_config.intervalMinutes <= 0) m_config.intervalMinutes = 10;
    const std::int64_t step = m_config.intervalMinutes * 60LL;
    const std::int64_t now = pcLocalSeconds + m_offset - kEpoch2000;
    const std::int64_t last = now / step * step;
    for (int i = m_config.records - 1; i >= 0; --i) {
        SimEm50Reading reading;
        reading.time = static_cast<std::uint32_t>(last - i * step);
        for (std::size_t p = 0; p < 5; ++p)
            reading.raw[p] = RawFor(m_config.ports[p], reading.time);
        m_readings.push_back(reading);
    }
    m_nextReading = last + step;
}

std::uint32_t SimEm50::RawFor(int type, std::uint32_t time) const {
    const std::uint64_t h =
        Mix(m_config.seed * 1000003ull + static_cast<std::uint64_t>(type) * 7919u + time);
    const double noise = static_cast<double>(h % 1000) / 1000.0 - 0.5;
    const double daily = Daily(time);
    switch (type) {
        case 159: {  // temperature (12 bits) and humidity (8 bits)
            const double t = 18.0 + 6.0 * daily + noise;
            const auto tRaw = static_cast<std::uint32_t>((t + 39.55) / 0.04) & 0xFFF;
            // About 50-80 % relative humidity through the day.
            const auto hRaw = static_cast<std::uint32_t>(115.0 - 25.0 * daily + 6.0 * noise) & 0xFF;
            return hRaw << 12 | tRaw;
        }
        case 186: {  // wind direction, gust and speed
            const std::uint32_t direction = static_cast<std::uint32_t>(h % 360);
            const std::uint32_t speed = static_cast<std::uint32_t>(20 + 15 * (noise + 0.5));
            const std::uint32_t gust = speed + static_cast<std::uint32_t>(h % 20);
            return (speed & 0x3FF) << 20 | (gust & 0x3FF) << 10 | (direction & 0x1FF) << 1;
        }
        case 187:
        case 189:  // cumulative rain tips (16 bits, wrapping): one tip every half hour
            return static_cast<std::uint32_t>(time / 1800) & 0xFFFF;
        case 222: {  // leaf wetness: two cumulative minute counters (11 bits) and the wetness
            const std::uint32_t wet = static_cast<std::uint32_t>(440 + 100 * (noise + 0.5));
            const std::uint32_t wetMinutes = (time / 600) & 0x7FF;
            const std::uint32_t dryMinutes = (time / 1200) & 0x7FF;
            return wet << 22 | dryMinutes << 11 | wetMinutes;
        }
        case 250: {  // pyranometer, zero at night
            const double light = std::max(0.0, daily) * 500.0 + (daily > 0 ? 10.0 * noise : 0.0);
            return static_cast<std::uint32_t>(std::max(0.0, light)) & 0x3FF;
        }
        default:
            return 0;
    }
}

std::string SimEm50::LineOf(const SimEm50Reading& reading) {
    std::string line = std::to_string(reading.time);
    for (std::uint32_t raw : reading.raw)
        line += "," + std::to_string(raw);
    return line;
}

void SimEm50::CatchUp(std::int64_t pcLocalSeconds) {
    const std::int64_t step = m_config.intervalMinutes * 60LL;
    const std::int64_t now = pcLocalSeconds + m_offset - kEpoch2000;
    // A clock set far back or forth restarts the schedule instead of filling the gap.
    if (m_nextReading > now + step || now - m_nextReading > 1000 * step) {
        m_nextReading = now / step * step + step;
    }
    while (m_nextReading <= now) {
        SimEm50Reading reading;
        reading.time = static_cast<std::uint32_t>(m_nextReading);
        for (std::size_t p = 0; p < 5; ++p)
            reading.raw[p] = RawFor(m_config.ports[p], reading.time);
        m_readings.push_back(reading);
        m_nextReading += step;
    }
}

std::vector<std::string> SimEm50::HandOut() {
    if (m_position >= m_readings.size()) return {"0 80", "0"};
    const SimEm50Reading& reading = m_readings[m_position];
    std::uint32_t sum = reading.time;
    for (std::uint32_t raw : reading.raw)
        sum += raw;
    return {LineOf(reading), std::to_string(sum % 65536)};
}

std::vector<std::string> SimEm50::Handle(std::string_view command, std::int64_t pcLocalSeconds) {
    CatchUp(pcLocalSeconds);
    const std::int64_t own = pcLocalSeconds + m_offset;
    if (command == "get -ver") return {m_config.version};
    if (command == "get -t") {
        const LocalTime t = LocalFromSeconds(own);
        return {"Date\\Time: " +
                FormatInstrumentTime(t.year, t.month, t.day, t.hour, t.minute, t.second)};
    }
    if (command.substr(0, 7) == "set -d ") {
        int y = 0, mo = 0, d = 0;
        if (std::sscanf(std::string(command.substr(7)).c_str(), "%d-%d-%d", &y, &mo, &d) != 3) {
            return {"ERR"};
        }
        const LocalTime t = LocalFromSeconds(own);
        LocalTime set = t;
        set.year = y;
        set.month = mo;
        set.day = d;
        m_offset = SecondsFromLocal(set) - pcLocalSeconds;
        return {"OK"};
    }
    if (command.substr(0, 7) == "set -t ") {
        int h = 0, mi = 0, s = 0;
        if (std::sscanf(std::string(command.substr(7)).c_str(), "%d:%d:%d", &h, &mi, &s) != 3) {
            return {"ERR"};
        }
        LocalTime set = LocalFromSeconds(own);
        set.hour = h;
        set.minute = mi;
        set.second = s;
        m_offset = SecondsFromLocal(set) - pcLocalSeconds;
        return {"OK"};
    }
    if (command.substr(0, 7) == "set -w ") {
        const int minutes = std::atoi(std::string(command.substr(7)).c_str());
        if (minutes > 0) m_config.intervalMinutes = minutes;
        return {};  // only the instrument's echo
    }
    if (command == "get -port") {
        char text[80];
        std::snprintf(text, sizeof text, "%d %d %d %d %d", m_config.ports[0], m_config.ports[1],
                      m_config.ports[2], m_config.ports[3], m_config.ports[4]);
        return {text};
    }
    if (command == "dump -enum -new 65535") {
        return {std::to_string(m_readings.size() - m_committed)};
    }
    if (command == "get -batt") return {std::to_string(m_config.battery)};
    if (command == "dump -new 1") {
        m_position = m_committed;
        m_handing = true;
        return HandOut();
    }
    if (command == "ack" || command == "nack") {
        if (!m_handing) {
            // Nothing handed out yet: start with the first reading not downloaded.
            m_position = m_committed;
            m_handing = true;
        } else if (command == "ack" && m_position < m_readings.size()) {
            ++m_position;
        }
        return HandOut();
    }
    if (command == "dump -write") {
        if (m_handing) m_committed = std::min(m_readings.size(), m_position + 1);
        m_handing = false;
        return {"OK"};
    }
    return {"ERR"};
}

}  // namespace vg28::sim
