#include "ui/CoefficientDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "sensors/SensorFormat.h"
#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

CoefficientDialog::CoefficientDialog(int index, double value, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("coefficientDialog"));
    setWindowTitle(QStringLiteral("Изменение коэффициентов"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    m_name = new QLabel(QStringLiteral("C%1").arg(index));
    m_name->setObjectName(QStringLiteral("coefficientName"));
    row->addWidget(m_name);
    m_value = new QLineEdit(FromUtf8(FormatCoefficient(value)));
    m_value->setObjectName(QStringLiteral("coefficientValue"));
    m_value->setMinimumWidth(
        m_value->fontMetrics().horizontalAdvance(QStringLiteral("-0,000000000000e+000")) + 12);
    m_value->selectAll();
    row->addWidget(m_value, 1);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(AddDialogButton(buttons, "OK", "ok", true), &QPushButton::clicked, this,
            &QDialog::accept);
    connect(AddDialogButton(buttons, "&Отменить", "cancel"), &QPushButton::clicked, this,
            &QDialog::reject);
    layout->addLayout(buttons);
    // Wide enough for the title in the window's caption.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 6 * fontMetrics().height());
    setFixedSize(sizeHint().expandedTo(minimumSize()));
}

double CoefficientDialog::Value() const {
    return ParseLocalized(m_value->text().toStdString());
}

}  // namespace vg28::ui
