// vg28-terminal: the desktop program of the VG-28 plant monitor. It takes no arguments; every
// file it uses lives in its own folder.

#include <QApplication>

#include "platform/SystemClock.h"
#include "ui/CTerminalApp.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vg28-terminal"));
    vg28::ui::CTerminalApp terminal(vg28::SystemClock::System());
    if (!terminal.InitInstance(QApplication::applicationFilePath().toStdString())) return 0;
    return QApplication::exec();
}
