#pragma once
// The user's number, date and time conventions: the decimal separator (only its first character
// is used) and the short date and time formats, written as strftime patterns. The process has one
// current locale, as a Windows user has one; the desktop program fills it from the system locale,
// vg28-tool from the environment or its options, tests set it explicitly.

#include <string>
#include <string_view>

namespace vg28 {

class Locale {
public:
    Locale() = default;
    Locale(char decimalSeparator, std::string dateFormat, std::string timeFormat);

    char DecimalSeparator() const { return m_decimalSeparator; }
    const std::string& DateFormat() const { return m_dateFormat; }
    const std::string& TimeFormat() const { return m_timeFormat; }

    void SetDecimalSeparator(char separator);
    void SetDateFormat(std::string format) { m_dateFormat = std::move(format); }
    void SetTimeFormat(std::string format) { m_timeFormat = std::move(format); }

    // The short date of a calendar day, as the date format gives it.
    std::string FormatDate(int year, int month, int day) const;

    // The time of day; without seconds the seconds field and the separator before it are dropped.
    std::string FormatTime(int hour, int minute, int second, bool noSeconds) const;

    // Number text shown to the operator: the first "." becomes the decimal separator.
    std::string Localize(std::string numberText) const;

    // Number text typed by the operator: the first decimal separator becomes ".".
    std::string Delocalize(std::string text) const;

    // The time format with its seconds field and the separator before it removed.
    static std::string WithoutSeconds(std::string_view timeFormat);

    // The locale of the environment (LANG, LC_ALL, ...), read without changing the process's
    // C locale, so that number parsing elsewhere keeps using ".".
    static Locale FromEnvironment();

    static const Locale& Current();
    static void SetCurrent(const Locale& locale);

private:
    char m_decimalSeparator = '.';
    std::string m_dateFormat = "%d.%m.%Y";
    std::string m_timeFormat = "%H:%M:%S";
};

}  // namespace vg28
