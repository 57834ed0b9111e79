#include "project/CProjectDoc.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "platform/FixedText.h"
#include "platform/Locale.h"
#include "platform/TextCase.h"
#include "project/PlugAndPlay.h"
#include "sensors/SensorDatabase.h"
#include "sensors/SensorFormat.h"

namespace vg28 {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool Expect(std::string_view text, std::size_t& cursor, char c) {
    if (cursor >= text.size() || text[cursor] != c) return false;
    ++cursor;
    return true;
}

// An unsigned run of decimal digits; false when there is none or it overflows.
bool ReadDigits(std::string_view text, std::size_t& cursor, unsigned& out) {
    if (cursor >= text.size() || !IsDigit(text[cursor])) return false;
    const char* first = text.data() + cursor;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), out);
    if (error != std::errc()) return false;
    cursor += static_cast<std::size_t>(end - first);
    return true;
}

// A decimal integer of the instrument. Without a number the result is 0 and the cursor stays;
// a number out of range gives 0 and is skipped.
int ReadInteger(std::string_view text, std::size_t& cursor) {
    const char* first = text.data() + cursor;
    int value = 0;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error == std::errc::invalid_argument) return 0;
    cursor += static_cast<std::size_t>(end - first);
    return error == std::errc() ? value : 0;
}

// A decimal floating-point number, always with "." whatever the process locale. Without a
// number the result is 0 and the cursor stays; an infinite or unrepresentable number gives 0.
double ReadNumber(std::string_view text, std::size_t& cursor) {
    const char* first = text.data() + cursor;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
    if (error == std::errc::invalid_argument) return 0.0;
    cursor += static_cast<std::size_t>(end - first);
    return error == std::errc() && std::isfinite(value) ? value : 0.0;
}

// The index of the first table name that the text begins with, or -1.
template <std::size_t N>
int MatchPrefix(std::string_view text, const std::array<std::string_view, N>& names) {
    for (std::size_t i = 0; i < N; ++i)
        if (StartsWith(text, names[i])) return static_cast<int>(i);
    return -1;
}

}  // namespace

CProjectDoc::CProjectDoc(std::string programFolder, Profile& profile, const SensorDatabase& sensors)
    : m_programFolder(std::move(programFolder)), m_profile(profile), m_sensors(sensors) {
    ResetProject();
}

void CProjectDoc::AddObserver(DocObserver* observer) {
    if (observer &&
        std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CProjectDoc::RemoveObserver(DocObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

void CProjectDoc::UpdateAllViews(int hint) {
    // A copy: an observer may remove itself while it is told.
    const std::vector<DocObserver*> observers = m_observers;
    for (DocObserver* observer : observers)
        observer->OnDocumentUpdate(hint);
}

void CProjectDoc::ResetProject() {
    records.clear();
    ProjectSetup stored;
    if (m_profile.GetBinary(keys::kProjectDefault.section, keys::kProjectDefault.key, &stored,
                            sizeof stored)) {
        // A new project inherits period, sensors and options from the last saved one.
        setup = stored;
        std::memset(setup.notes, 0, sizeof setup.notes);
    } else {
        setup = ProjectSetup{};
        setup.period = 1800;
        setup.exactTime = 1;
        setup.em50 = 0;
    }
    for (int k = kVpdChannel; k < kChannelCount; ++k)
        CopyText(setup.sensorIds[k], kPlugAndPlay);
    firstTime = TimeStamp{};
    lastTime = TimeStamp{};
    setup.reservedWord = 0;
    // No file is attached any more, so no file format either (an old-format marker left from a
    // previous load would make the next append rewrite whatever file gets attached).
    magic = 0;
    version = 0;
    m_pathName.clear();
}

std::string CProjectDoc::ProjectName() const {
    const std::size_t slash = m_pathName.find_last_of('/');
    std::string title = slash == std::string::npos ? m_pathName : m_pathName.substr(slash + 1);
    const std::size_t dot = title.find_last_of('.');
    if (dot != std::string::npos) title.erase(dot);
    return title;
}

std::string CProjectDoc::ProjectFilePath(std::string_view name) const {
    constexpr std::string_view kExtension = ".phj";
    std::string path = m_programFolder + std::string(name) + std::string(kExtension);
    struct stat info {};
    if (name.empty() || ::lstat(path.c_str(), &info) == 0) return path;
    // Files copied from Windows often spell the extension in capitals, and Windows opens them
    // by either spelling: so does this program.
    std::string found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_programFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        if (file.size() != name.size() + kExtension.size() || !file.starts_with(name)) continue;
        if (TextCase::CompareUtf8(std::string_view(file).substr(name.size()), kExtension) != 0)
            continue;
        if (found.empty() || file < found) found = file;
    }
    return found.empty() ? path : m_programFolder + found;
}

bool CProjectDoc::ParseTimeStamp(std::string_view text, std::size_t& cursor, TimeStamp& out) {
    static constexpr char kSeparators[] = {'-', '-', ' ', ':', ':'};
    static constexpr unsigned kLow[] = {1980, 1, 1, 0, 0, 0};
    static constexpr unsigned kHigh[] = {3000, 12, 31, 23, 59, 59};
    unsigned fields[6];
    std::size_t at = cursor;
    for (int i = 0; i < 6; ++i) {
        if (i > 0 && !Expect(text, at, kSeparators[i - 1])) return false;
        if (!ReadDigits(text, at, fields[i]) || fields[i] < kLow[i] || fields[i] > kHigh[i])
            return false;
    }
    out = TimeStamp{};
    out.year = static_cast<std::uint16_t>(fields[0]);
    out.month = static_cast<std::uint8_t>(fields[1]);
    out.day = static_cast<std::uint8_t>(fields[2]);
    out.hour = static_cast<std::uint8_t>(fields[3]);
    out.minute = static_cast<std::uint8_t>(fields[4]);
    out.second = static_cast<std::uint8_t>(fields[5]);
    cursor = at;
    return true;
}

bool CProjectDoc::ParseRecordLine(MeasurementRecord& record, std::string_view text,
                                  int* modeOut) const {
    // Work on a copy so that a line that fails half-way changes nothing.
    MeasurementRecord result = record;
    int mode = modeOut ? *modeOut : 0;
    std::size_t cursor = 0;
    if (!ParseTimeStamp(text, cursor, result.time)) return false;

    while (cursor < text.size() && text[cursor] == ';') {
        ++cursor;
        if (cursor >= text.size()) return false;
        const char item = text[cursor++];
        if (cursor >= text.size()) return false;

        if (item == 'S') {
            const int input = ReadInteger(text, cursor);
            if (!Expect(text, cursor, ';')) return false;
            double value = ReadNumber(text, cursor);
            if (input < 1 || input > kChannelCount) continue;
            const int k = input - 1;
            if (input == 13 || input == 14) {
                // The soil probe's raw readings; the terminal converts them itself.
                const std::string_view id = TextOf(setup.sensorIds[k]);
                const SensorRecord* sensor = id.empty() ? nullptr : m_sensors.FindById(id);
                if (sensor) value = EvaluatePolynomial(*sensor, value);
            }
            result.values[k].value = value;
        } else if (item == 'F') {
            if (!Expect(text, cursor, ':')) return false;
            const std::size_t end = text.find(';', cursor);
            if (end == std::string_view::npos) return false;
            const int flag = MatchPrefix(text.substr(cursor, end - cursor), kStatusFlagNames);
            cursor = end + 1;
            const int value = ReadInteger(text, cursor);
            if (flag >= 0) result.status[flag] = value;
        } else if (item == 'M' && text.substr(cursor, 3) == "ODE") {
            cursor += 3;
            if (!Expect(text, cursor, ';')) return false;
            std::size_t end = text.find(';', cursor);
            if (end == std::string_view::npos) end = text.size();
            const int index = MatchPrefix(text.substr(cursor, end - cursor), kModeNames);
            if (index >= 0) mode = index;
            cursor = end;
        } else if (text[cursor] != ';') {
            break;  // an unknown item without ";" after its letter ends the line
        }
    }

    record = result;
    if (modeOut) *modeOut = mode;
    return true;
}

bool CProjectDoc::AddRecordLine(std::string_view text, int& added) {
    MeasurementRecord record{};
    if (!ParseRecordLine(record, text, nullptr)) return false;
    added = 1;
    MarkRecord(record);
    records.push_back(record);
    // The file gets the records in arrival order, memory keeps them sorted.
    AppendLastRecord();
    SettleLastRecord();
    UpdateFirstAndLast();
    return true;
}

bool CProjectDoc::ParseCurrentReadings(std::string_view text) {
    m_rCurState.reportedMode = m_rCurState.deviceMode;
    const bool parsed = ParseRecordLine(m_rCurState.readings, text, &m_rCurState.reportedMode);
    if (parsed && HasProject()) MarkRecord(m_rCurState.readings);
    return parsed;
}

void CProjectDoc::MarkRecord(MeasurementRecord& record) const {
    // Neighbouring channels often share an ID ("Plug and Play"): look each run up once.
    std::string_view previousId;
    const SensorRecord* sensor = nullptr;
    for (int k = 0; k < kChannelCount; ++k) {
        const std::string_view id = TextOf(setup.sensorIds[k]);
        if (id.empty()) continue;
        if (previousId.empty() || id != previousId) {
            sensor = m_sensors.FindById(id);
            previousId = id;
        }
        if (sensor) MarkValue(*sensor, record.values[k]);
    }
}

bool CProjectDoc::RecordLess(const MeasurementRecord& a, const MeasurementRecord& b) {
    const std::uint64_t ka = a.time.Key();
    const std::uint64_t kb = b.time.Key();
    if (ka != kb) return ka < kb;
    constexpr std::size_t kRest = sizeof(MeasurementRecord) - sizeof(TimeStamp);
    return std::memcmp(reinterpret_cast<const unsigned char*>(&a) + sizeof(TimeStamp),
                       reinterpret_cast<const unsigned char*>(&b) + sizeof(TimeStamp), kRest) < 0;
}

void CProjectDoc::SortRecords() {
    // Records that compare equal are identical images, so an unstable sort is enough.
    if (!std::is_sorted(records.begin(), records.end(), RecordLess))
        std::sort(records.begin(), records.end(), RecordLess);
}

void CProjectDoc::InsertRecord(const MeasurementRecord& record) {
    records.push_back(record);
    SettleLastRecord();
    UpdateFirstAndLast();
}

namespace {

bool TimeBefore(const MeasurementRecord& record, const TimeStamp& time) {
    return record.time < time;
}

}  // namespace

bool CProjectDoc::HasRecordAt(const TimeStamp& time) const {
    const auto at = std::lower_bound(records.begin(), records.end(), time, TimeBefore);
    return at != records.end() && at->time == time;
}

std::size_t CProjectDoc::CountRecordsFrom(const TimeStamp& time) const {
    const auto at = std::lower_bound(records.begin(), records.end(), time, TimeBefore);
    return static_cast<std::size_t>(records.end() - at);
}

TimeStamp CProjectDoc::NextDownloadFrom() const {
    const TimeStamp& last = lastTime;
    if (!IsPlausibleDate(last.year, last.month, last.day, last.hour, last.minute, last.second))
        return TimeStamp{};
    return TimeStamp::FromSeconds(last.Seconds() + 1);
}

void CProjectDoc::SettleLastRecord() {
    if (records.size() < 2) return;
    const auto last = records.end() - 1;
    if (!RecordLess(*last, *(last - 1))) return;
    const auto place = std::upper_bound(records.begin(), last, *last, RecordLess);
    const MeasurementRecord late = *last;
    std::move_backward(place, last, records.end());
    *place = late;
}

void CProjectDoc::UpdateFirstAndLast() {
    if (records.empty()) {
        firstTime = TimeStamp{};
        lastTime = TimeStamp{};
        return;
    }
    firstTime = records.front().time;
    lastTime = records.back().time;
}

bool CProjectDoc::IsChannelInUse(const MeasurementRecord* record, int k) const {
    if (k < 0 || k >= kChannelCount) return false;
    if (IsFreeChannel(TextOf(setup.sensorIds[k]))) return false;
    if (k >= kSubstrateChannel && k <= 14) {
        if (record && (record->status[kFlagKws] == 0 || record->status[kFlagKwsSmte] == 0))
            return false;
        if (IsFreeChannel(TextOf(setup.sensorIds[kSubstrateChannel]))) return false;
        if (setup.em50) return false;
    }
    if (k == 13) return false;
    if (k >= kFirstEm50Channel && k <= kLastEm50Channel) return setup.em50 != 0;
    return true;
}

bool CProjectDoc::IsValueValid(const MeasurementRecord* record, int k) const {
    if (!record || k < 0 || k >= kChannelCount) return false;
    const auto low = [record](int j) { return record->values[j].value < 0.001; };
    const bool kws = record->status[kFlagKws] != 0;
    if (k >= kSubstrateChannel && k <= 14) {
        if (!(kws && record->status[kFlagKwsSmte] != 0 && !low(kSubstrateChannel))) return false;
    }
    if (k == 13) return false;
    if (k >= kFirstModuleChannel && k <= 14 && !kws) return false;
    if ((k == kVpdChannel || k == kDewPointChannel) && low(19) &&
        !(kws && record->status[kFlagKwsSht] != 0))
        return false;
    if (k < kFirstEm50Channel || k > kLastEm50Channel) return true;
    if (low(kLastEm50Channel)) return false;
    if ((k == 18 || k == 19) && low(19)) return false;
    if (k == 23 && low(24)) return false;
    return true;
}

std::string CProjectDoc::StatusText(const MeasurementRecord& record, int kind) const {
    const bool power = record.powerOff != 0 || record.powerOn != 0;
    const bool kws = record.status[kFlagKws] != 0;
    switch (kind) {
        case 0:
            if (power) return {};
            return record.status[kFlagBatteryLow] ? "Низкий заряд батареи" : "Ok";
        case 1:
            if (power) return {};
            return kws ? "Подключен" : "Отсутствует";
        case 2:
            if (!kws) return {};
            return record.status[kFlagKwsFan] == 0 || record.status[kFlagKwsMfan] ? "Ok" : "Ошибка";
        case 3:
            if (!kws) return {};
            return record.status[kFlagKwsSht] ? "Ok" : "Ошибка";
        case 4:
            if (!kws) return {};
            return record.status[kFlagKwsSmte] ? "Подключен" : "Отсутствует";
        case 5:
            if (record.powerOff) return "Питание выкл";
            if (record.powerOn) return "Питание Вкл";
            return {};
        default:
            return {};
    }
}

std::string CProjectDoc::FormatRecordTime(const TimeStamp& time, bool noSeconds) {
    if (time.IsEmpty()) return {};
    const Locale& locale = Locale::Current();
    return locale.FormatDate(time.year, time.month, time.day) + "  " +
           locale.FormatTime(time.hour, time.minute, time.second, noSeconds);
}

std::string CProjectDoc::FormatDuration(int seconds) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60,
                  seconds % 60);
    return buffer;
}

std::string CProjectDoc::FormatCell(const ChannelValue& cell, bool withMark) {
    std::string text = withMark && cell.limitMark ? "*" : "";
    return text + FormatValue(cell.value, cell.precision, true);
}

}  // namespace vg28
