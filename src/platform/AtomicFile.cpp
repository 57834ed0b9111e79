#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/FileFaults.h"

namespace vg28 {

namespace {

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

void SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    if (FileFaults::Fail(FileOp::Write)) {
        // A disk that fills up mid-write leaves part of the data behind.
        const int error = errno;
        [[maybe_unused]] const ssize_t part = ::write(fd, bytes, size / 2);
        errno = error;
        return false;
    }
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

long long ReadFully(int fd, void* data, std::size_t size) {
    char* bytes = static_cast<char*>(data);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t got = ::read(fd, bytes + total, size - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(total);
}

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Open() {
    Discard();
    static std::atomic<unsigned> counter{0};
    if (FileFaults::Fail(FileOp::Open)) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempPath = m_path + ".tmp" + std::to_string(::getpid()) + "_" +
                     std::to_string(counter.fetch_add(1));
        m_fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_failed = false;
            return true;
        }
        if (errno != EEXIST) break;
    }
    m_tempPath.clear();
    return false;
}

bool AtomicFile::Write(const void* data, std::size_t size) {
    if (m_fd < 0 || m_failed) return false;
    if (!WriteAll(m_fd, data, size)) m_failed = true;
    return !m_failed;
}

bool AtomicFile::Commit() {
    if (m_fd < 0 || m_failed) return false;
    const bool flushed = !FileFaults::Fail(FileOp::Flush) && ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!flushed || !closed || FileFaults::Fail(FileOp::Rename) ||
        ::rename(m_tempPath.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return false;
    }
    m_tempPath.clear();
    SyncFolder(m_path);
    return true;
}

void AtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

}  // namespace vg28
