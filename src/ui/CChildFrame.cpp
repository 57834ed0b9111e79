#include "ui/CChildFrame.h"

#include <QEvent>
#include <QMenu>

#include "ui/CommandTable.h"
#include "ui/ToolbarIcons.h"

namespace vg28::ui {

CChildFrame::CChildFrame(QWidget* view, QWidget* parent) : QMdiSubWindow(parent) {
    setObjectName(QStringLiteral("childFrame"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(ToolbarIcons::ProgramIcon());
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWidget(view);
    ReduceSystemMenu();
}

void CChildFrame::ReduceSystemMenu() {
    QMenu* menu = systemMenu();
    if (!menu) return;
    // Keep only the close item; every other item (restore, move, size, minimize, maximize,
    // stay on top) is removed.
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        const bool close =
            action->shortcut().matches(QKeySequence::Close) == QKeySequence::ExactMatch ||
            action->objectName() == QLatin1String("close") ||
            action->text().contains(QLatin1String("Close"), Qt::CaseInsensitive);
        if (!close) {
            menu->removeAction(action);
        } else {
            action->setText(QStringLiteral("&Закрыть"));
            action->setObjectName(QStringLiteral("close"));
            action->setStatusTip(CommandTable::WindowCommandPrompt("close"));
        }
    }
}

void CChildFrame::showEvent(QShowEvent* event) {
    QMdiSubWindow::showEvent(event);
    ReduceSystemMenu();
    if (!(windowState() & Qt::WindowMaximized)) showMaximized();
}

void CChildFrame::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_restoring) return;
    // Minimizing or restoring is ignored: the frame goes back to maximized at once.
    if (!(windowState() & Qt::WindowMaximized) || (windowState() & Qt::WindowMinimized)) {
        m_restoring = true;
        setWindowState(Qt::WindowMaximized);
        m_restoring = false;
    }
}

}  // namespace vg28::ui
