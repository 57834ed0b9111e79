#pragma once
// The user's number, date and time conventions taken from QLocale::system() into the core's
// Locale: the decimal separator and the short date and time formats as strftime patterns.

#include <QLocale>
#include <string>

#include "platform/Locale.h"

namespace vg28::ui {

// A Qt date or time format ("dd.MM.yyyy", "HH:mm:ss") as a strftime pattern; empty when it
// holds a field that has no strftime counterpart.
std::string StrftimeFromQtFormat(const QString& format);
// The Locale for a Qt locale; fields that cannot be converted keep the defaults.
Locale LocaleFromQt(const QLocale& locale);

}  // namespace vg28::ui
