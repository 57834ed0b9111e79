#pragma once
// The chart area of the viewer: a QChartView that zooms with the mouse wheel (time; values with
// Shift) and a dragged rectangle, pans with the right or middle button and the arrow keys, and
// tells the window where the pointer is for the cursor readout. The chart belongs to the view;
// nothing here fails (without a chart the gestures do nothing).

#include <QChartView>
#include <QPoint>
#include <QPointF>

namespace vg28::plotvane {

class PlotChartView : public QChartView {
    Q_OBJECT
public:
    explicit PlotChartView(QWidget* parent = nullptr);

    // Zooms about a point of the scene: factor < 1 zooms in. values: the value axes, else time.
    void ZoomAt(QPointF scenePos, double factor, bool values);
    // Moves the view by pixels; positive dx shows later times, positive dy higher values.
    void Pan(double dx, double dy);

signals:
    void PointerMoved(QPointF scenePos);
    void PointerLeft();
    void ResetRequested();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_panning = false;
    QPoint m_panFrom;
};

}  // namespace vg28::plotvane
