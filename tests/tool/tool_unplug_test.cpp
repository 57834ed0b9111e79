#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "support/SimProcess.h"
#include "support/TempFolder.h"
#include "support/ToolRunner.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;

// Guards against an adapter pulled out in the middle of a download ending `vg28-tool sync`
// with a dead port, against the port not being opened again under its by-id name once a new
// adapter is behind it, and against records being lost or taken twice across the change. The
// two simulators hold the same records: they are made from the time, aligned to the period.
TEST(ToolUnplug, AdapterPulledOutMidDownloadAndPluggedBackEndsWithEveryRecordOnce) {
    test::TempFolder folder;
    fs::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat", folder.File("sensors.dat"));
    const std::string byId = folder.File("usb-Arbolux_VG-28_A1-if00-port0");
    const std::vector<std::string> instrument = {"--link", byId,       "--records",
                                                 "100",    "--period", "3600"};
    test::SimProcess first;
    ASSERT_EQ(first.Start(instrument).rfind("/dev/", 0), 0u);
    test::ToolProcess sync(folder, {"sync", "-", "--port", byId}, folder.File("sync-err.txt"));
    ASSERT_TRUE(sync.Started());

    ASSERT_TRUE(test::AwaitRecordsInFile(folder.File("Demo.phj"), 10))
        << folder.ReadFile("sync-err.txt");

    // Pulled out for a second, then a new adapter under the same name.
    EXPECT_TRUE(first.Stop());
    ::sleep(1);
    test::SimProcess second;
    ASSERT_EQ(second.Start(instrument).rfind("/dev/", 0), 0u);
    const int status = sync.Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << folder.ReadFile("sync-err.txt");

    const test::ToolRun shown = test::RunTool(folder, "project show Demo --json");
    ASSERT_EQ(shown.status, 0) << shown.err;
    const auto json = nlohmann::json::parse(shown.out);
    std::vector<std::string> times;
    for (const auto& record : json["records"])
        times.push_back(record["time"].get<std::string>());
    // An hour that began between the two simulators adds its record to the second one.
    EXPECT_GE(times.size(), 100u);
    EXPECT_LE(times.size(), 101u);
    EXPECT_EQ(std::set<std::string>(times.begin(), times.end()).size(), times.size());
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    for (const std::string& time : times)
        EXPECT_EQ(time.substr(time.size() - 5), "00:00") << time;
}

}  // namespace
}  // namespace vg28
