// plotvane: the graph viewer of the VG-28 terminal. Started with the graph script's path (and
// "update" after it for a refresh), it shows the script's chart; a viewer already showing that
// script reloads it on "update" instead of a second window opening.

#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <string>
#include <vector>

#include "plotvane/InstanceChannel.h"
#include "plotvane/PlotWindow.h"
#include "plotvane/core/ViewerArguments.h"
#include "qtcommon/QtTranslations.h"

int main(int argc, char** argv) {
    using vg28::plotvane::InstanceChannel;
    using vg28::plotvane::PlotWindow;
    using vg28::plotvane::ViewerArguments;

    PlotWindow::UseScriptTime();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("plotvane"));
    // The export and open dialogs in the language of the viewer's own texts.
    vg28::QtTranslations translations;
    translations.Install(QApplication::applicationFilePath());
    // QApplication has set the C library's locale from the environment; the script's numbers
    // use "." and the numbers shown go through QLocale, so the C library keeps "C" for numbers.
    std::setlocale(LC_NUMERIC, "C");

    std::vector<std::string> words;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        words.push_back(arguments[i].toStdString());
    const ViewerArguments parsed = ViewerArguments::Parse(words);
    const QString path = QString::fromStdString(parsed.scriptPath);

    if (parsed.update && !path.isEmpty() && InstanceChannel::AskToReload(path)) return 0;

    PlotWindow window;
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::ReloadRequested, &window, [&window] {
        window.Reload();
        window.raise();
        window.activateWindow();
    });
    window.show();
    if (!parsed.ok) {
        QMessageBox::warning(&window, QStringLiteral("plotvane"),
                             QObject::tr("Неверные параметры запуска: %1")
                                 .arg(QString::fromStdString(parsed.error)));
    }
    if (!path.isEmpty()) {
        window.OpenScript(path);
        channel.Listen(path);
    }
    return QApplication::exec();
}
