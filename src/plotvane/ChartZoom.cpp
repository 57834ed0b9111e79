#include "plotvane/ChartZoom.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QValueAxis>
#include <cstddef>

#include "plotvane/ScriptChart.h"

namespace vg28::plotvane {

ChartZoom::ChartZoom(ScriptChart& chart, QObject* parent) : QObject(parent), m_chart(chart) {
    m_redraw.setSingleShot(true);
    m_redraw.setInterval(0);
    connect(&m_redraw, &QTimer::timeout, this, &ChartZoom::RedrawNow);
}

void ChartZoom::Follow() {
    connect(m_chart.TimeAxis(), &QDateTimeAxis::rangeChanged, this, &ChartZoom::OnRangeChanged);
    for (QValueAxis* axis : m_chart.ValueAxes())
        connect(axis, &QValueAxis::rangeChanged, this, &ChartZoom::OnRangeChanged);
    connect(m_chart.Chart(), &QChart::plotAreaChanged, this, &ChartZoom::ScheduleRedraw);
}

void ChartZoom::Reset() {
    if (!m_chart.IsBuilt()) return;
    m_settingRanges = true;
    m_chart.ShowFullRanges();
    m_settingRanges = false;
    m_zoomed = false;
    ScheduleRedraw();
}

ChartZoom::KeptView ChartZoom::Keep() const {
    KeptView view;
    view.zoomed = m_zoomed && m_chart.IsBuilt();
    if (!view.zoomed) return view;
    view.time = m_chart.TimeRange();
    const PlotScript& script = m_chart.Script();
    for (std::size_t a = 0; a < m_chart.ValueAxes().size() && a < script.axes.size(); ++a)
        view.valuesByAxisId.insert(script.axes[a].id, m_chart.ValueRange(static_cast<int>(a)));
    return view;
}

void ChartZoom::Restore(const KeptView& view) {
    if (!view.zoomed) return;
    m_settingRanges = true;
    m_chart.SetTimeRange(view.time);
    const PlotScript& script = m_chart.Script();
    for (std::size_t a = 0; a < m_chart.ValueAxes().size(); ++a) {
        const auto kept = view.valuesByAxisId.constFind(script.axes[a].id);
        if (kept != view.valuesByAxisId.constEnd()) m_chart.SetValueRange(a, *kept);
    }
    m_settingRanges = false;
    m_zoomed = true;
}

void ChartZoom::OnRangeChanged() {
    if (!m_settingRanges) m_zoomed = true;
    emit RangeChanged();
    ScheduleRedraw();
}

void ChartZoom::ScheduleRedraw() {
    m_redraw.start();
}

void ChartZoom::RedrawNow() {
    m_redraw.stop();
    m_chart.Redraw(m_zoomed);
}

}  // namespace vg28::plotvane
