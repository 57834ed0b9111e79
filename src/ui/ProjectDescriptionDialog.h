#pragma once
// "Описание проекта": the measurement period, the sensor and note of inputs S1-S8, the weather
// station and the substrate sensor of a project. It works on a copy (ProjectDescription) and
// writes it back only on OK, after the checks: at least one sensor, a period that divides an
// hour's cycles (7200 s), and a question for a sensor chosen twice.

#include <QDialog>

#include "session/Shell.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace vg28 {
class Operator;
}

namespace vg28::ui {

class ProjectDescriptionDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kInputs = 8;
    static constexpr int kMaxNoteLength = 31;
    static constexpr int kCyclesBase = 7200;

    ProjectDescriptionDialog(ProjectDescription& description, Operator& op,
                             QWidget* parent = nullptr);

    // The period text read as up to three numbers separated by ":" (hours, minutes, seconds).
    static int ParsePeriod(const QString& text);
    // The periods offered, in seconds.
    static const std::vector<int>& OfferedPeriods();

    QComboBox* SensorCombo(int input) const { return m_sensors[input]; }
    QLineEdit* NoteEdit(int input) const { return m_notes[input]; }
    QComboBox* PeriodCombo() const { return m_period; }
    QComboBox* StationCombo() const { return m_station; }
    QComboBox* SubstrateCombo() const { return m_substrate; }

    // The controls' values into the copy, in the order OK takes them.
    void TakeValues();
    // The copy into the controls.
    void ShowValues();
    void OnClear();
    void OnOk();

private:
    void OnStationChanged();
    void FillCombos();

    ProjectDescription& m_result;
    ProjectDescription m_work;
    Operator& m_operator;
    QLabel* m_firstTime;
    QLabel* m_lastTime;
    QComboBox* m_period;
    QComboBox* m_sensors[kInputs];
    QLineEdit* m_notes[kInputs];
    QComboBox* m_station;
    QComboBox* m_substrate;
};

}  // namespace vg28::ui
