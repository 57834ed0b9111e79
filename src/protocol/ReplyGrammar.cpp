#include "protocol/ReplyGrammar.h"

#include <cstdio>
#include <limits>

#include "platform/TextCase.h"
#include "project/MeasurementRecord.h"

namespace vg28 {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A literal character of a scanf pattern.
bool Expect(std::string_view text, std::size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

}  // namespace

bool ScanInt(std::string_view text, std::size_t& pos, long long& value) {
    std::size_t i = pos;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t digits = i;
    long long result = 0;
    constexpr long long kLimit = std::numeric_limits<long long>::max() / 10 - 10;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (result < kLimit) result = result * 10 + (text[i] - '0');
        ++i;
    }
    if (i == digits) return false;
    value = negative ? -result : result;
    pos = i;
    return true;
}

std::string_view ReplyKeyword(std::string_view command, std::size_t maxLength) {
    if (!command.empty() && command.back() == '\r') command.remove_suffix(1);
    if (maxLength != 0 && maxLength < command.size()) command = command.substr(0, maxLength);
    return command;
}

bool MatchReply(std::string_view reply, std::size_t& cursor, std::string_view command,
                std::size_t maxLength) {
    if (command.empty() || command.size() > 2047) return false;
    const std::string keyword = TextCase::UpperAscii(ReplyKeyword(command, maxLength));
    const std::size_t found = reply.find(keyword);
    if (found == std::string_view::npos) return false;
    const std::size_t after = found + keyword.size();
    if (after >= reply.size() || reply[after] != ';') return false;
    cursor = after + 1;
    return true;
}

bool ExtractQuoted(std::string_view text, std::size_t limit, std::string& out, std::size_t* end) {
    const std::size_t open = text.find('"');
    if (open == std::string_view::npos) return false;
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) return false;
    const std::size_t length = close - open - 1;
    if (length >= limit) return false;
    out.assign(text.substr(open + 1, length));
    if (end) *end = close + 1;
    return true;
}

bool ParseDeviceInfo(std::string_view text, std::size_t& cursor, std::string& model,
                     std::uint32_t& version, std::string& identification) {
    if (cursor > text.size()) return false;
    const std::string_view rest = text.substr(cursor);
    const std::size_t semicolon = rest.find(';');
    if (semicolon == std::string_view::npos || semicolon >= 32) return false;
    const std::size_t versionStart = semicolon + 1;
    if (versionStart >= rest.size()) return false;

    // "%d.%d.%d.%d;": as many parts as convert; none at all fails.
    long long parts[4] = {0, 0, 0, 0};
    std::size_t pos = versionStart;
    int converted = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && !Expect(rest, pos, '.')) break;
        if (!ScanInt(rest, pos, parts[i])) break;
        ++converted;
    }
    if (converted == 0) return false;

    std::string id;
    std::size_t quoteEnd = 0;
    if (!ExtractQuoted(rest.substr(versionStart), 32, id, &quoteEnd)) return false;
    quoteEnd += versionStart;

    model.assign(rest.substr(0, semicolon));
    version = static_cast<std::uint32_t>((parts[0] & 0xFF) << 24 | (parts[1] & 0xFF) << 16 |
                                         (parts[2] & 0xFF) << 8 | (parts[3] & 0xFF));
    identification = std::move(id);
    const std::size_t next = rest.find(';', quoteEnd);
    cursor = next == std::string_view::npos ? text.size() : cursor + next + 1;
    return true;
}

bool ParseInstrumentTime(std::string_view text, SystemTime& time) {
    long long v[6] = {};
    std::size_t pos = 0;
    static const char kSeparators[] = {'-', '-', ' ', ':', ':'};
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            const char separator = kSeparators[i - 1];
            if (separator == ' ') {
                while (pos < text.size() && IsBlank(text[pos]))
                    ++pos;  // a blank matches any run
            } else if (!Expect(text, pos, separator)) {
                return false;
            }
        }
        if (!ScanInt(text, pos, v[i])) return false;
    }
    SystemTime result;
    result.wYear = static_cast<std::uint16_t>(v[0]);
    result.wMonth = static_cast<std::uint16_t>(v[1]);
    result.wDay = static_cast<std::uint16_t>(v[2]);
    result.wHour = static_cast<std::uint16_t>(v[3]);
    result.wMinute = static_cast<std::uint16_t>(v[4]);
    result.wSecond = static_cast<std::uint16_t>(v[5]);
    time = result;
    return true;
}

std::string FormatInstrumentTime(int year, int month, int day, int hour, int minute, int second) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                  minute, second);
    return text;
}

int ModeIndexOf(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && text[end] != ';' && text[end] != '\r' && text[end] != '\n' &&
           text[end] != ' ' && text[end] != '\0') {
        ++end;
    }
    const std::string_view name = text.substr(0, end);
    for (std::size_t i = 0; i < kModeNames.size(); ++i) {
        if (name == kModeNames[i]) return static_cast<int>(i);
    }
    return -1;
}

std::string_view ModeNameToSend(int index) {
    if (index < 0 || index > 3) index = 1;
    return kModeNames[static_cast<std::size_t>(index)];
}

}  // namespace vg28
