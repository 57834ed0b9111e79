#pragma once
// A temporary program folder for one benchmark, removed with everything in it afterwards.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace vg28::bench {

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vg28-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) m_path = pattern + "/";
    }
    ~BenchFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The folder with a trailing separator; empty when it could not be made.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace vg28::bench
