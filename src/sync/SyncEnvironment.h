#pragma once
// What a synchronization run works on: the instrument commands, the project document, the
// sensor database with its file, the operator for message boxes, the clock for the time budget
// and the session's check of the project's sensors. All references outlive the run.

#include <functional>
#include <string>

namespace vg28 {

class Clock;
class CProjectDoc;
class InstrumentCommands;
class Operator;
class SensorDatabase;

struct SyncEnvironment {
    InstrumentCommands& commands;
    CProjectDoc& doc;
    SensorDatabase& sensors;
    std::string sensorsPath;  // where the database is saved when the run changed it
    Operator& op;
    Clock& clock;
    // Run after the instrument's project file was loaded; empty: every sensor ID of the project
    // is looked up and a missing one is reported with ids::kSensorsNotRegistered.
    std::function<void()> checkSensorsRegistered;
    // The instrument's project is only read, never written (the unattended collector): where
    // the PC would set the instrument's exact-time flag on its own, the flag is taken as the
    // instrument has it.
    bool instrumentReadOnly = false;
};

}  // namespace vg28
