#include "collect/CollectRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "collect/StopRequest.h"
#include "link/SimulatedLine.h"
#include "platform/FixedText.h"
#include "support/WritingRequests.h"

namespace vg28::test {

sim::SimNetworkConfig CollectRig::ThreeInstruments(int records) {
    sim::SimNetworkConfig config;
    const sim::SimInstrumentConfig model = config.instruments.front();
    config.instruments.clear();
    const char* names[] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        sim::SimInstrumentConfig instrument = model;
        instrument.name = names[i];
        instrument.radioAddress = static_cast<std::uint16_t>(i + 1);
        instrument.project = "Demo" + std::to_string(i + 1);
        instrument.identification = "VG28-0011" + std::to_string(5 + i);
        instrument.seed = static_cast<std::uint32_t>(11 + i);
        instrument.records = records;
        config.instruments.push_back(instrument);
    }
    return config;
}

NetDevice CollectRig::Device(const std::string& name, std::uint16_t address) {
    NetDevice device;
    CopyText(device.deviceName, name);
    device.deviceAddress = address;
    return device;
}

CollectRig::CollectRig(const sim::SimNetworkConfig& config, std::vector<NetDevice> list)
    : SimWiring(config), devices(std::move(list)) {
    StopRequest::Clear();
    // The collector reads and saves the database of its program folder.
    std::filesystem::copy_file(ShippedSensorDatabase(), folder.File("sensors.dat"));
}

CollectRig::~CollectRig() {
    StopRequest::Clear();
}

RoundResult CollectRig::Round(int searchSeconds, bool setClock) {
    CollectOptions options;
    options.port = "simulated";
    options.devices = devices;
    options.searchSeconds = searchSeconds;
    options.setClock = setClock;
    Collector collector({folder.Path(), profile, sensors, clock,
                         [this](const std::string& port) -> std::unique_ptr<SerialLine> {
                             auto line = std::make_unique<SimulatedLine>(clock, network, port);
                             if (wrapLine) return wrapLine(std::move(line));
                             return line;
                         }},
                        options);
    if (status.devices.empty()) status = status.ForDevices(collector.Targets());
    return collector.RunRound(status,
                              [this](const CollectStatus&, std::size_t) { ++afterDeviceCalls; });
}

std::unique_ptr<CProjectDoc> CollectRig::Project(const std::string& name) {
    auto loaded = std::make_unique<CProjectDoc>(folder.Path(), profile, sensors);
    if (loaded->LoadProject(loaded->ProjectFilePath(name)) != kFileOk) return nullptr;
    return loaded;
}

void CollectRig::ExpectProjectHoldsRecordsOf(const std::string& project, std::size_t instrument) {
    SCOPED_TRACE("project " + project);
    const std::unique_ptr<CProjectDoc> saved = Project(project);
    ASSERT_TRUE(saved);
    const std::vector<std::string>& lines = Instrument(instrument).Records();
    ASSERT_EQ(saved->records.size(), lines.size());
    std::set<std::int64_t> times;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        MeasurementRecord expected{};
        ASSERT_TRUE(saved->ParseRecordLine(expected, lines[i], nullptr));
        saved->MarkRecord(expected);
        ASSERT_EQ(std::memcmp(&saved->records[i], &expected, sizeof expected), 0)
            << "record " << i << " differs from " << lines[i];
        EXPECT_TRUE(times.insert(expected.time.Seconds()).second) << "twice: " << lines[i];
    }
}

std::vector<std::string> CollectRig::WritingRequests() const {
    return test::WritingRequests(network->Requests());
}

}  // namespace vg28::test
