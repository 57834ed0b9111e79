#pragma once
// Helpers for the NUL-terminated texts kept in fixed-size character arrays of the stored
// records. Every copy into such an array is cut to fit and always keeps the terminating NUL.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vg28 {

// The text of a fixed array: up to the first NUL, never past the array's end.
template <std::size_t N>
std::string_view TextOf(const char (&array)[N]) {
    const void* nul = std::memchr(array, 0, N);
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - array) : N;
    return std::string_view(array, length);
}

// Copies text into a fixed array, cut to N-1 characters (and at an embedded NUL), zero-filling
// the rest so that stored images do not carry stale bytes.
template <std::size_t N>
void CopyText(char (&array)[N], std::string_view text) {
    static_assert(N > 0);
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(array, text.data(), length);
    std::memset(array + length, 0, N - length);
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace vg28
