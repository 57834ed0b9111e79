#include "base/DebugLog.h"

#ifdef _WIN32
#include <share.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string_view>

#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "platform/CLocaleScope.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"

namespace vg28 {

namespace {

struct LogState {
    std::mutex mutex;
    bool sourceSet = false;
    std::string profilePath;
    std::string logPath;
    Clock* clock = nullptr;
    bool decided = false;
    bool on = false;
};

LogState& State() {
    static LogState state;
    return state;
}

// Takes the on/off decision once; the caller holds the mutex.
void Decide(LogState& state) {
    if (state.decided) return;
    state.decided = true;
    if (!state.sourceSet) {
        const std::string exe = ProgramFolder::ExecutablePath();
        if (exe.empty()) return;
        const std::string stem = ProgramFolder::FolderOf(exe) + ProgramFolder::BaseNameOf(exe);
        state.profilePath = stem + ".ini";
        state.logPath = stem + ".log";
    }
    const Profile profile(state.profilePath);
    state.on = profile.Get(keys::kDebugLog) != 0 && !state.logPath.empty();
}

// Appends one line without ever truncating the file; another writer holding it makes us drop
// the line.
void AppendLine(const std::string& path, const std::string& line) {
#ifdef _WIN32
    FILE* file = ::_fsopen(path.c_str(), "ab", _SH_DENYWR);
    if (!file) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
#else
    // Only a plain file is a log: a pipe or device in its place is never opened (a FIFO
    // without a reader would block the program at its first logged line), and O_NONBLOCK with
    // the check of the open descriptor covers one put there in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return;
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
    if (fd < 0) return;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        std::string_view bytes = line;
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd, bytes.data(), bytes.size());
            if (n <= 0) break;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
#endif
}

}  // namespace

void SetDebugLogSource(std::string profilePath, std::string logPath, Clock* clock) {
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    state.sourceSet = true;
    state.profilePath = std::move(profilePath);
    state.logPath = std::move(logPath);
    state.clock = clock;
    state.decided = false;
    state.on = false;
}

bool IsDebugLogOn() {
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    Decide(state);
    return state.on;
}

void DebugLog(const char* format, ...) {
    LogState& state = State();
    std::lock_guard lock(state.mutex);
    Decide(state);
    if (!state.on || !format) return;

    char message[2048];
    int formatted = 0;
    {
        // The log is a file: its numbers keep "." whatever locale the process has.
        const CLocaleScope cNumbers;
        va_list args;
        va_start(args, format);
        formatted = std::vsnprintf(message, sizeof message, format, args);
        va_end(args);
    }
    if (formatted < 0) return;
    std::size_t length =
        std::min<std::size_t>(static_cast<std::size_t>(formatted), sizeof message - 1);
    if (length > 0 && message[length - 1] == '\r') --length;

    const LocalTime now = (state.clock ? *state.clock : Clock::System()).Local();
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d.%02d.%04d %02d:%02d:%02d.%03d - ", now.day, now.month,
                  now.year, now.hour, now.minute, now.second, now.millisecond);

    std::string line = stamp;
    line.append(message, length);
    line += "\r\n";  // the text-mode line end of the Windows program
    AppendLine(state.logPath, line);
}

}  // namespace vg28
