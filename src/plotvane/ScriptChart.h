#pragma once
// The chart of one graph script: a time axis in the script's wall-clock time, a value axis per
// script axis (left and right in turn) and a line per sensor in its colour and width. Build
// makes the chart and hands it to the view, which owns it; each line is then drawn from the
// points its pixels can show for the present ranges. Times here are script seconds (the chart
// counts milliseconds). Nothing fails: before the first Build there is no chart, and the
// queries answer empty.

#include <QPointF>
#include <cstddef>
#include <vector>

#include "plotvane/core/PlotScript.h"

QT_BEGIN_NAMESPACE
class QChart;
class QDateTimeAxis;
class QLegendMarker;
class QLineSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace vg28::plotvane {

class PlotChartView;

class ScriptChart {
public:
    explicit ScriptChart(PlotChartView* view);

    // Replaces the view's chart by one for script (the view releases the chart before).
    void Build(PlotScript&& script);
    // The whole script's ranges for a window about windowWidth pixels wide: the time widened
    // to round ticks, each value axis its own range or its points' with a margin.
    void MeasureFullRanges(int windowWidth);
    void ShowFullRanges();
    void SetTimeRange(QPointF seconds);
    void SetValueRange(std::size_t axis, QPointF range);
    // Draws the lines for the present ranges and labels the axes: round ticks over the whole
    // time, as many ticks as fit when zoomed.
    void Redraw(bool zoomed);

    bool IsBuilt() const { return m_chart != nullptr; }
    const PlotScript& Script() const { return m_script; }
    QChart* Chart() const { return m_chart; }
    QDateTimeAxis* TimeAxis() const { return m_timeAxis; }
    // By position of the script's axes and sensors.
    const std::vector<QValueAxis*>& ValueAxes() const { return m_valueAxes; }
    const std::vector<QLineSeries*>& Lines() const { return m_series; }
    int AxisOf(std::size_t sensor) const { return m_sensorAxis[sensor]; }

    QLegendMarker* LegendMarker(int index) const;
    int DrawnPointCount(int index) const;
    QPointF TimeRange() const;
    QPointF ValueRange(int axisIndex) const;
    // The time (seconds) at a scene position; the scene position of a time and value on a
    // sensor's axes.
    double TimeAt(QPointF scenePos) const;
    QPointF ScenePosition(int index, double time, double value) const;

private:
    struct AxisRange {
        double minimum;
        double maximum;
    };

    void UpdateTicks(bool zoomed);

    PlotChartView* m_view;
    PlotScript m_script;
    QChart* m_chart = nullptr;
    QDateTimeAxis* m_timeAxis = nullptr;
    std::vector<QValueAxis*> m_valueAxes;  // by position of the script's axes
    std::vector<QLineSeries*> m_series;    // by position of the script's sensors
    std::vector<int> m_sensorAxis;         // sensor position -> axis position

    AxisRange m_fullTime{0.0, 1.0};  // seconds
    int m_fullTimeTicks = 2;
    std::vector<AxisRange> m_fullValues;
};

}  // namespace vg28::plotvane
