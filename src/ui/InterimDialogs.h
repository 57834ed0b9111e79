#pragma once
// Plain stand-ins for the device list, the connection settings, the sensor editor and the
// About box, so that the program is usable before their own dialogs exist. Each keeps the
// interface the main window's Shell methods need; replacing one touches only its call there.

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "session/Shell.h"

namespace vg28::ui {

std::optional<DeviceChoice> ChooseDeviceSimply(QWidget* parent,
                                               const std::vector<NetDevice>& devices,
                                               const std::string& address);
std::optional<std::string> ChoosePortSimply(QWidget* parent, const std::vector<std::string>& ports,
                                            const std::string& current);
void ShowAboutSimply(QWidget* parent);

}  // namespace vg28::ui
