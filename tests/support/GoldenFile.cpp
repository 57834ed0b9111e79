#include "support/GoldenFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vg28::test {

void ExpectMatchesGolden(const std::string& actual, const std::string& relative) {
    const std::string path = std::string(VG28_TEST_DATA_DIR) + "/" + relative;
    std::ifstream in(path, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (expected == actual) return;
    const auto keep = std::filesystem::temp_directory_path() / "vg28-golden" / relative;
    std::filesystem::create_directories(keep.parent_path());
    std::ofstream(keep, std::ios::binary) << actual;
    ADD_FAILURE() << "output differs from " << path << "; actual output kept in " << keep;
}

}  // namespace vg28::test
