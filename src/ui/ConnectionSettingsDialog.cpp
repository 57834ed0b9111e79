#include "ui/ConnectionSettingsDialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "link/SerialLine.h"
#include "ui/DialogButtons.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

ConnectionSettingsDialog::ConnectionSettingsDialog(const std::vector<std::string>& ports,
                                                   const std::string& current, QWidget* parent)
    : QDialog(parent), m_ports(new QComboBox) {
    setObjectName(QStringLiteral("connectionSettingsDialog"));
    setWindowTitle(QStringLiteral("Параметры связи"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    std::vector<std::string> entries;
    for (const std::string& port : ports) {
        if (!port.empty() && std::find(entries.begin(), entries.end(), port) == entries.end())
            entries.push_back(port);
    }
    if (std::find(entries.begin(), entries.end(), kSimulatorPortName) == entries.end())
        entries.emplace_back(kSimulatorPortName);
    m_ports->setObjectName(QStringLiteral("portList"));
    // The item keeps the path's bytes: a device name need not be valid UTF-8.
    for (const std::string& port : entries)
        m_ports->addItem(FromUtf8(port),
                         QByteArray(port.data(), static_cast<qsizetype>(port.size())));
    m_ports->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_ports->setMinimumContentsLength(16);
    const auto found = std::find(entries.begin(), entries.end(), current);
    m_ports->setCurrentIndex(found == entries.end() ? 0
                                                    : static_cast<int>(found - entries.begin()));

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Порт"));
    label->setObjectName(QStringLiteral("portLabel"));
    label->setBuddy(m_ports);
    row->addWidget(label);
    row->addWidget(m_ports, 1);
    layout->addLayout(row);
    AddOkCancelRow(*this, *layout);
    m_ports->setFocus();
}

std::string ConnectionSettingsDialog::Port() const {
    return m_ports->currentData().toByteArray().toStdString();
}

}  // namespace vg28::ui
