#pragma once
// "Список устройств": chooses one instrument of the radio network or the direct cable
// connection. Row 0 is "Прямое соединение", then one row per device of the network file
// ("%s [%d]", or the name alone for address 0); the row named like the current instrument is
// selected. Choosing the direct connection asks the operator first (through the Operator);
// No keeps the dialog open. Escape is swallowed; "&Отменить" and the close box cancel. The
// result is only returned: the session decides whether it changes anything.
//
// Object names: "deviceListDialog", "deviceList", "choose", "cancel".

#include <QDialog>
#include <string>
#include <vector>

#include "session/NetDevice.h"
#include "session/Shell.h"

class QTreeWidget;

namespace vg28 {
class Operator;
}

namespace vg28::ui {

class DeviceListDialog final : public QDialog {
    Q_OBJECT
public:
    // address: the current instrument's name (Windows ANSI bytes, exact comparison).
    DeviceListDialog(const std::vector<NetDevice>& devices, const std::string& address,
                     Operator& op, QWidget* parent = nullptr);

    // The choice (valid after OK).
    const DeviceChoice& Choice() const { return m_choice; }
    QTreeWidget* List() const { return m_list; }
    // "&Выбрать" and a double-click.
    void OnChoose();

    // The question before the direct connection.
    static const char* const kDirectQuestion;
    static constexpr std::uint16_t kDirectAddress = 0xFFFF;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::vector<NetDevice> m_devices;
    Operator& m_operator;
    QTreeWidget* m_list;
    DeviceChoice m_choice;
};

}  // namespace vg28::ui
