#pragma once
// One decoded Em50 logger reading as the logger protocol hands it to the project: the record
// time on the logger's clock and the 20 values of the project channels 17-36.

#include <array>
#include <cstdint>

#include "project/CProjectDoc.h"

namespace vg28 {

// Value i belongs to project channel 17 + i; all 0.0 unless decoded.
using Em50Values = std::array<double, CProjectDoc::kEm50ValueCount>;

struct Em50Record {
    std::uint32_t time = 0;  // seconds since 2000-01-01 00:00:00 of the logger's clock
    Em50Values values{};
};

}  // namespace vg28
