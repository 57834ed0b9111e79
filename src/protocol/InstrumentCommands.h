#pragma once
// The instrument's command set over the packet link: every request the terminal sends, the
// exchange discipline it uses and the parsing of its reply. Operations return a success flag,
// never throw and never show anything; a failed query leaves its outputs unchanged. Requests
// are built in a 2048-byte buffer: one that would not fit is not sent and fails.
//
// The commands do not own the link or the document. The firmware version (for the "em50"
// project flag) and the radio address come from the link's live state; the current readings
// go to the document.
//
// A stop asked for by the wait hook (platform/WaitHook.h) ends every command at its next wait:
// its exchanges fail at once (PacketLink::Stopped), the long waits of FormatMemory included.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SystemTime.h"
#include "project/TimeStamp.h"
#include "protocol/SensorDescription.h"
#include "sensors/SensorRecord.h"

namespace vg28 {

class CProjectDoc;
class PacketLink;
struct CurrentState;

class InstrumentCommands {
public:
    // The first firmware with the "em50" project flag (1.0.2.0).
    static constexpr std::uint32_t kEm50Firmware = 0x01000200;
    // The data of a selection's answer (after "RECORD;S;"): "Empty" (0) or the number of
    // records that follow; false for anything else.
    static bool ParseRecordCount(std::string_view data, int& count);

    // doc may be null (no current readings then).
    InstrumentCommands(PacketLink& link, CProjectDoc* doc = nullptr);

    // Called by QueryCurrentData when the instrument reports another mode than the session
    // knows (the mode change that does not come from the user).
    void SetModeChangeHandler(std::function<void(int mode, bool fromUser)> handler) {
        m_onModeChange = std::move(handler);
    }
    void SetDocument(CProjectDoc* doc) { m_doc = doc; }

    bool SetMonitor(int interval);
    bool QueryInfo(std::string& info);
    bool QueryMode(int& mode);
    bool SetMode(int index);
    bool SetClock();
    bool QueryClock(SystemTime& time);
    bool QueryNextRecordTime(SystemTime& time);
    // The project name is UTF-8 on the PC and CP1251 on the wire: both convert. SetProjectId
    // sends nothing and fails for a name CP1251 cannot hold.
    bool QueryProjectId(std::string& name);
    bool SetProjectId(std::string_view name);
    bool QueryConfigTime(TimeStamp& time);
    bool QueryPeriod(int k, int& reserved, int& seconds);
    bool SetPeriod(int k, int seconds);
    bool QueryProjectFlags(bool& exact, bool& em50);
    bool SetProjectFlags(bool exact, bool em50);
    bool QuerySensor(int n, SensorRecord& sensor);
    bool QuerySensor(int n, SensorDescription& sensor);
    // description null: clear the input.
    bool SetSensor(int n, const SensorRecord* description);
    void ClearProject();
    bool FormatMemory();
    bool QueryRecordState();
    // Selects the records from the given time (year 0: from the beginning); count gets the
    // number of record lines that follow.
    bool SelectRecordsFrom(const TimeStamp& from, int& count);
    bool QueryCurrentData();
    bool ModemConnect();
    bool ModemPing();
    // command absent: only read the device's answer lines.
    bool ExternalDeviceCommand(std::optional<std::string_view> command, std::string* reply,
                               int attempts);

    // One more line from the instrument (the record lines after a selection, for instance).
    bool ReadLine(std::string& line);

    PacketLink& Link() { return m_link; }

private:
    bool Query(const std::string& request, int attempts, std::string& reply, std::size_t& cursor,
               std::size_t maxLength = 0);
    bool EchoTwice(std::string request, int waitMs);
    void DropLine();
    std::uint32_t Firmware() const;
    // "Empty" or a bare number: the data of a record-count answer.
    static bool IsRecordCount(std::string_view data);
    // Reads up to five lines until a non-empty one and matches "record;s" in it.
    bool ReadRecordCount(std::size_t maxLength, std::string& line, std::size_t& cursor);

    PacketLink& m_link;
    CProjectDoc* m_doc;
    std::function<void(int, bool)> m_onModeChange;
};

}  // namespace vg28
