#pragma once
// What the viewer draws, as read from a graph script: the value axes, the sensors with their
// points and the groups that hide and show together. Plain values owned by whoever holds the
// PlotScript; GraphScriptReader fills it. Times are the script's seconds (local wall-clock time
// counted as if it were UTC).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vg28::plotvane {

struct ScriptAxis {
    int id = 0;
    std::string name;  // UTF-8 units text
    // dMin, dMax, dStep as written; without a usable range the viewer fits the axis to its data.
    bool hasRange = false;
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 0.0;  // 0: no usable step
    int decimals = 0;   // decimals of "dMin" as written
};

struct ScriptSensor {
    int id = 0;
    std::string name;  // UTF-8 caption
    int axisId = 0;
    std::uint32_t colour = 0;  // Windows COLORREF, 0x00BBGGRR
    int thickness = 2;
    bool hidden = false;
    int precision = 3;
    // Points in ascending time (the order of the script when it is already ascending).
    std::vector<double> times;
    std::vector<double> values;
};

struct ScriptGroup {
    int id = 0;
    std::string name;
    bool hidden = false;
    std::vector<int> sensorIds;
};

// Something in the script that was left out or replaced by a default, with its line.
struct ScriptIssue {
    int line = 0;
    std::string element;
    std::string attribute;
    std::string value;  // the text found; empty when the attribute is absent
    bool missing = false;
};

struct PlotScript {
    std::string name;         // "szName" of the report
    std::string description;  // the project name
    bool hasSpan = false;     // "tStart" and "tEnd" were both readable
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::vector<ScriptAxis> axes;
    std::vector<ScriptGroup> groups;
    std::vector<ScriptSensor> sensors;

    // Every issue counts; only the first kKeptIssues are kept with their details.
    static constexpr std::size_t kKeptIssues = 20;
    std::size_t issueCount = 0;
    std::size_t skippedPoints = 0;
    std::vector<ScriptIssue> issues;

    std::size_t PointCount() const;
    const ScriptAxis* FindAxis(int id) const;
};

}  // namespace vg28::plotvane
