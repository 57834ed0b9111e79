#pragma once
// The readout that follows the pointer over the chart: a dashed line at the pointer's time and,
// beside the pointer, a box with that time and each visible sensor's value there (the point
// nearest in time, in the user's number format; "—" outside the sensor's points). The box is a
// child of the view, the line an item of the chart (a new chart needs AddCursorLine). Hide is
// called whenever what the readout shows may be out of date.

#include <QPointF>
#include <QString>

QT_BEGIN_NAMESPACE
class QGraphicsLineItem;
class QLabel;
QT_END_NAMESPACE

namespace vg28::plotvane {

class PlotChartView;
class ScriptChart;

class CursorReadout {
public:
    CursorReadout(const ScriptChart& chart, PlotChartView* view);

    // Puts the cursor line into the chart just built (the chart before took its own along).
    void AddCursorLine();
    // The readout for a pointer at a scene position; hidden outside the plot area.
    void ShowAt(QPointF scenePos);
    void Hide();
    // What the box shows, as plain text; empty while hidden.
    const QString& Text() const { return m_plain; }

private:
    const ScriptChart& m_chart;
    PlotChartView* m_view;
    QLabel* m_box;
    QGraphicsLineItem* m_cursorLine = nullptr;
    QString m_plain;
};

}  // namespace vg28::plotvane
