#include "ui/QtLocale.h"

namespace vg28::ui {

std::string StrftimeFromQtFormat(const QString& format) {
    std::string out;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (c == QLatin1Char('\'')) {
            // Quoted literal text up to the closing quote; '' is one quote.
            qsizetype end = i + 1;
            while (end < format.size() && format[end] != QLatin1Char('\''))
                ++end;
            QString literal = run == 2 ? QStringLiteral("'") : format.mid(i + 1, end - i - 1);
            out += literal.replace(QLatin1Char('%'), QStringLiteral("%%")).toStdString();
            i = run == 2 ? i + 2 : end + 1;
            continue;
        }
        const char letter = c.toLatin1();
        const char* field = nullptr;
        switch (letter) {
            case 'd':
                field = run == 1 ? "%e" : run == 2 ? "%d" : nullptr;
                break;
            case 'M':
                field = run <= 2 ? "%m" : nullptr;
                break;
            case 'y':
                field = run == 2 ? "%y" : run == 4 ? "%Y" : nullptr;
                break;
            case 'H':
            case 'h':
                field = "%H";
                break;
            case 'm':
                field = "%M";
                break;
            case 's':
                field = "%S";
                break;
            default:
                if (c.isLetter()) return {};
                if (c == QLatin1Char('%')) {
                    out += "%%";
                } else {
                    out += QString(run, c).toStdString();
                }
                i += run;
                continue;
        }
        if (!field) return {};
        out += field;
        i += run;
    }
    return out;
}

Locale LocaleFromQt(const QLocale& locale) {
    Locale result;
    const QString decimal = locale.decimalPoint();
    if (!decimal.isEmpty() && decimal[0].unicode() < 128)
        result.SetDecimalSeparator(decimal[0].toLatin1());
    const std::string date = StrftimeFromQtFormat(locale.dateFormat(QLocale::ShortFormat));
    if (!date.empty() && date.find("%Y") != std::string::npos) result.SetDateFormat(date);
    // The short time format usually lacks the seconds, which record times show.
    std::string time = StrftimeFromQtFormat(locale.timeFormat(QLocale::ShortFormat));
    const std::size_t minutes = time.find("%M");
    if (minutes != std::string::npos && time.find("%S") == std::string::npos)
        time.insert(minutes + 2, ":%S");
    if (!time.empty() && time.find("%S") != std::string::npos) result.SetTimeFormat(time);
    return result;
}

}  // namespace vg28::ui
