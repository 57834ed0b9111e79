#pragma once
// Which sensors the chart shows. A legend click hides or shows one (its entry stays, faded, to
// be clicked back), a group button all sensors of a group; a group button is checked while any
// of its sensors shows, a value axis shows while any of its sensors does (or it has none). A
// new chart starts from the script's hidden flags, except for the sensors the operator showed or
// hid since the script was opened: those choices outlast reloads. Indexes out of range are
// ignored.

#include <QHash>
#include <QObject>
#include <vector>

QT_BEGIN_NAMESPACE
class QAction;
class QToolBar;
QT_END_NAMESPACE

namespace vg28::plotvane {

class ScriptChart;

class SensorVisibility : public QObject {
    Q_OBJECT
public:
    // groupBar: the tool bar that holds the group buttons.
    SensorVisibility(const ScriptChart& chart, QToolBar* groupBar, QObject* parent = nullptr);

    // A new script: the operator's choices start again from its flags.
    void ForgetChoices();
    // Shows or hides the lines of the chart just built, and lets its legend show and hide them.
    void ApplyToChart();
    // A button per group of the chart's script in the group bar.
    void BuildGroupButtons();

    // Sensors by their position in the script.
    bool IsVisible(int index) const;
    void SetVisible(int index, bool visible);
    void SetGroupVisible(int groupIndex, bool visible);
    QAction* GroupAction(int groupIndex) const;

signals:
    // A sensor was shown or hidden.
    void Changed();

private:
    void UpdateMarker(int index);
    void UpdateAxisVisibility();
    void UpdateGroupActions();

    const ScriptChart& m_chart;
    QToolBar* m_groupBar;
    std::vector<QAction*> m_groupActions;
    QHash<int, bool> m_hiddenById;  // the operator's choices, kept across reloads
};

}  // namespace vg28::plotvane
