#pragma once
// The single project document: the setup of the open project, its records in time order, the
// first and last record times and the live instrument state. It parses the instrument's record
// and current-readings lines, applies the channel, validity and status rules, and reads and
// writes the project file. File operations return codes (0 success, 1 cannot open or no path,
// 2 wrong format, 3 write error); the document never shows anything itself and never notifies
// its observers on its own: whoever changes it calls UpdateAllViews with the fitting hint.
// The records are kept sorted by RecordLess; code that changes them in place calls SortRecords.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "project/CurrentState.h"
#include "project/DocObserver.h"
#include "project/MeasurementRecord.h"
#include "project/ProjectSetup.h"
#include "project/TimeStamp.h"

namespace vg28 {

class Profile;
class SensorDatabase;

enum FileResult : int {
    kFileOk = 0,
    kFileCannotOpen = 1,
    kFileWrongFormat = 2,
    kFileWriteError = 3,
    kFileNoRecords = 4
};

class CProjectDoc {
public:
    static constexpr std::uint32_t kMagic = 0x52505845;  // "EXPR"
    static constexpr std::uint32_t kVersion2 = 0x00030001;
    static constexpr std::uint32_t kVersion1 = 0x00030000;
    static constexpr std::size_t kHeaderSize = 8;
    static constexpr std::size_t kVersion1SetupSize = 1016;
    static constexpr std::size_t kVersion1RecordSize = 320;
    // Larger files are refused as wrong format instead of exhausting memory (the Windows
    // program could not hold more than a few million records either).
    static constexpr std::size_t kMaxRecordCount = std::size_t{1} << 22;

    // programFolder ends with the path separator; the profile holds the project template; the
    // sensor database converts and marks values. All three outlive the document.
    CProjectDoc(std::string programFolder, Profile& profile, const SensorDatabase& sensors);

    // Observers (views) and their updates.
    void AddObserver(DocObserver* observer);
    void RemoveObserver(DocObserver* observer);
    void UpdateAllViews(int hint);

    // Project identity. The project name is the file title, UTF-8 like every file name here;
    // only on the wire to the instrument is it CP1251 (InstrumentCommands converts).
    void ResetProject();
    std::string ProjectName() const;
    bool HasProject() const { return !ProjectName().empty(); }
    const std::string& PathName() const { return m_pathName; }
    void SetPathName(std::string path) { m_pathName = std::move(path); }
    // The program folder + name + ".phj"; when no such file exists but one whose extension
    // differs only in letter case does, that one.
    std::string ProjectFilePath(std::string_view name) const;
    const std::string& ProgramFolder() const { return m_programFolder; }

    // Record lines and current readings. The parsers read only inside text, whatever it holds;
    // on failure they leave their outputs (and the cursor) untouched.
    static bool ParseTimeStamp(std::string_view text, std::size_t& cursor, TimeStamp& out);
    bool ParseRecordLine(MeasurementRecord& record, std::string_view text, int* modeOut) const;
    bool AddRecordLine(std::string_view text, int& added);
    bool ParseCurrentReadings(std::string_view text);
    void MarkRecord(MeasurementRecord& record) const;
    void SortRecords();
    // Inserts a record keeping the time order (the new one usually is the newest) and updates
    // the first and last times.
    void InsertRecord(const MeasurementRecord& record);
    // The records are in time order, so both look-ups are binary searches.
    bool HasRecordAt(const TimeStamp& time) const;
    std::size_t CountRecordsFrom(const TimeStamp& time) const;
    // Where a download of the records not yet here starts: one second after the last record,
    // or an empty time (from the beginning) when the last record's time is not a valid one.
    TimeStamp NextDownloadFrom() const;

    // Em50 logger readings (CProjectDocEm50.cpp). FindRecord scans from the newest record:
    // kFindExact finds the record of the same date and minute, kFindPredecessor the newest one
    // more than 59 s older; -1 when none. AddEm50Data merges one decoded reading (seconds since
    // 2000-01-01 on the logger's clock, values of channels 17-36) into the record of its minute
    // or appends a new one; it always returns 1.
    static constexpr int kFindExact = 0;
    static constexpr int kFindPredecessor = 1;
    static constexpr int kEm50ValueCount = 20;
    int FindRecord(std::uint32_t dateWord, std::uint32_t timeWord, int mode) const;
    int AddEm50Data(std::uint32_t time, const std::array<double, kEm50ValueCount>& values);

    // Channel rules and texts.
    bool IsChannelInUse(const MeasurementRecord* record, int k) const;
    bool IsValueValid(const MeasurementRecord* record, int k) const;
    std::string StatusText(const MeasurementRecord& record, int kind) const;
    static std::string FormatRecordTime(const TimeStamp& time, bool noSeconds);
    static std::string FormatDuration(int seconds);
    static std::string FormatCell(const ChannelValue& cell, bool withMark);

    // The project file. LoadProject sorts the records it read (the file stays as it is) and
    // after a failure leaves the document reset and detached. SaveProject replaces the file only
    // when the new one is complete. AppendLastRecord never creates a file without its header; it
    // first cuts a torn record off the end, and rewrites the whole file when it was read in
    // the old format or when an earlier append failed (so that no record stays missing).
    int LoadProject(const std::string& path);
    int SaveProject();
    int AppendLastRecord();

    // The order of SortRecords: by time stamp, then by the remaining bytes of the record.
    static bool RecordLess(const MeasurementRecord& a, const MeasurementRecord& b);

    const SensorDatabase& Sensors() const { return m_sensors; }
    Profile& GetProfile() { return m_profile; }

    // Data (names as the rest of the system knows them).
    std::uint32_t magic = 0;
    std::uint32_t version = 0;
    ProjectSetup setup{};
    std::vector<MeasurementRecord> records;
    TimeStamp firstTime{};
    TimeStamp lastTime{};
    CurrentState m_rCurState{};

private:
    void UpdateFirstAndLast();
    // Moves a last record that is older than its predecessor to its place in the sorted array.
    void SettleLastRecord();
    int LoadFile(int fd);
    int AppendToFile();

    std::string m_programFolder;
    Profile& m_profile;
    const SensorDatabase& m_sensors;
    std::string m_pathName;
    std::vector<DocObserver*> m_observers;
    // An append failed: the file lacks a record that memory holds, so the next append writes
    // the whole file instead.
    bool m_fileBehind = false;
};

}  // namespace vg28
