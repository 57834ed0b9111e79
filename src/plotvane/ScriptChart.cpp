#include "plotvane/ScriptChart.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QList>
#include <QLocale>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "plotvane/PlotChartView.h"
#include "plotvane/ScriptToQt.h"
#include "plotvane/core/PointDecimator.h"

namespace vg28::plotvane {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kHalfHour = 1800.0;
constexpr double kValuePadding = 0.05;
constexpr int kPixelsPerTimeTick = 120;
constexpr int kMaxTimeTicks = 10;
constexpr int kAxesWidth = 200;
constexpr double kMinValueTicks = 2.0;
constexpr double kMaxValueTicks = 20.0;
constexpr int kMaxLabelDecimals = 8;

QDateTime AtSeconds(double seconds) {
    return QDateTime::fromMSecsSinceEpoch(qint64(seconds * kMillisecondsPerSecond));
}

// A step of 1, 2 or 5 times a power of ten giving about five ticks over range.
double NiceStep(double range) {
    const double raw = range / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double share = raw / power;
    return (share < 1.5 ? 1.0 : share < 3.5 ? 2.0 : share < 7.5 ? 5.0 : 10.0) * power;
}

// Widens [first, last] to whole multiples of a round time step that gives at most maxTicks
// ticks, so that the whole view is labelled at round times; returns the tick count.
int RoundTimeRange(double& first, double& last, int maxTicks) {
    static constexpr double kSteps[] = {60,     120,    300,    600,     900,    1800,
                                        3600,   7200,   10800,  21600,   43200,  86400,
                                        172800, 345600, 604800, 1209600, 2419200};
    const double span = last - first;
    const int intervals = std::max(1, maxTicks - 1);
    double step = 0.0;
    for (const double candidate : kSteps) {
        if (span / candidate <= intervals) {
            step = candidate;
            break;
        }
    }
    // Months and years are not widened to whole steps: that could add a fifth of the span.
    if (step == 0.0) return intervals + 1;
    first = std::floor(first / step) * step;
    last = std::ceil(last / step) * step;
    if (last <= first) last = first + step;
    return static_cast<int>(std::lround((last - first) / step)) + 1;
}

}  // namespace

ScriptChart::ScriptChart(PlotChartView* view) : m_view(view) {}

void ScriptChart::Build(PlotScript&& script) {
    m_script = std::move(script);
    // setChart releases the chart it replaces (the first time, the view's own default one).
    QChart* old = m_view->chart();
    m_chart = new QChart();
    m_chart->setLocalizeNumbers(true);
    m_chart->setLocale(QLocale());
    m_chart->setTitle(Utf8(m_script.description));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->legend()->setShowToolTips(true);

    m_timeAxis = new QDateTimeAxis();
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_valueAxes.clear();
    for (std::size_t a = 0; a < m_script.axes.size(); ++a) {
        auto* axis = new QValueAxis();
        axis->setTitleText(Utf8(m_script.axes[a].name));
        m_chart->addAxis(axis, a % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
        m_valueAxes.push_back(axis);
    }

    m_series.clear();
    m_sensorAxis.clear();
    for (std::size_t i = 0; i < m_script.sensors.size(); ++i) {
        const ScriptSensor& sensor = m_script.sensors[i];
        auto* series = new QLineSeries();
        series->setName(Utf8(sensor.name));
        QPen pen(ColourOf(sensor.colour));
        pen.setWidth(sensor.thickness);
        series->setPen(pen);
        m_chart->addSeries(series);
        std::size_t axis = 0;
        while (axis < m_script.axes.size() && m_script.axes[axis].id != sensor.axisId)
            ++axis;
        series->attachAxis(m_timeAxis);
        series->attachAxis(m_valueAxes[axis]);
        m_series.push_back(series);
        m_sensorAxis.push_back(static_cast<int>(axis));
    }

    m_view->setChart(m_chart);
    delete old;
}

void ScriptChart::MeasureFullRanges(int windowWidth) {
    double first = 0.0;
    double last = 0.0;
    bool any = false;
    for (const ScriptSensor& sensor : m_script.sensors) {
        if (sensor.times.empty()) continue;
        first = any ? std::min(first, sensor.times.front()) : sensor.times.front();
        last = any ? std::max(last, sensor.times.back()) : sensor.times.back();
        any = true;
    }
    if (!any && m_script.hasSpan) {
        first = static_cast<double>(m_script.start);
        last = static_cast<double>(m_script.end);
        any = true;
    }
    if (!any) first = last = std::floor(QDateTime::currentSecsSinceEpoch() / kHalfHour) * kHalfHour;
    if (last <= first) {
        first -= kHalfHour;
        last += kHalfHour;
    }
    // The chart may not be laid out yet; the window's width is near enough.
    const int width = std::max(m_view->width(), windowWidth - kAxesWidth);
    m_fullTimeTicks =
        RoundTimeRange(first, last, std::clamp(width / kPixelsPerTimeTick, 2, kMaxTimeTicks));
    m_fullTime = {first, last};

    m_fullValues.clear();
    for (std::size_t a = 0; a < m_script.axes.size(); ++a) {
        const ScriptAxis& axis = m_script.axes[a];
        AxisRange range{axis.minimum, axis.maximum};
        if (!axis.hasRange) {
            bool found = false;
            for (std::size_t i = 0; i < m_script.sensors.size(); ++i) {
                if (m_sensorAxis[i] != static_cast<int>(a)) continue;
                for (const double value : m_script.sensors[i].values) {
                    range.minimum = found ? std::min(range.minimum, value) : value;
                    range.maximum = found ? std::max(range.maximum, value) : value;
                    found = true;
                }
            }
            if (!found) range = {0.0, 1.0};
            const double pad = std::max((range.maximum - range.minimum) * kValuePadding, 0.5);
            if (range.maximum - range.minimum < 1e-12 || !found) {
                range.minimum -= pad;
                range.maximum += pad;
            } else {
                range.minimum -= (range.maximum - range.minimum) * kValuePadding;
                range.maximum += (range.maximum - range.minimum) * kValuePadding;
            }
        }
        m_fullValues.push_back(range);
    }
}

void ScriptChart::ShowFullRanges() {
    m_timeAxis->setRange(AtSeconds(m_fullTime.minimum), AtSeconds(m_fullTime.maximum));
    for (std::size_t a = 0; a < m_valueAxes.size(); ++a)
        m_valueAxes[a]->setRange(m_fullValues[a].minimum, m_fullValues[a].maximum);
}

void ScriptChart::SetTimeRange(QPointF seconds) {
    m_timeAxis->setRange(AtSeconds(seconds.x()), AtSeconds(seconds.y()));
}

void ScriptChart::SetValueRange(std::size_t axis, QPointF range) {
    m_valueAxes[axis]->setRange(range.x(), range.y());
}

void ScriptChart::Redraw(bool zoomed) {
    if (!m_chart) return;
    const QPointF time = TimeRange();
    const int columns = std::max(1, static_cast<int>(m_chart->plotArea().width()));
    std::vector<PlotPoint> points;
    QList<QPointF> drawn;
    for (std::size_t i = 0; i < m_series.size(); ++i) {
        const ScriptSensor& sensor = m_script.sensors[i];
        PointDecimator::Decimate(sensor.times, sensor.values, time.x(), time.y(), columns, points);
        drawn.clear();
        drawn.reserve(static_cast<qsizetype>(points.size()));
        for (const PlotPoint& point : points)
            drawn.append(QPointF(point.x * kMillisecondsPerSecond, point.y));
        m_series[i]->replace(drawn);
    }
    UpdateTicks(zoomed);
}

void ScriptChart::UpdateTicks(bool zoomed) {
    const QPointF time = TimeRange();
    const double span = time.y() - time.x();
    const int width = static_cast<int>(m_chart->plotArea().width());
    // The whole view has round tick times; a zoomed one as many ticks as fit.
    m_timeAxis->setTickCount(zoomed ? std::clamp(width / kPixelsPerTimeTick, 2, kMaxTimeTicks)
                                    : m_fullTimeTicks);
    m_timeAxis->setFormat(span >= 60 * 86400.0  ? QStringLiteral("dd.MM.yy")
                          : span >= 2 * 86400.0 ? QStringLiteral("dd.MM.yy hh:mm")
                          : span >= 600.0       ? QStringLiteral("dd.MM hh:mm")
                                                : QStringLiteral("hh:mm:ss"));
    for (std::size_t a = 0; a < m_valueAxes.size(); ++a) {
        QValueAxis* axis = m_valueAxes[a];
        const ScriptAxis& script = m_script.axes[a];
        const double range = axis->max() - axis->min();
        if (!(range > 0.0)) continue;
        double step = script.step;
        if (!(step > 0.0) || range / step < kMinValueTicks || range / step > kMaxValueTicks)
            step = NiceStep(range);
        const int decimals =
            std::clamp(std::max(script.hasRange ? script.decimals : 0,
                                static_cast<int>(std::ceil(-std::log10(step) - 1e-9))),
                       0, kMaxLabelDecimals);
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(script.hasRange ? script.minimum : 0.0);
        axis->setTickInterval(step);
        axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    }
}

QLegendMarker* ScriptChart::LegendMarker(int index) const {
    if (!m_chart || index < 0 || index >= static_cast<int>(m_series.size())) return nullptr;
    const QList<QLegendMarker*> markers =
        m_chart->legend()->markers(m_series[static_cast<std::size_t>(index)]);
    return markers.isEmpty() ? nullptr : markers.front();
}

int ScriptChart::DrawnPointCount(int index) const {
    if (index < 0 || index >= static_cast<int>(m_series.size())) return 0;
    return static_cast<int>(m_series[static_cast<std::size_t>(index)]->count());
}

QPointF ScriptChart::TimeRange() const {
    if (!m_timeAxis) return {m_fullTime.minimum, m_fullTime.maximum};
    return {m_timeAxis->min().toMSecsSinceEpoch() / kMillisecondsPerSecond,
            m_timeAxis->max().toMSecsSinceEpoch() / kMillisecondsPerSecond};
}

QPointF ScriptChart::ValueRange(int axisIndex) const {
    if (axisIndex < 0 || axisIndex >= static_cast<int>(m_valueAxes.size())) return {};
    const QValueAxis* axis = m_valueAxes[static_cast<std::size_t>(axisIndex)];
    return {axis->min(), axis->max()};
}

double ScriptChart::TimeAt(QPointF scenePos) const {
    return m_chart->mapToValue(scenePos, m_series.front()).x() / kMillisecondsPerSecond;
}

QPointF ScriptChart::ScenePosition(int index, double time, double value) const {
    if (!m_chart || index < 0 || index >= static_cast<int>(m_series.size())) return {};
    return m_chart->mapToPosition(QPointF(time * kMillisecondsPerSecond, value),
                                  m_series[static_cast<std::size_t>(index)]);
}

}  // namespace vg28::plotvane
