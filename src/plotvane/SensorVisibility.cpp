#include "plotvane/SensorVisibility.h"

#include <QAction>
#include <QChart>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QSignalBlocker>
#include <QToolBar>
#include <QValueAxis>
#include <algorithm>

#include "plotvane/ScriptChart.h"
#include "plotvane/ScriptToQt.h"

namespace vg28::plotvane {

namespace {

constexpr int kFadedAlpha = 70;

}  // namespace

SensorVisibility::SensorVisibility(const ScriptChart& chart, QToolBar* groupBar, QObject* parent)
    : QObject(parent), m_chart(chart), m_groupBar(groupBar) {}

void SensorVisibility::ForgetChoices() {
    m_hiddenById.clear();
}

void SensorVisibility::ApplyToChart() {
    const PlotScript& script = m_chart.Script();
    const std::vector<QLineSeries*>& lines = m_chart.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ScriptSensor& sensor = script.sensors[i];
        bool hidden = sensor.hidden;
        for (const ScriptGroup& group : script.groups) {
            if (group.hidden &&
                std::count(group.sensorIds.begin(), group.sensorIds.end(), sensor.id))
                hidden = true;
        }
        hidden = m_hiddenById.value(sensor.id, hidden);
        lines[i]->setVisible(!hidden);
        const int index = static_cast<int>(i);
        for (QLegendMarker* marker : m_chart.Chart()->legend()->markers(lines[i])) {
            connect(marker, &QLegendMarker::clicked, this,
                    [this, index] { SetVisible(index, !IsVisible(index)); });
        }
        UpdateMarker(index);
    }
    UpdateAxisVisibility();
}

void SensorVisibility::BuildGroupButtons() {
    m_groupBar->clear();
    m_groupActions.clear();
    const std::vector<ScriptGroup>& groups = m_chart.Script().groups;
    if (!groups.empty()) m_groupBar->addWidget(new QLabel(tr("Группы: "), m_groupBar));
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const ScriptGroup& group = groups[g];
        QAction* action = m_groupBar->addAction(Utf8(group.name));
        action->setObjectName(QStringLiteral("group-%1").arg(group.id));
        action->setCheckable(true);
        const int index = static_cast<int>(g);
        connect(action, &QAction::toggled, this,
                [this, index](bool checked) { SetGroupVisible(index, checked); });
        m_groupActions.push_back(action);
    }
    UpdateGroupActions();
}

bool SensorVisibility::IsVisible(int index) const {
    const std::vector<QLineSeries*>& lines = m_chart.Lines();
    return index >= 0 && index < static_cast<int>(lines.size()) &&
           lines[static_cast<std::size_t>(index)]->isVisible();
}

void SensorVisibility::SetVisible(int index, bool visible) {
    const std::vector<QLineSeries*>& lines = m_chart.Lines();
    if (index < 0 || index >= static_cast<int>(lines.size())) return;
    lines[static_cast<std::size_t>(index)]->setVisible(visible);
    m_hiddenById.insert(m_chart.Script().sensors[static_cast<std::size_t>(index)].id, !visible);
    UpdateMarker(index);
    UpdateAxisVisibility();
    UpdateGroupActions();
    emit Changed();
}

void SensorVisibility::SetGroupVisible(int groupIndex, bool visible) {
    const PlotScript& script = m_chart.Script();
    if (groupIndex < 0 || groupIndex >= static_cast<int>(script.groups.size())) return;
    const ScriptGroup& group = script.groups[static_cast<std::size_t>(groupIndex)];
    for (std::size_t i = 0; i < script.sensors.size(); ++i) {
        const int id = script.sensors[i].id;
        if (std::count(group.sensorIds.begin(), group.sensorIds.end(), id))
            SetVisible(static_cast<int>(i), visible);
    }
    UpdateGroupActions();
}

QAction* SensorVisibility::GroupAction(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= static_cast<int>(m_groupActions.size())) return nullptr;
    return m_groupActions[static_cast<std::size_t>(groupIndex)];
}

// A hidden sensor keeps its legend entry, faded, so that it can be clicked back.
void SensorVisibility::UpdateMarker(int index) {
    QLegendMarker* marker = m_chart.LegendMarker(index);
    if (!marker) return;
    const bool visible = IsVisible(index);
    marker->setVisible(true);
    const int alpha = visible ? 255 : kFadedAlpha;
    QColor label = m_chart.Chart()->legend()->labelColor();
    label.setAlpha(alpha);
    marker->setLabelBrush(label);
    QColor fill = ColourOf(m_chart.Script().sensors[static_cast<std::size_t>(index)].colour);
    fill.setAlpha(alpha);
    marker->setBrush(fill);
    QPen pen = marker->pen();
    QColor outline = pen.color();
    outline.setAlpha(alpha);
    pen.setColor(outline);
    marker->setPen(pen);
}

void SensorVisibility::UpdateAxisVisibility() {
    const std::vector<QValueAxis*>& axes = m_chart.ValueAxes();
    const std::vector<QLineSeries*>& lines = m_chart.Lines();
    for (std::size_t a = 0; a < axes.size(); ++a) {
        bool used = false;
        bool shown = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (m_chart.AxisOf(i) != static_cast<int>(a)) continue;
            used = true;
            shown = shown || lines[i]->isVisible();
        }
        axes[a]->setVisible(!used || shown);
    }
}

void SensorVisibility::UpdateGroupActions() {
    const PlotScript& script = m_chart.Script();
    const std::vector<QLineSeries*>& lines = m_chart.Lines();
    for (std::size_t g = 0; g < m_groupActions.size(); ++g) {
        const ScriptGroup& group = script.groups[g];
        bool shown = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (std::count(group.sensorIds.begin(), group.sensorIds.end(), script.sensors[i].id))
                shown = shown || lines[i]->isVisible();
        }
        const QSignalBlocker blocker(m_groupActions[g]);
        m_groupActions[g]->setChecked(shown);
    }
}

}  // namespace vg28::plotvane
