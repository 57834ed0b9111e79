#pragma once
// The requests of a line's log that would change an instrument: its project (name, period,
// flags, sensors, clearing, formatting), its mode or its clock. Written out from the command
// set's setting forms, for tests that assert that nothing of the kind was sent.

#include <string>
#include <vector>

namespace vg28::test {

// requests as the simulator logs them (address prefix included, no CR).
std::vector<std::string> WritingRequests(const std::vector<std::string>& requests);

}  // namespace vg28::test
