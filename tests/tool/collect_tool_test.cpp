#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/PtyPair.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"
#include "support/ToolRunner.h"
#include "support/WritingRequests.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;
using test::ToolRun;

const std::vector<std::string> kStatusKeys = {
    "name",       "address", "lastContact", "result",      "project", "records",
    "lastRecord", "added",   "em50Added",   "clockOffset", "mode",    "nextRecord"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The request lines vg28-sim --verbose logged ("> request").
std::vector<std::string> LoggedRequests(const std::string& log) {
    std::vector<std::string> requests;
    for (const std::string& line : Lines(log))
        if (line.rfind("> ", 0) == 0) requests.push_back(line.substr(2));
    return requests;
}

// Whether a program holds the terminal (its exclusive mode is on), seen without its lock.
bool IsTaken(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == EBUSY;
    int exclusive = 0;
    const bool taken = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
    ::close(fd);
    return taken;
}

class CollectToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat", folder.File("sensors.dat"));
    }

    ToolRun Tool(const std::string& arguments) { return test::RunTool(folder, arguments); }

    // The records of a project, as vg28-tool reads its file: their times.
    std::vector<std::string> RecordTimes(const std::string& project) {
        const ToolRun run = Tool("project show " + ShellQuote(project) + " --json");
        const auto json = nlohmann::json::parse(run.out, nullptr, false);
        std::vector<std::string> times;
        if (json.is_discarded() || !json.contains("records")) return times;
        for (const auto& record : json["records"])
            times.push_back(record["time"].get<std::string>());
        return times;
    }

    test::TempFolder folder;
};

// Guards against `collect --once` on a real pseudo-terminal with three instruments on one
// radio line not collecting all three into projects of their own, the status file and
// `collect --json` lacking a key of the status or holding others, `status` not showing the
// same, the log not being one line per device, and anything being written to an instrument.
TEST_F(CollectToolTest, OnceCollectsThreeInstrumentsOnOnePty) {
    test::SimProcess sim;
    const std::string simLog = folder.File("sim.log");
    const std::string port =
        sim.Start({"--instruments", "a,b,c", "--records", "4", "--verbose"}, simLog);
    ASSERT_EQ(port.rfind("/dev/", 0), 0u) << port;
    folder.WriteFile("net.xcfg",
                     "<net><device id=\"A\" xsaddr=\"1\"/><device id=\"b\" xsaddr=\"2\"/>"
                     "<device id=\"c\" xsaddr=\"3\"/></net>");

    const ToolRun run = Tool("collect --once --json --port " + ShellQuote(port));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto printed = nlohmann::ordered_json::parse(run.out, nullptr, false);
    ASSERT_FALSE(printed.is_discarded()) << run.out;
    const auto file =
        nlohmann::ordered_json::parse(folder.ReadFile("collect-status.json"), nullptr, false);
    EXPECT_EQ(file, printed);
    ASSERT_EQ(printed["devices"].size(), 3u);
    const char* names[] = {"a", "b", "c"};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        const auto& device = printed["devices"][i];
        std::vector<std::string> keys;
        for (const auto& item : device.items())
            keys.push_back(item.key());
        EXPECT_EQ(keys, kStatusKeys);
        EXPECT_EQ(device["name"], names[i]);
        EXPECT_EQ(device["address"], i + 1);
        EXPECT_EQ(device["result"], "ok");
        const std::string project = "Demo" + std::to_string(i + 1);
        EXPECT_EQ(device["project"], project);
        EXPECT_GE(device["records"].get<int>(), 4);
        EXPECT_EQ(device["added"], device["records"]);
        EXPECT_EQ(device["mode"], "record");
        EXPECT_TRUE(device["lastContact"].is_string());
        EXPECT_TRUE(device["nextRecord"].is_string());
        EXPECT_LE(std::abs(device["clockOffset"].get<int>()), 2);
        const std::vector<std::string> times = RecordTimes(project);
        EXPECT_EQ(times.size(), device["records"].get<std::size_t>());
        EXPECT_EQ(std::set<std::string>(times.begin(), times.end()).size(), times.size());
        EXPECT_EQ(device["lastRecord"], times.empty() ? "" : times.back());
    }
    const std::vector<std::string> log = Lines(run.err);
    ASSERT_EQ(log.size(), 3u) << run.err;
    EXPECT_EQ(log[0].rfind("a [1]: ok; project Demo1, ", 0), 0u) << log[0];
    EXPECT_EQ(log[2].rfind("c [3]: ok; project Demo3, ", 0), 0u) << log[2];

    ToolRun status = Tool("status");
    ASSERT_EQ(status.status, 0) << status.err;
    const std::vector<std::string> table = Lines(status.out);
    ASSERT_EQ(table.size(), 4u) << status.out;
    EXPECT_EQ(table[0].rfind("DEVICE  ADDRESS  PROJECT  RECORDS", 0), 0u) << table[0];
    EXPECT_EQ(table[2].rfind("b       2        Demo2    ", 0), 0u) << table[2];
    EXPECT_EQ(table[2].substr(table[2].size() - 2), "ok");
    status = Tool("status --json");
    EXPECT_EQ(nlohmann::ordered_json::parse(status.out, nullptr, false), file);

    sim.Stop();
    const std::vector<std::string> requests = LoggedRequests(folder.ReadFile("sim.log"));
    EXPECT_GT(requests.size(), 30u);
    EXPECT_EQ(test::WritingRequests(requests), std::vector<std::string>{});
}

// Guards against SIGINT in the middle of a download of `collect --every` not ending the
// program at once with status 0 and the port closed, losing the records already received,
// or the next run storing a record twice or leaving one out; and against another program
// talking on the port while the collector's round holds it.
TEST_F(CollectToolTest, SigintInTheMiddleOfADownloadThenOnceHasEveryRecordOnce) {
    test::SimProcess sim;
    const std::string port = sim.Start({"--records", "60"});
    ASSERT_EQ(port.rfind("/dev/", 0), 0u) << port;
    test::ToolProcess collector(folder, {"collect", "--every", "30", "--port", port},
                                folder.File("collect-err.txt"));
    ASSERT_TRUE(collector.Started());
    // The download has begun when the project file holds some records.
    ASSERT_TRUE(test::AwaitRecordsInFile(folder.File("Demo.phj"), 10))
        << folder.ReadFile("collect-err.txt");
    // The collector holds the port for its round: another program is told it is in use.
    EXPECT_TRUE(IsTaken(port));
    const ToolRun other = Tool("device info --port " + ShellQuote(port));
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("Порт занят другой программой"), std::string::npos) << other.err;

    const auto signalled = std::chrono::steady_clock::now();
    collector.Signal(SIGINT);
    const int status = collector.Wait();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 0) << folder.ReadFile("collect-err.txt");
    EXPECT_LT(seconds, 5.0) << "the stop waited for more than the current exchange";
    EXPECT_FALSE(IsTaken(port));
    std::printf("[ figures  ] SIGINT to exit: %.2f s\n", seconds);

    const std::vector<std::string> partial = RecordTimes("Demo");
    EXPECT_GE(partial.size(), 10u);
    EXPECT_LT(partial.size(), 60u) << "the stop came after the download";
    const auto stopped = nlohmann::json::parse(folder.ReadFile("collect-status.json"));
    EXPECT_EQ(stopped["devices"][0]["result"], "stopped");
    EXPECT_EQ(stopped["devices"][0]["records"], partial.size());

    // The instrument is still sending the rest of its burst: the new run lets the line fall
    // quiet before it talks.
    const ToolRun again = Tool("collect --once --port " + ShellQuote(port));
    ASSERT_EQ(again.status, 0) << again.err;
    const std::vector<std::string> all = RecordTimes("Demo");
    EXPECT_GE(all.size(), 60u);
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
    for (std::size_t i = 0; i < partial.size(); ++i)
        EXPECT_EQ(all[i], partial[i]);
    const auto done = nlohmann::json::parse(folder.ReadFile("collect-status.json"));
    EXPECT_EQ(done["devices"][0]["added"], all.size() - partial.size());
}

// Guards against a port that another program holds being talked on, or refused without the
// program's message and the line saying so, and against `status` and bad command lines.
TEST_F(CollectToolTest, PortInUseAndBadUsage) {
    test::PtyPair held;
    const int holder = ::open(held.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    folder.WriteFile("net.xcfg", "<net><device id=\"a\" xsaddr=\"1\"/></net>");
    ToolRun run = Tool("status");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("collect-status.json"), std::string::npos) << run.err;

    run = Tool("collect --port " + ShellQuote(held.slave));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Ошибка подключения к порту " + held.slave), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Порт занят другой программой"), std::string::npos) << run.err;
    const auto status = nlohmann::json::parse(folder.ReadFile("collect-status.json"));
    EXPECT_EQ(status["devices"][0]["result"].get<std::string>().rfind(
                  "the port was not opened: Ошибка подключения к порту", 0),
              0u);
    ::close(holder);

    for (const char* bad :
         {"collect --once --every 10", "collect --every 0", "collect --search-seconds x",
          "collect --devices a,zz", "collect x", "status --every 3"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Tool(bad).status, 64);
    }
}

}  // namespace
}  // namespace vg28
