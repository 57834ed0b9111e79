#pragma once
// "Plug and Play", the sensor ID of a channel kept open for the instrument to fill. It is read
// in two ways, each right where it is used, and the names below keep them apart:
// - the free-channel mark is the word or any ID that begins with it ("Plug and Play 2"): such a
//   channel has no sensor for the record table, the graph, the live values, the project
//   listing and the synchronization's comparison (IsFreeChannelMark, IsFreeChannel);
// - the placeholder is exactly the word: the item the project dialog offers, the ID the
//   instrument is not sent, and the one the registration and duplicate checks skip
//   (IsPlugAndPlay, IsEmptyOrPlugAndPlay). There "Plug and Play 2" is an ordinary sensor ID.

#include <string_view>

#include "platform/FixedText.h"

namespace vg28 {

inline constexpr const char* kPlugAndPlay = "Plug and Play";

// Exactly the placeholder.
inline bool IsPlugAndPlay(std::string_view id) {
    return id == kPlugAndPlay;
}

// Empty or exactly the placeholder.
inline bool IsEmptyOrPlugAndPlay(std::string_view id) {
    return id.empty() || IsPlugAndPlay(id);
}

// The placeholder or any ID that begins with it.
inline bool IsFreeChannelMark(std::string_view id) {
    return StartsWith(id, kPlugAndPlay);
}

// A channel without a sensor: an empty ID or the free-channel mark.
inline bool IsFreeChannel(std::string_view id) {
    return id.empty() || IsFreeChannelMark(id);
}

}  // namespace vg28
