#pragma once
// "Параметры связи": chooses the port through which the terminal talks to the instrument. The
// list holds the serial devices found on this machine, in the order given, and then the
// built-in simulated instrument "simulator". The current port is preselected; when it is no
// longer present, the first entry is. The choice is only returned: the caller stores it and
// uses it at the next opening of the port.
//
// Object names: "connectionSettingsDialog", "portList", "ok", "cancel".

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;

namespace vg28::ui {

class ConnectionSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    ConnectionSettingsDialog(const std::vector<std::string>& ports, const std::string& current,
                             QWidget* parent = nullptr);

    // The selected port name.
    std::string Port() const;
    QComboBox* PortList() const { return m_ports; }

private:
    QComboBox* m_ports;
};

}  // namespace vg28::ui
