#pragma once
// The settings profile: an INI file with the semantics of the Win32 private-profile functions,
// so that a settings file written by the Windows program reads here and back. Sections and keys
// are case-insensitive; integers read like GetPrivateProfileInt; binary blocks use the
// WritePrivateProfileStruct format (upper-case hex bytes followed by a checksum byte, the sum of
// the bytes modulo 256). Reading accepts CR LF and LF; writing keeps every other line and writes
// CR LF. A missing or unreadable file reads as defaults; a failed write returns false and leaves
// the old file intact. Texts are kept as the bytes of the file (Windows ANSI).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ProfileKeys.h"

namespace vg28 {

class Profile {
public:
    Profile() = default;
    explicit Profile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }

    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue = {}) const;
    // The block of exactly size bytes, or nothing when it is missing, of another size or damaged.
    std::optional<std::vector<std::uint8_t>> GetBinary(std::string_view section,
                                                       std::string_view key,
                                                       std::size_t size) const;
    bool GetBinary(std::string_view section, std::string_view key, void* out,
                   std::size_t size) const;

    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteBinary(std::string_view section, std::string_view key, const void* data,
                     std::size_t size);

    // The keys of the system by name.
    int Get(const ProfileIntKey& key) const {
        return GetInt(key.section, key.key, key.defaultValue);
    }
    std::string Get(const ProfileTextKey& key) const {
        return GetString(key.section, key.key, key.defaultValue);
    }
    bool Write(const ProfileIntKey& key, int value) {
        return WriteInt(key.section, key.key, value);
    }
    bool Write(const ProfileTextKey& key, std::string_view value) {
        return WriteString(key.section, key.key, value);
    }

    // GetPrivateProfileInt's reading of a value: leading blanks, a sign, a 0x/0o/0b base prefix,
    // digits up to the first character that is not one; the low 32 bits are kept.
    static int ParseInt(std::string_view value);
    static std::string EncodeBinary(const void* data, std::size_t size);
    static std::optional<std::vector<std::uint8_t>> DecodeBinary(std::string_view text,
                                                                 std::size_t size);

private:
    std::optional<std::string> FindValue(std::string_view section, std::string_view key) const;
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);

    std::string m_path;
};

}  // namespace vg28
