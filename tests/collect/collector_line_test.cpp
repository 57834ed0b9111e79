#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SimNetwork.h"
#include "collect/CollectorLine.h"
#include "collect/StopRequest.h"
#include "link/SimulatedLine.h"
#include "platform/FakeClock.h"

namespace vg28 {
namespace {

// Guards against a request that changes the instrument's project, memory, mode or clock
// passing the collector's line (or a query being refused): every setting form the command set
// sends, in both letter cases and with the address prefix.
TEST(CollectorLine, TellsWritesFromQueries) {
    const struct {
        const char* request;
        bool project;
        bool mode;
        bool clock;
    } rows[] = {
        {"project;id", false, false, false},
        {"project;id;\"Demo\"", true, false, false},
        {":gh 1;PROJECT;ID;\"\"", true, false, false},
        {"project;period;1", false, false, false},
        {"project;period;1;0;600", true, false, false},
        {"project;f;exact", false, false, false},
        {"project;f;em50", false, false, false},
        {"PROJECT;F;EXACT;ON", true, false, false},
        {"project;f;em50;off", true, false, false},
        {"sensor;3", false, false, false},
        {":a;sensor;17", false, false, false},
        {"sensor;clear", true, false, false},
        {"sensor;clear;9", true, false, false},
        {"sensor;1;\"TL 1\";\"T\";\"C\";1;-40.0;60.0;STD;2.500;0;1;0;0;0;0", true, false, false},
        {"init", true, false, false},
        {"info", false, false, false},
        {"mode", false, false, false},
        {"mode;START", false, true, false},
        {":b;mode;manual", false, true, false},
        {"time", false, false, false},
        {"time;2011-01-18 15:30:00", false, false, true},
        {"record;s;from;2011-01-18 15:30:01", false, false, false},
        {"xdev;dump -write", false, false, false},
        {"cfgtime", false, false, false},
        {"+", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request);
        EXPECT_EQ(CollectorLine::ChangesProject(row.request), row.project);
        EXPECT_EQ(CollectorLine::ChangesMode(row.request), row.mode);
        EXPECT_EQ(CollectorLine::SetsClock(row.request), row.clock);
    }
}

// Guards against a refused command going out in part (its address prefix, written on its own
// first, reaching the instrument and spoiling the next request), against an allowed one not
// going out whole, and against the byte counts.
TEST(CollectorLine, RefusedCommandSendsNothingNotEvenItsPrefix) {
    FakeClock clock;
    sim::SimNetworkConfig config;
    config.instruments[0].name = "a";
    auto network = std::make_shared<sim::SimNetwork>(config, clock);
    CollectorLine line(std::make_unique<SimulatedLine>(clock, network), false);
    line.Open(LineSettings{});
    const std::string prefix = ":a;";
    EXPECT_EQ(line.Write(prefix.data(), prefix.size()), prefix.size());
    const std::string write = "project;period;1;0;60\r";
    EXPECT_EQ(line.Write(write.data(), write.size()), 0u);
    EXPECT_EQ(line.RefusedWrites(), 1);
    EXPECT_EQ(line.Write(prefix.data(), prefix.size()), prefix.size());
    const std::string query = "mode\r";
    EXPECT_EQ(line.Write(query.data(), query.size()), query.size());
    ASSERT_EQ(network->Requests(), std::vector<std::string>{":a;mode"});
    EXPECT_EQ(line.BytesSent(), prefix.size() + query.size());
    const std::string clockSetting = "time;2011-01-18 15:30:00\r";
    EXPECT_EQ(line.Write(clockSetting.data(), clockSetting.size()), 0u);
    EXPECT_EQ(line.RefusedClockSettings(), 1);
    char reply[64];
    const std::size_t got = line.Read(reply, sizeof reply);
    EXPECT_GT(got, 0u);
    EXPECT_EQ(line.BytesReceived(), got);
}

// Guards against a stop request leaving a read waiting for the line's time-out.
TEST(CollectorLine, ReadsNothingOnceAStopIsRequested) {
    FakeClock clock;
    auto network = std::make_shared<sim::SimNetwork>(sim::SimNetworkConfig{}, clock);
    CollectorLine line(std::make_unique<SimulatedLine>(clock, network), false);
    line.Open(LineSettings{});
    SerialTimeouts timeouts;
    timeouts.ReadTotalTimeoutConstant = 2000;
    line.SetTimeouts(timeouts);
    StopRequest::Raise();
    const std::int64_t before = clock.MonotonicMs();
    char byte = 0;
    EXPECT_EQ(line.Read(&byte, 1), 0u);
    EXPECT_EQ(clock.MonotonicMs(), before);
    StopRequest::Clear();
    EXPECT_EQ(line.Read(&byte, 1), 0u);
    EXPECT_EQ(clock.MonotonicMs(), before + 2000);
}

}  // namespace
}  // namespace vg28
