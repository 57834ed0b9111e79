#pragma once
// Texts of the string table as the session shows them: plain, or with the one number that a
// "%d" in the text stands for (and the text that a "%1" stands for).

#include <string>
#include <string_view>

#include "base/StringTable.h"

namespace vg28 {

inline std::string SessionText(int id) {
    return std::string(StringTable::Get(id));
}

// The text with its first "%d" replaced by value (the text is never used as a format).
inline std::string SessionTextWithNumber(int id, long long value) {
    std::string text = SessionText(id);
    const std::size_t at = text.find("%d");
    if (at != std::string::npos) text.replace(at, 2, std::to_string(value));
    return text;
}

// The text with its first "%d" replaced by value and every "%1" by insert.
inline std::string SessionTextWith(int id, long long value, std::string_view insert) {
    std::string text = SessionTextWithNumber(id, value);
    for (std::size_t at = 0; (at = text.find("%1", at)) != std::string::npos; at += insert.size()) {
        text.replace(at, 2, insert);
    }
    return text;
}

}  // namespace vg28
