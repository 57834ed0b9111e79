#pragma once
// One device of a round, from the dial to the last record: the session searches for it at
// its radio address (for at most the search time), identifies it (the model check), reads its
// clock offset (and sets its clock when it is off by a minute or more, if allowed), takes its
// project as the PC's (the file named after it; the instrument wins every difference and
// nothing is written to it), downloads the records newer than the project's last one, and
// runs the Em50 stage when the project uses the Em50. The instrument's mode is never changed.
//
// The collection runs on the packet link it is given, already open, and leaves it open
// unless the session had to disconnect (a wrong model, a failed synchronization). A fresh
// document and session are made for each device; the project is saved by the runs and the
// records are appended as they arrive. Failures are the status's result, nothing throws.

#include <string>

#include "collect/CollectStatus.h"
#include "collect/CollectorShell.h"
#include "session/NetDevice.h"

namespace vg28 {

class Clock;
class CollectorLine;
class PacketLink;
class Profile;
class SensorDatabase;

class DeviceCollection {
public:
    static constexpr int kDefaultSearchSeconds = 15;
    // A bound on the session's ticks for one device, whatever its failures.
    static constexpr int kMaxTicks = 1000;
    // Radio address of the connection target "the direct line" (the dial sends 0).
    static constexpr std::uint16_t kDirectLine = 0xFFFF;

    struct Environment {
        PacketLink& link;
        const CollectorLine* line;  // the link's line, for its refusals; may be null
        std::string folder;         // the program folder, ending with '/'
        Profile& profile;
        SensorDatabase& sensors;
        Clock& clock;
        int searchSeconds = kDefaultSearchSeconds;
        bool setClock = false;
        CollectorShell::ProjectOwner projectOwner;
    };

    explicit DeviceCollection(const Environment& env) : m_env(env) {}

    // Collects from the device (an empty name: the one instrument on the direct line) and
    // returns what is known of it now, starting from what was known before.
    DeviceStatus Run(const NetDevice& device, const DeviceStatus& before);

private:
    Environment m_env;
};

}  // namespace vg28
