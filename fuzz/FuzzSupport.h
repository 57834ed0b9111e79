#pragma once
// Helpers shared by the fuzz targets: a private scratch folder for the targets that read files,
// and a check that stops the run (as a crash the fuzzer records) when a property is broken.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vg28::fuzz {

// A folder of its own for this process, with a trailing separator; removed at exit.
const std::string& ScratchFolder();

// Writes bytes to a file of the scratch folder and returns its path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Prints what was broken and aborts.
[[noreturn]] void Broken(const char* what, const char* file, int line);

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace vg28::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::vg28::fuzz::Broken(#condition, __FILE__, __LINE__))
