#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "support/SimProcess.h"
#include "support/TempFolder.h"
#include "support/ToolRunner.h"

namespace vg28 {
namespace {

using test::ToolRun;

class ToolConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                                   folder.File("sensors.dat"));
    }

    ToolRun Tool(const std::string& arguments) { return test::RunTool(folder, arguments); }

    test::TempFolder folder;
};

const char* kTwoDevices = R"(<net><device id="Greenhouse 1" xsaddr="12"/><device id="gh2"/></net>)";

// Guards against the device list of the tool differing from the file's rules (lower case,
// address 0 when missing) or an absent file not giving an empty list.
TEST_F(ToolConnectTest, DevicesListsTheRadioNetwork) {
    ToolRun run = Tool("devices --json");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json::array());
    folder.WriteFile("net.xcfg", kTwoDevices);
    run = Tool("devices --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto list = nlohmann::json::parse(run.out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]["name"], "greenhouse 1");
    EXPECT_EQ(list[0]["address"], 12);
    EXPECT_EQ(list[1]["name"], "gh2");
    EXPECT_EQ(list[1]["address"], 0);
    run = Tool("devices");
    EXPECT_EQ(run.out, "greenhouse 1\t12\ngh2\t0\n");
}

// Guards against connect picking an instrument by itself on a radio network, and against the
// live state printed after identification missing its members.
TEST_F(ToolConnectTest, ConnectRefusesWithoutAnInstrumentThenIdentifies) {
    folder.WriteFile("net.xcfg", kTwoDevices);
    ToolRun run = Tool("connect --port simulator");
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find("greenhouse 1"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("gh2"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());

    std::filesystem::remove(folder.File("net.xcfg"));
    run = Tool("connect --port simulator --json");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto state = nlohmann::json::parse(run.out);
    EXPECT_EQ(state["connected"], true);
    EXPECT_EQ(state["deviceId"], "VG28-00115");
    EXPECT_EQ(state["firmwareVersion"], 0x01000205);
    EXPECT_EQ(state["moduleId"], "KWS-00042");
    EXPECT_EQ(state["moduleVersion"], 0x01020003);
    EXPECT_EQ(state["deviceMode"], 2);
    // Real clocks: the reading may straddle a second boundary.
    EXPECT_LE(std::abs(state["clockOffset"].get<int>()), 1);
    EXPECT_TRUE(state.contains("m_rNextRecordTime"));
    EXPECT_EQ(state["step"], 2);
}

// Guards against the real serial path: vg28-sim on a pseudo-terminal with its clock two
// minutes behind; the tool finds it, identifies it and keeps the clock as told.
TEST_F(ToolConnectTest, ConnectThroughPseudoTerminal) {
    const std::string linkPath = folder.File("ttyVG28");
    test::SimProcess sim;
    const std::string printed =
        sim.Start({"--link", linkPath, "--mode", "MANUAL", "--clock-offset", "-120"});
    ASSERT_EQ(printed.rfind("/dev/", 0), 0u) << printed;

    const ToolRun run = Tool("connect --port '" + linkPath + "' --keep-clock");
    sim.Stop();

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("deviceId\tVG28-00115\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("deviceMode\t1 MANUAL\n"), std::string::npos) << run.out;
    const std::size_t offset = run.out.find("clockOffset\t");
    ASSERT_NE(offset, std::string::npos);
    const int seconds = std::stoi(run.out.substr(offset + 12));
    EXPECT_GE(seconds, 119);
    EXPECT_LE(seconds, 121);
    EXPECT_NE(run.err.find("Синхронизировать время?"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace vg28
