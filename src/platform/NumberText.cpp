#include "platform/NumberText.h"

#include <algorithm>
#include <charconv>

namespace vg28 {

namespace {

// Digits before the point of the largest double, its sign and the point.
constexpr int kIntegerRoom = 312;
// Beyond this many decimals a double has no digits left but zeros worth printing here.
constexpr int kMaxDecimals = 100;

std::string Convert(double value, std::chars_format format, int digits) {
    digits = std::clamp(digits, 0, kMaxDecimals);
    std::string text(static_cast<std::size_t>(kIntegerRoom + digits + 8), '\0');
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, format, digits);
    if (result.ec != std::errc()) return "0";
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

}  // namespace

std::string DecimalText(double value, int decimals) {
    return Convert(value, std::chars_format::fixed, decimals);
}

std::string ScientificText(double value, int digits) {
    return Convert(value, std::chars_format::scientific, digits);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace vg28
