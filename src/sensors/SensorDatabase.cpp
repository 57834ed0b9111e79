#include "sensors/SensorDatabase.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FixedText.h"
#include "platform/RegularFile.h"

namespace vg28 {

namespace {

struct Header {
    std::uint32_t magic;
    std::uint32_t version;
    std::uint32_t count;
    std::uint8_t zero[52];
};
static_assert(sizeof(Header) == SensorDatabase::kHeaderSize);

}  // namespace

SensorRecord EmptySensorRecord() {
    SensorRecord record;
    std::memset(&record, 0, sizeof record);
    return record;
}

bool SensorDatabase::Load(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return false;
    Header header{};
    bool ok = ReadFully(fd, &header, sizeof header) == static_cast<long long>(sizeof header) &&
              header.magic == kMagic && header.version == kVersion;
    for (std::uint32_t i = 0; ok && i < header.count; ++i) {
        SensorRecord record = EmptySensorRecord();
        auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
        ok = ReadFully(fd, bytes, kSensorFirstBlock) == static_cast<long long>(kSensorFirstBlock) &&
             ReadFully(fd, bytes + kSensorFirstBlock, kSensorSecondBlock) ==
                 static_cast<long long>(kSensorSecondBlock);
        if (ok) m_records.push_back(record);
    }
    ::close(fd);
    return ok && !m_records.empty();
}

bool SensorDatabase::Save(const std::string& path) const {
    Header header{};
    header.magic = kMagic;
    header.version = kVersion;
    header.count = static_cast<std::uint32_t>(m_records.size());
    AtomicFile file(path);
    if (!file.Open() || !file.Write(&header, sizeof header)) return false;
    for (const SensorRecord& record : m_records) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
        if (!file.Write(bytes, kSensorFirstBlock) ||
            !file.Write(bytes + kSensorFirstBlock, kSensorSecondBlock))
            return false;
    }
    return file.Commit();
}

const SensorRecord* SensorDatabase::FindById(std::string_view id) const {
    const int index = IndexOf(id);
    return index < 0 ? nullptr : &m_records[static_cast<std::size_t>(index)];
}

int SensorDatabase::IndexOf(std::string_view id) const {
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        if (TextOf(m_records[i].id) == id) return static_cast<int>(i);
    }
    return -1;
}

void SensorDatabase::RemoveAt(std::size_t index) {
    if (index < m_records.size())
        m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace vg28
