#pragma once
// The radio network file "net.xcfg": which instruments exist and the radio address of each.
// Nothing is reported: a missing, malformed, too deep or too large file gives an empty list.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "session/NetDevice.h"

namespace vg28 {

class NetConfig {
public:
    static constexpr const char* kFileName = "net.xcfg";
    static constexpr std::size_t kMaxDevices = 65535;
    // Files beyond these are not parsed: the XML parser recurses once per nesting level.
    static constexpr std::size_t kMaxFileSize = 64u << 20;
    static constexpr int kMaxDepth = 200;

    // The device list of the file, in file order.
    static std::vector<NetDevice> LoadNetConfig(const std::string& path);
    static std::vector<NetDevice> ParseNetConfig(std::string_view xml);

    // The "xsaddr" reading: leading blanks, an optional sign, decimal digits up to the first
    // other character; the low 16 bits are kept (-1 gives 65535); 0 without a number.
    static std::uint16_t ParseAddress(const char* text);

    // The deepest element nesting of the text (a quick scan, not a parse).
    static int NestingDepth(std::string_view xml);
};

}  // namespace vg28
