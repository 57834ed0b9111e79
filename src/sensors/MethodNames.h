#pragma once
// The names of the measurement methods, as the instrument's sensor lines, the sensor catalogue
// and vg28-tool write them. What a number outside the three becomes is each writer's own.

#include <optional>
#include <string_view>

namespace vg28 {

// "STD", "COMP" or "AVG"; nothing for a number that is none of the methods.
std::optional<std::string_view> MethodName(int method);

// The method (kMethodStd, kMethodComp, kMethodAvg) of such a name; nothing for any other text.
std::optional<int> MethodOfName(std::string_view name);

}  // namespace vg28
