// vg28-tool connect [--port PATH|simulator] [--address NAME] [--set-clock|--keep-clock]
// [--json]: runs the session from connecting through the identification and the clock check,
// prints the live state and disconnects. The clock question is answered by --set-clock (yes)
// or --keep-clock (no, the default). On a radio network of two or more instruments an
// instrument must be named, where the window would open its device list.

#include <iostream>
#include <optional>

#include "Commands.h"
#include "JsonOutput.h"
#include "ToolInstrument.h"
#include "ToolShell.h"
#include "app/NetConfig.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/CurrentState.h"
#include "session/Session.h"
#include "sync/Em50Protocol.h"

namespace vg28::tool {

namespace {

constexpr int kFailed = 1;
// The search gives up after 60 tries; identification and the clock check need a few more.
constexpr int kMaxTicks = 200;

std::string VersionText(std::uint32_t v) {
    return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
           std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

nlohmann::json SystemTimeJson(const SystemTime& t) {
    if (t.wYear == 0) return nullptr;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.wYear},
                  unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                  unsigned{t.wSecond});
    return buffer;
}

nlohmann::json StateJson(const CurrentState& s) {
    return {{"address", TextCodec::Cp1251ToUtf8(TextOf(s.address))},
            {"radioAddress", s.radioAddress},
            {"connected", s.connected},
            {"synchronized", s.synchronized},
            {"uploadPending", s.uploadPending},
            {"searching", s.searching},
            {"searchTicks", s.searchTicks},
            {"step", s.step},
            {"tries", s.tries},
            {"triesLimit", s.triesLimit},
            {"lastReplyTime", s.lastReplyTime},
            {"deviceMode", s.deviceMode},
            {"reportedMode", s.reportedMode},
            {"clockOffset", s.clockOffset},
            {"m_rNextRecordTime", SystemTimeJson(s.m_rNextRecordTime)},
            {"deviceId", TextCodec::Cp1251ToUtf8(TextOf(s.deviceId))},
            {"firmwareVersion", s.firmwareVersion},
            {"moduleId", TextCodec::Cp1251ToUtf8(TextOf(s.moduleId))},
            {"moduleVersion", s.moduleVersion},
            {"downloadCount", s.downloadCount},
            {"readings", RecordJson(s.readings)}};
}

const char* ModeName(int mode) {
    static const char* const kNames[] = {"INIT", "MANUAL", "START", "STOP"};
    return mode >= 0 && mode <= 3 ? kNames[mode] : "?";
}

void PrintState(const CurrentState& s) {
    std::cout << "connected\t" << (s.connected ? "yes" : "no") << '\n'
              << "address\t" << TextCodec::Cp1251ToUtf8(TextOf(s.address)) << '\n'
              << "deviceId\t" << TextCodec::Cp1251ToUtf8(TextOf(s.deviceId)) << '\n'
              << "firmwareVersion\t" << VersionText(s.firmwareVersion) << '\n'
              << "moduleId\t" << TextCodec::Cp1251ToUtf8(TextOf(s.moduleId)) << '\n'
              << "moduleVersion\t" << VersionText(s.moduleVersion) << '\n'
              << "deviceMode\t" << s.deviceMode << ' ' << ModeName(s.deviceMode) << '\n'
              << "clockOffset\t" << s.clockOffset << '\n';
    const nlohmann::json next = SystemTimeJson(s.m_rNextRecordTime);
    std::cout << "m_rNextRecordTime\t" << (next.is_null() ? "" : next.get<std::string>()) << '\n';
}

int RunConnect(ToolContext& context) {
    const ToolOptions& options = context.Options();
    if (options.Words().size() != 1) return UsageError("connect takes no arguments");
    if (options.Has("--set-clock") && options.Has("--keep-clock"))
        return UsageError("--set-clock and --keep-clock exclude each other");
    const std::vector<NetDevice> devices =
        NetConfig::LoadNetConfig(context.Folder() + NetConfig::kFileName);
    if (!options.Value("--address") && devices.size() >= 2) {
        std::string list;
        for (const NetDevice& device : devices)
            list += "\n  " + TextCodec::Cp1251ToUtf8(TextOf(device.deviceName));
        return UsageError("net.xcfg lists " + std::to_string(devices.size()) +
                          " instruments; choose one with --address NAME:" + list);
    }
    if (!context.LoadSensors()) return kFailed;

    ToolInstrument instrument(context);
    if (!instrument.Open()) return kFailed;
    ConsoleOperator& op = context.Op();
    op.SetAnswer(options.Has("--set-clock") ? Answer::Yes : Answer::No);
    ToolShell shell;
    Clock& clock = Clock::System();
    SessionServices services{
        context.Doc(), context.Sensors(), context.GetProfile(), op, shell, clock, devices};
    services.link = &instrument.Link();
    Em50Protocol em50(instrument.Commands(), context.Doc());
    services.em50 = &em50;
    Session session(services);
    session.SetPortName(instrument.PortName());
    CurrentState& state = session.State();

    session.Connect();
    bool identified = false;
    for (int tick = 0; tick < kMaxTicks && session.IsPortOpen() && !identified; ++tick) {
        const std::int64_t started = clock.MonotonicMs();
        session.OnTimer();
        // The identification sets step 2 and ends with the clock check; a tick that failed
        // after it (tries counted) identifies again.
        if (state.connected && !state.searching && state.step == 2) {
            if (state.tries == 0) {
                identified = true;
                break;
            }
            session.SetStep(1);
        }
        const std::int64_t spent = clock.MonotonicMs() - started;
        if (spent < Session::kTickMs) clock.SleepMs(static_cast<int>(Session::kTickMs - spent));
    }
    if (!identified) {
        session.Disconnect(false);
        std::cerr << "vg28-tool: connect failed\n";
        return kFailed;
    }
    if (context.Json()) {
        std::cout << DumpJson(StateJson(state), 2) << '\n';
    } else {
        PrintState(state);
    }
    session.Disconnect(false);
    return 0;
}

const CommandRegistration kConnect(
    {"connect",
     "connect [--address NAME] [--set-clock|--keep-clock] [--json]\n"
     "                                find and identify the instrument, check its clock,\n"
     "                                print the live state and disconnect (--port PATH|simulator)",
     {"--json", "--port", "--address", "--set-clock", "--keep-clock"},
     RunConnect});

}  // namespace

}  // namespace vg28::tool
