#pragma once
// The viewer's window: one chart of a graph script with a time axis in the script's wall-clock
// time, a value axis per script axis and a line per sensor. Legend entries and group buttons
// hide and show sensors; the chart zooms, pans and resets; a readout follows the pointer; the
// chart exports as PNG and SVG. Scripts are read off the GUI thread, and each line is drawn
// from the points its pixels can show, so that millions of points stay responsive. A script
// that cannot be read is reported in the window itself, never by a crash.
//
// The window holds the widgets and wires the parts: ScriptLoader reads and rereads the script,
// ScriptChart builds and draws the chart, and ChartZoom, SensorVisibility and CursorReadout
// are what the operator does with it.

#include <QLabel>
#include <QMainWindow>
#include <QPointF>
#include <QStackedWidget>
#include <QString>
#include <memory>

#include "plotvane/ScriptLoader.h"
#include "plotvane/core/GraphScriptReader.h"
#include "plotvane/core/PlotScript.h"

QT_BEGIN_NAMESPACE
class QAction;
class QChart;
class QLegendMarker;
class QToolBar;
QT_END_NAMESPACE

namespace vg28::plotvane {

class ChartZoom;
class CursorReadout;
class PlotChartView;
class ScriptChart;
class SensorVisibility;

class PlotWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PlotWindow(QWidget* parent = nullptr);
    ~PlotWindow() override;

    // The script's times are wall-clock times counted as if they were UTC; the chart's time
    // axis shows local time, so the viewer's process runs in UTC. Call before any window.
    static void UseScriptTime();

    // Reads path and shows it; ScriptShown follows when it is on screen.
    void OpenScript(const QString& path);
    // Reads the shown script again, keeping hidden sensors and, when zoomed, the view.
    void Reload();
    // Reloads whenever the script file is rewritten (on by default).
    void SetWatchFile(bool watch);

    const QString& ScriptPath() const { return m_loader.Path(); }
    const PlotScript& Script() const;
    bool IsShowingChart() const;
    QString MessageText() const;
    QString NotesText() const;

    // Sensors by their position in the script.
    bool IsSensorVisible(int index) const;
    void SetSensorVisible(int index, bool visible);
    void SetGroupVisible(int groupIndex, bool visible);
    QAction* GroupAction(int groupIndex) const;
    QLegendMarker* LegendMarker(int index) const;
    // Points handed to the chart for a sensor after decimation.
    int DrawnPointCount(int index) const;

    QChart* Chart() const;
    PlotChartView* ChartView() const { return m_view; }
    // The visible time range in script seconds, and a value axis's range.
    QPointF TimeRange() const;
    QPointF ValueRange(int axisIndex) const;
    bool IsZoomed() const;
    void ResetZoom();
    // Redraws the lines for the present ranges at once (normally done after a range change).
    void RedrawNow();

    // The readout for a pointer at a scene position; empty outside the plot area.
    void ShowReadoutAt(QPointF scenePos);
    QString ReadoutText() const;
    // The scene position of a time (seconds) and value on a sensor's axes.
    QPointF ScenePosition(int index, double time, double value) const;

    bool ExportPng(const QString& path);
    bool ExportSvg(const QString& path);

signals:
    // After a read: ok when a chart is shown, false when a message is.
    void ScriptShown(bool ok);

private:
    void Show(ReadResult&& result);
    void ShowMessage(const QString& text);
    void BuildChart(PlotScript&& script);
    void HideReadout();
    void ExportWithDialog(bool svg);
    void OpenWithDialog();

    ScriptLoader m_loader;

    QStackedWidget* m_pages = nullptr;
    PlotChartView* m_view = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_notes = nullptr;
    QToolBar* m_groupBar = nullptr;
    std::unique_ptr<ScriptChart> m_chart;
    std::unique_ptr<CursorReadout> m_readout;
    std::unique_ptr<SensorVisibility> m_visibility;
    std::unique_ptr<ChartZoom> m_zoom;
};

}  // namespace vg28::plotvane
