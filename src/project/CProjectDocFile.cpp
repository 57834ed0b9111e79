// The project file of CProjectDoc: load (both versions), whole-file save and record append.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "platform/AtomicFile.h"
#include "platform/FileFaults.h"
#include "platform/FixedText.h"
#include "platform/RegularFile.h"
#include "project/CProjectDoc.h"

namespace vg28 {

namespace {

constexpr std::size_t kSetupSize = sizeof(ProjectSetup);
constexpr std::size_t kRecordSize = sizeof(MeasurementRecord);
constexpr std::size_t kDataStart = CProjectDoc::kHeaderSize + kSetupSize;

// Offsets inside the version-1 setup block and record.
constexpr std::size_t kV1Period = 0;
constexpr std::size_t kV1SensorIds = 4;
constexpr int kV1ChannelCount = 17;
constexpr std::size_t kV1ReservedWord = 548;
constexpr std::size_t kV1Notes = 556;
constexpr std::size_t kV1ConfigDate = 812;
constexpr std::size_t kV1ConfigTime = 816;
constexpr std::size_t kV1RecordValues = 8;
constexpr std::size_t kV1RecordStatus = 280;  // status flags, powerOff, powerOn: 40 bytes

static_assert(kV1RecordStatus + 40 == CProjectDoc::kVersion1RecordSize);
static_assert(offsetof(MeasurementRecord, powerOn) + 4 - offsetof(MeasurementRecord, status) == 40);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool ReadExactly(int fd, void* data, std::size_t size) {
    return ReadFully(fd, data, size) == static_cast<long long>(size);
}

std::uint32_t WordAt(const std::uint8_t* bytes) {
    std::uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

template <std::size_t N>
void CopyStoredText(char (&array)[N], const std::uint8_t* bytes) {
    CopyText(array, std::string_view(reinterpret_cast<const char*>(bytes), N));
}

}  // namespace

int CProjectDoc::LoadProject(const std::string& path) {
    ResetProject();
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return kFileCannotOpen;
    FileDescriptor file(fd);
    int code = kFileWrongFormat;
    try {
        code = LoadFile(fd);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    if (code != kFileOk) {
        // A damaged file is never left attached: a later save would overwrite it.
        ResetProject();
        return code;
    }
    m_pathName = path;
    m_fileBehind = false;
    return kFileOk;
}

int CProjectDoc::LoadFile(int fd) {
    std::uint32_t header[2];
    if (!ReadExactly(fd, header, sizeof header)) return kFileWrongFormat;
    if (header[0] != kMagic || (header[1] != kVersion2 && header[1] != kVersion1))
        return kFileWrongFormat;
    magic = header[0];
    version = header[1];
    const bool old = version == kVersion1;
    const std::size_t setupSize = old ? kVersion1SetupSize : kSetupSize;
    const std::size_t recordSize = old ? kVersion1RecordSize : kRecordSize;

    struct stat info {};
    if (::fstat(fd, &info) != 0) return kFileWrongFormat;
    const auto length = static_cast<std::uint64_t>(info.st_size);
    if (length < kHeaderSize + setupSize) return kFileWrongFormat;
    // Only whole records count: a record cut short by a lost append is left out.
    const std::uint64_t count = (length - kHeaderSize - setupSize) / recordSize;
    if (count > kMaxRecordCount) return kFileWrongFormat;

    if (!old) {
        if (!ReadExactly(fd, &setup, kSetupSize)) return kFileWrongFormat;
        records.resize(static_cast<std::size_t>(count));
        if (!ReadExactly(fd, records.data(), records.size() * kRecordSize)) return kFileWrongFormat;
    } else {
        std::uint8_t block[kVersion1SetupSize];
        if (!ReadExactly(fd, block, sizeof block)) return kFileWrongFormat;
        std::memcpy(&setup.period, block + kV1Period, sizeof setup.period);
        for (int k = 0; k < kV1ChannelCount; ++k)
            CopyStoredText(setup.sensorIds[k], block + kV1SensorIds + k * kIdLength);
        setup.reservedWord = WordAt(block + kV1ReservedWord);
        for (int n = 0; n < kNoteCount; ++n)
            CopyStoredText(setup.notes[n], block + kV1Notes + n * kIdLength);
        setup.configTime =
            TimeStamp::FromWords(WordAt(block + kV1ConfigDate), WordAt(block + kV1ConfigTime));
        setup.exactTime = 1;

        std::vector<std::uint8_t> stored(static_cast<std::size_t>(count) * recordSize);
        if (!ReadExactly(fd, stored.data(), stored.size())) return kFileWrongFormat;
        records.assign(static_cast<std::size_t>(count), MeasurementRecord{});
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::uint8_t* source = stored.data() + i * recordSize;
            MeasurementRecord& target = records[i];
            std::memcpy(&target.time, source, sizeof target.time);
            std::memcpy(target.values, source + kV1RecordValues,
                        kV1ChannelCount * sizeof(ChannelValue));
            std::memcpy(target.status, source + kV1RecordStatus,
                        kVersion1RecordSize - kV1RecordStatus);
        }
    }

    // Appends out of time order happen (merged logger data); memory keeps time order.
    SortRecords();
    UpdateFirstAndLast();
    return kFileOk;
}

int CProjectDoc::SaveProject() {
    if (m_pathName.empty()) return kFileCannotOpen;
    AtomicFile file(m_pathName);
    if (!file.Open()) return kFileCannotOpen;
    magic = kMagic;
    version = kVersion2;
    const std::uint32_t header[2] = {magic, version};
    const bool written =
        file.Write(header, sizeof header) && file.Write(&setup, kSetupSize) &&
        (records.empty() || file.Write(records.data(), records.size() * kRecordSize)) &&
        file.Commit();
    // The template of the next new project follows every save, successful or not.
    m_profile.WriteBinary(keys::kProjectDefault.section, keys::kProjectDefault.key, &setup,
                          kSetupSize);
    if (written) m_fileBehind = false;
    return written ? kFileOk : kFileWriteError;
}

int CProjectDoc::AppendLastRecord() {
    const int code = AppendToFile();
    m_fileBehind = code != kFileOk;
    return code;
}

int CProjectDoc::AppendToFile() {
    if (m_pathName.empty()) return kFileCannotOpen;
    // 832-byte images would corrupt a file of 320-byte records: write it anew in this format.
    if (version == kVersion1) return SaveProject();
    // A file that missed an earlier record would never get it: write it anew too (unless it
    // is gone).
    if (m_fileBehind) {
        struct stat info {};
        if (::stat(m_pathName.c_str(), &info) != 0) return kFileCannotOpen;
        return SaveProject();
    }

    // Never create the file: a project file that disappeared is not recreated headless.
    const int fd = FileFaults::Fail(FileOp::Open) ? -1 : OpenRegularFile(m_pathName, O_RDWR);
    if (fd < 0) return kFileCannotOpen;
    FileDescriptor file(fd);

    struct stat info {};
    if (::fstat(fd, &info) != 0) return kFileWriteError;
    const auto length = static_cast<std::uint64_t>(info.st_size);
    std::uint32_t header[2] = {0, 0};
    if (length < kDataStart || ::pread(fd, header, sizeof header, 0) != sizeof header ||
        header[0] != kMagic || header[1] != kVersion2) {
        // Not a whole project file of this format any more: write everything we hold.
        file.Close();
        return SaveProject();
    }

    // A torn earlier append leaves part of a record at the end; cut it off first so that
    // the new record starts on a record boundary.
    const std::uint64_t end = length - (length - kDataStart) % kRecordSize;
    if (end != length &&
        (FileFaults::Fail(FileOp::Truncate) || ::ftruncate(fd, static_cast<off_t>(end)) != 0))
        return kFileWriteError;

    if (!records.empty()) {
        if (::lseek(fd, static_cast<off_t>(end), SEEK_SET) < 0) return kFileWriteError;
        if (!WriteAll(fd, &records.back(), kRecordSize)) {
            // Leave no half record behind (if even that fails, the next append cuts it off).
            if (!FileFaults::Fail(FileOp::Truncate)) {
                [[maybe_unused]] const int cut = ::ftruncate(fd, static_cast<off_t>(end));
            }
            return kFileWriteError;
        }
    }
    const bool flushed = !FileFaults::Fail(FileOp::Flush);
    return file.Close() && flushed ? kFileOk : kFileWriteError;
}

}  // namespace vg28
