#pragma once
// Cutting blanks off the ends of a text, with the characters named by the caller: what counts
// as a blank differs by reader (a settings line may keep a stray CR or LF that a catalogue
// value must keep as written), so every caller says which set it trims.

#include <string_view>

namespace vg28 {

// Blanks inside a line: space and tab.
inline constexpr std::string_view kBlanks = " \t";
// The line ends CR and LF.
inline constexpr std::string_view kLineEnds = "\r\n";
// Blanks and line ends.
inline constexpr std::string_view kBlanksAndLineEnds = " \t\r\n";

// The text without any of the characters at its start.
inline std::string_view TrimStart(std::string_view text, std::string_view characters) {
    const std::size_t first = text.find_first_not_of(characters);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The text without any of the characters at its end.
inline std::string_view TrimEnd(std::string_view text, std::string_view characters) {
    const std::size_t last = text.find_last_not_of(characters);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// The text without any of the characters at either end.
inline std::string_view Trim(std::string_view text, std::string_view characters) {
    return TrimEnd(TrimStart(text, characters), characters);
}

}  // namespace vg28
