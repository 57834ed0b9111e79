#pragma once
// The "Синхронизация" dialog ("Закачка записей" for a record download): the window around the
// core's synchronization worker. Its own 200 ms timer ticks the worker; the dialog shows the
// worker's progress bar, question text and answer buttons ("VG-28", "PC", "Подробнее",
// "VG-28 для всех", "PC для всех", "Отменить") and hands the button presses back. Escape and
// the close box act as "Отменить". It runs modally over its parent; the worker decides
// everything, the dialog only shows and forwards. Run returns the worker's result code.
//
// The worker's exchanges run the window's events while they wait (WaitPump), so a button can be
// pressed while the worker is inside a tick or inside another press: the press is kept and
// handed over once the worker is back, never inside it; "Отменить" also stops the running
// exchange (through the pump, when the dialog has one), so that it gives up at its next wait.
// A stop asked for before the dialog comes up cancels the run without showing it.
//
// Object names: "syncDialog", "syncProgress", "syncQuestion" and the buttons "instrument",
// "pc", "details", "instrumentAll", "pcAll", "cancel".

#include <QDialog>
#include <QTimer>
#include <vector>

#include "sync/SyncDialogDriver.h"
#include "sync/SyncWorker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vg28::ui {

class WaitPump;

class SyncDialog final : public QDialog, public SyncDialogDriver {
    Q_OBJECT
public:
    // pump may be null: a cancel then waits for the running exchange to end by itself.
    explicit SyncDialog(QWidget* parent = nullptr, WaitPump* pump = nullptr);

    // Runs the opened worker until it closes.
    int Run(SyncWorker& worker) override;

    // Shows the worker's state without running: the tests tick by hand.
    void Attach(SyncWorker& worker);
    // One timer tick: one worker step, then the window follows the worker.
    void OnTick();

    QPushButton* Button(SyncWorker::Button button) const;
    QProgressBar* Progress() const { return m_progress; }
    QLabel* Question() const { return m_question; }
    const QTimer& Timer() const { return m_timer; }

protected:
    void reject() override;

private:
    void Press(SyncWorker::Button button);
    // Hands over the press kept while the worker was busy, once the stop it asked for is back.
    void AfterWorker();
    void Refresh();
    // Takes the question and its answers off the screen while an answer is carried out.
    void HideQuestion();
    void FinishIfClosed();

    SyncWorker* m_worker = nullptr;
    WaitPump* m_pump;
    bool m_workerBusy = false;
    bool m_stopAsked = false;
    int m_keptPress = 0;  // a SyncWorker::Button, 0 for none
    // A step may open a message box (the sensor check after a project was loaded); Qt does not
    // fire this timer again while its previous timeout is still being handled, so steps never
    // nest.
    QTimer m_timer;
    QProgressBar* m_progress;
    QLabel* m_question;
    struct ButtonEntry {
        SyncWorker::Button button;
        QPushButton* widget;
    };
    std::vector<ButtonEntry> m_buttons;
};

}  // namespace vg28::ui
