#pragma once
// Replaces a file so that it is never lost half-written: the new content goes to a temporary
// file in the same folder, which is flushed to disk and then renamed over the old file. Until
// Commit succeeds the old file stays as it was; a writer destroyed without Commit removes its
// temporary file. Errors are results (false), with errno left as the failing call set it.

#include <cstddef>
#include <string>

namespace vg28 {

class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file.
    bool Open();
    bool Write(const void* data, std::size_t size);
    // Flushes, closes and renames the temporary file over the target.
    bool Commit();
    // Drops the temporary file; the target is untouched.
    void Discard();

    const std::string& TempPath() const { return m_tempPath; }

private:
    std::string m_path;
    std::string m_tempPath;
    int m_fd = -1;
    bool m_failed = false;
};

// Writes all bytes to a descriptor, retrying short writes and interrupted calls.
bool WriteAll(int fd, const void* data, std::size_t size);

// Reads up to size bytes, retrying short reads; returns the number of bytes read or -1.
long long ReadFully(int fd, void* data, std::size_t size);

}  // namespace vg28
