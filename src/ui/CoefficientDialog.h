#pragma once
// "Изменение коэффициентов": one coefficient of a sensor, shown with its name ("C0".."C5") and
// its value in the coefficient form, read back with the user's decimal separator (an empty
// field reads as 0). The caller stores the value on OK.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vg28::ui {

class CoefficientDialog final : public QDialog {
    Q_OBJECT
public:
    CoefficientDialog(int index, double value, QWidget* parent = nullptr);

    // The value the field holds.
    double Value() const;
    QLineEdit* ValueEdit() const { return m_value; }

private:
    QLabel* m_name;
    QLineEdit* m_value;
};

}  // namespace vg28::ui
