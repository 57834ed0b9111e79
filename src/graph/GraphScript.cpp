#include "graph/GraphScript.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "platform/NumberText.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/PlugAndPlay.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {

namespace {

// The smoothing constant is a single-precision number in the viewer's convention.
constexpr float kSmoothingConstant = -0.4f;
constexpr double kSmoothingHour = 3600.0;
constexpr double kSmoothingThreshold = 0.001;
constexpr int kUnknownPrecision = 3;
constexpr std::size_t kLongText = 256;
constexpr const char* kUnknownUnits = "Unknown units";
constexpr const char* kMicroSign = "\xC2\xB5";
constexpr const char* kSlotName = "vg28-sensor-slot";
constexpr std::uint32_t kColours[10] = {0xFF0000, 0x800000, 0x808080, 0x000000, 0x0000FF,
                                        0x000080, 0x008000, 0x008080, 0xFF00FF, 0x808000};

// Depth of a "sensor" element: Root, report, sensors.
constexpr int kSensorDepth = 3;

void SetNumber(TiXmlElement& element, const char* name, std::int64_t value) {
    element.SetAttribute(name, std::to_string(value));
}

void Configure(TiXmlPrinter& printer) {
    printer.SetIndent(" ");
    printer.SetLineBreak("\n");
}

// Prints an element as it stands at the given depth of the script: it is wrapped in that many
// ancestors for the printer's indentation, whose own lines are then cut away.
std::string PrintAtDepth(TiXmlElement* element, int depth) {
    TiXmlElement outer("a");
    TiXmlElement* parent = &outer;
    for (int level = 1; level < depth; ++level) {
        parent = parent->LinkEndChild(new TiXmlElement("a"))->ToElement();
    }
    parent->LinkEndChild(element);
    TiXmlPrinter printer;
    Configure(printer);
    outer.Accept(&printer);
    const std::string& text = printer.Str();
    std::size_t begin = 0;
    for (int level = 0; level < depth; ++level)
        begin = text.find('\n', begin) + 1;
    std::size_t end = text.size();
    for (int level = 0; level <= depth; ++level)
        end = text.rfind('\n', end - 1);
    return text.substr(begin, end + 1 - begin);
}

// Splits the printed lines of an element with children into its first line, the lines of its
// children and its last line.
struct ElementLines {
    std::string_view open;
    std::string_view children;
    std::string_view close;
};

ElementLines SplitElement(std::string_view text) {
    const std::size_t firstEnd = text.find('\n') + 1;
    const std::size_t lastBegin = text.rfind('\n', text.size() - 2) + 1;
    return {text.substr(0, firstEnd), text.substr(firstEnd, lastBegin - firstEnd),
            text.substr(lastBegin)};
}

}  // namespace

GraphScript::GraphScript(const CProjectDoc& doc, int type) : m_doc(doc), m_type(type) {
    for (int k = 0; k < kChannelCount; ++k) {
        if (!IsPlotted(doc.setup, k)) continue;
        const std::string_view id = TextOf(doc.setup.sensorIds[k]);
        const SensorRecord* record = doc.Sensors().FindById(id);
        const std::string units = UnitsText(record);
        auto axis = std::find_if(m_axes.begin(), m_axes.end(),
                                 [&](const Axis& a) { return a.name == units; });
        if (axis == m_axes.end()) {
            m_axes.push_back(Axis{units});
            axis = m_axes.end() - 1;
        }
        Sensor sensor;
        sensor.channel = k;
        sensor.axis = static_cast<int>(axis - m_axes.begin());
        sensor.colour = ChannelColour(k);
        if (record) {
            sensor.caption = ScriptText(std::string(TextOf(record->description)) + "-" +
                                        std::string(TextOf(record->id)) + ", " +
                                        std::string(TextOf(record->units)));
            sensor.precision = record->precision;
        } else {
            sensor.caption = ScriptText(id);
            sensor.precision = kUnknownPrecision;
        }
        axis->precision =
            axis->channels.empty() ? sensor.precision : std::max(axis->precision, sensor.precision);
        axis->channels.push_back(k);
        m_sensors.push_back(sensor);
    }
    for (const Sensor& sensor : m_sensors) {
        Axis& axis = m_axes[static_cast<std::size_t>(sensor.axis)];
        ForEachPoint(sensor.channel, [&axis](const Point& point) {
            if (!axis.hasPoints) {
                axis.minimum = axis.maximum = point.value;
                axis.hasPoints = true;
            } else {
                axis.minimum = std::min(axis.minimum, point.value);
                axis.maximum = std::max(axis.maximum, point.value);
            }
        });
    }
}

template <typename Visit>
void GraphScript::ForEachPoint(int channel, Visit&& visit) const {
    bool hasPrevious = false;
    std::int64_t previousTime = 0;
    double previousValue = 0.0;
    for (const MeasurementRecord& record : m_doc.records) {
        if (!IsPlausibleTime(record.time) || !m_doc.IsValueValid(&record, channel)) continue;
        const ChannelValue& cell = record.values[channel];
        const std::int64_t time = ScriptTime(record.time);
        double value = cell.value;
        if (m_type == kSmoothed && hasPrevious) {
            const double weight = 1.0 - static_cast<double>(time - previousTime) / kSmoothingHour;
            const double factor = weight >= kSmoothingThreshold
                                      ? std::exp(static_cast<double>(kSmoothingConstant) * weight)
                                      : 1.0;
            value = previousValue + factor * (value - previousValue);
        }
        hasPrevious = true;
        previousTime = time;
        previousValue = value;
        visit(Point{time, value, cell.precision});
    }
}

TiXmlElement* GraphScript::NewSensorElement(const Sensor& sensor) const {
    auto* element = new TiXmlElement("sensor");
    element->SetAttribute("dwID", sensor.channel + 1);
    element->SetAttribute("szName", sensor.caption);
    element->SetAttribute("AxisID", sensor.axis + 1);
    SetNumber(*element, "dwClr", sensor.colour);
    element->SetAttribute("dwThk", 2);
    element->SetAttribute("dwHdn", 0);
    element->SetAttribute("dwShp", 0);
    element->SetAttribute("dwShpSz", 0);
    element->SetAttribute("dwTotal", 0);
    element->SetAttribute("dwRaw", 0);
    element->SetAttribute("dwPrecision", sensor.precision);
    return element;
}

namespace {

TiXmlElement* NewPointElement(std::int64_t time, double value, int precision) {
    auto* element = new TiXmlElement("d");
    SetNumber(*element, "t", time);
    element->SetAttribute("v", CProjectDoc::FormatCell(ChannelValue{value, precision, 0}, false));
    return element;
}

}  // namespace

void GraphScript::Build(TiXmlDocument& document, bool slots) const {
    document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
    TiXmlElement* root = document.LinkEndChild(new TiXmlElement("Root"))->ToElement();
    TiXmlElement* report = root->LinkEndChild(new TiXmlElement("report"))->ToElement();
    report->SetAttribute("szErr", "");
    report->SetAttribute("dwID", 1);
    report->SetAttribute("dwType", 1);
    report->SetAttribute("szName", "VG-28");
    // The project name is UTF-8 already; a file name that breaks that rule must not make the
    // script malformed XML.
    report->SetAttribute("szDescription", TextCodec::ReplaceInvalidUtf8(m_doc.ProjectName()));
    report->SetAttribute("szRepPath", "");
    SetNumber(*report, "tStart", ScriptTime(m_doc.firstTime));
    SetNumber(*report, "tEnd", ScriptTime(m_doc.lastTime) + 1);
    report->SetAttribute("tStep", m_doc.setup.period);
    report->SetAttribute("dwJob", 0);
    report->SetAttribute("dwVis", 544);

    TiXmlElement* form = report->LinkEndChild(new TiXmlElement("forms"))
                             ->LinkEndChild(new TiXmlElement("form"))
                             ->ToElement();
    form->SetAttribute("name", "Input data using forms");
    form->SetAttribute("url", "");

    TiXmlElement* axes = report->LinkEndChild(new TiXmlElement("axes"))->ToElement();
    axes->LinkEndChild(new TiXmlElement("x-axis"))->ToElement()->SetAttribute("dwZoom", 0);
    TiXmlElement* groups = report->LinkEndChild(new TiXmlElement("sen-groups"))->ToElement();
    for (std::size_t a = 0; a < m_axes.size(); ++a) {
        const Axis& axis = m_axes[a];
        const int number = static_cast<int>(a) + 1;
        // Precision outside 0-5 shows 3 decimals, as every value of the system does.
        const int p = axis.precision >= 0 && axis.precision <= 5 ? axis.precision : 3;
        const double minimum = axis.hasPoints ? axis.minimum : 0.0;
        double maximum = axis.hasPoints ? axis.maximum : 0.0;
        const double least = std::pow(10.0, -p);
        if (maximum - minimum < least) maximum = minimum + 2 * least;
        const double step = std::max(0.2 * std::fabs(maximum - minimum), least);

        TiXmlElement* yAxis = axes->LinkEndChild(new TiXmlElement("y-axis"))->ToElement();
        yAxis->SetAttribute("dwType", 0);
        yAxis->SetAttribute("dwID", number);
        yAxis->SetAttribute("szName", axis.name);
        yAxis->SetAttribute("dMin", DecimalText(minimum, p));
        yAxis->SetAttribute("dMax", DecimalText(maximum, p));
        yAxis->SetAttribute("dStep", DecimalText(step, p));
        yAxis->SetAttribute("dwZoom", 0);

        TiXmlElement* group = groups->LinkEndChild(new TiXmlElement("group"))->ToElement();
        group->SetAttribute("id", number);
        group->SetAttribute("name", axis.name);
        group->SetAttribute("dwHdn", 0);
        for (const int channel : axis.channels) {
            group->LinkEndChild(new TiXmlElement("sen"))
                ->ToElement()
                ->SetAttribute("dwID", channel + 1);
        }
    }

    TiXmlElement* sensors = report->LinkEndChild(new TiXmlElement("sensors"))->ToElement();
    sensors->SetAttribute("AllowEdit", 1);
    sensors->SetAttribute("x", 0);
    sensors->SetAttribute("y", 0);
    sensors->SetAttribute("cx", 707);
    sensors->SetAttribute("cy", 236);
    for (const Sensor& sensor : m_sensors) {
        if (slots) {
            sensors->LinkEndChild(new TiXmlElement(kSlotName));
            continue;
        }
        TiXmlElement* element = sensors->LinkEndChild(NewSensorElement(sensor))->ToElement();
        ForEachPoint(sensor.channel, [element](const Point& point) {
            element->LinkEndChild(NewPointElement(point.time, point.value, point.precision));
        });
    }

    report->LinkEndChild(new TiXmlElement("vert-lines"));
    report->LinkEndChild(new TiXmlElement("horz-lines"));
    TiXmlNode* fertIrrs = report->LinkEndChild(new TiXmlElement("fert-irrs"));
    fertIrrs->LinkEndChild(new TiXmlElement("fertilizers"));
    fertIrrs->LinkEndChild(new TiXmlElement("irrigations"));
}

std::string GraphScript::PrintDocument() const {
    TiXmlDocument document;
    Build(document, false);
    TiXmlPrinter printer;
    Configure(printer);
    document.Accept(&printer);
    return printer.Str();
}

bool GraphScript::Print(const std::function<bool(std::string_view)>& sink,
                        std::size_t batchSize) const {
    if (batchSize == 0) batchSize = 1;
    std::string skeleton;
    {
        TiXmlDocument document;
        Build(document, true);
        TiXmlPrinter printer;
        Configure(printer);
        document.Accept(&printer);
        skeleton = printer.Str();
    }
    const std::string slotLine = PrintAtDepth(new TiXmlElement(kSlotName), kSensorDepth);

    std::size_t done = 0;
    for (const Sensor& sensor : m_sensors) {
        const std::size_t slot = skeleton.find(slotLine, done);
        if (!sink(std::string_view(skeleton).substr(done, slot - done))) return false;
        done = slot + slotLine.size();

        // The sensor's own lines come from its first printed batch; the points go out batch by
        // batch so that only one batch is ever held.
        std::string open;
        std::string close;
        std::unique_ptr<TiXmlElement> batch;
        std::size_t count = 0;
        bool ok = true;
        const auto flush = [&] {
            const std::string text = PrintAtDepth(batch.release(), kSensorDepth);
            const ElementLines lines = SplitElement(text);
            if (open.empty()) {
                open = lines.open;
                close = lines.close;
                ok = sink(open);
            }
            if (ok) ok = sink(lines.children);
            count = 0;
        };
        ForEachPoint(sensor.channel, [&](const Point& point) {
            if (!ok) return;
            if (!batch) batch.reset(NewSensorElement(sensor));
            batch->LinkEndChild(NewPointElement(point.time, point.value, point.precision));
            if (++count == batchSize) flush();
        });
        if (ok && batch) flush();
        if (!ok) return false;
        if (open.empty()) {
            if (!sink(PrintAtDepth(NewSensorElement(sensor), kSensorDepth))) return false;
        } else if (!sink(close)) {
            return false;
        }
    }
    return sink(std::string_view(skeleton).substr(done));
}

bool GraphScript::IsPlotted(const ProjectSetup& setup, int k) {
    if (k < 0 || k >= kChannelCount || k == 13) return false;
    if (IsFreeChannel(TextOf(setup.sensorIds[k]))) return false;
    if (k == 12 || k == 14) return IsPlotted(setup, kSubstrateChannel);
    return true;
}

std::string GraphScript::ScriptPathFor(std::string_view projectPath) {
    constexpr std::string_view kProjectExtension = ".phj";
    std::string path(projectPath);
    // Any letter case: a project file copied from Windows may be named ".PHJ".
    if (path.size() >= kProjectExtension.size() &&
        TextCase::CompareUtf8(std::string_view(path).substr(path.size() - kProjectExtension.size()),
                              kProjectExtension) == 0) {
        path.resize(path.size() - kProjectExtension.size());
    }
    return path + "-ag.xml";
}

bool GraphScript::IsPlausibleTime(const TimeStamp& time) {
    return time.year >= 2000 && time.year <= 3000 && time.month >= 1 && time.month <= 12 &&
           time.day >= 1 && time.day <= 31 && time.hour <= 23 && time.minute <= 59 &&
           time.second <= 59;
}

std::int64_t GraphScript::ScriptTime(const TimeStamp& time) {
    return time.Seconds();
}

std::string GraphScript::ScriptText(std::string_view ansi) {
    if (ansi.size() >= kLongText) return {};
    return TextCodec::Cp1251ToUtf8(ansi);
}

std::string GraphScript::UnitsText(const SensorRecord* sensor) {
    if (!sensor) return kUnknownUnits;
    std::string text = ScriptText(TextOf(sensor->units));
    for (std::size_t at = 0; (at = text.find("micro", at)) != std::string::npos;) {
        text.replace(at, 5, kMicroSign);
        at += 2;
    }
    return text;
}

std::uint32_t GraphScript::ChannelColour(int k) {
    return kColours[((k % 10) + 10) % 10];
}

int WriteGraphScript(const CProjectDoc& doc, int type) {
    if (doc.PathName().empty()) return kFileCannotOpen;
    if (doc.firstTime.year == 0 || doc.lastTime.year == 0) return kFileNoRecords;

    const GraphScript script(doc, type);
    AtomicFile file(GraphScript::ScriptPathFor(doc.PathName()));
    if (!file.Open()) return kFileWriteError;
    constexpr std::size_t kFlushSize = 64 * 1024;
    std::string buffer;
    buffer.reserve(2 * kFlushSize);
    const bool printed = script.Print([&](std::string_view piece) {
        buffer += piece;
        if (buffer.size() < kFlushSize) return true;
        const bool written = file.Write(buffer.data(), buffer.size());
        buffer.clear();
        return written;
    });
    if (!printed || !file.Write(buffer.data(), buffer.size()) || !file.Commit())
        return kFileWriteError;
    return kFileOk;
}

}  // namespace vg28
