#pragma once
// The font of the two views: 11 pixels high, as the 8-point dialog font their layout (canvas
// rectangles, default column widths) was made for, in a narrow face where one is installed.

#include <QFont>
#include <QStringList>

namespace vg28::ui {

inline QFont ViewFont(const QFont& base) {
    QFont font = base;
    QStringList families{QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans"),
                         QStringLiteral("Arial")};
    families << base.families();
    font.setFamilies(families);
    font.setPixelSize(11);
    return font;
}

}  // namespace vg28::ui
