// The user's locale in the desktop program: the core's Locale taken from a QLocale, and the C
// library's number locale after the start.

#include <gtest/gtest.h>
#include <QLocale>
#include <clocale>
#include <cstdio>
#include <string>

#include "UiTestSupport.h"
#include "support/CommaNumericLocale.h"
#include "ui/QtLocale.h"

namespace vg28::test {
namespace {

// A Qt field read as another strftime field, a quoted literal or a "%" taken as a conversion,
// or a field that strftime cannot show passed on instead of refusing the whole format.
TEST(QtLocale, QtFormatsBecomeStrftimePatterns) {
    const struct {
        const char* qt;
        const char* strftime;  // "" when the format cannot be converted
    } cases[] = {
        {"dd.MM.yyyy", "%d.%m.%Y"},
        {"yyyy-MM-dd", "%Y-%m-%d"},
        {"dd/MM/yy", "%d/%m/%y"},
        {"HH:mm:ss", "%H:%M:%S"},
        {"HH:mm", "%H:%M"},
        {"HH 'h' mm", "%H h %M"},
        {"'100%' HH", "100%% %H"},
        {"HH''mm", "%H'%M"},
        {"dddd, dd.MM.yyyy", ""},  // the day's name
        {"d MMM yyyy", ""},        // the month's name
        {"yyy", ""},
        {"h:mm AP", ""},  // 12-hour clock with AM/PM
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::StrftimeFromQtFormat(QString::fromUtf8(c.qt)), c.strftime) << c.qt;
}

// The decimal separator or the short date and time of the user's QLocale lost, the seconds of
// record times dropped, or a format that strftime cannot show (or a separator that is not one
// byte) taken instead of the defaults "." "%d.%m.%Y" "%H:%M:%S".
TEST(QtLocale, LocaleFromQtTakesSeparatorDateAndTime) {
    const struct {
        const char* name;
        QLocale locale;
        char separator;
        const char* date;
        const char* time;
    } cases[] = {
        {"Russian", QLocale(QLocale::Russian, QLocale::Russia), ',', "%d.%m.%Y", "%H:%M:%S"},
        {"British", QLocale(QLocale::English, QLocale::UnitedKingdom), '.', "%d/%m/%Y", "%H:%M:%S"},
        {"Swedish", QLocale(QLocale::Swedish, QLocale::Sweden), ',', "%Y-%m-%d", "%H:%M:%S"},
        {"American (12-hour clock, two-digit year)",
         QLocale(QLocale::English, QLocale::UnitedStates), '.', "%d.%m.%Y", "%H:%M:%S"},
        {"Arabic (separator outside ASCII)", QLocale(QLocale::Arabic, QLocale::Egypt), '.', nullptr,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Locale locale = ui::LocaleFromQt(c.locale);
        EXPECT_EQ(locale.DecimalSeparator(), c.separator);
        if (c.date) {
            EXPECT_EQ(locale.DateFormat(), c.date);
        }
        if (c.time) {
            EXPECT_EQ(locale.TimeFormat(), c.time);
        }
    }
    // The texts the views then show.
    const Locale russian = ui::LocaleFromQt(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(russian.Localize("21.50"), "21,50");
    EXPECT_EQ(russian.FormatDate(2026, 12, 7) + " " + russian.FormatTime(9, 5, 7, true),
              "07.12.2026 09:05");
}

// The desktop program leaving the C library's numbers in the environment's locale, which
// QApplication sets: graph script limits and every printf-style file text then get a comma.
TEST(QtLocale, StartPutsTheCNumberLocaleBack) {
    const CommaNumericLocale comma;
    ASSERT_TRUE(comma.Active());
    RunningTerminal t;
    ASSERT_TRUE(t.Started());
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", 26.19);
    EXPECT_STREQ(text, "26.19");
}

}  // namespace
}  // namespace vg28::test
