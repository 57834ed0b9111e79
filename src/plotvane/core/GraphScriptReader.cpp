#include "plotvane/core/GraphScriptReader.h"

#include <tinyxml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <system_error>
#include <utility>
#include <vector>

namespace vg28::plotvane {

namespace {

constexpr int kDefaultThickness = 2;
constexpr int kMaxThickness = 20;
constexpr int kDefaultPrecision = 3;
constexpr int kMaxPrecision = 5;
constexpr std::size_t kShownTagLength = 60;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Colours of sensors whose "dwClr" is unreadable, by position (COLORREF).
constexpr std::uint32_t kFallbackColours[10] = {0xFF0000, 0x800000, 0x808080, 0x000000, 0x0000FF,
                                                0x000080, 0x008000, 0x008080, 0xFF00FF, 0x808000};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsAllBlank(std::string_view text) {
    return Trim(text).empty();
}

std::string Shown(std::string_view text) {
    text = Trim(text);
    std::string shown(text.substr(0, kShownTagLength));
    if (text.size() > kShownTagLength) shown += "...";
    return shown;
}

// Where an element stands in the script; everything else is passed over.
enum class Place { Other, Root, Report, Axes, YAxis, Groups, Group, Sensors, Sensor };

Place PlaceOf(bool atTop, Place parent, const std::string& name) {
    if (atTop) return name == "Root" ? Place::Root : Place::Other;
    switch (parent) {
        case Place::Root:
            if (name == "report") return Place::Report;
            break;
        case Place::Report:
            if (name == "axes") return Place::Axes;
            if (name == "sen-groups") return Place::Groups;
            if (name == "sensors") return Place::Sensors;
            break;
        case Place::Axes:
            if (name == "y-axis") return Place::YAxis;
            break;
        case Place::Groups:
            if (name == "group") return Place::Group;
            break;
        case Place::Sensors:
            if (name == "sensor") return Place::Sensor;
            break;
        default:
            break;
    }
    return Place::Other;
}

int Decimals(std::string_view number) {
    number = Trim(number);
    const std::size_t point = number.find_first_of(".,");
    if (point == std::string_view::npos) return 0;
    std::size_t count = 0;
    while (point + 1 + count < number.size() &&
           std::isdigit(static_cast<unsigned char>(number[point + 1 + count])))
        ++count;
    return static_cast<int>(std::min<std::size_t>(count, kMaxPrecision + 3));
}

// One pass over the text: tags are found here and decoded by TinyXML one at a time.
class ScriptWalker {
public:
    ScriptWalker(std::string_view text, char separator, ReadResult& result)
        : m_text(text), m_separator(separator), m_result(result), m_script(result.script) {}

    void Run() {
        if (m_text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            m_pos = kByteOrderMark.size();
        if (IsAllBlank(m_text.substr(m_pos))) {
            Fail(ReadError::Empty, m_pos, "");
            return;
        }
        while (Step()) {
        }
        if (!m_result.Ok()) return;
        if (!m_stack.empty()) {
            Fail(ReadError::Damaged, m_text.size(),
                 "the document ends inside <" + m_stack.back().name + ">");
            return;
        }
        if (!m_rootSeen) {
            Fail(ReadError::Damaged, m_text.size(), "no XML element");
            return;
        }
        if (!m_reportSeen) {
            Fail(ReadError::Foreign, 0, "no <report> in <Root>");
            return;
        }
        Finish();
    }

private:
    struct Open {
        std::string name;
        Place place;
    };

    bool Fail(ReadError error, std::size_t at, std::string detail) {
        m_result.error = error;
        m_result.line = at == 0 && error == ReadError::Foreign ? 0 : LineAt(at);
        m_result.detail = std::move(detail);
        return false;
    }

    // Line numbers are needed rarely and always further on, so they are counted as they are
    // asked for.
    int LineAt(std::size_t at) {
        at = std::min(at, m_text.size());
        if (at < m_countedTo) {
            m_countedTo = 0;
            m_countedLines = 1;
        }
        m_countedLines +=
            static_cast<int>(std::count(m_text.begin() + static_cast<std::ptrdiff_t>(m_countedTo),
                                        m_text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        m_countedTo = at;
        return m_countedLines;
    }

    bool StartsWith(std::size_t at, std::string_view prefix) const {
        return m_text.substr(at, prefix.size()) == prefix;
    }

    // Skips to just after the closing text; false when it never comes.
    bool SkipPast(std::string_view closing, const char* what) {
        const std::size_t end = m_text.find(closing, m_pos);
        if (end == std::string_view::npos)
            return Fail(ReadError::Damaged, m_pos, std::string(what) + " is not closed");
        m_pos = end + closing.size();
        return true;
    }

    bool Step() {
        const std::size_t lt = m_text.find('<', m_pos);
        const std::string_view between = m_text.substr(
            m_pos, lt == std::string_view::npos ? std::string_view::npos : lt - m_pos);
        if (m_stack.empty() && !IsAllBlank(between))
            return Fail(ReadError::Damaged, m_pos, "text outside the elements: " + Shown(between));
        if (lt == std::string_view::npos) return false;
        m_pos = lt;
        if (StartsWith(m_pos, "<?")) return SkipPast("?>", "a processing instruction");
        if (StartsWith(m_pos, "<!--")) return SkipPast("-->", "a comment");
        if (StartsWith(m_pos, "<![CDATA[")) {
            if (m_stack.empty())
                return Fail(ReadError::Damaged, m_pos, "CDATA outside the elements");
            return SkipPast("]]>", "a CDATA section");
        }
        if (StartsWith(m_pos, "<!")) return SkipDeclaration();
        if (StartsWith(m_pos, "</")) return EndTag();
        return StartTag();
    }

    // <!DOCTYPE ...> with an internal subset in brackets, before the document element.
    bool SkipDeclaration() {
        if (m_rootSeen) return Fail(ReadError::Damaged, m_pos, "a declaration inside the document");
        int depth = 0;
        char quote = 0;
        for (std::size_t i = m_pos + 2; i < m_text.size(); ++i) {
            const char c = m_text[i];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++depth;
            } else if (c == ']') {
                --depth;
            } else if (c == '>' && depth <= 0) {
                m_pos = i + 1;
                return true;
            }
        }
        return Fail(ReadError::Damaged, m_pos, "a declaration is not closed");
    }

    bool EndTag() {
        const std::size_t gt = m_text.find('>', m_pos);
        if (gt == std::string_view::npos)
            return Fail(ReadError::Damaged, m_pos, "an end tag is cut short");
        const std::string_view name = Trim(m_text.substr(m_pos + 2, gt - m_pos - 2));
        if (m_stack.empty() || name != m_stack.back().name) {
            return Fail(
                ReadError::Damaged, m_pos,
                "</" + std::string(name) + "> does not close " +
                    (m_stack.empty() ? std::string("anything") : "<" + m_stack.back().name + ">"));
        }
        m_stack.pop_back();
        if (m_stack.empty()) m_rootClosed = true;
        m_pos = gt + 1;
        return true;
    }

    bool StartTag() {
        const std::size_t begin = m_pos;
        if (m_rootClosed) return Fail(ReadError::Damaged, begin, "a second document element");
        char quote = 0;
        std::size_t gt = std::string_view::npos;
        for (std::size_t i = begin + 1; i < m_text.size(); ++i) {
            const char c = m_text[i];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '<') {
                break;
            } else if (c == '>') {
                gt = i;
                break;
            }
        }
        if (gt == std::string_view::npos)
            return Fail(ReadError::Damaged, begin,
                        "a tag is cut short: " + Shown(m_text.substr(begin)));
        const bool selfClosing = m_text[gt - 1] == '/';
        // The start tag alone, closed, is an element TinyXML can decode.
        m_tag.assign(m_text.data() + begin, gt + 1 - begin);
        if (!selfClosing) m_tag.insert(m_tag.size() - 1, "/");
        // TinyXML reads up to the first NUL and asserts on a tag that ends there.
        if (m_tag.find('\0') != std::string::npos)
            return Fail(ReadError::Damaged, begin, "a NUL byte in a tag");
        TiXmlElement element("");
        const char* after = element.Parse(m_tag.c_str(), nullptr, TIXML_ENCODING_UTF8);
        if (!after || element.ValueStr().empty() ||
            !IsAllBlank(std::string_view(after, m_tag.c_str() + m_tag.size() - after)))
            return Fail(ReadError::Damaged, begin, "a broken tag: " + Shown(m_tag));
        m_pos = gt + 1;
        m_tagBegin = begin;

        const bool atTop = m_stack.empty();
        const Place parent = atTop ? Place::Other : m_stack.back().place;
        const Place place = PlaceOf(atTop, parent, element.ValueStr());
        if (atTop) {
            if (place != Place::Root)
                return Fail(ReadError::Foreign, begin,
                            "the document element is <" + element.ValueStr() + ">");
            m_rootSeen = true;
        }
        Take(element, parent, place);
        if (selfClosing) {
            if (atTop) m_rootClosed = true;
        } else {
            m_stack.push_back({element.ValueStr(), place});
        }
        return true;
    }

    void Take(const TiXmlElement& element, Place parent, Place place) {
        switch (place) {
            case Place::Report:
                TakeReport(element);
                return;
            case Place::YAxis:
                TakeAxis(element);
                return;
            case Place::Group:
                TakeGroup(element);
                return;
            case Place::Sensor:
                TakeSensor(element);
                return;
            default:
                break;
        }
        if (parent == Place::Sensor && element.ValueStr() == "d") {
            TakePoint(element);
        } else if (parent == Place::Group && element.ValueStr() == "sen") {
            std::int64_t id = 0;
            if (Integer(element, "dwID", id)) m_script.groups.back().sensorIds.push_back(Id(id));
        }
    }

    void Note(const TiXmlElement& element, const char* attribute, const char* value) {
        ++m_script.issueCount;
        if (m_script.issues.size() >= PlotScript::kKeptIssues) return;
        ScriptIssue issue;
        issue.line = LineAt(m_tagBegin);
        issue.element = element.ValueStr();
        issue.attribute = attribute;
        issue.missing = value == nullptr;
        if (value) issue.value = Shown(value);
        m_script.issues.push_back(std::move(issue));
    }

    // An integer attribute; an absent or unreadable one is noted and leaves value unchanged.
    bool Integer(const TiXmlElement& element, const char* name, std::int64_t& value) {
        const char* text = element.Attribute(name);
        std::int64_t read = 0;
        if (text && GraphScriptReader::ParseInteger(text, read)) {
            value = read;
            return true;
        }
        Note(element, name, text);
        return false;
    }

    bool Real(const TiXmlElement& element, const char* name, double& value, char separator) {
        const char* text = element.Attribute(name);
        double read = 0.0;
        if (text && GraphScriptReader::ParseReal(text, separator, read)) {
            value = read;
            return true;
        }
        Note(element, name, text);
        return false;
    }

    std::string Text(const TiXmlElement& element, const char* name) {
        const char* text = element.Attribute(name);
        if (!text) Note(element, name, nullptr);
        return text ? text : "";
    }

    static int Id(std::int64_t value) {
        return static_cast<int>(std::clamp<std::int64_t>(value, -1000000, 1000000));
    }

    void TakeReport(const TiXmlElement& element) {
        if (m_reportSeen) return;
        m_reportSeen = true;
        m_script.name = Text(element, "szName");
        m_script.description = Text(element, "szDescription");
        std::int64_t start = 0;
        std::int64_t end = 0;
        const bool hasStart = Integer(element, "tStart", start);
        const bool hasEnd = Integer(element, "tEnd", end);
        m_script.hasSpan = hasStart && hasEnd && end >= start;
        m_script.start = start;
        m_script.end = end;
    }

    void TakeAxis(const TiXmlElement& element) {
        ScriptAxis axis;
        std::int64_t id = static_cast<std::int64_t>(m_script.axes.size()) + 1;
        Integer(element, "dwID", id);
        axis.id = Id(id);
        axis.name = Text(element, "szName");
        // The axis limits are written with "." whatever the user's separator.
        const bool hasMinimum = Real(element, "dMin", axis.minimum, '.');
        const bool hasMaximum = Real(element, "dMax", axis.maximum, '.');
        axis.hasRange = hasMinimum && hasMaximum && axis.maximum > axis.minimum;
        if (!Real(element, "dStep", axis.step, '.') || !(axis.step > 0.0)) axis.step = 0.0;
        if (const char* minimum = element.Attribute("dMin")) axis.decimals = Decimals(minimum);
        m_script.axes.push_back(std::move(axis));
    }

    void TakeGroup(const TiXmlElement& element) {
        ScriptGroup group;
        std::int64_t id = static_cast<std::int64_t>(m_script.groups.size()) + 1;
        Integer(element, "id", id);
        group.id = Id(id);
        group.name = Text(element, "name");
        std::int64_t hidden = 0;
        Integer(element, "dwHdn", hidden);
        group.hidden = hidden != 0;
        m_script.groups.push_back(std::move(group));
    }

    void TakeSensor(const TiXmlElement& element) {
        ScriptSensor sensor;
        std::int64_t number = 0;
        Integer(element, "dwID", number);
        sensor.id = Id(number);
        sensor.name = Text(element, "szName");
        number = 0;
        Integer(element, "AxisID", number);
        sensor.axisId = Id(number);
        number = kFallbackColours[m_script.sensors.size() % 10];
        Integer(element, "dwClr", number);
        sensor.colour = static_cast<std::uint32_t>(number) & 0xFFFFFFu;
        number = kDefaultThickness;
        Integer(element, "dwThk", number);
        sensor.thickness = static_cast<int>(std::clamp<std::int64_t>(number, 1, kMaxThickness));
        number = 0;
        Integer(element, "dwHdn", number);
        sensor.hidden = number != 0;
        number = kDefaultPrecision;
        Integer(element, "dwPrecision", number);
        // Precision outside 0-5 shows 3 decimals, as the terminal shows every value.
        sensor.precision =
            number >= 0 && number <= kMaxPrecision ? static_cast<int>(number) : kDefaultPrecision;
        m_script.sensors.push_back(std::move(sensor));
    }

    void TakePoint(const TiXmlElement& element) {
        std::int64_t time = 0;
        double value = 0.0;
        // Both attributes are looked at, so that each unreadable one is noted.
        const bool hasTime = Integer(element, "t", time);
        const bool hasValue = Real(element, "v", value, m_separator);
        if (!hasTime || !hasValue) {
            ++m_script.skippedPoints;
            return;
        }
        ScriptSensor& sensor = m_script.sensors.back();
        sensor.times.push_back(static_cast<double>(time));
        sensor.values.push_back(value);
    }

    void Finish() {
        for (ScriptSensor& sensor : m_script.sensors) {
            SortByTime(sensor);
            if (m_script.FindAxis(sensor.axisId)) continue;
            // A sensor on an axis the script does not have gets an axis of its own number,
            // fitted to the data.
            ScriptAxis axis;
            axis.id = sensor.axisId;
            m_script.axes.push_back(std::move(axis));
        }
    }

    static void SortByTime(ScriptSensor& sensor) {
        if (std::is_sorted(sensor.times.begin(), sensor.times.end())) return;
        std::vector<std::size_t> order(sensor.times.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&sensor](std::size_t a, std::size_t b) {
            return sensor.times[a] < sensor.times[b];
        });
        std::vector<double> times(order.size());
        std::vector<double> values(order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            times[i] = sensor.times[order[i]];
            values[i] = sensor.values[order[i]];
        }
        sensor.times = std::move(times);
        sensor.values = std::move(values);
    }

    std::string_view m_text;
    char m_separator;
    ReadResult& m_result;
    PlotScript& m_script;
    std::size_t m_pos = 0;
    std::size_t m_tagBegin = 0;
    std::size_t m_countedTo = 0;
    int m_countedLines = 1;
    std::string m_tag;
    std::vector<Open> m_stack;
    bool m_rootSeen = false;
    bool m_rootClosed = false;
    bool m_reportSeen = false;
};

}  // namespace

ReadResult GraphScriptReader::ReadFile(const std::string& path) const {
    ReadResult result;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        result.error = ReadError::CannotOpen;
        result.detail = path;
        return result;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        result.error = ReadError::CannotOpen;
        result.detail = path;
        return result;
    }
    if (size > kMaxFileSize) {
        result.error = ReadError::TooLarge;
        result.detail = std::to_string(size);
        return result;
    }
    std::ifstream file(path, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!file || !file.read(text.data(), static_cast<std::streamsize>(size))) {
        result.error = ReadError::CannotOpen;
        result.detail = path;
        return result;
    }
    return ReadText(text);
}

ReadResult GraphScriptReader::ReadText(std::string_view text) const {
    ReadResult result;
    ScriptWalker(text, m_separator, result).Run();
    if (!result.Ok()) result.script = PlotScript{};
    return result;
}

bool GraphScriptReader::ParseInteger(std::string_view text, std::int64_t& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool GraphScriptReader::ParseReal(std::string_view text, char separator, double& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    std::string plain(text);
    const char points[] = {'.', ',', separator, '\0'};
    const std::size_t point = plain.find_first_of(points);
    if (point != std::string::npos) plain[point] = '.';
    double read = 0.0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), read);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

}  // namespace vg28::plotvane
