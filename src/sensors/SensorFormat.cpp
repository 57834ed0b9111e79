#include "sensors/SensorFormat.h"

#include <charconv>
#include <cmath>

#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "platform/NumberText.h"

namespace vg28 {

std::string ShortLabel(int n, std::string_view id) {
    if (StartsWith(id, "KWS/SMTE")) return "SMTE";
    if (StartsWith(id, "KWS/")) return "KWS";
    if (StartsWith(id, "CV/")) return "CV";
    if (StartsWith(id, "Em50/")) return "Em50";
    return "S" + std::to_string(n);
}

std::string ChannelCaption(const SensorRecord& record, int n, bool withUnits) {
    const std::string_view id = TextOf(record.id);
    std::string caption = std::string(TextOf(record.description)) + " (" + ShortLabel(n, id) + ":" +
                          std::string(id) + ")";
    if (withUnits) caption += ", " + std::string(TextOf(record.units));
    return caption;
}

std::string MissingSensorCaption(int n, std::string_view id) {
    return ShortLabel(n, id) + " (" + std::string(id) + ")";
}

std::string FormatValue(double value, int precision, bool localized) {
    if (precision < 0 || precision > 5) precision = 3;
    std::string text = DecimalText(value, precision);
    return localized ? Locale::Current().Localize(std::move(text)) : text;
}

std::string FormatCoefficient(double value) {
    std::string text = ScientificText(value, 5);
    // The Windows runtime prints at least three exponent digits.
    const std::size_t e = text.find_last_of("eE");
    if (e != std::string::npos && e + 1 < text.size()) {
        const std::size_t digits = e + 2;
        const std::size_t count = text.size() - digits;
        if (count < 3) text.insert(digits, 3 - count, '0');
    }
    return Locale::Current().Localize(std::move(text));
}

double ParseLocalized(std::string_view text) {
    std::string plain = Locale::Current().Delocalize(std::string(text));
    std::size_t start = 0;
    while (start < plain.size() && (plain[start] == ' ' || plain[start] == '\t'))
        ++start;
    if (start < plain.size() && plain[start] == '+') ++start;
    double value = 0.0;
    const char* first = plain.data() + start;
    const auto result = std::from_chars(first, plain.data() + plain.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

double EvaluatePolynomial(const SensorRecord& record, double x) {
    double acc = 0.0;
    for (int k = 5; k >= 0; --k)
        acc = acc * x + record.coefficients[k];
    return acc;
}

void MarkValue(const SensorRecord& record, ChannelValue& cell) {
    cell.precision = record.precision;
    cell.limitMark = 0;
    if (StartsWith(TextOf(record.type), "Em50/")) return;
    if (std::fabs(cell.value - record.minimum) < 0.00001 ||
        std::fabs(cell.value - record.maximum) < 0.00001)
        cell.limitMark = 1;
}

}  // namespace vg28
