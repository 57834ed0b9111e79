// The viewer's widget tests run without a display unless one is asked for, in the viewer's
// time convention and with a fixed number locale.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "plotvane/PlotWindow.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vg28::plotvane::PlotWindow::UseScriptTime();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
