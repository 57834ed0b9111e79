#include "ui/QtSyncDriver.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <map>

#include "sync/SyncWorker.h"
#include "ui/CMainFrame.h"
#include "ui/QtOperator.h"

namespace vg28::ui {

void QtSyncDriver::Ask(SyncWorker& worker) {
    QMessageBox box(&m_frame);
    box.setObjectName(QStringLiteral("syncQuestion"));
    box.setWindowTitle(FromUtf8(worker.Caption()));
    box.setIcon(QMessageBox::Question);
    box.setText(FromUtf8(worker.QuestionText()));
    const struct {
        SyncWorker::Button button;
        const char* text;
        const char* name;
    } choices[] = {
        {SyncWorker::kButtonInstrument, "VG-28", "instrument"},
        {SyncWorker::kButtonPc, "PC", "pc"},
        {SyncWorker::kButtonInstrumentAll, "VG-28 для всех", "instrumentAll"},
        {SyncWorker::kButtonPcAll, "PC для всех", "pcAll"},
        {SyncWorker::kButtonDetails, "Подробнее", "details"},
    };
    std::map<QAbstractButton*, SyncWorker::Button> buttons;
    const int visible = worker.VisibleButtons();
    for (const auto& choice : choices) {
        if (!(visible & choice.button)) continue;
        QPushButton* button = box.addButton(QString::fromUtf8(choice.text), QMessageBox::YesRole);
        button->setObjectName(QString::fromLatin1(choice.name));
        buttons[button] = choice.button;
    }
    QPushButton* cancel = box.addButton(QStringLiteral("Отменить"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    box.setEscapeButton(cancel);
    box.exec();
    const auto chosen = buttons.find(box.clickedButton());
    worker.Press(chosen == buttons.end() ? SyncWorker::kButtonCancel : chosen->second);
}

int QtSyncDriver::Run(SyncWorker& worker) {
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(SyncWorker::kTickMs);
    bool asking = false;
    m_frame.ShowSearchProgress(worker.Caption(), worker.ProgressRange());
    auto step = [&] {
        if (asking) return;
        if (worker.QuestionVisible()) {
            asking = true;
            Ask(worker);
            asking = false;
        }
        if (!worker.IsClosed()) worker.Tick();
        if (worker.ProgressVisible()) {
            m_frame.ShowSearchProgress(worker.Caption(), worker.ProgressRange());
            m_frame.SetSearchProgress(worker.ProgressPosition());
        }
        if (worker.IsClosed()) loop.quit();
    };
    QObject::connect(&timer, &QTimer::timeout, &loop, step);
    timer.start();
    step();
    if (!worker.IsClosed()) loop.exec();
    timer.stop();
    m_frame.HideSearchProgress();
    return worker.Result();
}

}  // namespace vg28::ui
