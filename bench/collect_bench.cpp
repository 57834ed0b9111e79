// Speed of the unattended collector: one round over three simulated instruments on one radio
// line, in-process on a fake clock, so that the time measured ("Time", manual) is the line
// time the round takes: the session's pacing, the synchronization's waits and the bytes at
// the simulator's 1 ms per byte (about 9600 baud). The counters give the bytes exchanged and
// what those bytes alone cost at 9600 baud (10 bits per byte): the rest is waiting.
//   NothingNew      configuration and records unchanged since the round before
//   FiveHundredNew  500 new records on each instrument since the round before

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "SimNetwork.h"
#include "base/Profile.h"
#include "collect/Collector.h"
#include "link/SimulatedLine.h"
#include "platform/FakeClock.h"
#include "platform/FixedText.h"
#include "sensors/SensorDatabase.h"

namespace vg28 {
namespace {

constexpr int kInstruments = 3;

struct Rig {
    FakeClock clock{LocalTime{2011, 1, 18, 15, 30, 0}};
    bench::BenchFolder folder;
    Profile profile{folder.Path() + "vg28-terminal.ini"};
    SensorDatabase sensors;
    std::shared_ptr<sim::SimNetwork> network;
    CollectOptions options;
    CollectStatus status;
    std::vector<std::int64_t> deviceMs;

    Rig(int records, int period) {
        std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                                   folder.Path() + "sensors.dat");
        sensors.Load(folder.Path() + "sensors.dat");
        sim::SimNetworkConfig config;
        const sim::SimInstrumentConfig model = config.instruments.front();
        config.instruments.clear();
        for (int i = 0; i < kInstruments; ++i) {
            sim::SimInstrumentConfig instrument = model;
            instrument.name = std::string(1, static_cast<char>('a' + i));
            instrument.radioAddress = static_cast<std::uint16_t>(i + 1);
            instrument.project = "Demo" + std::to_string(i + 1);
            instrument.seed = static_cast<std::uint32_t>(i + 1);
            instrument.records = records;
            instrument.period = period;
            config.instruments.push_back(instrument);
            NetDevice device;
            CopyText(device.deviceName, instrument.name);
            device.deviceAddress = instrument.radioAddress;
            options.devices.push_back(device);
        }
        network = std::make_shared<sim::SimNetwork>(config, clock);
        options.port = "simulated";
        status = status.ForDevices(options.devices);
    }

    RoundResult Round() {
        Collector collector({folder.Path(), profile, sensors, clock,
                             [this](const std::string&) -> std::unique_ptr<SerialLine> {
                                 return std::make_unique<SimulatedLine>(clock, network);
                             }},
                            options);
        deviceMs.clear();
        std::int64_t last = clock.MonotonicMs();
        return collector.RunRound(status, [&](const CollectStatus&, std::size_t) {
            deviceMs.push_back(clock.MonotonicMs() - last);
            last = clock.MonotonicMs();
        });
    }
};

void SetCounters(benchmark::State& state, double lineSeconds, double bytes, double added,
                 double sent) {
    const double n = static_cast<double>(state.iterations());
    state.counters["line_s"] = lineSeconds / n;
    state.counters["bytes"] = bytes / n;
    state.counters["sent"] = sent / n;
    state.counters["bytes_9600_s"] = bytes * 10.0 / 9600.0 / n;
    state.counters["added"] = added / n;
    state.counters["per_device_s"] = lineSeconds / n / kInstruments;
}

void NothingNew(benchmark::State& state) {
    Rig rig(48, 86400);  // no record comes while the rounds run
    rig.Round();
    double lineSeconds = 0, bytes = 0, added = 0, sent = 0;
    for (auto _ : state) {
        const RoundResult round = rig.Round();
        if (!round.allCollected) state.SkipWithError("a device was not collected");
        state.SetIterationTime(round.lineMs / 1000.0);
        lineSeconds += round.lineMs / 1000.0;
        bytes += static_cast<double>(round.bytesSent + round.bytesReceived);
        sent += static_cast<double>(round.bytesSent);
        for (const DeviceStatus& d : rig.status.devices)
            added += d.added;
    }
    SetCounters(state, lineSeconds, bytes, added, sent);
}
BENCHMARK(NothingNew)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

void FiveHundredNew(benchmark::State& state) {
    double lineSeconds = 0, bytes = 0, added = 0, sent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Rig rig(10, 60);
        rig.Round();
        rig.clock.Advance(500LL * 60 * 1000);  // 500 more records each
        state.ResumeTiming();
        const RoundResult round = rig.Round();
        if (!round.allCollected) state.SkipWithError("a device was not collected");
        state.SetIterationTime(round.lineMs / 1000.0);
        lineSeconds += round.lineMs / 1000.0;
        bytes += static_cast<double>(round.bytesSent + round.bytesReceived);
        sent += static_cast<double>(round.bytesSent);
        for (const DeviceStatus& d : rig.status.devices)
            added += d.added;
    }
    SetCounters(state, lineSeconds, bytes, added, sent);
}
BENCHMARK(FiveHundredNew)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// The first round of all: projects made from the instruments' (every sensor compared).
void FirstContact(benchmark::State& state) {
    double lineSeconds = 0, bytes = 0, added = 0, sent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Rig rig(48, 600);
        state.ResumeTiming();
        const RoundResult round = rig.Round();
        if (!round.allCollected) state.SkipWithError("a device was not collected");
        state.SetIterationTime(round.lineMs / 1000.0);
        lineSeconds += round.lineMs / 1000.0;
        bytes += static_cast<double>(round.bytesSent + round.bytesReceived);
        sent += static_cast<double>(round.bytesSent);
        for (const DeviceStatus& d : rig.status.devices)
            added += d.added;
    }
    SetCounters(state, lineSeconds, bytes, added, sent);
}
BENCHMARK(FirstContact)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
}  // namespace vg28
