#include "protocol/SensorDescription.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "platform/FixedText.h"
#include "platform/NumberText.h"
#include "platform/TextTrim.h"
#include "protocol/ReplyGrammar.h"
#include "sensors/MethodNames.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {

namespace {

constexpr std::size_t kRequestBuffer = 2048;
constexpr std::size_t kTextLimit = 32;  // quoted fields hold at most 31 characters

// A field of a description: blanks before it, blanks and the line's CR after it (the last
// field ends the reply line).
std::string_view TrimField(std::string_view text) {
    return TrimEnd(TrimStart(text, kBlanks), kBlanksAndLineEnds);
}

}  // namespace

SensorDescription SensorDescription::FromRecord(const SensorRecord& record) {
    SensorDescription d;
    d.id = std::string(TextOf(record.id));
    d.description = std::string(TextOf(record.description));
    d.units = std::string(TextOf(record.units));
    d.precision = record.precision;
    d.minimum = record.minimum;
    d.maximum = record.maximum;
    d.method = record.method;
    d.maxOutput = record.maxOutput;
    for (int i = 0; i < 6; ++i)
        d.coefficients[i] = record.coefficients[i];
    return d;
}

SensorRecord SensorDescription::ToRecord() const {
    SensorRecord record = EmptySensorRecord();
    CopyText(record.id, id);
    CopyText(record.description, description);
    CopyText(record.units, units);
    record.precision = precision;
    record.minimum = minimum;
    record.maximum = maximum;
    record.method = method;
    record.maxOutput = maxOutput;
    for (int i = 0; i < 6; ++i)
        record.coefficients[i] = coefficients[i];
    return record;
}

std::string FormatFixed(double value, int decimals) {
    return DecimalText(value, std::min(decimals, 20));
}

std::string FormatExponent(double value) {
    return ScientificText(value, 5);
}

bool ParseNumber(std::string_view text, double& value) {
    text = TrimStart(text, kBlanks);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double parsed = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool FormatSensorRequest(int n, const SensorDescription& sensor, std::string& request) {
    std::string line = "sensor;" + std::to_string(n);
    line += ";\"" + sensor.id + "\"";
    line += ";\"" + sensor.description + "\"";
    line += ";\"" + sensor.units + "\"";
    line += ";" + std::to_string(sensor.precision);
    line += ";" + FormatFixed(sensor.minimum, sensor.precision);
    line += ";" + FormatFixed(sensor.maximum, sensor.precision);
    line += ";";
    line += MethodName(sensor.method).value_or("STD");  // the instrument's default
    line += ";" + FormatFixed(sensor.maxOutput, 3);
    for (double c : sensor.coefficients)
        line += ";" + FormatExponent(c);
    line += "\r";
    if (line.size() >= kRequestBuffer) return false;
    request = std::move(line);
    return true;
}

bool ParseSensorDescription(std::string_view text, SensorDescription& out) {
    SensorDescription d;
    std::string* const quoted[] = {&d.id, &d.description, &d.units};
    std::size_t pos = 0;
    for (std::string* field : quoted) {
        std::size_t end = 0;
        if (!ExtractQuoted(text.substr(pos), kTextLimit, *field, &end)) return false;
        pos += end;
    }
    if (!d.id.empty() && d.id.front() == '=') d.id.erase(0, 1);

    // The rest: ;precision;min;max;METHOD;maxOutput;C0;...;C5
    std::vector<std::string_view> tokens;
    std::string_view rest = text.substr(pos);
    const std::size_t first = rest.find(';');
    if (first == std::string_view::npos) return false;
    rest.remove_prefix(first + 1);
    for (;;) {
        const std::size_t semicolon = rest.find(';');
        tokens.push_back(TrimField(rest.substr(0, semicolon)));
        if (semicolon == std::string_view::npos || tokens.size() == 11) break;
        rest.remove_prefix(semicolon + 1);
    }
    if (tokens.size() < 11) return false;

    std::size_t p = 0;
    long long precision = 0;
    if (!ScanInt(tokens[0], p, precision) || precision < -1000 || precision > 1000) return false;
    d.precision = static_cast<int>(precision);
    if (!ParseNumber(tokens[1], d.minimum) || !ParseNumber(tokens[2], d.maximum)) return false;
    const std::optional<int> method = MethodOfName(tokens[3]);
    if (!method) return false;
    d.method = *method;
    if (!ParseNumber(tokens[4], d.maxOutput)) return false;
    for (int i = 0; i < 6; ++i) {
        if (!ParseNumber(tokens[static_cast<std::size_t>(5 + i)], d.coefficients[i])) return false;
    }
    out = std::move(d);
    return true;
}

}  // namespace vg28
