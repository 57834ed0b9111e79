#pragma once
// Runs a synchronization worker modally until it closes: the desktop dialog (a 200 ms timer,
// the progress bar, the question and its buttons) or a headless driver. Returns the worker's
// result code.

namespace vg28 {

class SyncWorker;

class SyncDialogDriver {
public:
    virtual ~SyncDialogDriver() = default;
    virtual int Run(SyncWorker& worker) = 0;
};

}  // namespace vg28
