#pragma once
// The column model of the record table, shared by the table view and the record export: which
// data indices are shown in a view mode, their titles, the cell texts, the column colours and
// the profile values of the table (mode, custom column set, widths).
//
// Texts (titles and cells) are in the stored texts' encoding, Windows ANSI (CP1251); the table
// view converts them for display, the export writes them as they are. Build takes a snapshot of
// the channels' sensors, so a cell costs one copy of its value and one formatting; build again
// after the project's sensors or the sensor database changed. Nothing here fails: a row or column
// out of range gives an empty text, a damaged profile value gives its default.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "project/MeasurementRecord.h"
#include "sensors/SensorRecord.h"

namespace vg28 {

class CProjectDoc;
class Profile;

struct ColumnColour {
    int red;
    int green;
    int blue;
    friend bool operator==(const ColumnColour&, const ColumnColour&) = default;
};

// How a cell shows a value: the table marks range ends and shows "n/a" for invalid values;
// the export marks them only for "correct values" and leaves invalid values empty.
struct CellStyle {
    bool withMark = true;
    bool placeholder = true;
};

class TableColumns {
public:
    // Data indices: 0 the record time, 1-49 channel index + 1, 50-54 the status texts.
    static constexpr int kTimeIndex = 0;
    static constexpr int kFirstChannelIndex = 1;
    static constexpr int kFirstStatusIndex = 50;
    static constexpr int kStatusColumnCount = 5;
    static constexpr int kModeCount = 4;
    static constexpr int kModeTypical = 1;  // data indices 0-47
    static constexpr int kModeCustom = 2;
    static constexpr int kModeDiagnostics = 3;
    static constexpr std::uint64_t kAllColumns = ~std::uint64_t{0};

    // Rebuilds the shown columns for the document's channels and sensors.
    void Build(const CProjectDoc& doc, int mode, std::uint64_t customSet);

    int Mode() const { return m_mode; }
    std::uint64_t CustomSet() const { return m_customSet; }
    int Count() const { return static_cast<int>(m_dataIndices.size()); }
    const std::vector<std::string>& Titles() const { return m_titles; }
    const std::vector<int>& DataIndices() const { return m_dataIndices; }
    // Empty text and -1 for a column out of range.
    std::string Title(int column) const;
    int DataIndex(int column) const;

    // The text of row (index into the document's records) and shown column.
    std::string CellText(const CProjectDoc& doc, std::size_t row, int column,
                         CellStyle style = {}) const;
    // The text of one data index for a record, marked by the current sensors as MarkRecord does.
    std::string CellText(const CProjectDoc& doc, const MeasurementRecord& record, int dataIndex,
                         CellStyle style) const;

    // Whether a data index takes part in a view mode (before the channel rules).
    static bool IsConsidered(int mode, std::uint64_t customSet, int dataIndex);
    static ColumnColour Colour(int dataIndex);
    static int DefaultWidth(int dataIndex);

    // The custom set of the column choice: bit i for every checked line i (0 the time, then
    // S1-S49); bits 50-63 stay clear.
    static std::uint64_t CustomSetFromChoice(const std::vector<bool>& checked);

    // Profile values of the table. A mode outside 0-3 reads as 0; a missing or damaged custom
    // block reads as all ones.
    static int ReadMode(const Profile& profile);
    static std::uint64_t ReadCustomSet(const Profile& profile);
    static int ReadWidth(const Profile& profile, int dataIndex);
    static bool WriteMode(Profile& profile, int mode);
    static bool WriteCustomSet(Profile& profile, std::uint64_t customSet);
    static bool WriteWidth(Profile& profile, int dataIndex, int width);

private:
    int m_mode = 0;
    std::uint64_t m_customSet = kAllColumns;
    std::vector<std::string> m_titles;
    std::vector<int> m_dataIndices;
    // The sensor of each channel as found at the last Build (MarkValue applies it).
    bool m_known[kChannelCount] = {};
    SensorRecord m_sensors[kChannelCount] = {};
};

}  // namespace vg28
