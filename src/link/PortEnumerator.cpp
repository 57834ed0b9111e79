#ifndef _WIN32
#include "link/PortEnumerator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <string_view>
#include <utility>

namespace vg28 {

namespace fs = std::filesystem;

namespace {

bool IsUsualSerialName(const std::string& name) {
    static const char* const kPrefixes[] = {"ttyS", "ttyUSB", "ttyACM", "ttyAMA", "rfcomm"};
    for (const char* prefix : kPrefixes) {
        const std::string_view p(prefix);
        if (name.size() > p.size() && name.compare(0, p.size(), p) == 0 &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(p.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            return true;
    }
    return false;
}

// The device a name stands for (links followed); empty when there is none.
std::string DeviceOf(const std::string& path) {
    std::error_code error;
    const fs::path device = fs::canonical(path, error);
    return error ? std::string() : device.string();
}

// Numeric order within a family of names: ttyS2 before ttyS10.
std::pair<std::string, long> SortKey(const std::string& path) {
    std::size_t digits = path.size();
    while (digits > 0 && path[digits - 1] >= '0' && path[digits - 1] <= '9')
        --digits;
    long number = digits < path.size() ? 0 : -1;
    for (std::size_t i = digits; i < path.size() && number < 100000000; ++i)
        number = number * 10 + (path[i] - '0');
    return {path.substr(0, digits), number};
}

}  // namespace

PortEnumerator::PortEnumerator(std::string deviceFolder, Probe probe)
    : m_folder(std::move(deviceFolder)), m_probe(std::move(probe)) {}

std::vector<std::string> PortEnumerator::Ports() const {
    // Every name found, by the device it stands for; a by-id link wins over the device's own
    // name, and of two links the first in name order.
    std::map<std::string, std::pair<std::string, bool>> names;  // device -> (name, by-id)
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(m_folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!IsUsualSerialName(name)) continue;
        const std::string path = entry.path().string();
        const std::string device = DeviceOf(path);
        if (!device.empty()) names.try_emplace(device, path, false);
    }
    for (const auto& entry : fs::directory_iterator(m_folder + "/serial/by-id", error)) {
        const std::string path = entry.path().string();
        const std::string device = DeviceOf(path);
        if (device.empty()) continue;  // a link left behind by an adapter that is gone
        auto [at, added] = names.try_emplace(device, path, true);
        if (!added && (!at->second.second || path < at->second.first)) at->second = {path, true};
    }

    std::vector<std::pair<std::string, std::string>> found;  // (device, name)
    for (const auto& [device, name] : names) {
        if (m_probe(name.first)) found.emplace_back(device, name.first);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return SortKey(a.first) < SortKey(b.first); });
    std::vector<std::string> ports;
    ports.reserve(found.size());
    for (auto& [device, name] : found)
        ports.push_back(std::move(name));
    return ports;
}

std::vector<std::string> PortEnumerator::PortsToOffer(const std::string& current) const {
    std::vector<std::string> ports = Ports();
    if (current.empty() || std::find(ports.begin(), ports.end(), current) != ports.end())
        return ports;
    const std::string device = DeviceOf(current);
    if (!device.empty()) {
        for (std::string& port : ports) {
            if (DeviceOf(port) == device) {
                port = current;
                return ports;
            }
        }
    }
    struct stat info {};
    if (::stat(current.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) ports.push_back(current);
    return ports;
}

bool PortEnumerator::IsPortThere(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        // A serial driver without hardware behind it opens but refuses its line settings.
        struct termios state {};
        const bool present = ::tcgetattr(fd, &state) == 0;
        ::close(fd);
        return present;
    }
    return errno == EACCES || errno == EBUSY || errno == EPERM || errno == ETIMEDOUT;
}

}  // namespace vg28
#endif
