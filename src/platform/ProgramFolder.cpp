#include "platform/ProgramFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/AtomicFile.h"

namespace vg28 {

namespace {

constexpr const char* kSharedData = "../share/vg28";
constexpr const char* kUserData = ".local/share";
constexpr const char* kFolderName = "vg28/";
constexpr const char* kCatalogue = ProgramFolder::kShippedFiles[0];

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string ErrorText(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

// mkdir -p with mode 0700 for what it creates; an existing folder is kept as it is.
bool MakeFolders(const std::string& folder, std::string& error) {
    std::string path;
    std::size_t start = 0;
    while (start < folder.size()) {
        std::size_t slash = folder.find('/', start);
        if (slash == std::string::npos) slash = folder.size();
        path = folder.substr(0, slash);
        start = slash + 1;
        if (path.empty()) continue;
        if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) continue;
        error = ErrorText("cannot create the folder", path, errno);
        return false;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "cannot create the folder " + folder + ": not a folder";
        return false;
    }
    return true;
}

// Copies a regular file so that the target is either absent or complete.
bool CopyFile(const std::string& from, const std::string& to, std::string& error) {
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (source < 0) {
        error = ErrorText("cannot read", from, errno);
        return false;
    }
    AtomicFile target(to);
    bool ok = target.Open();
    std::vector<char> buffer(65536);
    while (ok) {
        const long long got = ReadFully(source, buffer.data(), buffer.size());
        if (got < 0) {
            error = ErrorText("cannot read", from, errno);
            ::close(source);
            return false;
        }
        if (got == 0) break;
        ok = target.Write(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(source);
    if (ok) ok = target.Commit();
    if (!ok) error = ErrorText("cannot write", to, errno);
    return ok;
}

}  // namespace

std::string ProgramFolder::ExecutablePath() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string ProgramFolder::FolderOf(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return "./";
    return std::string(path.substr(0, slash + 1));
}

std::string ProgramFolder::BaseNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

std::string ProgramFolder::WithSeparator(std::string folder) {
    if (folder.empty()) return "./";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder != "/") folder += '/';
    return folder;
}

std::string ProgramFolder::SharedDataFolderOf(std::string_view executablePath) {
    const std::filesystem::path shared =
        std::filesystem::path(FolderOf(executablePath) + kSharedData).lexically_normal();
    return WithSeparator(shared.string());
}

std::string ProgramFolder::UserDataFolder(const UserEnvironment& environment) {
    if (!environment.dataHome.empty()) return WithSeparator(environment.dataHome) + kFolderName;
    if (!environment.home.empty())
        return WithSeparator(environment.home) + kUserData + "/" + kFolderName;
    return {};
}

ProgramFolder::Choice ProgramFolder::Choose(std::string_view executablePath,
                                            const UserEnvironment& environment) {
    const std::string beside = FolderOf(executablePath);
    const std::string shared = SharedDataFolderOf(executablePath);
    const bool sharedData = IsRegularFile(shared + kCatalogue);
    // A copy whose catalogue is only in the shared data folder is an installed one, even where
    // its folder is writable (root, or a prefix in the user's home).
    const bool installed = sharedData && !Exists(beside + kCatalogue);
    if (!installed && ::access(beside.c_str(), W_OK) == 0) return {beside, {}, false};
    const std::string user = UserDataFolder(environment);
    if (user.empty()) return {beside, {}, false};
    return {user, sharedData ? shared : beside, true};
}

bool ProgramFolder::Fill(const Choice& choice, std::string& error) {
    if (!choice.userFolder) return true;
    if (!MakeFolders(choice.folder, error)) return false;
    for (const char* name : kShippedFiles) {
        const std::string target = choice.folder + name;
        const std::string source = choice.shippedFrom + name;
        if (Exists(target) || !IsRegularFile(source)) continue;
        if (!CopyFile(source, target, error)) return false;
    }
    return true;
}

ProgramFolder::Choice ProgramFolder::Settle(std::string_view executablePath,
                                            const UserEnvironment& environment,
                                            std::string& error) {
    Choice choice = Choose(executablePath, environment);
    Fill(choice, error);
    return choice;
}

}  // namespace vg28
