#pragma once
// Output compared with a reviewed copy kept under tests/data.

#include <string>

namespace vg28::test {

// The file under tests/data/<relative>; the test fails when it differs from actual, and then
// the actual bytes are kept in the system's temporary folder for review.
void ExpectMatchesGolden(const std::string& actual, const std::string& relative);

}  // namespace vg28::test
