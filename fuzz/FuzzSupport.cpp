#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vg28::fuzz {

namespace {

// In memory when the system offers it: the writers flush every file they replace, and on a
// disk that costs more than the parsing being fuzzed.
std::string MakeFolder() {
    std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    pattern += "/vg28-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern + "/";
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
}

}  // namespace

const std::string& ScratchFolder() {
    static const std::string folder = MakeFolder();
    // Registered after the folder's text exists, so it runs before that text is destroyed.
    static const bool removedAtExit = std::atexit(RemoveFolder) == 0;
    static_cast<void>(removedAtExit);
    return folder;
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
    const std::string path = ScratchFolder() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Broken(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

}  // namespace vg28::fuzz
