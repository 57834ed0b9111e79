#include "plotvane/PlotChartView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

namespace vg28::plotvane {

namespace {

constexpr double kWheelZoom = 0.8;  // per notch of the wheel
constexpr double kKeyPanShare = 0.1;
constexpr double kWheelNotch = 120.0;

}  // namespace

PlotChartView::PlotChartView(QWidget* parent) : QChartView(parent) {
    setRubberBand(QChartView::RectangleRubberBand);
    setRenderHint(QPainter::Antialiasing, true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void PlotChartView::ZoomAt(QPointF scenePos, double factor, bool values) {
    if (!chart() || !(factor > 0.0)) return;
    const QRectF area = chart()->plotArea();
    QRectF zoomed = area;
    if (values) {
        const double top = scenePos.y() - (scenePos.y() - area.top()) * factor;
        zoomed = QRectF(area.left(), top, area.width(), area.height() * factor);
    } else {
        const double left = scenePos.x() - (scenePos.x() - area.left()) * factor;
        zoomed = QRectF(left, area.top(), area.width() * factor, area.height());
    }
    chart()->zoomIn(zoomed);
}

void PlotChartView::Pan(double dx, double dy) {
    if (chart()) chart()->scroll(dx, dy);
}

void PlotChartView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / kWheelNotch;
    if (notches == 0.0 || !chart()) {
        event->ignore();
        return;
    }
    const QPointF scenePos = mapToScene(event->position().toPoint());
    ZoomAt(scenePos, std::pow(kWheelZoom, notches), event->modifiers() & Qt::ShiftModifier);
    event->accept();
}

void PlotChartView::mousePressEvent(QMouseEvent* event) {
    // The right and middle buttons pan; the left one drags the zoom rectangle.
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        m_panning = true;
        m_panFrom = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}

void PlotChartView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_panning) {
        const QPoint delta = at - m_panFrom;
        m_panFrom = at;
        Pan(-delta.x(), delta.y());
        event->accept();
    } else {
        QChartView::mouseMoveEvent(event);
    }
    emit PointerMoved(mapToScene(at));
}

void PlotChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton) {
        // Handled here: the chart view would otherwise zoom out on a right click.
        m_panning = false;
        unsetCursor();
        event->accept();
        return;
    }
    QChartView::mouseReleaseEvent(event);
}

void PlotChartView::leaveEvent(QEvent* event) {
    emit PointerLeft();
    QChartView::leaveEvent(event);
}

void PlotChartView::keyPressEvent(QKeyEvent* event) {
    if (!chart()) {
        QChartView::keyPressEvent(event);
        return;
    }
    const QRectF area = chart()->plotArea();
    switch (event->key()) {
        case Qt::Key_Left:
            Pan(-area.width() * kKeyPanShare, 0.0);
            break;
        case Qt::Key_Right:
            Pan(area.width() * kKeyPanShare, 0.0);
            break;
        case Qt::Key_Up:
            Pan(0.0, area.height() * kKeyPanShare);
            break;
        case Qt::Key_Down:
            Pan(0.0, -area.height() * kKeyPanShare);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomAt(area.center(), kWheelZoom, event->modifiers() & Qt::ShiftModifier);
            break;
        case Qt::Key_Minus:
            ZoomAt(area.center(), 1.0 / kWheelZoom, event->modifiers() & Qt::ShiftModifier);
            break;
        case Qt::Key_Home:
            emit ResetRequested();
            break;
        default:
            QChartView::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace vg28::plotvane
