#include "session/PortErrorText.h"

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstddef>
#include <string_view>

#include "base/StringIds.h"
#include "base/StringTable.h"
#include "link/CSerialException.h"
#include "link/CSerialPort.h"

namespace vg28 {

namespace {

constexpr std::size_t kListedPorts = 8;  // a longer list would not fit one line of the box
constexpr const char* kUsualGroup = "dialout";

void ReplaceAll(std::string& text, std::string_view mark, std::string_view value) {
    for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += value.size()) {
        text.replace(at, mark.size(), value);
    }
}

std::string UserName() {
#ifndef _WIN32
    char buffer[1024];
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->pw_name;
#endif
    return "$USER";
}

std::string MissingPortLine(const PortLister& portsFound) {
    const std::vector<std::string> ports =
        portsFound ? portsFound() : CSerialPort::EnumeratePorts();
    if (ports.empty()) return std::string(StringTable::Get(ids::kPortMissingNoneFound));
    std::string list;
    for (std::size_t i = 0; i < ports.size() && i < kListedPorts; ++i) {
        if (!list.empty()) list += ", ";
        list += ports[i];
    }
    if (ports.size() > kListedPorts) list += ", …";
    return StringTable::FormatInsert(ids::kPortMissingPortsFound, list);
}

std::string AccessDeniedLine(const std::string& port) {
    std::string group = DeviceGroupOf(port);
    if (group.empty()) group = kUsualGroup;
    std::string line(StringTable::Get(ids::kPortAccessDenied));
    ReplaceAll(line, "%1", group);
    ReplaceAll(line, "%2", UserName());
    return line;
}

std::string CauseLine(const std::string& port, unsigned long error, const PortLister& portsFound) {
    switch (CSerialException::FailureOf(error)) {
        case PortFailure::NoSuchPort:
            return MissingPortLine(portsFound);
        case PortFailure::AccessDenied:
            return AccessDeniedLine(port);
        case PortFailure::InUse:
            return std::string(StringTable::Get(ids::kPortInUse));
        case PortFailure::Other:
            break;
    }
    return {};
}

}  // namespace

std::string PortErrorText(const std::string& port, unsigned long error,
                          const PortLister& portsFound) {
    std::string text = StringTable::FormatInsert(ids::kPortOpenFailed, port);
    if (error == 0) return text;
    const std::string cause = CauseLine(port, error, portsFound);
    if (!cause.empty()) text += "\n\n" + cause;
    return text;
}

std::string DeviceGroupOf(const std::string& path) {
#ifndef _WIN32
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    char buffer[4096];
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->gr_name;
    return std::to_string(info.st_gid);
#else
    (void)path;
    return {};
#endif
}

}  // namespace vg28
