#include "base/Profile.h"

#include <optional>
#include <sstream>

#include "platform/AtomicFile.h"
#include "platform/NumberText.h"
#include "platform/RegularFile.h"
#include "platform/TextCase.h"
#include "platform/TextTrim.h"

namespace vg28 {

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::optional<std::string> read = ReadRegularFile(path);
    if (!read) return lines;
    const std::string& content = *read;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// The section name of a "[name]" line, or nothing for other lines.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line, kBlanksAndLineEnds);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1), kBlanksAndLineEnds);
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view trimmed = Trim(line, kBlanksAndLineEnds);
    if (!trimmed.empty() && trimmed.front() == ';') return std::nullopt;
    return Trim(line.substr(0, equals), kBlanksAndLineEnds);
}

std::string_view ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1), kBlanksAndLineEnds);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

int Profile::ParseInt(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ')
        ++i;
    bool negative = false;
    while (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        if (value[i] == '-') negative = !negative;
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < value.size() && value[i] == '0') {
        const char prefix = value[i + 1];
        if (prefix == 'x' || prefix == 'X') base = 16;
        if (prefix == 'o' || prefix == 'O') base = 8;
        if (prefix == 'b' || prefix == 'B') base = 2;
        if (base != 10) i += 2;
    }
    std::uint32_t result = 0;
    for (; i < value.size(); ++i) {
        const int digit = HexDigitValue(value[i]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
        result = result * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

std::string Profile::EncodeBinary(const void* data, std::size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::string text;
    text.reserve(size * 2 + 2);
    unsigned checksum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
        checksum += bytes[i];
    }
    text += kDigits[(checksum >> 4) & 0x0F];
    text += kDigits[checksum & 0x0F];
    return text;
}

std::optional<std::vector<std::uint8_t>> Profile::DecodeBinary(std::string_view text,
                                                               std::size_t size) {
    if (text.size() != size * 2 + 2) return std::nullopt;
    std::vector<std::uint8_t> bytes(size + 1);
    for (std::size_t i = 0; i <= size; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    unsigned checksum = 0;
    for (std::size_t i = 0; i < size; ++i)
        checksum += bytes[i];
    if ((checksum & 0xFF) != bytes[size]) return std::nullopt;
    bytes.pop_back();
    return bytes;
}

std::optional<std::string> Profile::FindValue(std::string_view section,
                                              std::string_view key) const {
    if (m_path.empty()) return std::nullopt;
    bool inSection = false;
    for (const std::string& line : ReadLines(m_path)) {
        if (const auto name = SectionOf(line)) {
            inSection = TextCase::EqualAscii(*name, section);
            continue;
        }
        if (!inSection) continue;
        const auto lineKey = KeyOf(line);
        if (lineKey && TextCase::EqualAscii(*lineKey, key)) return std::string(ValueOf(line));
    }
    return std::nullopt;
}

int Profile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = FindValue(section, key);
    if (!value || value->empty()) return defaultValue;
    return ParseInt(*value);
}

std::string Profile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    const auto value = FindValue(section, key);
    return value ? *value : std::string(defaultValue);
}

std::optional<std::vector<std::uint8_t>> Profile::GetBinary(std::string_view section,
                                                            std::string_view key,
                                                            std::size_t size) const {
    const auto value = FindValue(section, key);
    if (!value) return std::nullopt;
    return DecodeBinary(*value, size);
}

bool Profile::GetBinary(std::string_view section, std::string_view key, void* out,
                        std::size_t size) const {
    const auto bytes = GetBinary(section, key, size);
    if (!bytes) return false;
    if (size) std::copy(bytes->begin(), bytes->end(), static_cast<std::uint8_t*>(out));
    return true;
}

bool Profile::WriteInt(std::string_view section, std::string_view key, int value) {
    return SetValue(section, key, std::to_string(value));
}

bool Profile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break inside a value would break the file's structure.
    std::string clean(value);
    for (char& c : clean)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return SetValue(section, key, clean);
}

bool Profile::WriteBinary(std::string_view section, std::string_view key, const void* data,
                          std::size_t size) {
    return SetValue(section, key, EncodeBinary(data, size));
}

bool Profile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    if (m_path.empty() || section.empty() || key.empty()) return false;
    std::vector<std::string> lines = ReadLines(m_path);
    const std::string newLine = std::string(key) + "=" + std::string(value);

    bool inSection = false;
    bool sectionFound = false;
    std::size_t insertAt = lines.size();
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (const auto name = SectionOf(lines[i])) {
            if (inSection) break;
            inSection = TextCase::EqualAscii(*name, section);
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        const auto lineKey = KeyOf(lines[i]);
        if (lineKey && TextCase::EqualAscii(*lineKey, key)) {
            lines[i] = newLine;
            done = true;
        } else if (!Trim(lines[i], kBlanksAndLineEnds).empty()) {
            insertAt = i + 1;
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        } else {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(newLine);
        }
    }

    std::string content;
    for (const std::string& line : lines)
        content += line + "\r\n";
    AtomicFile file(m_path);
    return file.Open() && file.Write(content.data(), content.size()) && file.Commit();
}

}  // namespace vg28
