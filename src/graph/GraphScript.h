#pragma once
// The graph script: the open project's records as the UTF-8 XML document that the external
// graph viewer reads, written next to the project file (".phj" becomes "-ag.xml"). A GraphScript
// is computed from the document in one pass (plotted channels, axes, their ranges) and then
// printed with TinyXML. Print produces the document piece by piece, one batch of points at a
// time, so the memory it needs does not grow with the number of records; PrintDocument builds
// the whole TinyXML tree and gives the same bytes. Errors are the file operation codes of
// WriteGraphScript; nothing is shown from here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "project/ProjectSetup.h"
#include "project/TimeStamp.h"
#include "sensors/SensorRecord.h"

class TiXmlDocument;
class TiXmlElement;

namespace vg28 {

class CProjectDoc;

class GraphScript {
public:
    static constexpr int kSmoothed = 1;

    struct Axis {
        std::string name;   // units text, UTF-8
        int precision = 0;  // the greatest precision of its channels
        bool hasPoints = false;
        double minimum = 0.0;
        double maximum = 0.0;
        std::vector<int> channels;  // channel indices, ascending
    };

    struct Sensor {
        int channel = 0;
        std::string caption;  // UTF-8
        int axis = 0;         // index into Axes()
        int precision = 3;
        std::uint32_t colour = 0;
    };

    // Collects the plotted channels and their axes and runs through the records once for the
    // axis ranges. type 1 smooths the values, any other type plots them as they are.
    GraphScript(const CProjectDoc& doc, int type);

    const std::vector<Axis>& Axes() const { return m_axes; }
    const std::vector<Sensor>& Sensors() const { return m_sensors; }

    // The script, handed to sink in pieces; false as soon as sink returns false. batchSize is the
    // number of points held in memory at a time.
    bool Print(const std::function<bool(std::string_view)>& sink,
               std::size_t batchSize = 256) const;
    // The script printed from one TinyXML tree holding every point.
    std::string PrintDocument() const;

    // Channel k is plotted when it has a sensor ID that is not "Plug and Play...", it is not 13,
    // and for 12 and 14 channel 11 is plotted.
    static bool IsPlotted(const ProjectSetup& setup, int k);
    // The project path with its ".phj" (in any letter case) replaced by "-ag.xml" ("-ag.xml"
    // appended to any other name, so that the script can never replace the project file).
    static std::string ScriptPathFor(std::string_view projectPath);
    // Year 2000-3000, month 1-12, day 1-31, hour 0-23, minute and second 0-59.
    static bool IsPlausibleTime(const TimeStamp& time);
    // The local wall-clock time of a record counted in seconds since 1970 as if it were UTC.
    static std::int64_t ScriptTime(const TimeStamp& time);
    // A Windows ANSI text in UTF-8; a text of 256 characters or more becomes empty.
    static std::string ScriptText(std::string_view ansi);
    // The axis name of a sensor: its units in UTF-8 with "micro" written as the micro sign;
    // "Unknown units" without a sensor.
    static std::string UnitsText(const SensorRecord* sensor);
    // The colour of a channel, a Windows COLORREF (0x00BBGGRR).
    static std::uint32_t ChannelColour(int k);

private:
    struct Point {
        std::int64_t time;
        double value;
        int precision;
    };

    // Calls visit(point) for every plotted point of one channel, in record order.
    template <typename Visit>
    void ForEachPoint(int channel, Visit&& visit) const;

    // The whole tree; with slots, every "sensor" is replaced by an empty placeholder element
    // that Print fills in later.
    void Build(TiXmlDocument& document, bool slots) const;
    TiXmlElement* NewSensorElement(const Sensor& sensor) const;

    const CProjectDoc& m_doc;
    int m_type;
    std::vector<Axis> m_axes;
    std::vector<Sensor> m_sensors;
};

// Writes the document's graph script: 0 written; 1 the document has no path; 3 the file could
// not be written (an older script then stays as it was); 4 the project has no records.
int WriteGraphScript(const CProjectDoc& doc, int type);

}  // namespace vg28
