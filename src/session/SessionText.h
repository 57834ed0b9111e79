#pragma once
// Texts of the string table as the session shows them: plain, or with the one number that a
// "%d" in the text stands for.

#include <string>
#include <string_view>

#include "app/StringTable.h"

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

}  // namespace vg28
