#pragma once
// The far end of an in-process line: what SimulatedLine talks to instead of a device. The peer
// receives the bytes written to the line and offers its own bytes, each due at a time of the
// line's clock (monotonic milliseconds), so that a reply can be late or trickle in at the baud
// rate. Peers never throw.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vg28 {

class LinePeer {
public:
    virtual ~LinePeer() = default;

    // Bytes written by the terminal, in order.
    virtual void Receive(std::string_view bytes) = 0;

    // When the next byte will be available (it may lie in the past), or nothing when no byte is
    // on its way.
    virtual std::optional<std::int64_t> NextByteAt() = 0;

    // The next byte if it is due by now.
    virtual std::optional<unsigned char> TakeByte() = 0;

    // The DTR line of the terminal's side.
    virtual void SetDtr(bool raised) = 0;
};

}  // namespace vg28
