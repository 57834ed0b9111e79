#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempFolder.h"
#include "support/ToolRunner.h"

namespace vg28 {
namespace {

// Guards against vg28-tool taking the debug log's on/off from a settings file beside itself
// and writing the log there, instead of the settings and log of the folder it works on.
TEST(ToolDebugLog, FollowsTheSettingsOfTheFolderWorkedOn) {
    struct Case {
        const char* name;
        const char* settings;  // vg28-terminal.ini of the folder; nullptr: none
        bool logged;
    } cases[] = {
        {"log on", "[Debug]\r\nLog=1\r\n", true},
        {"log off", "[Debug]\r\nLog=0\r\n", false},
        {"no settings", nullptr, false},
    };
    const std::string besideTool = std::string(VG28_PROGRAM_DIR) + "/vg28-tool.log";
    const bool besideBefore = std::filesystem::exists(besideTool);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder folder;
        std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                                   folder.File("sensors.dat"));
        if (c.settings) folder.WriteFile("vg28-terminal.ini", c.settings);
        const test::ToolRun run = test::RunTool(folder, "device info --port simulator");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(folder.Exists("vg28-terminal.log"), c.logged);
        if (c.logged) {
            // The exchange of the identification is in it, each line stamped.
            const std::string log = folder.ReadFile("vg28-terminal.log");
            EXPECT_NE(log.find("info"), std::string::npos) << log;
            EXPECT_EQ(log.substr(2, 1), ".");
        }
    }
    EXPECT_EQ(std::filesystem::exists(besideTool), besideBefore);
}

}  // namespace
}  // namespace vg28
