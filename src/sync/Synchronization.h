#pragma once
// A synchronization run from start to end: the worker is opened for its job, run modally by the
// driver, and its result applied: the project and the sensor
// database saved, the failure messages shown, the instrument set back to recording, the
// pending upload cleared. Returns true when the project may be used. Messages go to the
// environment's Operator; nothing throws.

#include "session/SyncJob.h"
#include "sync/SyncEnvironment.h"

namespace vg28 {

class SyncDialogDriver;
class SyncWorker;

bool RunSynchronization(SyncEnvironment& env, SyncDialogDriver& driver, SyncJob job);
// The same with a worker made by the caller for its job (to read its counters afterwards).
bool RunSynchronization(SyncEnvironment& env, SyncDialogDriver& driver, SyncWorker& worker);

// The default sensor check: every sensor ID of the project that is neither empty nor exactly
// "Plug and Play" must be in the database, else ids::kSensorsNotRegistered is shown. False when
// one is missing.
bool CheckProjectSensorsRegistered(SyncEnvironment& env);

}  // namespace vg28
