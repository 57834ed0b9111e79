#include "platform/Locale.h"

#include <langinfo.h>
#include <locale.h>

#include <ctime>

namespace vg28 {

namespace {

Locale& CurrentLocale() {
    static Locale locale;
    return locale;
}

// Replaces the composite strftime conversions by their parts so that the seconds field can be
// found and removed.
std::string ExpandComposites(std::string_view format) {
    std::string result;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char conversion = format[i + 1];
            if (conversion == 'T') {
                result += "%H:%M:%S";
                ++i;
                continue;
            }
            if (conversion == 'r') {
                result += "%I:%M:%S %p";
                ++i;
                continue;
            }
            if (conversion == 'R') {
                result += "%H:%M";
                ++i;
                continue;
            }
            result += format.substr(i, 2);
            ++i;
            continue;
        }
        result += format[i];
    }
    return result;
}

std::string FormatTm(const std::string& format, const std::tm& parts) {
    if (format.empty()) return {};
    char buffer[256];
    const std::size_t length = std::strftime(buffer, sizeof buffer, format.c_str(), &parts);
    return std::string(buffer, length);
}

}  // namespace

Locale::Locale(char decimalSeparator, std::string dateFormat, std::string timeFormat)
    : m_dateFormat(std::move(dateFormat)), m_timeFormat(std::move(timeFormat)) {
    SetDecimalSeparator(decimalSeparator);
}

void Locale::SetDecimalSeparator(char separator) {
    m_decimalSeparator = separator ? separator : '.';
}

std::string Locale::FormatDate(int year, int month, int day) const {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    return FormatTm(m_dateFormat, parts);
}

std::string Locale::FormatTime(int hour, int minute, int second, bool noSeconds) const {
    std::tm parts{};
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_mday = 1;
    return FormatTm(noSeconds ? WithoutSeconds(m_timeFormat) : m_timeFormat, parts);
}

std::string Locale::Localize(std::string numberText) const {
    const std::size_t dot = numberText.find('.');
    if (dot != std::string::npos) numberText[dot] = m_decimalSeparator;
    return numberText;
}

std::string Locale::Delocalize(std::string text) const {
    const std::size_t separator = text.find(m_decimalSeparator);
    if (separator != std::string::npos) text[separator] = '.';
    return text;
}

std::string Locale::WithoutSeconds(std::string_view timeFormat) {
    const std::string expanded = ExpandComposites(timeFormat);
    const std::size_t seconds = expanded.find("%S");
    if (seconds == std::string::npos) return expanded;
    // The separator before the seconds is everything back to the end of the previous field.
    std::size_t start = seconds;
    while (start > 0) {
        const char previous = expanded[start - 1];
        const bool endOfField =
            start >= 2 && expanded[start - 2] == '%' && (start < 3 || expanded[start - 3] != '%');
        if (endOfField) break;
        if (previous == '%') break;
        --start;
    }
    return expanded.substr(0, start) + expanded.substr(seconds + 2);
}

Locale Locale::FromEnvironment() {
    Locale result;
    locale_t environment = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(nullptr));
    if (!environment) return result;
    const char* decimal = nl_langinfo_l(RADIXCHAR, environment);
    if (decimal && decimal[0]) result.SetDecimalSeparator(decimal[0]);
    const char* date = nl_langinfo_l(D_FMT, environment);
    if (date && date[0]) result.m_dateFormat = date;
    const char* time = nl_langinfo_l(T_FMT, environment);
    if (time && time[0]) result.m_timeFormat = ExpandComposites(time);
    freelocale(environment);
    return result;
}

const Locale& Locale::Current() {
    return CurrentLocale();
}

void Locale::SetCurrent(const Locale& locale) {
    CurrentLocale() = locale;
}

}  // namespace vg28
