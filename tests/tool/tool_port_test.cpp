#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <grp.h>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "link/CSerialPort.h"
#include "support/OtherUser.h"
#include "support/PtyPair.h"
#include "support/SimProcess.h"
#include "support/TempFolder.h"
#include "support/ToolRunner.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;
using test::ToolRun;

const std::string kFailed = "Ошибка подключения к порту ";
const std::string kMaybeBusyOrMissing =
    "\n\nПоследовательный порт либо занят, либо отсутствует в системе.";
const std::string kInUse =
    "Порт занят другой программой (другой копией терминала, vg28-tool или иной). Закройте её и "
    "подключитесь снова.";

std::string ThisUser() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry ? entry->pw_name : "";
}

std::string GroupOfFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    const group* entry = ::getgrgid(info.st_gid);
    return entry ? entry->gr_name : std::to_string(info.st_gid);
}

// Whether a program has taken the terminal, seen without taking its lock even for a moment
// (which could refuse the program's own open): its exclusive mode is on.
bool IsTaken(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == EBUSY;
    int exclusive = 0;
    const bool taken = ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
    ::close(fd);
    return taken;
}

class ToolPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat", folder.File("sensors.dat"));
    }

    ToolRun Tool(const std::string& arguments) { return test::RunTool(folder, arguments); }

    test::TempFolder folder;
};

// Guards against two copies of vg28-tool talking to one instrument at once: the second is
// refused at once with the reason while the first holds the port, and the first goes on to
// identify the instrument undisturbed.
TEST_F(ToolPortTest, SecondToolOnOnePortFailsAtOnce) {
    test::SimProcess sim;
    const std::string port = sim.Start({"--mode", "MANUAL"});
    ASSERT_EQ(port.rfind("/dev/", 0), 0u) << port;

    const std::string firstErr = folder.File("first-err.txt");
    const std::string command = std::string(VG28_PROGRAM_DIR) + "/vg28-tool --folder " +
                                ShellQuote(folder.Path()) + " connect --json --port " +
                                ShellQuote(port) + " 2>" + ShellQuote(firstErr);
    FILE* first = ::popen(command.c_str(), "r");
    ASSERT_NE(first, nullptr);
    for (int wait = 0; wait < 1000 && !IsTaken(port); ++wait)
        ::usleep(10000);
    ASSERT_TRUE(IsTaken(port));

    const ToolRun second = Tool("device info --port " + ShellQuote(port));
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, kFailed + port + kMaybeBusyOrMissing + "\n\n" + kInUse + "\n");
    EXPECT_TRUE(second.out.empty());
    EXPECT_TRUE(IsTaken(port)) << "the first had finished: the second did not fail at once";

    std::string out;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, first)) > 0;)
        out.append(buffer, got);
    const int status = ::pclose(first);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << folder.ReadFile("first-err.txt");
    const auto state = nlohmann::json::parse(out, nullptr, false);
    ASSERT_FALSE(state.is_discarded()) << out;
    EXPECT_EQ(state["connected"], true);
    EXPECT_EQ(state["deviceId"], "VG28-00115");
    EXPECT_FALSE(IsTaken(port)) << "the port stayed taken after the first ended";
}

// Guards against vg28-tool's message for a port that will not open leaving out what to do:
// the same line under message 10110 as the desktop program, on standard error, status 1.
TEST_F(ToolPortTest, PortErrorSaysWhatToDo) {
    const std::string missing = folder.File("ttyUSB9");
    ToolRun run = Tool("device info --port " + ShellQuote(missing));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind(kFailed + missing + kMaybeBusyOrMissing + "\n\nТакого порта нет", 0),
              0u)
        << run.err;
    EXPECT_TRUE(run.out.empty());

    test::PtyPair held;
    const int holder = ::open(held.slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    run = Tool("device info --port " + ShellQuote(held.slave));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, kFailed + held.slave + kMaybeBusyOrMissing + "\n\n" + kInUse + "\n");
    ::close(holder);

    test::PtyPair denied;
    ASSERT_TRUE(test::MakeDeviceOfOtherGroup(denied.slave));
    const std::string group = GroupOfFile(denied.slave);
    ::chmod(folder.Path().c_str(), 0777);  // the other user's settings and log go there
    const auto result = test::RunUnprivileged([&] {
        const ToolRun other = Tool("device info --port " + ShellQuote(denied.slave));
        return std::to_string(other.status) + "\n" + ThisUser() + "\n" + other.err;
    });
    if (!result) GTEST_SKIP() << "no unprivileged user to run vg28-tool as";
    std::istringstream lines(*result);
    std::string status, user;
    std::getline(lines, status);
    std::getline(lines, user);
    EXPECT_EQ(status, "1");
    EXPECT_EQ(result->substr(status.size() + user.size() + 2),
              kFailed + denied.slave + kMaybeBusyOrMissing +
                  "\n\nНет прав на доступ к порту: пользователь должен состоять в группе " + group +
                  ", которой принадлежит устройство. Добавьте его в группу "
                  "(sudo usermod -aG " +
                  group + " " + user + ") и войдите в систему заново.\n");
}

// A device folder whose usual names and by-id link lead to pseudo-terminals: one free, one a
// port of this process holds, one locked by another program, one the user may not open.
struct FakeDeviceTree {
    test::TempFolder root;
    std::string dev = root.File("dev");
    test::PtyPair free, held, locked, denied;
    CSerialPort holder;
    int lockFd = -1;

    FakeDeviceTree() {
        fs::create_directories(dev + "/serial/by-id");
        fs::create_symlink(free.slave, dev + "/ttyUSB0");
        fs::create_symlink(held.slave, dev + "/ttyUSB1");
        fs::create_symlink("../../ttyUSB1", dev + "/serial/by-id/usb-Test_Adapter_42-if00-port0");
        fs::create_symlink(locked.slave, dev + "/ttyS0");
        fs::create_symlink(denied.slave, dev + "/ttyACM0");
        for (const std::string* slave : {&free.slave, &held.slave, &locked.slave})
            ::chmod(slave->c_str(), 0666);
        test::MakeDeviceOfOtherGroup(denied.slave);
        holder.Open(held.slave, 9600, kParityNone, 8, kStopOne, kFlowNone);
        lockFd = ::open(locked.slave.c_str(), O_RDWR | O_NOCTTY);
        ::flock(lockFd, LOCK_EX | LOCK_NB);
        test::OpenToOtherUsers(root.Path());
        test::OpenToOtherUsers(dev);
    }
    ~FakeDeviceTree() { ::close(lockFd); }

    std::string ById() const { return dev + "/serial/by-id/usb-Test_Adapter_42-if00-port0"; }
};

// What `ports --json` says of each port, by name: "device access inUse".
std::map<std::string, std::string> PortsByName(const std::string& jsonText) {
    std::map<std::string, std::string> ports;
    const auto list = nlohmann::json::parse(jsonText, nullptr, false);
    if (!list.is_array()) return {{"unreadable", jsonText}};
    for (const auto& port : list) {
        const std::string name = port.value("name", "");
        const std::string inUse = port["inUse"].is_null() ? "null" : port["inUse"].dump();
        ports[name] = port.value("device", "") + " " + port["access"].dump() + " " + inUse;
    }
    if (ports.size() != list.size()) ports["twice"] = jsonText;
    return ports;
}

// Guards against the port list naming a port twice, under the name that changes with the
// plugging order, or telling wrongly who may open it and whether it is in use, and against the
// probe disturbing a port in use.
TEST_F(ToolPortTest, PortsTellsAccessAndUse) {
    FakeDeviceTree tree;
    ASSERT_GE(tree.lockFd, 0);
    ToolRun run = Tool("ports --json --dev " + ShellQuote(tree.dev));
    ASSERT_EQ(run.status, 0) << run.err;
    const bool root = ::geteuid() == 0;
    EXPECT_EQ(
        PortsByName(run.out),
        (std::map<std::string, std::string>{
            {tree.dev + "/ttyUSB0", tree.free.slave + " true false"},
            {tree.ById(), tree.held.slave + " true true"},
            {tree.dev + "/ttyS0", tree.locked.slave + " true true"},
            {tree.dev + "/ttyACM0", tree.denied.slave + (root ? " true false" : " false null")},
        }));

    // The same as a user without privileges: the denied one cannot be looked into.
    ::chmod(folder.Path().c_str(), 0777);
    const auto other = test::RunUnprivileged(
        [&] { return Tool("ports --json --dev " + ShellQuote(tree.dev)).out; });
    if (other) {
        EXPECT_EQ(PortsByName(*other),
                  (std::map<std::string, std::string>{
                      {tree.dev + "/ttyUSB0", tree.free.slave + " true false"},
                      {tree.ById(), tree.held.slave + " true true"},
                      {tree.dev + "/ttyS0", tree.locked.slave + " true true"},
                      {tree.dev + "/ttyACM0", tree.denied.slave + " false null"},
                  }));
    }

    // The text form: a header, then one row per port with the same facts.
    run = Tool("ports --dev " + ShellQuote(tree.dev));
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 4), "NAME");
    EXPECT_EQ(line.substr(line.size() - 6), "IN USE");
    std::map<std::string, std::string> rows;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name, device, access, inUse;
        words >> name >> device >> access >> inUse;
        rows[name] = device + " " + access + " " + inUse;
    }
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[tree.ById()], tree.held.slave + " yes yes");
    EXPECT_EQ(rows[tree.dev + "/ttyUSB0"], tree.free.slave + " yes no");

    // The ports in use were not disturbed: still held, and the holder still talks.
    EXPECT_TRUE(IsTaken(tree.held.slave));
    const int probe = ::open(tree.locked.slave.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_EQ(::flock(probe, LOCK_EX | LOCK_NB), -1);
    ::close(probe);
    SerialTimeouts timeouts;
    timeouts.ReadTotalTimeoutConstant = 500;
    tree.holder.SetTimeouts(timeouts);
    ASSERT_EQ(::write(tree.held.master, "OK\r", 3), 3);
    char reply[3] = {};
    EXPECT_EQ(tree.holder.Read(reply, sizeof reply), 3u);

    // No ports at all.
    run = Tool("ports --json --dev " + ShellQuote(folder.File("none")));
    EXPECT_EQ(run.out, "[]\n");
}

// Guards against an instrument named in Cyrillic capitals on the command line missing its
// lower-case entry of net.xcfg (only A-Z were folded) and never being reached.
TEST_F(ToolPortTest, CyrillicAddressFindsItsInstrument) {
    test::SimProcess sim;
    const std::string port = sim.Start({"--instruments", "теплица:12,поле:13", "--mode", "MANUAL"});
    ASSERT_EQ(port.rfind("/dev/", 0), 0u) << port;
    {
        std::ofstream file(folder.File("net.xcfg"), std::ios::binary);
        file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<net><device id=\"Теплица\" xsaddr=\"12\"/><device id=\"Поле\" "
                "xsaddr=\"13\"/></net>\n";
    }
    for (const char* typed : {"теплица", "ТЕПЛИЦА", "Теплица"}) {
        const ToolRun run = Tool("device info --json --port " + ShellQuote(port) + " --address " +
                                 ShellQuote(typed));
        ASSERT_EQ(run.status, 0) << typed << "\n" << run.err;
        EXPECT_EQ(nlohmann::json::parse(run.out)["model"].get<std::string>().substr(0, 5), "VG-28")
            << typed;
    }
}

}  // namespace
}  // namespace vg28
