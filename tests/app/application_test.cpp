#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/FakeClock.h"
#include "platform/FixedText.h"
#include "project/CProjectDoc.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

struct AppFixture {
    test::TempFolder program;
    test::TempFolder locks;
    FakeClock clock;
    test::RecordingOperator op;

    AppFixture() {
        std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                                   program.File("sensors.dat"));
    }
};

// Guards against the settings and log files not following the program's own name and folder.
TEST(Application, FilesBesideTheProgramNamedAfterIt) {
    struct Case {
        const char* program;
        const char* settings;
        const char* log;
    } cases[] = {
        {"vg28-terminal", "vg28-terminal.ini", "vg28-terminal.log"},
        {"Y.exe", "Y.ini", "Y.log"},
        {"arbo.lux.bin", "arbo.lux.ini", "arbo.lux.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        AppFixture f;
        Application app(f.op, f.clock);
        ASSERT_TRUE(app.InitInstance(f.program.File(c.program), f.locks.Path()));
        EXPECT_EQ(app.ProgramFolder(), f.program.Path());
        EXPECT_EQ(app.SettingsPath(), f.program.File(c.settings));
        EXPECT_EQ(app.LogPath(), f.program.File(c.log));
        EXPECT_EQ(app.AppFilePath("Demo", ".phj"), f.program.File("Demo.phj"));
        EXPECT_EQ(app.AppFilePath("net.xcfg", ""), f.program.File("net.xcfg"));
        EXPECT_EQ(app.AppFilePath("", ".ini"), f.program.File(".ini"));
        ASSERT_NE(app.Doc(), nullptr);
        EXPECT_EQ(&app.Doc()->GetProfile(), &app.GetProfile());
        EXPECT_EQ(app.Doc()->ProjectFilePath("p"), f.program.File("p.phj"));
        EXPECT_GT(app.Sensors().Count(), 0u);
        EXPECT_TRUE(f.op.Messages().empty());
    }
}

// Guards against an installed copy keeping its settings, log and projects beside the programs,
// against its first start finding no sensor database, and against later starts losing the
// user's edited database; the files stay named after the program.
TEST(Application, InstalledCopyUsesTheUsersDataFolder) {
    struct Case {
        const char* program;
        const char* settings;
        const char* log;
    } cases[] = {
        {"vg28-terminal", "vg28-terminal.ini", "vg28-terminal.log"},
        {"Y.exe", "Y.ini", "Y.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        AppFixture f;
        std::filesystem::create_directories(f.program.File("usr/bin"));
        std::filesystem::create_directories(f.program.File("usr/share/vg28"));
        std::filesystem::rename(f.program.File("sensors.dat"),
                                f.program.File("usr/share/vg28/sensors.dat"));
        f.program.WriteFile("usr/share/vg28/net.xcfg.example", "<net/>");
        UserEnvironment user;
        user.home = f.program.File("home");
        const std::string folder = f.program.File("home/.local/share/vg28/");
        const std::string program = f.program.File(std::string("usr/bin/") + c.program);
        {
            Application app(f.op, f.clock);
            ASSERT_TRUE(app.InitInstance(program, f.locks.Path(), user));
            EXPECT_EQ(app.ProgramFolder(), folder);
            EXPECT_EQ(app.SettingsPath(), folder + c.settings);
            EXPECT_EQ(app.LogPath(), folder + c.log);
            EXPECT_EQ(app.Doc()->ProjectFilePath("p"), folder + "p.phj");
            EXPECT_GT(app.Sensors().Count(), 0u);
            EXPECT_TRUE(app.FolderError().empty());
            EXPECT_TRUE(std::filesystem::exists(folder + "net.xcfg.example"));
        }
        // The user's own database (edited, here damaged on purpose) is the one read next time.
        std::filesystem::resize_file(folder + "sensors.dat", 10);
        Application again(f.op, f.clock);
        EXPECT_FALSE(again.InitInstance(program, f.locks.Path(), user));
        ASSERT_EQ(f.op.Messages().size(), 1u);
        EXPECT_EQ(f.op.Messages()[0].stringId, 10051);
        EXPECT_TRUE(std::filesystem::is_empty(f.program.File("usr/bin")));
    }
}

// Guards against a second copy starting while the first runs, and against the lock outliving
// the copy that held it.
TEST(Application, SingleInstance) {
    AppFixture f;
    Application first(f.op, f.clock);
    ASSERT_TRUE(first.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()));
    EXPECT_TRUE(f.locks.Exists("Arbolux28.lock"));
    Application second(f.op, f.clock);
    EXPECT_FALSE(second.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()));
    EXPECT_EQ(second.Doc(), nullptr);
    EXPECT_TRUE(f.op.Messages().empty());  // silently
    first.ExitInstance();
    EXPECT_EQ(first.Doc(), nullptr);
    Application third(f.op, f.clock);
    EXPECT_TRUE(third.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()));
}

// Guards against start-up going on without a usable sensor database, or failing without its
// message, or keeping the lock after failing.
TEST(Application, SensorDatabaseMissingOrDamaged) {
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
    } cases[] = {
        {"missing", false, ""},
        {"empty", true, ""},
        {"wrong magic", true, std::string(64, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppFixture f;
        std::filesystem::remove(f.program.File("sensors.dat"));
        if (c.present) f.program.WriteFile("sensors.dat", c.bytes);
        Application app(f.op, f.clock);
        EXPECT_FALSE(app.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()));
        ASSERT_EQ(f.op.Messages().size(), 1u);
        EXPECT_EQ(f.op.Messages()[0].stringId, 10051);
        EXPECT_EQ(f.op.Messages()[0].text,
                  "База датчиков отсутствует или повреждена!\nПожалуйста, переустановите "
                  "программу.");
        EXPECT_EQ(f.op.Messages()[0].icon, MessageIcon::Error);
        EXPECT_EQ(app.Doc(), nullptr);
        EXPECT_EQ(app.Sensors().Count(), 0u);
        Application next(f.op, f.clock);
        f.program.WriteFile("sensors.dat", "");
        std::filesystem::copy_file(std::string(VG28_PROGRAM_DIR) + "/sensors.dat",
                                   f.program.File("sensors.dat"),
                                   std::filesystem::copy_options::overwrite_existing);
        EXPECT_TRUE(next.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()));
    }
}

// Runs start on a thread of its own. Should it block on the FIFO, a writer opens and closes
// the FIFO until it returns (each reader then meets the end of the file), so that a blocking
// start fails the test instead of hanging it. True when start returned without that help.
bool ReturnsWithoutHelp(const std::function<bool()>& start, const std::string& fifo, bool& result) {
    std::future<bool> done = std::async(std::launch::async, start);
    bool unaided = done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    while (!unaided && done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0) ::close(writer);
    }
    result = done.get();
    return unaided;
}

// Guards against a FIFO named like one of the program's files blocking start-up in its open:
// it must be refused at once and count as a missing file (the sensor database ends the start
// with its message, the device list stays empty, the settings read as defaults).
TEST(Application, FifoInPlaceOfAFileIsRefusedAtOnce) {
    const struct {
        const char* file;
        bool starts;
    } cases[] = {
        {"sensors.dat", false},
        {"net.xcfg", true},
        {"vg28-terminal.ini", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        AppFixture f;
        const std::string fifo = f.program.File(c.file);
        std::filesystem::remove(fifo);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        Application app(f.op, f.clock);
        bool started = false;
        const bool unaided = ReturnsWithoutHelp(
            [&] { return app.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()); }, fifo,
            started);
        EXPECT_TRUE(unaided);
        if (!unaided) continue;  // anything more would block in the same way
        EXPECT_EQ(started, c.starts);
        if (!c.starts) {
            ASSERT_EQ(f.op.Messages().size(), 1u);
            EXPECT_EQ(f.op.Messages()[0].stringId, 10051);
            continue;
        }
        EXPECT_TRUE(f.op.Messages().empty());
        EXPECT_TRUE(app.Devices().empty());
        EXPECT_EQ(app.GetProfile().GetInt("Debug", "Log", 7), 7);
        EXPECT_GT(app.Sensors().Count(), 0u);
    }
}

// Guards against the device list and the viewer probe not being taken from the program folder.
TEST(Application, DeviceListAndViewerProbe) {
    AppFixture f;
    f.program.WriteFile("net.xcfg",
                        R"(<net><device id="GH 1" xsaddr="12"/><device id="gh 2"/></net>)");
    f.program.WriteFile("plotvane", "#!/bin/sh\n");
    ::chmod(f.program.File("plotvane").c_str(), 0755);
    Application app(f.op, f.clock);
    ASSERT_TRUE(app.InitInstance(f.program.File("vg28-terminal"), f.locks.Path()));
    ASSERT_EQ(app.Devices().size(), 2u);
    EXPECT_EQ(std::string(TextOf(app.Devices()[0].deviceName)), "gh 1");
    EXPECT_EQ(app.Devices()[0].deviceAddress, 12);
    EXPECT_EQ(app.Devices()[1].deviceAddress, 0);
    EXPECT_TRUE(app.ViewerRegistered());

    AppFixture bare;
    Application plain(bare.op, bare.clock);
    ASSERT_TRUE(plain.InitInstance(bare.program.File("vg28-terminal"), bare.locks.Path()));
    EXPECT_TRUE(plain.Devices().empty());
}

}  // namespace
}  // namespace vg28
