#include "ui/InterimDialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include "platform/FixedText.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

std::optional<DeviceChoice> ChooseDeviceSimply(QWidget* parent,
                                               const std::vector<NetDevice>& devices,
                                               const std::string& address) {
    QStringList rows{QStringLiteral("Прямое соединение")};
    int current = 0;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const std::string name(TextOf(devices[i].deviceName));
        QString row = FromCp1251(name);
        if (devices[i].deviceAddress != 0)
            row += QStringLiteral(" [%1]").arg(devices[i].deviceAddress);
        rows << row;
        if (name == address) current = static_cast<int>(i) + 1;
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(parent, QStringLiteral("Устройства"),
                              QStringLiteral("Список устройств"), rows, current, false, &ok);
    if (!ok) return std::nullopt;
    const int row = static_cast<int>(rows.indexOf(chosen));
    if (row <= 0) return DeviceChoice{std::string(), 0xFFFF};
    const NetDevice& device = devices[static_cast<std::size_t>(row - 1)];
    return DeviceChoice{std::string(TextOf(device.deviceName)), device.deviceAddress};
}

std::optional<std::string> ChoosePortSimply(QWidget* parent, const std::vector<std::string>& ports,
                                            const std::string& current) {
    QStringList items;
    for (const std::string& port : ports)
        items << FromUtf8(port);
    if (!items.contains(FromUtf8(current))) items.prepend(FromUtf8(current));
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(parent, QStringLiteral("Параметры связи"), QStringLiteral("Порт"),
                              items, static_cast<int>(items.indexOf(FromUtf8(current))), true, &ok);
    if (!ok || chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

void ShowAboutSimply(QWidget* parent) {
    QMessageBox::about(
        parent, QStringLiteral("About"),
        QStringLiteral("%1\n\nVG-28\nЭмулятор Терминала (Версия 1.0.2.6)").arg(ApplicationTitle()));
}

}  // namespace vg28::ui
