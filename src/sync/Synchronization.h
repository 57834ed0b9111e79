#pragma once
// A synchronization run from start to end: the worker is opened for the job the live state's
// step names, run modally by the driver, and its result applied: the project and the sensor
// database saved, the failure messages shown, the instrument set back to recording, the
// pending upload cleared. Returns true when the project may be used. Messages go to the
// environment's Operator; nothing throws.

#include "sync/SyncEnvironment.h"

namespace vg28 {

class SyncDialogDriver;
class SyncWorker;

// String IDs of the run's messages.
namespace ids {
inline constexpr int kNoInstrumentProject = 10120;  // "В VG-28 нет проекта!"
inline constexpr int kSyncSaveFailed = 10121;  // "Ошибка записи - ...Очистить VG-28?"
inline constexpr int kInvalidInstrumentName = 10203;  // the instrument's name is no file name
inline constexpr int kSyncSensorsMissing = 10035;
}  // namespace ids

bool RunSynchronization(SyncEnvironment& env, SyncDialogDriver& driver);
// The same with a worker made by the caller (to read its counters afterwards).
bool RunSynchronization(SyncEnvironment& env, SyncDialogDriver& driver, SyncWorker& worker);

// The default sensor check: every sensor ID of the project that is neither empty nor exactly
// "Plug and Play" must be in the database, else string 10035 is shown. False when one is
// missing.
bool CheckProjectSensorsRegistered(SyncEnvironment& env);

}  // namespace vg28
