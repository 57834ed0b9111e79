#include "link/AddressPrefix.h"

#include "platform/FixedText.h"

namespace vg28 {

namespace {

bool IsReplyWordChar(unsigned char c) {
    return c == ';' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Line noise before a reply: from the first ';' back over the reply's word, everything before
// the first character that cannot be part of it goes.
void TrimNoise(std::string& line) {
    const std::size_t semicolon = line.find(';');
    if (semicolon == std::string::npos) return;
    std::size_t i = semicolon;
    while (i > 0 && IsReplyWordChar(static_cast<unsigned char>(line[i])))
        --i;
    if (i > 0 && !IsReplyWordChar(static_cast<unsigned char>(line[i]))) line.erase(0, i);
}

}  // namespace

AddressPrefix::AddressPrefix(std::string_view address) : m_address(address) {}

std::string AddressPrefix::Text() const {
    std::string prefix;
    prefix.reserve(m_address.size() + 2);
    prefix.append(1, ':').append(m_address).append(1, ';');
    return prefix;
}

std::string AddressPrefix::ForCommand(std::string_view command) const {
    if (!IsSelected() || StartsWith(command, "+++") || StartsWith(command, "AT")) return {};
    return Text();
}

bool AddressPrefix::TakeOwnReply(std::string& line) const {
    if (!CutNoiseBeforePrefix(line)) TrimNoise(line);
    return TakePrefixOff(line);
}

bool AddressPrefix::CutNoiseBeforePrefix(std::string& line) const {
    if (!IsSelected()) return false;
    const std::size_t at = line.find(Text());
    if (at == std::string::npos) return false;
    line.erase(0, at);
    return true;
}

bool AddressPrefix::TakePrefixOff(std::string& line) const {
    if (!IsSelected()) return true;
    const std::size_t n = m_address.size();
    if (line.size() >= n + 2 && line[0] == ':' && line.compare(1, n, m_address) == 0 &&
        line[n + 1] == ';') {
        line.erase(0, n + 2);
        return true;
    }
    // The radio modem answers without an address; any other line is another instrument's.
    return StartsWith(line, "OK");
}

}  // namespace vg28
