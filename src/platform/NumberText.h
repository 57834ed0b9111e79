#pragma once
// Number texts that never follow the C library's locale: "." is the decimal point, digits as
// printf prints them in the "C" locale. Files and the wire take them as they are; a text shown
// to the operator goes through Locale::Localize afterwards.

#include <string>

namespace vg28 {

// "%.*f": the value with the given number of decimals (negative counts as 0).
std::string DecimalText(double value, int decimals);

// "%.*e": one digit, the point, the given number of digits and the exponent "e+00".
std::string ScientificText(double value, int digits);

// The value of a hexadecimal digit (0-9, A-F, a-f); -1 for any other character.
int HexDigitValue(char c);

}  // namespace vg28
