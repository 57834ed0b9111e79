#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/ToolRunner.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;
using test::ShellQuote;

struct ShellRun {
    int status = -1;
    std::string out;
};

ShellRun Shell(const std::string& command) {
    ShellRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string DesktopExec(const std::string& path) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Exec=", 0) == 0) return line.substr(5, line.find(' ') - 5);
    return {};
}

// Guards against an installed copy (at any prefix, as the package unpacked anywhere) that lacks
// a file of the package, cannot find its shipped data from its own folder, or keeps the
// user's files among the programs instead of the user's data folder.
TEST(Install, AnyPrefixRunsWithTheUsersDataFolder) {
    test::TempFolder root;
    const std::string prefix = root.File("prefix");
    const ShellRun install =
        Shell(ShellQuote(VG28_CMAKE_COMMAND) + " --install " + ShellQuote(VG28_BUILD_DIR) +
              " --prefix " + ShellQuote(prefix) + " 2>&1");
    ASSERT_EQ(install.status, 0) << install.out;

    std::vector<std::string> files = {"bin/vg28-tool",
                                      "bin/vg28-sim",
                                      "share/vg28/sensors.dat",
                                      "share/vg28/net.xcfg.example",
                                      "share/man/man1/vg28-tool.1.gz",
                                      "share/man/man1/vg28-sim.1.gz",
                                      "lib/systemd/user/vg28-collect.service"};
    const bool gui = fs::exists(std::string(VG28_PROGRAM_DIR) + "/vg28-terminal");
    if (gui) {
        for (const char* file : {"bin/vg28-terminal", "bin/plotvane",
                                 "share/applications/com.arbolux.vg28.terminal.desktop",
                                 "share/metainfo/com.arbolux.vg28.terminal.metainfo.xml",
                                 "share/icons/hicolor/scalable/apps/vg28-terminal.svg"})
            files.push_back(file);
        for (const char* size : {"16", "32", "48", "64", "128", "256"})
            files.push_back(std::string("share/icons/hicolor/") + size + "x" + size +
                            "/apps/vg28-terminal.png");
    }
    for (const std::string& file : files)
        EXPECT_TRUE(fs::is_regular_file(prefix + "/" + file)) << file;
    if (gui) {
        const std::string exec =
            DesktopExec(prefix + "/share/applications/com.arbolux.vg28.terminal.desktop");
        EXPECT_TRUE(fs::exists(prefix + "/bin/" + exec)) << exec;
    }

    // The collector's user unit runs this prefix's vg28-tool.
    std::ifstream unit(prefix + "/lib/systemd/user/vg28-collect.service");
    std::string execStart;
    for (std::string line; std::getline(unit, line);)
        if (line.rfind("ExecStart=", 0) == 0) execStart = line.substr(10);
    EXPECT_EQ(execStart.rfind(prefix + "/bin/vg28-tool collect --every ", 0), 0u) << execStart;

    const std::string home = root.File("home");
    const std::string tool = "env -u XDG_DATA_HOME HOME=" + ShellQuote(home) + " " +
                             ShellQuote(prefix + "/bin/vg28-tool") + " ";
    const ShellRun version = Shell(tool + "--version");
    EXPECT_EQ(version.out, std::string("vg28-tool ") + VG28_VERSION + "\n");
    const ShellRun sensors = Shell(tool + "sensors");
    EXPECT_EQ(sensors.status, 0);
    EXPECT_NE(sensors.out.find("Sample TA"), std::string::npos);
    ASSERT_EQ(Shell(tool + "project new p").status, 0);

    const std::string user = home + "/.local/share/vg28/";
    EXPECT_TRUE(fs::is_regular_file(user + "p.phj"));
    EXPECT_TRUE(fs::is_regular_file(user + "net.xcfg.example"));
    EXPECT_EQ(fs::file_size(user + "sensors.dat"),
              fs::file_size(prefix + "/share/vg28/sensors.dat"));
    for (const auto& entry : fs::directory_iterator(prefix + "/bin")) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.rfind("vg28-", 0) == 0 || name == "plotvane", true) << name;
        EXPECT_EQ(name.find('.'), std::string::npos) << name;
    }

    const std::string data = root.File("data");
    const ShellRun list = Shell("XDG_DATA_HOME=" + ShellQuote(data) + " HOME=" + ShellQuote(home) +
                                " " + ShellQuote(prefix + "/bin/vg28-tool") + " project list");
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out.find('p'), std::string::npos) << list.out;
    EXPECT_TRUE(fs::is_regular_file(data + "/vg28/sensors.dat"));

    const ShellRun sim = Shell(ShellQuote(prefix + "/bin/vg28-sim") + " --version");
    EXPECT_EQ(sim.out, std::string("vg28-sim ") + VG28_VERSION + "\n");
}

}  // namespace
}  // namespace vg28
