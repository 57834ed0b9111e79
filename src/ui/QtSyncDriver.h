#pragma once
// Runs the synchronization worker inside the main window's event loop: the worker ticks every
// 200 ms from a QTimer, its progress shows in the status bar's progress bar, and its questions
// are asked in a message box with the worker's answer buttons. This stands in for the
// "Синхронизация" dialog until that dialog exists; the window stays responsive meanwhile.

#include "sync/SyncDialogDriver.h"

namespace vg28::ui {

class CMainFrame;

class QtSyncDriver final : public SyncDialogDriver {
public:
    explicit QtSyncDriver(CMainFrame& frame) : m_frame(frame) {}
    int Run(SyncWorker& worker) override;

private:
    void Ask(SyncWorker& worker);

    CMainFrame& m_frame;
};

}  // namespace vg28::ui
