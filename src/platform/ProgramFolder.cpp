#include "platform/ProgramFolder.h"

#include <unistd.h>

#include <vector>

namespace vg28 {

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

}  // namespace vg28
