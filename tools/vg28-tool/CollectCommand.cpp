// vg28-tool collect [--port PATH|simulator] [--devices NAME,...] [--once | --every SECONDS]
// [--search-seconds S] [--set-clock] [--status FILE] [--json]: the unattended collector. A
// round collects every device of net.xcfg (or those named) in turn: the instrument's project
// becomes the PC's, its new records and Em50 readings are downloaded, nothing is written to
// it. The status file is replaced after each device and one line per device goes to standard
// error (the journal, under the systemd unit). SIGINT and SIGTERM end the current exchange,
// close the port and exit 0.

#include <signal.h>

#include <charconv>
#include <iostream>

#include "CollectStatusJson.h"
#include "Commands.h"
#include "SimulatorInstall.h"
#include "app/NetConfig.h"
#include "base/StringIds.h"
#include "collect/Collector.h"
#include "collect/StopRequest.h"
#include "link/SerialLine.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "platform/WaitHook.h"

namespace vg28::tool {

namespace {

constexpr int kFailed = 1;
constexpr int kMaxSearchSeconds = 3600;
constexpr int kMaxEverySeconds = 7 * 24 * 3600;

void OnStopSignal(int) {
    StopRequest::Raise();
}

// SIGINT and SIGTERM raise the stop; the wait hook makes every wait of the line and of the clock
// end within a slice of it, so the exchange that runs ends at once.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    WaitHook::Install([] { return StopRequest::Raised(); });
}

// A whole number of seconds in [low, high] from an option; false when it is no such number.
bool SecondsOption(const ToolOptions& options, const char* name, int low, int high, int& out) {
    const auto text = options.Value(name);
    if (!text) return true;
    int value = 0;
    const auto parsed = std::from_chars(text->data(), text->data() + text->size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != text->data() + text->size() || value < low ||
        value > high)
        return false;
    out = value;
    return true;
}

std::string Names(const std::vector<NetDevice>& devices) {
    std::string list;
    for (const NetDevice& device : devices)
        list += "\n  " + TextCodec::Cp1251ToUtf8(TextOf(device.deviceName));
    return list;
}

// The devices named by --devices, in that order, each as net.xcfg lists it; false with the
// message when a name is not there.
bool ChooseDevices(const std::string& names, const std::vector<NetDevice>& listed,
                   std::vector<NetDevice>& chosen, std::string& error) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = names.find(',', start);
        const std::string typed = names.substr(start, comma - start);
        const std::string name = TextCase::LowerCp1251(TextCodec::Utf8ToCp1251(typed));
        const NetDevice* found = nullptr;
        for (const NetDevice& device : listed)
            if (TextOf(device.deviceName) == name) found = &device;
        if (typed.empty() || !found) {
            error = "--devices names \"" + typed + "\", which net.xcfg does not list:" +
                    (listed.empty() ? std::string(" it lists none") : Names(listed));
            return false;
        }
        chosen.push_back(*found);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

// The built-in simulated line for "simulator": the devices collected, each at its radio
// address with a project of its own, or the one instrument on the cable.
void InstallSimulatorFor(const std::vector<NetDevice>& devices) {
    sim::SimNetworkConfig config = sim::DefaultSimulatorConfig();
    if (!devices.empty()) {
        const sim::SimInstrumentConfig model = config.instruments.front();
        config.instruments.clear();
        for (std::size_t i = 0; i < devices.size(); ++i) {
            sim::SimInstrumentConfig instrument = model;
            instrument.name = std::string(TextOf(devices[i].deviceName));
            instrument.radioAddress = devices[i].deviceAddress;
            instrument.identification = "VG28-" + std::to_string(100115 + i).substr(1);
            instrument.project = "Demo" + std::to_string(i + 1);
            instrument.seed = static_cast<std::uint32_t>(i + 1);
            config.instruments.push_back(instrument);
        }
    }
    sim::InstallSimulator(config);
}

int RunCollect(ToolContext& context) {
    const ToolOptions& options = context.Options();
    if (options.Words().size() != 1) return UsageError("collect takes no arguments");
    if (options.Has("--once") && options.Value("--every"))
        return UsageError("--once and --every exclude each other");
    CollectOptions collect;
    int every = 0;
    if (!SecondsOption(options, "--every", 1, kMaxEverySeconds, every))
        return UsageError("--every takes a number of seconds from 1 to " +
                          std::to_string(kMaxEverySeconds));
    if (!SecondsOption(options, "--search-seconds", 1, kMaxSearchSeconds, collect.searchSeconds))
        return UsageError("--search-seconds takes a number of seconds from 1 to " +
                          std::to_string(kMaxSearchSeconds));
    const std::vector<NetDevice> listed =
        NetConfig::LoadNetConfig(context.Folder() + NetConfig::kFileName);
    if (const auto names = options.Value("--devices")) {
        std::string error;
        if (!ChooseDevices(*names, listed, collect.devices, error)) return UsageError(error);
    } else {
        collect.devices = listed;
    }
    collect.setClock = options.Has("--set-clock");
    const auto port = options.Value("--port");
    collect.port = port ? *port : context.GetProfile().Get(keys::kPortDevice);
    if (!context.LoadSensors()) return kFailed;
    if (collect.port == kSimulatorPortName) InstallSimulatorFor(collect.devices);

    const auto statusOption = options.Value("--status");
    const std::string statusPath =
        statusOption ? *statusOption : context.Folder() + CollectStatusJson::kFileName;
    CollectStatus before;
    std::string error;
    if (!CollectStatusJson::Read(statusPath, before, error) &&
        error.rfind("no status file", 0) != 0) {
        std::cerr << "vg28-tool: " << error << "; it is written anew\n";
    }

    CatchStopSignals();
    Collector collector(
        {context.Folder(), context.GetProfile(), context.Sensors(), Clock::System(), {}}, collect);
    // The status lists every device of net.xcfg, also those --devices leaves out this time.
    CollectStatus status = before.ForDevices(listed.empty() ? collector.Targets() : listed);
    bool allCollected = true;
    bool stopped = false;
    const auto afterDevice = [&](const CollectStatus& now, std::size_t index) {
        std::string writeError;
        if (!CollectStatusJson::Write(statusPath, now, writeError))
            std::cerr << "vg28-tool: " << writeError << '\n';
        if (!now.devices[index].result.empty()) std::cerr << now.devices[index].LogLine() << '\n';
    };
    const auto afterRound = [&](const RoundResult& round, const CollectStatus& now) {
        if (!round.portOpened)
            context.Op().Tell(ids::kPortOpenFailed, round.portError, MessageIcon::Error);
        if (context.Json()) std::cout << CollectStatusJson::Text(now, every ? -1 : 2) << std::endl;
        allCollected = round.allCollected;
        stopped = stopped || round.stopped;
    };
    collector.RunRounds(every ? std::optional<int>(every) : std::nullopt, status, afterDevice,
                        afterRound);
    if (stopped || StopRequested()) return 0;
    return allCollected ? 0 : kFailed;
}

const CommandRegistration kCollect(
    {"collect",
     "collect [--devices NAME,...] [--once|--every S] [--search-seconds S] [--set-clock]\n"
     "        [--status FILE] [--json]\n"
     "                                the unattended collector: in turn every instrument of\n"
     "                                net.xcfg (in its order, or those of --devices; without\n"
     "                                net.xcfg the one on the direct line) is dialled, searched\n"
     "                                for at most --search-seconds (15), identified, its clock\n"
     "                                read (--set-clock: set when a minute or more off), its\n"
     "                                project taken as the PC's (the file named after it; the\n"
     "                                instrument wins every difference and nothing is written\n"
     "                                to it), its new records and Em50 readings downloaded; one\n"
     "                                that fails never stops the round. One round (--once, the\n"
     "                                default) or one every S seconds until SIGINT or SIGTERM\n"
     "                                (which end the current exchange, close the port and exit\n"
     "                                0). After each device the status file (--status, default\n"
     "                                collect-status.json in the program folder) is replaced\n"
     "                                and a line goes to standard error; --json prints the\n"
     "                                status of each round. Exit status 0 when every device was\n"
     "                                collected, 1 when one was not (--port PATH|simulator)",
     {"--json", "--port", "--devices", "--once", "--every", "--search-seconds", "--set-clock",
      "--status"},
     RunCollect});

}  // namespace

}  // namespace vg28::tool
