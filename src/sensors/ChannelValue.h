#pragma once
// One channel of a record: the value, the decimals to show and the range-end mark. It lives with
// the sensors because a channel's sensor sets the last two (MarkValue in SensorFormat.h).

#include <cstddef>
#include <cstdint>

namespace vg28 {

struct ChannelValue {
    double value = 0.0;
    std::int32_t precision = 0;  // decimals to show, 0-5
    std::int32_t limitMark = 0;  // non-zero: the value sits at a range end of its sensor
};

static_assert(sizeof(ChannelValue) == 16);
static_assert(offsetof(ChannelValue, value) == 0 && offsetof(ChannelValue, precision) == 8 &&
              offsetof(ChannelValue, limitMark) == 12);

}  // namespace vg28
