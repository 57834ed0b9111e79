#include "sync/Em50Protocol.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link/PacketLink.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextTrim.h"
#include "project/CProjectDoc.h"
#include "protocol/InstrumentCommands.h"
#include "protocol/ReplyGrammar.h"

namespace vg28 {

namespace {

constexpr std::string_view kTimePrefix = "Date\\Time: ";
constexpr std::string_view kEndOfData = "0 80";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool BeginsWithDigit(std::string_view line) {
    return !line.empty() && IsDigit(line.front());
}

// An unsigned decimal number cut to 32 bits, as the logger's raw fields are read.
bool ReadUnsigned(std::string_view text, std::size_t& pos, std::uint32_t& value) {
    if (pos >= text.size() || !IsDigit(text[pos])) return false;
    std::uint64_t wide = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (wide < (std::uint64_t{1} << 40))
            wide = wide * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
    }
    value = static_cast<std::uint32_t>(wide);
    return true;
}

// A leading decimal number after optional blanks (the logger's counts and codes).
bool LeadingInt(std::string_view text, std::size_t& pos, long long& value) {
    return ScanInt(text, pos, value);
}

struct ChannelId {
    int channel;
    const char* id;
};

// Writes an ID when it differs; true when it was written.
bool SetId(ProjectSetup& setup, int channel, std::string_view id) {
    if (TextOf(setup.sensorIds[channel]) == id) return false;
    CopyText(setup.sensorIds[channel], id);
    return true;
}

void ClearId(ProjectSetup& setup, int channel) {
    if (!TextOf(setup.sensorIds[channel]).empty()) CopyText(setup.sensorIds[channel], "");
}

}  // namespace

Em50Protocol::Em50Protocol(InstrumentCommands& commands, CProjectDoc& doc)
    : m_commands(commands), m_doc(doc) {}

bool Em50Protocol::Ask(std::string_view command, std::string& reply) {
    return m_commands.ExternalDeviceCommand(command, &reply, kAttempts);
}

bool Em50Protocol::Em50Present() {
    if (!m_doc.HasProject() || m_doc.setup.em50 == 0) return false;
    if (m_doc.m_rCurState.firmwareVersion < InstrumentCommands::kEm50Firmware) return false;
    std::string reply;
    return Ask("get -ver", reply) && StartsWith(reply, "Em50");
}

bool Em50Protocol::SyncEm50Clock(bool force) {
    Clock& clock = m_commands.Link().GetClock();
    if (!force) {
        std::string reply;
        if (!Ask("get -t", reply) || !StartsWith(reply, kTimePrefix)) return false;
        const std::string_view rest =
            TrimEnd(std::string_view(reply).substr(kTimePrefix.size()), kLineEnds);
        SystemTime logger;
        if (!ParseInstrumentTime(rest, logger)) return false;
        const std::int64_t difference = SecondsFromLocal(clock.Local()) - SecondsOf(logger);
        if (std::llabs(difference) < 60) return true;
    }
    const LocalTime now = clock.Local();
    char request[64];
    std::snprintf(request, sizeof request, "set -d %04d-%02d-%02d", now.year, now.month, now.day);
    std::string reply;
    if (!Ask(request, reply) || !StartsWith(reply, "OK")) return false;
    std::snprintf(request, sizeof request, "set -t %02d:%02d:%02d", now.hour, now.minute,
                  now.second);
    reply.clear();
    return Ask(request, reply) && StartsWith(reply, "OK");
}

bool Em50Protocol::SetEm50Interval(int minutes) {
    char request[48];
    std::snprintf(request, sizeof request, "set -w %d", minutes);
    return m_commands.ExternalDeviceCommand(std::string_view(request), nullptr, kAttempts);
}

bool Em50Protocol::ApplyPortTypes(const Ports& ports, ProjectSetup& setup) {
    bool changed = false;
    for (int type : ports) {
        switch (type) {
            case 159:
                changed |= SetId(setup, 19, "Em50/RH");
                changed |= SetId(setup, 18, "Em50/AT");
                changed |= SetId(setup, kVpdChannel, "CV/VPD");
                changed |= SetId(setup, kDewPointChannel, "CV/DP");
                break;
            case 186:
                changed |= SetId(setup, 23, "Em50/WD");
                changed |= SetId(setup, 24, "Em50/WG");
                changed |= SetId(setup, 25, "Em50/WA");
                break;
            case 187:
            case 189:
                changed |= SetId(setup, 27, "Em50/Prec");
                changed |= SetId(setup, 28, "Em50/Prec D");
                ClearId(setup, 26);
                break;
            case 222:
                changed |= SetId(setup, 30, "Em50/LWS S");
                changed |= SetId(setup, 33, "Em50/LWS H");
                changed |= SetId(setup, 35, "Em50/LWS");
                for (int channel : {29, 31, 32, 34})
                    ClearId(setup, channel);
                break;
            case 250:
                changed |= SetId(setup, 17, "Em50/PYR");
                break;
            default:
                break;
        }
    }
    changed |= SetId(setup, kLastEm50Channel, "Em50/BATT");
    return changed;
}

bool Em50Protocol::QueryEm50Ports(Ports& ports, ProjectSetup& setup, bool& changed) {
    std::string reply;
    if (!Ask("get -port", reply)) return false;
    Ports read{};
    if (!ParsePortList(reply, read)) return false;
    ports = read;
    changed = ApplyPortTypes(ports, setup);
    return true;
}

bool Em50Protocol::ParsePortList(std::string_view reply, Ports& ports) {
    Ports read{};
    std::size_t pos = 0;
    bool any = false;
    for (int& code : read) {
        long long value = 0;
        // Successive conversions: a missing code reads as 0, which sets nothing. Code 0 is an
        // empty port, so five zeros are a list like any other.
        const bool converted = LeadingInt(reply, pos, value);
        code = converted ? static_cast<int>(value) : 0;
        any = any || converted;
    }
    if (!any) return false;  // no code at all: not a port list
    ports = read;
    return true;
}

bool Em50Protocol::CountEm50New(int& count) {
    std::string reply;
    if (!Ask("dump -enum -new 65535", reply)) return false;
    std::size_t pos = 0;
    long long value = 0;
    if (!LeadingInt(reply, pos, value) || value < 0) return false;
    count = static_cast<int>(std::min<long long>(value, 1 << 30));
    return true;
}

bool Em50Protocol::CommitEm50() {
    std::string reply;
    return Ask("dump -write", reply);
}

void Em50Protocol::DecodePort(int type, std::uint32_t raw, Em50Values& values) {
    switch (type) {
        case 250:
            values[0] = (raw & 0x3FF) * 1.8310546875;
            break;
        case 159:
            if (raw != 0) {
                const double t = (raw & 0xFFF) * 0.04 - 39.55;
                const double h = static_cast<double>((raw >> 12) & 0xFF);
                values[1] = t;
                values[2] = (t - 25.0) * (0.01 + 0.00128 * h) + h * (0.648 - 0.00072 * h) - 4.0;
            }
            break;
        case 186:
            values[6] = static_cast<double>((raw >> 1) & 0x1FF);
            values[7] = ((raw >> 10) & 0x3FF) * 0.1006;
            values[8] = ((raw >> 20) & 0x3FF) * 0.1006;
            break;
        case 187:
            values[9] = (raw & 0xFFFF) * 0.2;
            break;
        case 189:
            values[9] = static_cast<double>(raw & 0xFFFF);
            break;
        case 222:
            values[12] = static_cast<double>(raw & 0x7FF);
            values[15] = static_cast<double>((raw >> 11) & 0x7FF);
            values[18] = static_cast<double>(raw >> 22);
            break;
        default:
            break;
    }
}

Em50Record Em50Protocol::DecodeRecord(std::string_view line, const Ports& ports) {
    Em50Record record;
    std::size_t pos = 0;
    if (!ReadUnsigned(line, pos, record.time)) return record;
    for (int port = 0; port < kPortCount; ++port) {
        if (pos >= line.size() || line[pos] != ',') break;
        ++pos;
        std::uint32_t raw = 0;
        if (!ReadUnsigned(line, pos, raw)) break;
        DecodePort(ports[static_cast<std::size_t>(port)], raw, record.values);
    }
    return record;
}

bool Em50Protocol::FetchEm50Record(const Ports& ports, int& remaining, int mode) {
    std::string request;
    if (mode <= 0) {
        std::string battery;
        if (Ask("get -batt", battery)) {
            std::size_t pos = 0;
            long long value = 0;
            if (LeadingInt(battery, pos, value)) m_battery = static_cast<double>(value);
        }
        request = "dump -new 1";
    } else {
        request = mode == 1 ? "ack" : "nack";
    }
    if (!m_commands.ExternalDeviceCommand(std::string_view(request), nullptr, kAttempts))
        return false;

    std::string first;
    if (!m_commands.ExternalDeviceCommand(std::nullopt, &first, kAttempts) ||
        !BeginsWithDigit(first))
        return false;
    std::string second;
    const bool both = m_commands.ExternalDeviceCommand(std::nullopt, &second, kAttempts) &&
                      BeginsWithDigit(second);

    // "0 80" is the logger's end of data, never a reading (read as one it would put a record
    // at 2000-01-01 into the project).
    if (StartsWith(first, kEndOfData)) {
        remaining = 0;
        return CommitEm50();
    }
    if (!both) return false;

    remaining = std::max(remaining - 1, 1);
    Em50Record record = DecodeRecord(first, ports);
    record.values[19] = m_battery;
    return m_doc.AddEm50Data(record.time, record.values) == 1;
}

}  // namespace vg28
