#include "SimInstrument.h"

#include <algorithm>
#include <cmath>

#include "platform/CivilTime.h"
#include "platform/Clock.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "project/MeasurementRecord.h"
#include "project/PlugAndPlay.h"
#include "protocol/ReplyGrammar.h"
#include "protocol/SensorDescription.h"
#include "sensors/MethodNames.h"

namespace vg28::sim {

namespace {

constexpr int kReplyMs = 20;
constexpr double kPi = 3.14159265358979;

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

SimSensor Make(const char* id, const char* descriptionUtf8, const char* unitsUtf8, int precision,
               double maxOutput, double minimum, double maximum, double c0, double c1) {
    SimSensor s;
    s.id = id;
    s.description = TextCodec::Utf8ToCp1251(descriptionUtf8);
    s.units = TextCodec::Utf8ToCp1251(unitsUtf8);
    s.precision = precision;
    s.maxOutput = maxOutput;
    s.minimum = minimum;
    s.maximum = maximum;
    s.coefficients[0] = c0;
    s.coefficients[1] = c1;
    return s;
}

std::string FormatTime(std::int64_t seconds) {
    const LocalTime t = LocalFromSeconds(seconds);
    return FormatInstrumentTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// The inputs whose readings the instrument's computed channels are made from: the weather
// module's air temperature (°C) and relative humidity (%).
constexpr int kAirTemperatureInput = 10;
constexpr int kHumidityInput = 11;
constexpr const char* kVpdId = "CV/VPD";
constexpr const char* kDewPointId = "CV/DP";

// Magnus formula over water, with the constants the terminal uses for the Em50's readings.
constexpr double kMagnusA = 17.62;
constexpr double kMagnusB = 243.12;   // °C
constexpr double kMagnusE0 = 0.6112;  // kPa
// ln(0) has no dew point; a humidity this low never occurs in a greenhouse.
constexpr double kDriestHumidity = 0.1;

double MagnusExponent(double t) {
    return kMagnusA * t / (t + kMagnusB);
}

// Vapour pressure deficit (kPa) at t °C and rh %.
double VapourPressureDeficit(double t, double rh) {
    return std::max(0.0, kMagnusE0 * std::exp(MagnusExponent(t)) * (1.0 - rh / 100.0));
}

// Dew point (°C) at t °C and rh %; never above t.
double DewPoint(double t, double rh) {
    const double b = MagnusExponent(t) + std::log(std::max(rh, kDriestHumidity) / 100.0);
    return std::min(t, kMagnusB * b / (kMagnusA - b));
}

double PrecisionScale(int precision) {
    return std::pow(10.0, std::clamp(precision, 0, 9));
}

// The value as a reading line carries it, rounded to the sensor's precision.
double AtPrecision(double value, int precision) {
    const double scale = PrecisionScale(precision);
    return std::round(value * scale) / scale;
}

// Rounded down to the precision, so that a bound that holds for the value holds for the text.
double AtPrecisionDown(double value, int precision) {
    const double scale = PrecisionScale(precision);
    return std::floor(value * scale) / scale;
}

}  // namespace

SimSensor SimInstrument::DefaultSensor(int n) {
    switch (n) {
        case 1:
            return Make("TA 1", "Температура воздуха 1", "°C", 1, 2.5, -40, 60, -40, 40);
        case 2:
            return Make("TL 1", "Температура листа 1", "°C", 2, 1.0, -10, 50, -10, 60);
        case 3:
            return Make("RH 1", "Влажность воздуха", "%", 1, 1.0, 0, 100, 0, 100);
        case 9:
            return Make("KWS/R PAR", "ФАР (метеомодуль)", "мкмоль/м2с", 0, 2.5, 0, 2500, 0, 1000);
        case 10:
            return Make("KWS/AT", "Температура воздуха (KWS)", "°C", 1, 2.5, -40, 60, -40, 40);
        case 11:
            return Make("KWS/RH", "Влажность воздуха (KWS)", "%", 1, 2.5, 0, 100, 0, 40);
        case 16:
            return Make("CV/VPD", "Дефицит давления пара", "кПа", 2, 0, 0, 10, 0, 1);
        case 17:
            return Make("CV/DP", "Точка росы", "°C", 1, 0, -40, 60, 0, 1);
        default: {
            SimSensor s = ClearedSensor(n);
            s.id = kPlugAndPlay;
            return s;
        }
    }
}

SimSensor SimInstrument::ClearedSensor(int n) {
    SimSensor s;
    if (n == 9 || n == 12) {
        s.precision = 1;
        s.minimum = 0.0;
        s.maximum = 2.5;
        s.maxOutput = 2.5;
        s.coefficients[1] = 1.0;
    }
    return s;
}

SimInstrument::SimInstrument(const SimInstrumentConfig& config, Clock& clock)
    : m_config(config),
      m_clock(clock),
      m_mode(config.mode >= 0 && config.mode <= 3 ? config.mode : 1),
      m_offset(config.clockOffset),
      m_brokenClock(config.brokenClock),
      m_project(config.project),
      m_exact(config.exactTime),
      m_em50Flag(config.em50Flag),
      m_period(config.period > 0 ? config.period : 600) {
    for (int n = 1; n <= kInputs; ++n) {
        const std::size_t i = static_cast<std::size_t>(n - 1);
        m_sensors[i] = i < config.sensors.size() ? config.sensors[i] : DefaultSensor(n);
    }
    const std::int64_t now = Now();
    const std::int64_t last = now / m_period * m_period;
    for (int i = config.records - 1; i >= 0; --i)
        m_records.push_back(RecordLine(last - i * m_period));
    // The project was configured a day before the first record.
    m_configTime = last - static_cast<std::int64_t>(std::max(config.records, 0)) * m_period - 86400;
    if (m_mode == 0) m_initEndsMs = m_clock.MonotonicMs() + m_config.initMs;
    Schedule();
    if (config.em50) m_em50 = std::make_unique<SimEm50>(*config.em50, PcLocalSeconds());
}

std::int64_t SimInstrument::PcLocalSeconds() const {
    return SecondsFromLocal(m_clock.Local());
}

std::int64_t SimInstrument::Now() const {
    return PcLocalSeconds() + m_offset;
}

void SimInstrument::Schedule() {
    m_nextRecord = (Now() / m_period + 1) * m_period;
}

std::int64_t SimInstrument::NextRecordTime() const {
    return m_mode == 2 ? m_nextRecord : (Now() / m_period + 1) * m_period;
}

void SimInstrument::CatchUp() {
    if (m_mode == 0 && m_clock.MonotonicMs() >= m_initEndsMs) SetMode(1);
    const std::int64_t now = Now();
    if (m_mode == 2) {
        // A clock moved far ahead does not fill memory with a burst of old records.
        if (now - m_nextRecord > static_cast<std::int64_t>(kMemory) * m_period) Schedule();
        while (m_nextRecord <= now) {
            m_records.push_back(RecordLine(m_nextRecord));
            m_nextRecord += m_period;
        }
        if (m_records.size() > kMemory) {
            m_records.erase(m_records.begin(), m_records.begin() + static_cast<std::ptrdiff_t>(
                                                                       m_records.size() - kMemory));
        }
    }
    if (m_em50) m_em50->CatchUp(PcLocalSeconds());
}

void SimInstrument::SetMode(int mode) {
    const bool starting = mode == 2 && m_mode != 2;
    m_mode = mode;
    if (starting) Schedule();
    if (mode == 0) m_initEndsMs = m_clock.MonotonicMs() + m_config.initMs;
}

void SimInstrument::Configured() {
    m_configTime = Now();
}

bool SimInstrument::Reports(int n) const {
    const SimSensor& s = Sensor(n);
    if (IsFreeChannel(s.id)) return false;
    if (n >= 9 && n <= 11) return m_config.module;
    if (n >= 12 && n <= 15) return m_config.module && m_config.soilProbe;
    // Computed from the module's air temperature and humidity, so only while both are measured.
    if (n == 16 || n == 17) return Reports(kAirTemperatureInput) && Reports(kHumidityInput);
    if (n >= 18 && n <= 37) return false;  // the Em50 channels come through "xdev;"
    return true;
}

double SimInstrument::ValueAt(int n, std::int64_t t) const {
    const SimSensor& s = Sensor(n);
    if (s.id == kVpdId || s.id == kDewPointId) {
        const double air = AtPrecision(MeasuredAt(kAirTemperatureInput, t),
                                       Sensor(kAirTemperatureInput).precision);
        const double humidity =
            AtPrecision(MeasuredAt(kHumidityInput, t), Sensor(kHumidityInput).precision);
        if (s.id == kVpdId) return AtPrecision(VapourPressureDeficit(air, humidity), s.precision);
        return AtPrecisionDown(DewPoint(air, humidity), s.precision);
    }
    return AtPrecision(MeasuredAt(n, t), s.precision);
}

double SimInstrument::MeasuredAt(int n, std::int64_t t) const {
    const SimSensor& s = Sensor(n);
    const double day = static_cast<double>(((t % 86400) + 86400) % 86400) / 86400.0;
    const double daily = std::sin(2.0 * kPi * (day - 0.375));  // warmest at 15:00
    const std::uint64_t h =
        Mix(static_cast<std::uint64_t>(m_config.seed) * 1000003ull +
            static_cast<std::uint64_t>(n) * 7919ull + static_cast<std::uint64_t>(t));
    const double noise = static_cast<double>(h % 1000) / 1000.0 - 0.5;
    const bool humidity = s.id.find("RH") != std::string::npos;
    const bool light = s.id.find("PAR") != std::string::npos;
    double fraction = 0.5 + 0.25 * daily + 0.03 * noise + 0.02 * (n % 5);
    if (humidity) fraction = 1.0 - fraction;
    if (light) fraction = std::max(0.0, daily) * 0.5;
    fraction = std::clamp(fraction, 0.0, 0.97);
    double low = s.minimum;
    double high = s.maximum;
    if (!(high > low)) {
        low = 0.0;
        high = 1.0;
    }
    // Keep off the exact range ends, which the terminal marks as clipped.
    double value = low + (high - low) * (0.01 + 0.98 * fraction);
    // A sensor's range may reach beyond what its quantity can be.
    if (humidity) value = std::clamp(value, 0.0, 100.0);
    if (light) value = std::max(value, 0.0);
    return value;
}

std::string SimInstrument::ReadingsItems(std::int64_t t) const {
    std::string items;
    for (int n = 1; n <= kInputs; ++n) {
        if (!Reports(n)) continue;
        items += ";S" + std::to_string(n) + ";" + FormatFixed(ValueAt(n, t), Sensor(n).precision);
    }
    const bool module = m_config.module;
    const bool probe = module && m_config.soilProbe;
    items += ";F:KWS-LW;0";
    items += std::string(";F:KWS-FAN;") + (module ? "1" : "0");
    items += std::string(";F:KWS-MFAN;") + (module ? "1" : "0");
    items += std::string(";F:KWS-SHT;") + (module ? "1" : "0");
    items += ";F:KWS-HSHT;0";
    items += std::string(";F:KWS-SMTE;") + (probe ? "1" : "0");
    items += std::string(";F:KWS;") + (module ? "1" : "0");
    items += std::string(";F:BL;") + (m_config.batteryLow ? "1" : "0");
    return items;
}

std::string SimInstrument::RecordLine(std::int64_t t) const {
    return FormatTime(t) + ReadingsItems(t);
}

// Built here on its own rather than with FormatSensorRequest: the simulator is a second
// reading of the sensor line, so that a fault the terminal's writer and reader share (a field
// moved, a number format changed) still shows. Only the method names are shared. The line
// differs from the request as the instrument's does: upper-case keyword and exponents.
std::string SimInstrument::SensorReply(int n) const {
    const SimSensor& s = Sensor(n);
    std::string line = "SENSOR;" + std::to_string(n);
    line += ";\"" + s.id + "\";\"" + s.description + "\";\"" + s.units + "\"";
    line += ";" + std::to_string(s.precision);
    line += ";" + FormatFixed(s.minimum, s.precision) + ";" + FormatFixed(s.maximum, s.precision);
    line += ";";
    line += MethodName(s.method).value_or("STD");
    line += ";" + FormatFixed(s.maxOutput, 3);
    for (double c : s.coefficients)
        line += ";" + TextCase::UpperAscii(FormatExponent(c));
    return line;
}

std::vector<SimOutput> SimInstrument::Echo(std::string_view request) const {
    return {{TextCase::UpperAscii(request) + "\r", kReplyMs}};
}

std::optional<std::int64_t> SimInstrument::NextMonitorAt() const {
    if (m_monitor <= 0) return std::nullopt;
    return m_lastMonitorMs + m_monitor * 1000LL;
}

std::string SimInstrument::TakeMonitorLine() {
    m_lastMonitorMs = m_clock.MonotonicMs();
    return "DATA;" + RecordLine(Now()) + ";MODE;" +
           std::string(kModeNames[static_cast<std::size_t>(m_mode)]) + "\r";
}

std::vector<SimOutput> SimInstrument::Handle(std::string_view request) {
    CatchUp();
    const std::string lower = TextCase::LowerAscii(request);
    const std::string_view cmd = lower;
    auto reply = [](std::string text, int delay = kReplyMs) {
        return std::vector<SimOutput>{{std::move(text) + "\r", delay}};
    };

    if (cmd == "+") return reply("OK");
    if (cmd == "info") {
        char version[40];
        const std::uint32_t f = m_config.firmware;
        std::snprintf(version, sizeof version, "%u.%u.%u.%u", f >> 24, (f >> 16) & 0xFF,
                      (f >> 8) & 0xFF, f & 0xFF);
        std::string text =
            "INFO;" + m_config.model + ";" + version + ";\"" + m_config.identification + "\";";
        if (m_config.module) {
            const std::uint32_t m = m_config.moduleFirmware;
            std::snprintf(version, sizeof version, "%u.%u.%u.%u", m >> 24, (m >> 16) & 0xFF,
                          (m >> 8) & 0xFF, m & 0xFF);
            text += "KWS;" + std::string(version) + ";\"" + m_config.moduleIdentification + "\";";
        }
        return reply(text);
    }
    if (cmd == "mode")
        return reply("MODE;" + std::string(kModeNames[static_cast<std::size_t>(m_mode)]));
    if (cmd.rfind("mode;", 0) == 0) {
        const int mode = ModeIndexOf(TextCase::UpperAscii(cmd.substr(5)));
        if (mode < 0) return {};
        SetMode(mode);
        return Echo(request);
    }
    if (cmd == "time")
        return reply("TIME;" + (m_brokenClock.empty() ? FormatTime(Now()) : m_brokenClock));
    if (cmd.rfind("time;", 0) == 0) {
        SystemTime t;
        if (ParseInstrumentTime(cmd.substr(5), t)) {
            m_offset = SecondsOf(t) - PcLocalSeconds();
            m_brokenClock.clear();
            if (m_mode == 2) Schedule();
        }
        return Echo(request);
    }
    if (cmd == "record;time") return reply("RECORD;TIME;" + FormatTime(NextRecordTime()));
    if (cmd == "project;id") return reply("PROJECT;ID;\"" + m_project + "\"");
    if (cmd.rfind("project;id;", 0) == 0) {
        std::string name;
        if (!ExtractQuoted(request.substr(11), 32, name)) return {};
        if (name != m_project) {
            m_project = name;
            Configured();
        }
        return Echo(request);
    }
    if (cmd == "cfgtime") return reply("CFGTIME;" + FormatTime(m_configTime));
    if (cmd == "project;period;1") return reply("PROJECT;PERIOD;1;0;" + std::to_string(m_period));
    if (cmd.rfind("project;period;1;", 0) == 0) {
        std::size_t pos = 17;
        long long reserved = 0;
        long long seconds = 0;
        if (!ScanInt(cmd, pos, reserved) || pos >= cmd.size() || cmd[pos] != ';') return {};
        ++pos;
        if (!ScanInt(cmd, pos, seconds) || seconds <= 0 || seconds > 86400 * 7) return {};
        if (seconds != m_period) {
            m_period = static_cast<int>(seconds);
            Configured();
            if (m_mode == 2) Schedule();
        }
        return Echo(request);
    }
    const bool em50Known = m_config.firmware >= 0x01000200;
    if (cmd == "project;f;exact")
        return reply(std::string("PROJECT;F;EXACT;") + (m_exact ? "ON" : "OFF"));
    if (cmd == "project;f;em50" && em50Known) {
        return reply(std::string("PROJECT;F;EM50;") + (m_em50Flag ? "ON" : "OFF"));
    }
    if (cmd == "project;f;exact;on" || cmd == "project;f;exact;off" ||
        (em50Known && (cmd == "project;f;em50;on" || cmd == "project;f;em50;off"))) {
        const bool on = cmd.substr(cmd.size() - 3) == ";on";
        bool& flag = cmd.find("exact") != std::string_view::npos ? m_exact : m_em50Flag;
        if (flag != on) {
            flag = on;
            Configured();
        }
        return Echo(request);
    }
    if (cmd == "sensor;clear") {
        for (int n = 1; n <= kInputs; ++n)
            m_sensors[static_cast<std::size_t>(n - 1)] = ClearedSensor(n);
        Configured();
        return Echo(request);
    }
    if (cmd.rfind("sensor;clear;", 0) == 0) {
        std::size_t pos = 13;
        long long n = 0;
        if (!ScanInt(cmd, pos, n) || n < 1 || n > kInputs) return {};
        m_sensors[static_cast<std::size_t>(n - 1)] = ClearedSensor(static_cast<int>(n));
        Configured();
        return Echo(request);
    }
    if (cmd.rfind("sensor;", 0) == 0) {
        std::size_t pos = 7;
        long long n = 0;
        if (!ScanInt(cmd, pos, n) || n < 1 || n > kInputs) return {};
        const int input = static_cast<int>(n);
        if (pos == cmd.size()) return reply(SensorReply(input));
        if (cmd[pos] != ';') return {};
        SensorDescription d;
        if (!ParseSensorDescription(request.substr(pos + 1), d)) return {};
        SimSensor s;
        s.id = d.id;
        s.description = d.description;
        s.units = d.units;
        s.precision = d.precision;
        s.minimum = d.minimum;
        s.maximum = d.maximum;
        s.method = d.method;
        s.maxOutput = d.maxOutput;
        for (int i = 0; i < 6; ++i)
            s.coefficients[i] = d.coefficients[i];
        m_sensors[static_cast<std::size_t>(input - 1)] = d.id.empty() ? ClearedSensor(input) : s;
        Configured();
        if (d.id.empty()) return Echo(request);
        return reply(SensorReply(input));
    }
    if (cmd == "init") {
        m_records.clear();
        SetMode(0);
        return {{"INIT\r", kReplyMs}, {"INIT;OK\r", m_config.initMs}};
    }
    if (cmd == "record") {
        return reply(m_records.empty() ? "RECORD;Empty"
                                       : "RECORD;" + std::to_string(m_records.size()));
    }
    if (cmd.rfind("record;s;from;", 0) == 0) {
        SystemTime t;
        if (!ParseInstrumentTime(cmd.substr(14), t)) return {};
        const std::string fromText = FormatTime(SecondsOf(t));
        std::vector<SimOutput> out = Echo(request);
        std::vector<const std::string*> selected;
        for (const std::string& line : m_records) {
            // Record lines begin with their zero-padded time, so text order is time order.
            if (line.compare(0, 19, fromText) >= 0) selected.push_back(&line);
        }
        out.push_back({selected.empty() ? "RECORD;S;Empty\r"
                                        : "RECORD;S;" + std::to_string(selected.size()) + "\r",
                       kReplyMs});
        for (const std::string* line : selected)
            out.push_back({"RECORD;" + *line + "\r", 5});
        return out;
    }
    if (cmd == "data;s") {
        return reply("DATA;" + RecordLine(Now()) + ";MODE;" +
                     std::string(kModeNames[static_cast<std::size_t>(m_mode)]));
    }
    if (cmd == "monitor;off") {
        m_monitor = 0;
        return Echo(request);
    }
    if (cmd.rfind("monitor;", 0) == 0) {
        std::size_t pos = 8;
        long long interval = 0;
        if (!ScanInt(cmd, pos, interval) || interval < 0 || interval > 3600) return {};
        m_monitor = static_cast<int>(interval);
        m_lastMonitorMs = m_clock.MonotonicMs();
        return Echo(request);
    }
    if (cmd.rfind("xdev;", 0) == 0) {
        std::vector<SimOutput> out = Echo(request);
        if (!m_em50) return out;
        int delay = 150;
        for (const std::string& answer : m_em50->Handle(request.substr(5), PcLocalSeconds())) {
            out.push_back({"XDEV;< " + answer + "\r", delay});
            delay = 20;
        }
        return out;
    }
    return {};
}

}  // namespace vg28::sim
