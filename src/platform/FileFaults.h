#pragma once
// A test seam under the file writers. AtomicFile (and with it every file that is replaced whole)
// and the record append of the project file ask it before each operation that can fail: open,
// each write, truncate, flush and rename. Unless a test installs a FileFaults the question is
// one test of a null pointer. An installed FileFaults counts the operations and fails the k-th
// one, either once or for good (that one and every later one). A failed operation does not
// happen and sets errno; a failed write first writes half of its bytes, as a full disk does.
// One FileFaults at a time, on one thread; it uninstalls itself when destroyed.

namespace vg28 {

enum class FileOp { Open, Write, Truncate, Flush, Rename };

class FileFaults {
public:
    // failAt is 1-based; 0 only counts.
    explicit FileFaults(int failAt = 0, bool forGood = false);
    ~FileFaults();
    FileFaults(const FileFaults&) = delete;
    FileFaults& operator=(const FileFaults&) = delete;

    // Operations seen and operations failed since installation.
    int Count() const { return m_count; }
    int Failures() const { return m_failures; }

    // True when the operation must fail (errno is set then); false when no FileFaults is
    // installed.
    static bool Fail(FileOp op) { return s_current != nullptr && s_current->Decide(op); }

private:
    bool Decide(FileOp op);

    static inline FileFaults* s_current = nullptr;
    FileFaults* m_previous;
    int m_failAt;
    bool m_forGood;
    int m_count = 0;
    int m_failures = 0;
};

}  // namespace vg28
