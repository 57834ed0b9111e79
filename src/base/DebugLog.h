#pragma once
// The debug log: one file beside the program (program folder + base name + ".log"), written
// only when the settings profile has a non-zero "Log" in section "Debug". The decision is taken
// on the first line and holds for the life of the process. Each line is the local time
// "dd.mm.yyyy hh:mm:ss.mmm - " and the message; the file is opened and closed around each line,
// and a line that cannot be written is dropped silently.

#include <string>

namespace vg28 {

class Clock;

// Appends one line (printf format). One CR at the very end of the message is dropped; the
// message is cut to 2047 bytes.
#if defined(__GNUC__)
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
#else
void DebugLog(const char* format, ...);
#endif

// Where the first line takes its decision and writes: the settings file and the log path.
// Without a call these are the program's own path with ".ini" and ".log". The call forgets any
// decision already taken. clock (optional, outliving the log) gives the time stamps.
void SetDebugLogSource(std::string profilePath, std::string logPath, Clock* clock = nullptr);

// Whether lines are written (takes the decision if not taken yet).
bool IsDebugLogOn();

}  // namespace vg28
