#pragma once
// The sensor catalogue: an ordered array of SensorRecord in file order, loaded from and saved to
// "sensors.dat". Lookup by ID returns the first match. Load and Save report failure as false;
// Save replaces the file only when the new one is complete, so a failed save never destroys it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sensors/SensorRecord.h"

namespace vg28 {

class SensorDatabase {
public:
    static constexpr const char* kFileName = "sensors.dat";
    static constexpr std::uint32_t kMagic = 0x534E4553;  // "SENS"
    static constexpr std::uint32_t kVersion = 0x00020000;
    static constexpr std::size_t kHeaderSize = 64;

    // Appends the records of the file; false when the file is missing, damaged, truncated or
    // holds no record (records read before a failure stay).
    bool Load(const std::string& path);
    bool Save(const std::string& path) const;

    const SensorRecord* FindById(std::string_view id) const;
    int IndexOf(std::string_view id) const;  // -1 when absent

    std::size_t Count() const { return m_records.size(); }
    const SensorRecord& At(std::size_t index) const { return m_records.at(index); }
    SensorRecord& At(std::size_t index) { return m_records.at(index); }
    void Append(const SensorRecord& record) { m_records.push_back(record); }
    void RemoveAt(std::size_t index);
    void Clear() { m_records.clear(); }
    void ReplaceAll(const std::vector<SensorRecord>& records) { m_records = records; }
    const std::vector<SensorRecord>& Records() const { return m_records; }

private:
    std::vector<SensorRecord> m_records;
};

// A new or cleared record: all zero.
SensorRecord EmptySensorRecord();

}  // namespace vg28
