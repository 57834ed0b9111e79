#include "plotvane/CursorReadout.h"

#include <QChart>
#include <QDateTime>
#include <QGraphicsLineItem>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPen>
#include <QStringList>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

#include "plotvane/PlotChartView.h"
#include "plotvane/ScriptChart.h"
#include "plotvane/ScriptToQt.h"
#include "plotvane/core/PointDecimator.h"

namespace vg28::plotvane {

CursorReadout::CursorReadout(const ScriptChart& chart, PlotChartView* view)
    : m_chart(chart), m_view(view), m_box(new QLabel(view)) {
    m_box->setObjectName(QStringLiteral("readout"));
    m_box->setTextFormat(Qt::RichText);
    m_box->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_box->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(255,255,255,225); border: 1px solid #999; padding: 4px; }"));
    m_box->hide();
}

void CursorReadout::AddCursorLine() {
    m_cursorLine = new QGraphicsLineItem(m_chart.Chart());
    m_cursorLine->setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    m_cursorLine->setZValue(1000);
    m_cursorLine->hide();
}

void CursorReadout::ShowAt(QPointF scenePos) {
    const std::vector<QLineSeries*>& lines = m_chart.Lines();
    if (!m_chart.IsBuilt() || lines.empty() || !m_chart.Chart()->plotArea().contains(scenePos)) {
        Hide();
        return;
    }
    const double time = m_chart.TimeAt(scenePos);
    const QLocale locale;
    const QString when = QDateTime::fromSecsSinceEpoch(std::llround(time), QTimeZone::utc())
                             .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    QStringList rich{QStringLiteral("<b>%1</b>").arg(when)};
    QStringList plain{when};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i]->isVisible()) continue;
        const ScriptSensor& sensor = m_chart.Script().sensors[i];
        QString value = QStringLiteral("\u2014");
        if (!sensor.times.empty() && time >= sensor.times.front() && time <= sensor.times.back()) {
            const std::size_t at = PointDecimator::Nearest(sensor.times, time);
            value = locale.toString(sensor.values[at], 'f', sensor.precision);
        }
        const QString name = Utf8(sensor.name);
        plain << QStringLiteral("%1: %2").arg(name, value);
        rich << QStringLiteral("<span style=\"color:%1\">&#9632;</span> %2: <b>%3</b>")
                    .arg(ColourOf(sensor.colour).name(), name.toHtmlEscaped(), value);
    }
    m_plain = plain.join(QLatin1Char('\n'));
    m_box->setText(rich.join(QStringLiteral("<br>")));
    m_box->adjustSize();

    const QPointF local = m_chart.Chart()->mapFromScene(scenePos);
    const QRectF area = m_chart.Chart()->plotArea();
    m_cursorLine->setLine(local.x(), area.top(), local.x(), area.bottom());
    m_cursorLine->show();

    const QPoint at = m_view->mapFromScene(scenePos);
    QPoint place = at + QPoint(16, 16);
    if (place.x() + m_box->width() > m_view->width()) place.rx() = at.x() - 16 - m_box->width();
    if (place.y() + m_box->height() > m_view->height())
        place.ry() = std::max(0, m_view->height() - m_box->height());
    m_box->move(std::max(0, place.x()), place.y());
    m_box->show();
    m_box->raise();
}

void CursorReadout::Hide() {
    m_plain.clear();
    m_box->hide();
    if (m_cursorLine) m_cursorLine->hide();
}

}  // namespace vg28::plotvane
