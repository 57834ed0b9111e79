#include "ui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>

#include "session/CommandIds.h"

namespace vg28::ui {

namespace {

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kGreen(20, 140, 40);
const QColor kRed(210, 30, 30);
const QColor kYellow(240, 200, 60);

void DrawFolder(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(kYellow);
    p.drawRect(1, 4, 13, 9);
    p.drawRect(1, 2, 5, 2);
}

void DrawEdit(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawRect(2, 1, 9, 12);
    p.drawLine(4, 4, 9, 4);
    p.drawLine(4, 7, 9, 7);
    p.setPen(QPen(kBlue, 2));
    p.drawLine(14, 4, 8, 12);
}

void DrawSensor(QPainter& p) {
    // A thermometer: the sensor database.
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawRoundedRect(6, 1, 4, 10, 2, 2);
    p.setBrush(kRed);
    p.drawEllipse(4, 9, 7, 5);
    p.drawLine(8, 5, 8, 10);
}

void DrawPanel(QPainter& p) {
    // A dial: the control panel.
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawEllipse(1, 1, 13, 13);
    p.setPen(QPen(kRed, 2));
    p.drawLine(8, 8, 11, 4);
    p.setPen(kInk);
    p.drawPoint(4, 7);
    p.drawPoint(8, 3);
}

void DrawTable(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 11);
    p.fillRect(2, 3, 12, 2, QColor(190, 190, 190));
    p.drawLine(1, 5, 14, 5);
    p.drawLine(1, 9, 14, 9);
    p.drawLine(5, 2, 5, 13);
    p.drawLine(10, 2, 10, 13);
}

void DrawCurrent(QPainter& p) {
    // A live wave: current readings.
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 13, 12);
    p.setPen(QPen(kGreen, 2));
    QPainterPath wave;
    wave.moveTo(2, 8);
    wave.cubicTo(5, 1, 8, 14, 13, 5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

void DrawLastRecord(QPainter& p) {
    // A table with its last row marked.
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 13, 12);
    p.drawLine(1, 4, 14, 4);
    p.drawLine(1, 7, 14, 7);
    p.fillRect(2, 10, 12, 3, kBlue);
}

void DrawSync(QPainter& p) {
    // Two arrows between the PC and the instrument.
    p.setPen(QPen(kBlue, 2));
    p.drawLine(2, 4, 12, 4);
    p.drawLine(3, 10, 13, 10);
    p.setBrush(kBlue);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygon({QPoint(15, 4), QPoint(10, 0), QPoint(10, 8)}));
    p.drawPolygon(QPolygon({QPoint(0, 10), QPoint(5, 6), QPoint(5, 14)}));
}

void DrawDownload(QPainter& p) {
    p.setPen(QPen(kGreen, 2));
    p.drawLine(8, 1, 8, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(13, 7), QPoint(8, 12)}));
    p.setPen(kInk);
    p.drawLine(1, 13, 14, 13);
}

void DrawClock(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawEllipse(1, 1, 13, 13);
    p.drawLine(7, 7, 7, 3);
    p.drawLine(7, 7, 10, 9);
}

void DrawView(QPainter& p) {
    // An eye: view mode.
    p.setPen(kInk);
    p.setBrush(Qt::white);
    p.drawEllipse(1, 4, 14, 7);
    p.setBrush(kBlue);
    p.drawEllipse(6, 5, 5, 5);
}

void DrawRecord(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(kRed);
    p.drawEllipse(2, 2, 11, 11);
}

void DrawStop(QPainter& p) {
    p.setPen(kInk);
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(3, 3, 9, 9);
}

void DrawGraph(QPainter& p) {
    p.setPen(kInk);
    p.drawLine(1, 1, 1, 13);
    p.drawLine(1, 13, 15, 13);
    p.setPen(QPen(kRed, 2));
    p.drawPolyline(QPolygon({QPoint(3, 10), QPoint(6, 5), QPoint(9, 8), QPoint(14, 2)}));
}

}  // namespace

QIcon ToolbarIcons::ForCommand(int id) {
    void (*draw)(QPainter&) = nullptr;
    switch (id) {
        case cmd::kChooseProject:
            draw = DrawFolder;
            break;
        case cmd::kEditProject:
            draw = DrawEdit;
            break;
        case cmd::kSensorDatabase:
            draw = DrawSensor;
            break;
        case cmd::kShowControlPanel:
            draw = DrawPanel;
            break;
        case cmd::kShowRecordTable:
            draw = DrawTable;
            break;
        case cmd::kPanelCurrent:
            draw = DrawCurrent;
            break;
        case cmd::kPanelLastRecord:
            draw = DrawLastRecord;
            break;
        case cmd::kConnect:
            draw = DrawSync;
            break;
        case cmd::kDownload:
            draw = DrawDownload;
            break;
        case cmd::kTimeSync:
            draw = DrawClock;
            break;
        case cmd::kModeView:
            draw = DrawView;
            break;
        case cmd::kModeRecord:
            draw = DrawRecord;
            break;
        case cmd::kModeStop:
            draw = DrawStop;
            break;
        case cmd::kDataViewer:
            draw = DrawGraph;
            break;
        default:
            return {};
    }
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

QPixmap ToolbarIcons::GraphTypePicture(int type) {
    QPixmap pixmap(64, 48);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kInk);
    p.drawRect(0, 0, 63, 47);
    p.drawLine(6, 4, 6, 42);
    p.drawLine(6, 42, 60, 42);
    p.setPen(QPen(type == 0 ? kRed : kBlue, 2));
    if (type == 0) {
        p.drawPolyline(
            QPolygon({QPoint(8, 30), QPoint(14, 12), QPoint(20, 34), QPoint(27, 16), QPoint(33, 30),
                      QPoint(40, 8), QPoint(47, 28), QPoint(53, 14), QPoint(58, 22)}));
    } else {
        QPainterPath curve;
        curve.moveTo(8, 30);
        curve.cubicTo(22, 10, 36, 34, 58, 14);
        p.drawPath(curve);
    }
    return pixmap;
}

QIcon ToolbarIcons::ProgramIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGreen.darker(), 2));
    p.setBrush(kGreen);
    QPainterPath leaf;
    leaf.moveTo(16, 30);
    leaf.cubicTo(2, 20, 6, 6, 16, 2);
    leaf.cubicTo(26, 6, 30, 20, 16, 30);
    p.drawPath(leaf);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(16, 28, 16, 8);
    return QIcon(pixmap);
}

}  // namespace vg28::ui
