#pragma once
// The radio network address of the instrument talked to, and every rule that follows from it,
// in one place. On a radio network each command goes out behind ":address;" and the
// instrument's replies come back behind the same prefix; a line behind another prefix, or
// without one, is another instrument's, but for the radio modem's own "OK". Without an
// address (a direct line) nothing is added and every line is the instrument's.

#include <string>
#include <string_view>

namespace vg28 {

class AddressPrefix {
public:
    // The address as the live state holds it; empty for a direct line.
    explicit AddressPrefix(std::string_view address);

    // True on a radio network: an address is selected.
    bool IsSelected() const { return !m_address.empty(); }

    // What is sent before the command: ":address;", or nothing on a direct line and for the
    // radio modem's own commands ("+++", "AT...").
    std::string ForCommand(std::string_view command) const;

    // Cleans a received line in place: the line noise before the reply goes, then our prefix.
    // False when the line is another instrument's (it is then left as far as it was cleaned).
    bool TakeOwnReply(std::string& line) const;

private:
    std::string Text() const;
    // Noise before our own prefix, found whole: the noise trim alone would stop at a blank or
    // a '-' inside an instrument name ("greenhouse 1") and cut the prefix apart.
    bool CutNoiseBeforePrefix(std::string& line) const;
    bool TakePrefixOff(std::string& line) const;

    std::string m_address;
};

}  // namespace vg28
