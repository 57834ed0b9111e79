#include "project/TableColumns.h"

#include <cstring>

#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/PlugAndPlay.h"
#include "project/ProjectSetup.h"
#include "sensors/SensorDatabase.h"
#include "sensors/SensorFormat.h"

namespace vg28 {

namespace {

// The titles and the document's status texts are UTF-8; the model's texts are CP1251.
constexpr const char* kTimeTitle = "Время";
constexpr const char* kStatusTitles[TableColumns::kStatusColumnCount] = {"Питание", "KWS", "FAN",
                                                                         "SHT", "SMTE"};
constexpr const char* kNotAvailable = "n/a";
constexpr int kTypicalLastIndex = 47;
constexpr int kTimeWidth = 96;
constexpr int kColumnWidth = 80;
constexpr int kChoiceLines = 50;  // the time and S1-S49

constexpr ColumnColour kGrey{240, 240, 240};
constexpr ColumnColour kYellow{255, 255, 192};
constexpr ColumnColour kCyan{192, 255, 255};

}  // namespace

bool TableColumns::IsConsidered(int mode, std::uint64_t customSet, int dataIndex) {
    if (dataIndex < 0 || dataIndex >= 64) return false;
    switch (mode) {
        case kModeTypical:
            return dataIndex <= kTypicalLastIndex;
        case kModeCustom:
            return (customSet >> dataIndex & 1) != 0;
        default:
            return true;
    }
}

void TableColumns::Build(const CProjectDoc& doc, int mode, std::uint64_t customSet) {
    m_mode = mode >= 0 && mode < kModeCount ? mode : 0;
    m_customSet = customSet;
    m_titles.clear();
    m_dataIndices.clear();

    for (int k = 0; k < kChannelCount; ++k) {
        const std::string_view id = TextOf(doc.setup.sensorIds[k]);
        const SensorRecord* sensor = id.empty() ? nullptr : doc.Sensors().FindById(id);
        m_known[k] = sensor != nullptr;
        m_sensors[k] = sensor ? *sensor : SensorRecord{};
    }

    if (IsConsidered(m_mode, m_customSet, kTimeIndex)) {
        m_titles.push_back(TextCodec::Utf8ToCp1251IfValid(kTimeTitle));
        m_dataIndices.push_back(kTimeIndex);
    }
    bool substrateShown = false;
    for (int k = 0; k < kChannelCount; ++k) {
        const int dataIndex = k + kFirstChannelIndex;
        const std::string_view id = TextOf(doc.setup.sensorIds[k]);
        if (IsFreeChannel(id) || !IsConsidered(m_mode, m_customSet, dataIndex)) continue;
        if (k >= 12 && k <= 14 && !substrateShown) continue;
        if (k == 13) continue;
        if (k == kSubstrateChannel) substrateShown = true;
        m_titles.push_back(m_known[k] ? ChannelCaption(m_sensors[k], dataIndex, true)
                                      : MissingSensorCaption(dataIndex, id));
        m_dataIndices.push_back(dataIndex);
    }
    if (m_mode == kModeDiagnostics) {
        for (int kind = 0; kind < kStatusColumnCount; ++kind) {
            m_titles.push_back(TextCodec::Utf8ToCp1251IfValid(kStatusTitles[kind]));
            m_dataIndices.push_back(kFirstStatusIndex + kind);
        }
    }
}

std::string TableColumns::Title(int column) const {
    return column >= 0 && column < Count() ? m_titles[static_cast<std::size_t>(column)]
                                           : std::string();
}

int TableColumns::DataIndex(int column) const {
    return column >= 0 && column < Count() ? m_dataIndices[static_cast<std::size_t>(column)] : -1;
}

std::string TableColumns::CellText(const CProjectDoc& doc, std::size_t row, int column,
                                   CellStyle style) const {
    if (row >= doc.records.size() || column < 0 || column >= Count()) return {};
    return CellText(doc, doc.records[row], m_dataIndices[static_cast<std::size_t>(column)], style);
}

std::string TableColumns::CellText(const CProjectDoc& doc, const MeasurementRecord& record,
                                   int dataIndex, CellStyle style) const {
    if (dataIndex == kTimeIndex) return CProjectDoc::FormatRecordTime(record.time, true);
    std::string text;
    if (dataIndex >= kFirstChannelIndex && dataIndex < kFirstChannelIndex + kChannelCount) {
        const int k = dataIndex - kFirstChannelIndex;
        // Marking only changes precision and mark, never the values the validity rule reads,
        // so marking the one cell shown equals marking the whole record first.
        if (!doc.IsValueValid(&record, k)) return style.placeholder ? kNotAvailable : "";
        ChannelValue cell = record.values[k];
        if (m_known[k]) MarkValue(m_sensors[k], cell);
        text = CProjectDoc::FormatCell(cell, style.withMark);
    } else if (dataIndex >= kFirstStatusIndex &&
               dataIndex < kFirstStatusIndex + kStatusColumnCount) {
        text =
            TextCodec::Utf8ToCp1251IfValid(doc.StatusText(record, dataIndex - kFirstStatusIndex));
    } else {
        return {};
    }
    return Locale::Current().Localize(std::move(text));
}

ColumnColour TableColumns::Colour(int dataIndex) {
    if (dataIndex >= 1 && dataIndex <= 8) return kYellow;
    if ((dataIndex >= 9 && dataIndex <= 15) || (dataIndex >= 18 && dataIndex <= 49)) return kCyan;
    return kGrey;
}

int TableColumns::DefaultWidth(int dataIndex) {
    return dataIndex == kTimeIndex ? kTimeWidth : kColumnWidth;
}

std::uint64_t TableColumns::CustomSetFromChoice(const std::vector<bool>& checked) {
    std::uint64_t set = 0;
    for (std::size_t i = 0; i < checked.size() && i < kChoiceLines; ++i) {
        if (checked[i]) set |= std::uint64_t{1} << i;
    }
    return set;
}

int TableColumns::ReadMode(const Profile& profile) {
    const int mode = profile.Get(keys::kTableMode);
    return mode >= 0 && mode < kModeCount ? mode : 0;
}

std::uint64_t TableColumns::ReadCustomSet(const Profile& profile) {
    const auto block = profile.GetBinary(keys::kTableCustom.section, keys::kTableCustom.key,
                                         keys::kTableCustom.size);
    if (!block || block->size() != sizeof(std::uint64_t)) return kAllColumns;
    std::uint64_t set = 0;
    for (std::size_t i = 0; i < sizeof set; ++i)
        set |= std::uint64_t{(*block)[i]} << (8 * i);
    return set;
}

int TableColumns::ReadWidth(const Profile& profile, int dataIndex) {
    return profile.GetInt(keys::kTableMode.section, keys::ColumnWidthKey(dataIndex),
                          DefaultWidth(dataIndex));
}

bool TableColumns::WriteMode(Profile& profile, int mode) {
    return profile.Write(keys::kTableMode, mode);
}

bool TableColumns::WriteCustomSet(Profile& profile, std::uint64_t customSet) {
    std::uint8_t block[sizeof customSet];
    for (std::size_t i = 0; i < sizeof block; ++i) {
        block[i] = static_cast<std::uint8_t>(customSet >> (8 * i));
    }
    return profile.WriteBinary(keys::kTableCustom.section, keys::kTableCustom.key, block,
                               sizeof block);
}

bool TableColumns::WriteWidth(Profile& profile, int dataIndex, int width) {
    return profile.WriteInt(keys::kTableMode.section, keys::ColumnWidthKey(dataIndex), width);
}

}  // namespace vg28
