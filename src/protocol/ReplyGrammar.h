#pragma once
// The reply grammar of the instrument: keyword matching, quoted texts, the device information
// entry, instrument times and mode names. Pure functions over the reply text; they read only
// inside the text they are given (whatever bytes it holds) and report failure as false,
// leaving their outputs untouched.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/SystemTime.h"

namespace vg28 {

// Finds the command (one trailing CR dropped, cut to maxLength when that is non-zero and
// shorter, upper case) in the reply; it must be followed by ';'. On success cursor is the
// position after that ';'. A command of 0 or more than 2047 characters fails.
bool MatchReply(std::string_view reply, std::size_t& cursor, std::string_view command,
                std::size_t maxLength = 0);
// The keyword MatchReply looks for, before upper case: the command with one trailing CR
// dropped, cut to maxLength when that is non-zero and shorter.
std::string_view ReplyKeyword(std::string_view command, std::size_t maxLength = 0);

// The text between the first double quote and the next one; fails when either is missing or
// the text has limit or more characters. end (optional) gets the position after the closing
// quote.
bool ExtractQuoted(std::string_view text, std::size_t limit, std::string& out,
                   std::size_t* end = nullptr);

// One entry of the "info" reply: model;a.b.c.d;"identification"; from cursor. On success the
// cursor moves past the ';' after the identification (to the end when there is none).
bool ParseDeviceInfo(std::string_view text, std::size_t& cursor, std::string& model,
                     std::uint32_t& version, std::string& identification);

// "%d-%d-%d %d:%d:%d" with exactly six numbers; day of week and milliseconds stay 0.
bool ParseInstrumentTime(std::string_view text, SystemTime& time);
std::string FormatInstrumentTime(int year, int month, int day, int hour, int minute, int second);

// Mode index 0-3 of a mode name at the start of text (up to ';', CR, LF, blank or the end);
// -1 when unknown.
int ModeIndexOf(std::string_view text);
// The name sent for a mode: index 1 and anything outside 0-3 are "MANUAL".
std::string_view ModeNameToSend(int index);

// Scans like the C library's "%d": blanks, a sign, at least one digit. Advances pos.
bool ScanInt(std::string_view text, std::size_t& pos, long long& value);

}  // namespace vg28
