#pragma once
// The script's texts (UTF-8) and colours (0x00BBGGRR, blue in the high byte) as Qt takes them.

#include <QColor>
#include <QString>
#include <cstdint>
#include <string>

namespace vg28::plotvane {

inline QColor ColourOf(std::uint32_t colorRef) {
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

inline QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace vg28::plotvane
