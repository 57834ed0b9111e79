#pragma once
// One simulated VG-28 instrument: identification, mode, its own clock, the project (name,
// configuration time, flags, period, sensors S1-S49), the record memory filled at the period
// while recording, current readings, monitoring and, optionally, an Em50 logger behind
// "xdev;". It answers one request line at a time with the lines the instrument sends; values
// are deterministic for a seed and the instrument's time.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SimEm50.h"

namespace vg28 {
class Clock;
}

namespace vg28::sim {

struct SimSensor {
    std::string id;  // CP1251 bytes, as the instrument stores them
    std::string description;
    std::string units;
    int precision = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    int method = 0;  // 0 STD, 1 COMP, 2 AVG
    double maxOutput = 0.0;
    double coefficients[6] = {};
};

struct SimInstrumentConfig {
    std::string name;  // radio network name; empty on a direct cable
    // The radio address of the instrument's modem: it hears the line only while the terminal's
    // modem has dialled that address (or has dialled none yet). 0: it hears every dial.
    std::uint16_t radioAddress = 0;
    std::string model = "VG-28";
    std::uint32_t firmware = 0x01000205;
    std::string identification = "VG28-00115";
    bool module = true;  // the KWS weather-station module
    std::uint32_t moduleFirmware = 0x01020003;
    std::string moduleIdentification = "KWS-00042";
    bool soilProbe = false;
    bool batteryLow = false;
    int mode = 2;                  // START
    int clockOffset = 0;           // seconds, instrument clock minus the PC's local time
    int period = 600;              // seconds
    int records = 48;              // records in memory at the start
    std::string project = "Demo";  // CP1251 bytes, as the instrument holds them
    bool exactTime = true;
    bool em50Flag = false;
    std::uint32_t seed = 1;
    // Project sensors by input (index 0 = S1); empty: the default project.
    std::vector<SimSensor> sensors;
    std::optional<SimEm50Config> em50;  // an Em50 logger on the instrument
    int initMs = 3000;                  // how long "init" and the INIT mode last
    // A clock that has lost its time: "time" reports this text until the clock is set.
    std::string brokenClock;
};

// A reply line (CR included) and how long after the request it starts.
struct SimOutput {
    std::string line;
    int delayMs = 0;
};

class SimInstrument {
public:
    static constexpr int kInputs = 49;
    static constexpr std::size_t kMemory = 20000;  // records kept; the oldest are dropped

    SimInstrument(const SimInstrumentConfig& config, Clock& clock);

    // The default project's sensor on input n (1-based), as the shipped catalogue has it.
    static SimSensor DefaultSensor(int n);
    // The cleared state of input n.
    static SimSensor ClearedSensor(int n);

    // Brings modes, records and the Em50 up to the present.
    void CatchUp();
    // Answers one request (no CR, no address prefix).
    std::vector<SimOutput> Handle(std::string_view request);
    // The current-readings line sent unasked while monitoring is on, or nothing.
    std::optional<std::int64_t> NextMonitorAt() const;
    std::string TakeMonitorLine();

    const std::string& Name() const { return m_config.name; }
    std::uint16_t RadioAddress() const { return m_config.radioAddress; }
    int Mode() const { return m_mode; }
    std::int64_t Now() const;  // instrument time, seconds counted like UTC
    std::int64_t NextRecordTime() const;
    const std::vector<std::string>& Records() const { return m_records; }
    // The project name as received and sent on the wire: CP1251 bytes.
    const std::string& Project() const { return m_project; }
    std::int64_t ConfigTime() const { return m_configTime; }
    int Period() const { return m_period; }
    bool ExactTime() const { return m_exact; }
    bool Em50Flag() const { return m_em50Flag; }
    const SimSensor& Sensor(int n) const { return m_sensors[static_cast<std::size_t>(n - 1)]; }
    int MonitorInterval() const { return m_monitor; }
    SimEm50* Em50() { return m_em50.get(); }
    std::uint32_t Firmware() const { return m_config.firmware; }

    // The record line of instrument time t (without "RECORD;").
    std::string RecordLine(std::int64_t t) const;
    // The value input n reports at instrument time t, at its sensor's precision. The computed
    // inputs (vapour pressure deficit, dew point) follow from the air temperature and humidity
    // that inputs 10 and 11 report.
    double ValueAt(int n, std::int64_t t) const;

private:
    double MeasuredAt(int n, std::int64_t t) const;
    std::string ReadingsItems(std::int64_t t) const;
    std::string SensorReply(int n) const;
    void SetMode(int mode);
    void Configured();
    void Schedule();
    bool Reports(int n) const;
    std::int64_t PcLocalSeconds() const;
    std::vector<SimOutput> Echo(std::string_view request) const;

    SimInstrumentConfig m_config;
    Clock& m_clock;
    int m_mode;
    std::int64_t m_offset;
    std::string m_brokenClock;
    std::int64_t m_initEndsMs = 0;
    std::string m_project;
    std::int64_t m_configTime = 0;
    bool m_exact;
    bool m_em50Flag;
    int m_period;
    std::array<SimSensor, kInputs> m_sensors;
    std::vector<std::string> m_records;
    std::int64_t m_nextRecord = 0;
    int m_monitor = 0;
    std::int64_t m_lastMonitorMs = 0;
    std::unique_ptr<SimEm50> m_em50;
};

}  // namespace vg28::sim
