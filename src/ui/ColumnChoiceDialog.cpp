#include "ui/ColumnChoiceDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <vector>

#include "project/MeasurementRecord.h"
#include "project/TableColumns.h"
#include "ui/DialogButtons.h"

namespace vg28::ui {

ColumnChoiceDialog::ColumnChoiceDialog(std::uint64_t customSet, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget) {
    setObjectName(QStringLiteral("columnChoiceDialog"));
    setWindowTitle(QStringLiteral("Определение колонок"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Видимые колонки таблицы")));
    m_list->setObjectName(QStringLiteral("columnList"));
    for (int line = 0; line <= kChannelCount; ++line) {
        auto* item = new QListWidgetItem(line == 0 ? QStringLiteral("Время")
                                                   : QStringLiteral("S%1").arg(line));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState((customSet >> line & 1) ? Qt::Checked : Qt::Unchecked);
        m_list->addItem(item);
    }
    m_list->setMinimumHeight(260);
    layout->addWidget(m_list);
    AddOkCancelRow(*this, *layout);
}

std::uint64_t ColumnChoiceDialog::CustomSet() const {
    std::vector<bool> checked;
    for (int line = 0; line < m_list->count(); ++line)
        checked.push_back(m_list->item(line)->checkState() == Qt::Checked);
    return TableColumns::CustomSetFromChoice(checked);
}

}  // namespace vg28::ui
