#include "sensors/SensorCatalogue.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "platform/FixedText.h"
#include "platform/NumberText.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "platform/TextTrim.h"
#include "sensors/MethodNames.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {

namespace {

constexpr std::string_view kTemplateWord = " Sample ";
constexpr double kMaxOutputLimit = 20.0;

enum class Key {
    kId,
    kType,
    kDescription,
    kUnits,
    kPrecision,
    kMethod,
    kMaxOutput,
    kMinimum,
    kMaximum,
    kC0,
    kC1,
    kC2,
    kC3,
    kC4,
    kC5,
    kStandard,
    kCount
};

constexpr std::size_t kKeyCount = static_cast<std::size_t>(Key::kCount);

// Key names in the order Write puts them; the required ones are the first nine.
constexpr std::array<std::string_view, kKeyCount> kKeyNames = {
    "id",      "type", "description", "units", "precision", "method", "maxOutput", "minimum",
    "maximum", "c0",   "c1",          "c2",    "c3",        "c4",     "c5",        "standard"};
constexpr std::size_t kRequiredKeys = 9;

std::optional<Key> KeyOf(std::string_view name) {
    for (std::size_t i = 0; i < kKeyCount; ++i) {
        if (kKeyNames[i] == name) return static_cast<Key>(i);
    }
    return std::nullopt;
}

// One value of an entry as written, with the line it stands on.
struct RawValue {
    std::string text;  // CP1251 bytes after unquoting
    int line = 0;
    bool present = false;
};

// A problem found while reading; the caller adds the line.
struct Problem {
    std::string message;
};

// Converts well-formed UTF-8 to CP1251, refusing characters that CP1251 lacks.
std::optional<Problem> AppendCp1251(std::string& out, std::string_view utf8) {
    std::string unfit;
    const std::optional<std::string> bytes = TextCodec::Utf8ToCp1251Exactly(utf8, &unfit);
    if (!bytes) return Problem{"the character '" + unfit + "' has no CP1251 byte"};
    out += *bytes;
    return std::nullopt;
}

// The CP1251 bytes of a value as written after "=": trimmed, or quoted with escapes.
std::optional<Problem> DecodeValue(std::string_view written, std::string& out) {
    out.clear();
    if (written.empty() || written.front() != '"') return AppendCp1251(out, written);
    if (written.size() < 2 || written.back() != '"')
        return Problem{"quoted text has no closing double quote"};
    const std::string_view inner = written.substr(1, written.size() - 2);
    std::size_t plainStart = 0;
    std::size_t i = 0;
    auto flushPlain = [&](std::size_t end) {
        return AppendCp1251(out, inner.substr(plainStart, end - plainStart));
    };
    while (i < inner.size()) {
        const char c = inner[i];
        if (c == '"') return Problem{"a double quote inside quoted text must be written \\\""};
        if (c != '\\') {
            ++i;
            continue;
        }
        if (auto problem = flushPlain(i)) return problem;
        if (i + 1 >= inner.size()) return Problem{"quoted text ends in a lone backslash"};
        const char e = inner[i + 1];
        std::size_t used = 2;
        switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'x': {
                const int high = i + 2 < inner.size() ? HexDigitValue(inner[i + 2]) : -1;
                const int low = i + 3 < inner.size() ? HexDigitValue(inner[i + 3]) : -1;
                if (high < 0 || low < 0) return Problem{"\\x needs two hexadecimal digits"};
                if (high == 0 && low == 0) return Problem{"\\x00 cannot be part of a text"};
                out += static_cast<char>(high * 16 + low);
                used = 4;
                break;
            }
            default:
                return Problem{std::string("unknown escape \\") + e};
        }
        i += used;
        plainStart = i;
    }
    return flushPlain(inner.size());
}

std::optional<double> ReadDouble(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> ReadInt(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Builds and checks one record from the values of an entry; a failure leaves the line and the
// message of the first problem.
class EntryBuilder {
public:
    EntryBuilder(const std::array<RawValue, kKeyCount>& values, int firstLine)
        : m_values(values), m_firstLine(firstLine) {}

    bool Build(SensorRecord& record) {
        record = EmptySensorRecord();
        for (std::size_t i = 0; i < kRequiredKeys; ++i) {
            if (!m_values[i].present) {
                m_line = m_firstLine;
                m_message = "the entry has no '" + std::string(kKeyNames[i]) + "'";
                return false;
            }
        }
        const std::string& id = Text(Key::kId);
        const std::string& type = Text(Key::kType);
        if (!Fits(Key::kId, sizeof record.id) || !Fits(Key::kType, sizeof record.type) ||
            !Fits(Key::kDescription, sizeof record.description) ||
            !Fits(Key::kUnits, sizeof record.units))
            return false;
        if (id.empty()) return Report(Key::kId, "the id is empty");
        if (!IdMatchesType(id, type)) return false;
        CopyText(record.id, id);
        CopyText(record.type, type);
        CopyText(record.description, Text(Key::kDescription));
        CopyText(record.units, Text(Key::kUnits));

        const auto precision = ReadInt(Text(Key::kPrecision));
        if (!precision || *precision < 0 || *precision > 5)
            return Report(Key::kPrecision, "precision must be a whole number 0..5");
        record.precision = *precision;

        const std::optional<int> method = MethodOfName(Text(Key::kMethod));
        if (!method) return Report(Key::kMethod, "method must be STD, COMP or AVG");
        record.method = *method;

        if (!Number(Key::kMaxOutput, record.maxOutput) || !Number(Key::kMinimum, record.minimum) ||
            !Number(Key::kMaximum, record.maximum))
            return false;
        if (record.maxOutput < 0.0 || record.maxOutput > kMaxOutputLimit)
            return Report(Key::kMaxOutput, "maxOutput must be 0..20 volts");
        if (!(record.minimum < record.maximum))
            return Report(Key::kMaximum, "maximum must be above minimum");
        for (int k = 0; k < 6; ++k) {
            const Key key = static_cast<Key>(static_cast<int>(Key::kC0) + k);
            if (Given(key) && !Number(key, record.coefficients[k])) return false;
        }
        if (Given(Key::kStandard)) {
            const auto standard = ReadInt(Text(Key::kStandard));
            if (!standard || (*standard != 0 && *standard != 1))
                return Report(Key::kStandard, "standard must be 0 or 1");
            record.standardCoefficients = *standard;
        }
        return true;
    }

    int Line() const { return m_line; }
    const std::string& Message() const { return m_message; }

private:
    static std::size_t Index(Key key) { return static_cast<std::size_t>(key); }
    static std::string Name(Key key) { return std::string(kKeyNames[Index(key)]); }
    bool Given(Key key) const { return m_values[Index(key)].present; }
    const std::string& Text(Key key) const { return m_values[Index(key)].text; }

    bool Fits(Key key, std::size_t arraySize) {
        const std::size_t length = Text(key).size();
        if (length < arraySize) return true;
        return Report(key, Name(key) + " is " + std::to_string(length) +
                               " CP1251 bytes long, at most " + std::to_string(arraySize - 1) +
                               " fit");
    }

    bool IdMatchesType(const std::string& id, const std::string& type) {
        if (id.find("Sample") != std::string::npos) {
            if (!type.empty() && id == std::string(kTemplateWord) + type) return true;
            return Report(Key::kId,
                          "an id with \"Sample\" must be \" Sample \" followed by the type");
        }
        if (type.empty() || id == type) return true;
        if (StartsWith(id, type + " ")) {
            const std::string_view suffix = std::string_view(id).substr(type.size() + 1);
            if (!suffix.empty() && suffix.front() != ' ') return true;
        }
        return Report(Key::kId, "the id must be the type, or the type, one blank and a suffix");
    }

    bool Number(Key key, double& out) {
        const auto value = ReadDouble(Text(key));
        if (!value) return Report(key, Name(key) + " must be a finite number");
        out = *value;
        return true;
    }

    bool Report(Key key, std::string message) {
        m_line = m_values[Index(key)].line;
        m_message = std::move(message);
        return false;
    }

    const std::array<RawValue, kKeyCount>& m_values;
    int m_firstLine;
    int m_line = 0;
    std::string m_message;
};

std::string NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool NeedsQuotes(std::string_view bytes) {
    if (bytes.empty()) return false;
    if (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '"') return true;
    if (bytes.back() == ' ' || bytes.back() == '\t') return true;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == 0x98) return true;
    }
    return false;
}

std::string WrittenText(std::string_view bytes) {
    if (!NeedsQuotes(bytes)) return TextCodec::Cp1251ToUtf8(bytes);
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (b < 0x20 || b == 0x7F || b == 0x98) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", b);
            out += escape;
        } else {
            out += TextCodec::Cp1251ToUtf8(std::string_view(&c, 1));
        }
    }
    return out + "\"";
}

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += value.empty() ? " =" : " = ";
    out += value;
    out += '\n';
}

}  // namespace

SensorCatalogue::ParseResult SensorCatalogue::Parse(std::string_view text) {
    ParseResult result;
    auto fail = [&result](int line, std::string message) {
        result.records.clear();
        result.lines.clear();
        result.errorLine = line;
        result.error = std::move(message);
        return result;
    };
    if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);

    std::array<RawValue, kKeyCount> values{};
    int entryLine = 0;  // 0 while no entry is open
    std::unordered_map<std::string, int> seenIds;

    auto finishEntry = [&]() -> bool {
        if (entryLine == 0) return true;
        SensorRecord record;
        EntryBuilder builder(values, entryLine);
        if (!builder.Build(record)) {
            fail(builder.Line(), builder.Message());
            return false;
        }
        const int idLine = values[static_cast<std::size_t>(Key::kId)].line;
        const auto [seen, inserted] =
            seenIds.emplace(TextCase::LowerCp1251(TextOf(record.id)), idLine);
        if (!inserted) {
            fail(idLine, "the id \"" + TextCodec::Cp1251ToUtf8(TextOf(record.id)) +
                             "\" is already used on line " + std::to_string(seen->second));
            return false;
        }
        result.records.push_back(record);
        result.lines.push_back(entryLine);
        values = {};
        entryLine = 0;
        return true;
    };

    int lineNumber = 0;
    std::size_t position = 0;
    std::string decoded;
    while (position <= text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        std::string_view line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!TextCodec::IsValidUtf8(line)) return fail(lineNumber, "the line is not UTF-8");
        const std::string_view content = Trim(line, kBlanks);
        if (content.empty()) {
            if (!finishEntry()) return result;
            continue;
        }
        if (content.front() == '#') continue;
        const std::size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            return fail(lineNumber, "expected a \"key = value\" line");
        const std::string_view name = Trim(content.substr(0, equals), kBlanks);
        const auto key = KeyOf(name);
        if (!key) return fail(lineNumber, "unknown key '" + std::string(name) + "'");
        RawValue& value = values[static_cast<std::size_t>(*key)];
        if (value.present)
            return fail(lineNumber, "'" + std::string(name) +
                                        "' is given twice in one entry (line " +
                                        std::to_string(value.line) + ")");
        if (auto problem = DecodeValue(Trim(content.substr(equals + 1), kBlanks), decoded))
            return fail(lineNumber, problem->message);
        value.text = decoded;
        value.line = lineNumber;
        value.present = true;
        if (entryLine == 0) entryLine = lineNumber;
    }
    finishEntry();
    return result;
}

std::string SensorCatalogue::Write(const std::vector<SensorRecord>& records) {
    std::string out =
        "# Sensor catalogue: one entry per sensor, entries separated by blank lines.\n"
        "# Keys: id, type, description, units, precision (0..5), method (STD, COMP, AVG),\n"
        "# maxOutput (volts), minimum, maximum, c0..c5 (polynomial), standard (0 or 1).\n"
        "# Numbers use \".\"; quoted texts keep their blanks and take \\\" \\\\ \\n \\t \\r "
        "\\xHH.\n";
    for (const SensorRecord& record : records) {
        out += '\n';
        AppendLine(out, "id", WrittenText(TextOf(record.id)));
        AppendLine(out, "type", WrittenText(TextOf(record.type)));
        AppendLine(out, "description", WrittenText(TextOf(record.description)));
        AppendLine(out, "units", WrittenText(TextOf(record.units)));
        AppendLine(out, "precision", std::to_string(record.precision));
        const std::optional<std::string_view> method = MethodName(record.method);
        AppendLine(out, "method", method ? std::string(*method) : std::to_string(record.method));
        AppendLine(out, "maxOutput", NumberText(record.maxOutput));
        AppendLine(out, "minimum", NumberText(record.minimum));
        AppendLine(out, "maximum", NumberText(record.maximum));
        for (int k = 0; k < 6; ++k)
            AppendLine(out, "c" + std::to_string(k), NumberText(record.coefficients[k]));
        AppendLine(out, "standard", std::to_string(record.standardCoefficients));
    }
    return out;
}

bool SensorCatalogue::SameIdIgnoringCase(std::string_view a, std::string_view b) {
    return TextCase::EqualCp1251(a, b);
}

}  // namespace vg28
