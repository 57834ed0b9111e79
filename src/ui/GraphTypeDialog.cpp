#include "ui/GraphTypeDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/ToolbarIcons.h"

namespace vg28::ui {

namespace {

const char* const kNames[] = {"Без сглаживания", "Сглаживание"};
const char* const kDescriptions[] = {"Зарегистрированные значения",
                                     "Экспоненциальная скользящая средняя"};

}  // namespace

GraphTypeDialog::GraphTypeDialog(int type, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget), m_description(new QLabel) {
    setObjectName(QStringLiteral("graphTypeDialog"));
    setWindowTitle(QStringLiteral("Выберите тип графика "));
    auto* layout = new QVBoxLayout(this);
    m_list->setObjectName(QStringLiteral("graphTypeList"));
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(64, 48));
    m_list->setMovement(QListView::Static);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setGridSize(QSize(150, 80));
    m_list->setFixedSize(320, 96);
    for (int i = 0; i < 2; ++i) {
        m_list->addItem(new QListWidgetItem(QIcon(ToolbarIcons::GraphTypePicture(i)),
                                            QString::fromUtf8(kNames[i])));
    }
    layout->addWidget(m_list, 0, Qt::AlignHCenter);
    m_description->setObjectName(QStringLiteral("graphDescription"));
    m_description->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_description);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(AddDialogButton(buttons, "&Построить", "build", true), &QPushButton::clicked, this,
            &QDialog::accept);
    connect(AddDialogButton(buttons, "&Отмена", "cancel"), &QPushButton::clicked, this,
            &QDialog::reject);
    layout->addLayout(buttons);

    connect(m_list, &QListWidget::currentRowChanged, this, &GraphTypeDialog::ShowDescription);
    // A negative stored type still selects one of the two items.
    m_list->setCurrentRow(((type % 2) + 2) % 2);
    ShowDescription(m_list->currentRow());
    m_list->setFocus();
}

void GraphTypeDialog::ShowDescription(int item) {
    if (item >= 0 && item < 2) m_description->setText(QString::fromUtf8(kDescriptions[item]));
}

int GraphTypeDialog::Type() const {
    return std::max(0, m_list->currentRow());
}

QString GraphTypeDialog::Description() const {
    return m_description->text();
}

}  // namespace vg28::ui
