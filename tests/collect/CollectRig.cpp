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
    : profile(folder.File("vg28-terminal.ini")), devices(std::move(list)) {
    StopRequest::Clear();
    std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                               folder.File("sensors.dat"));
    sensors.Load(folder.File("sensors.dat"));
    network = std::make_shared<sim::SimNetwork>(config, clock);
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
    auto doc = std::make_unique<CProjectDoc>(folder.Path(), profile, sensors);
    if (doc->LoadProject(doc->ProjectFilePath(name)) != kFileOk) return nullptr;
    return doc;
}

void CollectRig::ExpectProjectHoldsRecordsOf(const std::string& project, std::size_t instrument) {
    SCOPED_TRACE("project " + project);
    const std::unique_ptr<CProjectDoc> doc = Project(project);
    ASSERT_TRUE(doc);
    const std::vector<std::string>& lines = Instrument(instrument).Records();
    ASSERT_EQ(doc->records.size(), lines.size());
    std::set<std::int64_t> times;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        MeasurementRecord expected{};
        ASSERT_TRUE(doc->ParseRecordLine(expected, lines[i], nullptr));
        doc->MarkRecord(expected);
        ASSERT_EQ(std::memcmp(&doc->records[i], &expected, sizeof expected), 0)
            << "record " << i << " differs from " << lines[i];
        EXPECT_TRUE(times.insert(expected.time.Seconds()).second) << "twice: " << lines[i];
    }
}

std::vector<std::string> CollectRig::WritingRequests() const {
    return test::WritingRequests(network->Requests());
}

}  // namespace vg28::test
