#pragma once
// Which part of the script the chart shows: the whole script after Reset, else the ranges the
// operator zoomed or panned to (the gestures are PlotChartView's; any range change not set here
// counts as zoomed). Every range change redraws the lines once control is back in the event
// loop, so that a burst of changes draws once. A reload keeps a zoomed view: Keep before the
// chart is rebuilt, Restore after. Without a chart nothing happens.

#include <QHash>
#include <QObject>
#include <QPointF>
#include <QTimer>

namespace vg28::plotvane {

class ScriptChart;

class ChartZoom : public QObject {
    Q_OBJECT
public:
    // The ranges of a zoomed view, values by the script's axis id.
    struct KeptView {
        bool zoomed = false;
        QPointF time;
        QHash<int, QPointF> valuesByAxisId;
    };

    explicit ChartZoom(ScriptChart& chart, QObject* parent = nullptr);

    // Follows the range changes of the chart just built.
    void Follow();
    // The whole script.
    void Reset();
    bool IsZoomed() const { return m_zoomed; }
    KeptView Keep() const;
    // Shows a kept zoomed view again on the chart just built (values of the axes still there).
    void Restore(const KeptView& view);

    void ScheduleRedraw();
    void RedrawNow();

signals:
    // The time or a value range changed, by the operator or by Reset and Restore.
    void RangeChanged();

private:
    void OnRangeChanged();

    ScriptChart& m_chart;
    bool m_zoomed = false;
    bool m_settingRanges = false;
    QTimer m_redraw;
};

}  // namespace vg28::plotvane
