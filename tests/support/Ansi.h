#pragma once
// Test data in the stored encoding: the tests write their Cyrillic texts in UTF-8 and store them
// as the program does, in CP1251 (the Windows "ANSI" code page).

#include <string>

#include "platform/TextCodec.h"

namespace vg28::test {

inline std::string Ansi(const std::string& utf8) {
    return TextCodec::Utf8ToCp1251(utf8);
}

}  // namespace vg28::test
