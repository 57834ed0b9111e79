#include "ui/DeviceListDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Operator.h"
#include "platform/FixedText.h"
#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

namespace {

constexpr int kColumnWidth = 102;  // the list's one column, at least

}  // namespace

const char* const DeviceListDialog::kDirectQuestion =
    "При подключении нескольких мониторов эта команда недопустима.\n\n"
    "Вы уверены что подключено только одно устройство?";

DeviceListDialog::DeviceListDialog(const std::vector<NetDevice>& devices,
                                   const std::string& address, Operator& op, QWidget* parent)
    : QDialog(parent), m_devices(devices), m_operator(op), m_list(new QTreeWidget) {
    setObjectName(QStringLiteral("deviceListDialog"));
    setWindowTitle(QStringLiteral("Список устройств"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_list->setObjectName(QStringLiteral("deviceList"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("ID устройства")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(true);

    QStringList rows{QStringLiteral("Прямое соединение")};
    int current = -1;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const std::string name(TextOf(m_devices[i].deviceName));
        QString row = FromCp1251(name);
        if (m_devices[i].deviceAddress != 0)
            row += QStringLiteral(" [%1]").arg(m_devices[i].deviceAddress);
        rows << row;
        if (current < 0 && name == address) current = static_cast<int>(i) + 1;
    }
    int widest = m_list->header()->fontMetrics().horizontalAdvance(m_list->headerItem()->text(0));
    for (const QString& row : rows) {
        m_list->addTopLevelItem(new QTreeWidgetItem(QStringList{row}));
        widest = std::max(widest, m_list->fontMetrics().horizontalAdvance(row));
    }
    // The column is as wide as the longest row needs, so that no name is cut.
    const int column = std::max(kColumnWidth, widest + 24);
    m_list->setColumnWidth(0, column);
    m_list->setMinimumWidth(column + 2 * m_list->frameWidth() + 20);
    if (current >= 0) {
        m_list->setCurrentItem(m_list->topLevelItem(current));
        m_list->scrollToItem(m_list->topLevelItem(current));
    } else {
        m_list->setCurrentItem(nullptr);
        m_list->clearSelection();
    }
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnChoose(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    connect(AddDialogButton(buttons, "&Выбрать", "choose", true), &QPushButton::clicked, this,
            &DeviceListDialog::OnChoose);
    connect(AddDialogButton(buttons, "&Отменить", "cancel"), &QPushButton::clicked, this,
            &QDialog::reject);
    layout->addLayout(buttons);
    m_list->setFocus();
}

void DeviceListDialog::OnChoose() {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) return;
    const int row = m_list->indexOfTopLevelItem(selected.front());
    if (row < 0) return;
    if (row == 0) {
        if (!m_operator.Ask(0, kDirectQuestion, MessageIcon::Question)) return;
        m_choice = DeviceChoice{std::string(), kDirectAddress};
    } else {
        const NetDevice& device = m_devices[static_cast<std::size_t>(row - 1)];
        m_choice = DeviceChoice{std::string(TextOf(device.deviceName)), device.deviceAddress};
    }
    accept();
}

void DeviceListDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace vg28::ui
