#include "protocol/InstrumentCommands.h"

#include <cstdarg>
#include <cstdio>
#include <initializer_list>

#include "base/DebugLog.h"
#include "link/PacketLink.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/CurrentState.h"
#include "project/PlugAndPlay.h"
#include "project/ProjectSetup.h"
#include "protocol/ReplyGrammar.h"

namespace vg28 {

namespace {

constexpr int kQ3 = 3;
constexpr int kQ1 = 1;
constexpr std::size_t kRequestBuffer = PacketLink::kBufferSize;

// A request formatted into the 2048-byte request buffer; false when it would not fit.
bool Build(std::string& request, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool Build(std::string& request, const char* format, ...) {
    char buffer[kRequestBuffer];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer) return false;
    request.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

// Requests carrying a caller's text go through here so that an embedded NUL cannot cut them.
bool Concat(std::string& request, std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text.append(part);
    if (text.size() >= kRequestBuffer) return false;
    request = std::move(text);
    return true;
}

// MatchReply; on a radio network the keyword must also open the reply. A line whose CR was
// lost runs on into the next one, which may be another instrument's line with the keyword
// asked for: behind our own address prefix it would be taken for our instrument's answer.
bool MatchOwnReply(const PacketLink& link, std::string_view reply, std::size_t& cursor,
                   std::string_view command, std::size_t maxLength = 0) {
    std::size_t at = 0;
    if (!MatchReply(reply, at, command, maxLength)) return false;
    if (link.Prefix().IsSelected() && at != ReplyKeyword(command, maxLength).size() + 1)
        return false;
    cursor = at;
    return true;
}

}  // namespace

InstrumentCommands::InstrumentCommands(PacketLink& link, CProjectDoc* doc)
    : m_link(link), m_doc(doc) {}

std::uint32_t InstrumentCommands::Firmware() const {
    const CurrentState* state = m_link.State();
    return state ? state->firmwareVersion : 0;
}

bool InstrumentCommands::ReadLine(std::string& line) {
    return m_link.ReceiveLine(line);
}

void InstrumentCommands::DropLine() {
    std::string dropped;
    m_link.ReceiveLine(dropped);
}

bool InstrumentCommands::Query(const std::string& request, int attempts, std::string& reply,
                               std::size_t& cursor, std::size_t maxLength) {
    if (!m_link.Transact(request, reply, attempts)) return false;
    return MatchOwnReply(m_link, reply, cursor, request, maxLength);
}

bool InstrumentCommands::EchoTwice(std::string request, int waitMs) {
    if (m_link.SendExpectEcho(request, waitMs)) return true;
    // The repeat goes out in upper case (the buffer was converted), and the instrument's echo
    // of it is then the request itself: it counts as a local echo only on a line that showed
    // one to the first try.
    const PacketLink::IdenticalLine identical = m_link.LocalEchoSeen()
                                                    ? PacketLink::IdenticalLine::LocalEcho
                                                    : PacketLink::IdenticalLine::Reply;
    return m_link.SendExpectEcho(request, waitMs, identical);
}

bool InstrumentCommands::SetMonitor(int interval) {
    std::string request;
    if (interval == 0) {
        request = "monitor;off\r";
    } else if (!Build(request, "monitor;%d\r", interval)) {
        return false;
    }
    return EchoTwice(request, 2000);
}

bool InstrumentCommands::QueryInfo(std::string& info) {
    const std::string request = "info\r";
    std::string reply;
    std::size_t cursor = 0;
    if (!Query(request, kQ3, reply, cursor)) return false;
    info = reply.substr(cursor);
    return true;
}

bool InstrumentCommands::QueryMode(int& mode) {
    const std::string request = "mode\r";
    std::string reply;
    std::size_t cursor = 0;
    const bool matched = Query(request, kQ3, reply, cursor);
    const int index = matched ? ModeIndexOf(std::string_view(reply).substr(cursor)) : -1;
    if (index < 0) {
        DropLine();
        return false;
    }
    mode = index;
    return true;
}

bool InstrumentCommands::SetMode(int index) {
    std::string request;
    if (!Concat(request, {"mode;", ModeNameToSend(index), "\r"})) return false;
    return EchoTwice(request, 2000);
}

bool InstrumentCommands::SetClock() {
    const LocalTime now = m_link.GetClock().Local();
    std::string request;
    if (Build(request, "time;%04d-%02d-%02d %02d:%02d:%02d\r", now.year, now.month, now.day,
              now.hour, now.minute, now.second)) {
        m_link.SendExpectEcho(request, 1000);
    }
    return true;
}

bool InstrumentCommands::QueryClock(SystemTime& time) {
    std::string reply;
    std::size_t cursor = 0;
    if (!Query("time\r", kQ3, reply, cursor)) return false;
    return ParseInstrumentTime(std::string_view(reply).substr(cursor), time);
}

bool InstrumentCommands::QueryNextRecordTime(SystemTime& time) {
    std::string reply;
    std::size_t cursor = 0;
    if (!Query("record;time\r", kQ3, reply, cursor)) return false;
    return ParseInstrumentTime(std::string_view(reply).substr(cursor), time);
}

bool InstrumentCommands::QueryProjectId(std::string& name) {
    std::string reply;
    std::size_t cursor = 0;
    if (!Query("project;id\r", kQ3, reply, cursor)) return false;
    std::string bytes;
    if (!ExtractQuoted(std::string_view(reply).substr(cursor), 32, bytes)) return false;
    name = TextCodec::Cp1251ToUtf8(bytes);
    return true;
}

bool InstrumentCommands::SetProjectId(std::string_view name) {
    if (!TextCodec::FitsCp1251(name)) return false;
    std::string request;
    if (!Concat(request, {"project;id;\"", TextCodec::Utf8ToCp1251(name), "\"\r"})) return false;
    return m_link.SendExpectEcho(request, 100);
}

bool InstrumentCommands::QueryConfigTime(TimeStamp& time) {
    std::string reply;
    std::size_t cursor = 0;
    if (!Query("cfgtime\r", kQ3, reply, cursor)) return false;
    return CProjectDoc::ParseTimeStamp(reply, cursor, time);
}

bool InstrumentCommands::QueryPeriod(int k, int& reserved, int& seconds) {
    std::string request;
    if (!Build(request, "project;period;%d\r", k + 1)) return false;
    std::string reply;
    std::size_t cursor = 0;
    if (!Query(request, kQ3, reply, cursor)) return false;
    const std::string_view data = std::string_view(reply).substr(cursor);
    std::size_t pos = 0;
    long long first = 0;
    long long second = 0;
    if (!ScanInt(data, pos, first)) return false;
    if (pos >= data.size() || data[pos] != ';') return false;
    ++pos;
    if (!ScanInt(data, pos, second)) return false;
    reserved = static_cast<int>(first);
    seconds = static_cast<int>(second);
    return true;
}

bool InstrumentCommands::SetPeriod(int k, int seconds) {
    std::string request;
    if (!Build(request, "project;period;%d;%d;%d\r", k + 1, 0, seconds)) return false;
    return m_link.SendExpectEcho(request, 100);
}

bool InstrumentCommands::QueryProjectFlags(bool& exact, bool& em50) {
    const std::string requests[] = {"project;f;exact\r", "project;f;em50\r"};
    const int count = Firmware() >= kEm50Firmware ? 2 : 1;
    bool flags[2] = {false, false};
    for (int i = 0; i < count; ++i) {
        std::string reply;
        std::size_t cursor = 0;
        if (!Query(requests[i], kQ3, reply, cursor)) {
            DropLine();
            return false;
        }
        flags[i] = StartsWith(std::string_view(reply).substr(cursor), "ON");
    }
    exact = flags[0];
    if (count == 2) em50 = flags[1];  // old firmware: the caller's value stays
    return true;
}

bool InstrumentCommands::SetProjectFlags(bool exact, bool em50) {
    std::string request = exact ? "project;f;exact;on\r" : "project;f;exact;off\r";
    if (!m_link.SendExpectEcho(request, 100)) return false;
    if (Firmware() < kEm50Firmware) return true;
    request = em50 ? "project;f;em50;on\r" : "project;f;em50;off\r";
    return m_link.SendExpectEcho(request, 100);
}

bool InstrumentCommands::QuerySensor(int n, SensorDescription& sensor) {
    std::string request;
    if (!Build(request, "sensor;%d\r", n)) return false;
    std::string reply;
    std::size_t cursor = 0;
    SensorDescription parsed;
    if (!Query(request, kQ3, reply, cursor) ||
        !ParseSensorDescription(std::string_view(reply).substr(cursor), parsed)) {
        DropLine();
        return false;
    }
    sensor = std::move(parsed);
    return true;
}

bool InstrumentCommands::QuerySensor(int n, SensorRecord& sensor) {
    SensorDescription description;
    if (!QuerySensor(n, description)) return false;
    sensor = description.ToRecord();
    return true;
}

bool InstrumentCommands::SetSensor(int n, const SensorRecord* description) {
    const std::string_view id = description ? TextOf(description->id) : std::string_view();
    if (description && (IsPlugAndPlay(id) || StartsWith(id, "="))) return true;

    std::string request;
    if (id.empty()) {
        const bool built =
            (n == 9 || n == 12)
                ? Build(request,
                        "sensor;%d;\"\";\"\";\"\";1;0.0;2.5;STD;2.500;0.00000E+00;1.00000E+00;"
                        "0.00000E+00;0.00000E+00;0.00000E+00;0.00000E+00\r",
                        n)
                : Build(request, "sensor;clear;%d\r", n);
        if (!built) return false;
        if (m_link.SendExpectEcho(request, 100)) return true;
        DropLine();
        return false;
    }

    const SensorDescription sent = SensorDescription::FromRecord(*description);
    std::string head;
    if (!FormatSensorRequest(n, sent, request) || !Build(head, "sensor;%d", n)) return false;
    std::string reply;
    std::size_t cursor = 0;
    SensorDescription echoed;
    const bool ok = m_link.Transact(request, reply, kQ3) &&
                    MatchOwnReply(m_link, reply, cursor, head) &&
                    ParseSensorDescription(std::string_view(reply).substr(cursor), echoed) &&
                    echoed.id == sent.id && echoed.description == sent.description &&
                    echoed.units == sent.units && echoed.precision == sent.precision;
    if (!ok) DropLine();
    return ok;
}

void InstrumentCommands::ClearProject() {
    std::string request = "sensor;clear\r";
    if (!m_link.SendExpectEcho(request, 100)) return;
    request = "project;id;\"\"\r";
    m_link.SendExpectEcho(request, 100);
}

bool InstrumentCommands::FormatMemory() {
    std::string reply;
    m_link.Transact("init\r", reply, kQ1);
    for (int i = 0; i < 13 && !m_link.Stopped(); ++i) {
        if (!m_link.GetClock().SleepMs(1000)) return false;
        std::string line;
        if (m_link.ReceiveLine(line)) return StartsWith(line, "INIT");
    }
    return false;
}

bool InstrumentCommands::IsRecordCount(std::string_view data) {
    if (StartsWith(data, "Empty")) return true;
    std::size_t pos = 0;
    long long value = 0;
    if (!ScanInt(data, pos, value)) return false;
    return pos == data.size() || data[pos] == '\r';
}

bool InstrumentCommands::ReadRecordCount(std::size_t maxLength, std::string& line,
                                         std::size_t& cursor) {
    line.clear();
    for (int i = 0; i < 5; ++i) {
        if (m_link.ReceiveLine(line) && !line.empty()) break;
        line.clear();
    }
    return !line.empty() && MatchOwnReply(m_link, line, cursor, "record;s", maxLength);
}

bool InstrumentCommands::QueryRecordState() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!m_link.SendPacket("record\r")) continue;
        std::string line;
        std::size_t cursor = 0;
        // A record line of a download still on its way also begins with "RECORD;": only
        // "Empty" or a bare number answers the query.
        if (ReadRecordCount(6, line, cursor) &&
            IsRecordCount(std::string_view(line).substr(cursor)))
            return true;
    }
    return false;
}

bool InstrumentCommands::SelectRecordsFrom(const TimeStamp& from, int& count) {
    std::string request;
    const bool built =
        from.year == 0 ? Build(request, "record;s;from;1980-01-01 00:00:01\r")
                       : Build(request, "record;s;from;%04d-%02d-%02d %02d:%02d:%02d\r", from.year,
                               from.month, from.day, from.hour, from.minute, from.second);
    if (!built || !m_link.SendExpectEcho(request, 300)) return false;
    std::string line;
    std::size_t cursor = 0;
    if (!ReadRecordCount(0, line, cursor)) return false;
    if (!ParseRecordCount(std::string_view(line).substr(cursor), count)) count = 0;
    return true;
}

bool InstrumentCommands::ParseRecordCount(std::string_view data, int& count) {
    if (StartsWith(data, "Empty")) {
        count = 0;
        return true;
    }
    std::size_t pos = 0;
    long long value = 0;
    if (!ScanInt(data, pos, value)) return false;
    count = static_cast<int>(value);
    return true;
}

bool InstrumentCommands::QueryCurrentData() {
    std::string reply;
    std::size_t cursor = 0;
    if (!Query("data;s\r", kQ1, reply, cursor, 4)) return false;
    if (!m_doc) return false;
    const bool parsed = m_doc->ParseCurrentReadings(std::string_view(reply).substr(cursor));
    CurrentState& state = m_doc->m_rCurState;
    if (state.reportedMode != state.deviceMode && m_onModeChange) {
        m_onModeChange(state.reportedMode, false);
    }
    m_doc->UpdateAllViews(2);
    return parsed;
}

bool InstrumentCommands::ModemConnect() {
    std::string reply;
    const bool attention = m_link.Transact("+++", reply, kQ1) && StartsWith(reply, "OK");
    const CurrentState* state = m_link.State();
    unsigned address = state ? state->radioAddress : 0;
    if (address == 0xFFFF) address = 0;
    std::string request;
    if (!Build(request, "ATFH,DT %X,CN\r", address)) return false;
    // Only a bare "OK" (no CR) counts; a line from the link always keeps its CR.
    const bool dialled = m_link.Transact(request, reply, kQ1) && reply == "OK";
    return attention && dialled;
}

bool InstrumentCommands::ModemPing() {
    std::string reply;
    return m_link.Transact("+\r", reply, kQ1) && StartsWith(reply, "OK");
}

bool InstrumentCommands::ExternalDeviceCommand(std::optional<std::string_view> command,
                                               std::string* reply, int attempts) {
    bool result = false;
    if (command) {
        std::string request;
        if (!Concat(request, {"xdev;", *command, "\r"})) return false;
        std::string echo;
        if (!m_link.Transact(request, echo, attempts)) return false;
        const std::string lower = TextCase::LowerAscii(echo);
        if (lower.size() > request.size() || request.compare(0, lower.size(), lower) != 0) {
            return false;
        }
        result = true;
    }
    if (!reply) return result;

    result = false;
    for (int i = 0; i < attempts; ++i) {
        std::string line;
        std::size_t cursor = 0;
        result = m_link.ReceiveLine(line) && !line.empty() &&
                 MatchOwnReply(m_link, line, cursor, "XDEV") &&
                 StartsWith(std::string_view(line).substr(cursor), "< ");
        if (!result) continue;
        std::string_view answer = std::string_view(line).substr(cursor + 2);
        if (StartsWith(answer, ">")) answer.remove_prefix(1);
        if (StartsWith(answer, "\r")) answer.remove_prefix(1);
        if (!answer.empty()) {
            *reply = std::string(answer);
            return true;
        }
        result = false;
    }
    return result;
}

}  // namespace vg28
