#pragma once
// The unattended collector: rounds over the devices of the radio network (those of
// "net.xcfg" in file order, or those chosen), or over the one instrument on the direct line.
// A round opens the port (held with the port lock for the whole round, so that no other
// program talks on the line meanwhile), collects each device in turn (DeviceCollection) and
// closes the port with DTR low. One device that fails never stops the round; a stop request
// ends it after the current exchange. The status is updated device by device and handed to
// the caller after each one (the front end writes the status file then).
//
// Everything the environment names outlives the collector. Nothing throws.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collect/CollectStatus.h"
#include "collect/DeviceCollection.h"
#include "session/NetDevice.h"

namespace vg28 {

class Clock;
class Profile;
class SensorDatabase;
class SerialLine;

struct CollectOptions {
    std::string port;                // a device path or "simulator"
    std::vector<NetDevice> devices;  // empty: the one instrument on the direct line
    int searchSeconds = DeviceCollection::kDefaultSearchSeconds;
    bool setClock = false;  // set a clock that is a minute or more off
};

// What one round did.
struct RoundResult {
    bool portOpened = false;
    std::string portError;  // the program's message for a port that would not open
    bool allCollected = false;
    bool stopped = false;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
    std::int64_t lineMs = 0;  // on the collector's clock, from opening the port to closing it
};

class Collector {
public:
    // The line for a port name, not opened yet (default: the serial port or the simulator).
    using LineMaker = std::function<std::unique_ptr<SerialLine>(const std::string& port)>;
    using AfterDevice = std::function<void(const CollectStatus& status, std::size_t index)>;
    using AfterRound = std::function<void(const RoundResult& result, const CollectStatus& status)>;

    struct Environment {
        std::string folder;  // the program folder, ending with '/'
        Profile& profile;
        SensorDatabase& sensors;
        Clock& clock;
        LineMaker makeLine;  // may be empty
    };

    Collector(const Environment& env, CollectOptions options);

    // The devices a round goes over: the chosen ones, or the direct line (a device without a
    // name).
    std::vector<NetDevice> Targets() const;

    // One round. The first round of a collector first lets the line fall quiet: an instrument
    // may still be sending the download a stopped run before this one asked for. status holds what
    // was known before (CollectStatus::ForDevices; it may list more devices than the round's, and
    // an entry missing for one of them is added at the end); each target's entry is replaced when
    // its device is done, and afterDevice is called then with that entry's index.
    RoundResult RunRound(CollectStatus& status, const AfterDevice& afterDevice = {});

    // A round every everySeconds seconds (counted from the start of the one before; at once
    // when that one took longer) until a stop is requested; one round without a period.
    void RunRounds(std::optional<int> everySeconds, CollectStatus& status,
                   const AfterDevice& afterDevice, const AfterRound& afterRound);

private:
    // The index of the device's entry in status (added when missing).
    static std::size_t EntryOf(CollectStatus& status, const NetDevice& device);
    // Another device of the status whose project is that name, as its label.
    static std::optional<std::string> OwnerOf(const CollectStatus& status, std::size_t index,
                                              const std::string& project);

    // The longest wait for a line that keeps talking before the first round goes on anyway.
    static constexpr int kDrainLimitMs = 180000;

    Environment m_env;
    CollectOptions m_options;
    bool m_lineDrained = false;
};

}  // namespace vg28
