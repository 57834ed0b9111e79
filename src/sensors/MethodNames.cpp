#include "sensors/MethodNames.h"

#include <array>

#include "sensors/SensorRecord.h"

namespace vg28 {

namespace {

struct NamedMethod {
    int method;
    std::string_view name;
};

constexpr std::array<NamedMethod, 3> kMethods = {
    {{kMethodStd, "STD"}, {kMethodComp, "COMP"}, {kMethodAvg, "AVG"}}};

}  // namespace

std::optional<std::string_view> MethodName(int method) {
    for (const NamedMethod& m : kMethods) {
        if (m.method == method) return m.name;
    }
    return std::nullopt;
}

std::optional<int> MethodOfName(std::string_view name) {
    for (const NamedMethod& m : kMethods) {
        if (m.name == name) return m.method;
    }
    return std::nullopt;
}

}  // namespace vg28
