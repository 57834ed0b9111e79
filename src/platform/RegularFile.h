#pragma once
// Opening the files that must be plain files (the sensor database, the network file, the
// settings, the project files). A pipe, device or folder put in the place of one is refused at
// once: an ordinary open of a FIFO without a writer blocks, and so would the program's start.
// Refused files behave as files that cannot be opened. Errors are results (-1 or nothing), with
// errno set.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vg28 {

// Opens path with flags (O_RDONLY, O_RDWR, ...) when it is a regular file; -1 otherwise. Pipes
// and devices are never opened in blocking mode; the descriptor returned blocks as usual.
int OpenRegularFile(const std::string& path, int flags);

// The whole content of a regular file of at most maxSize bytes; nothing when it cannot be
// opened, is no regular file, is longer or cannot be read.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxSize = SIZE_MAX);

}  // namespace vg28
