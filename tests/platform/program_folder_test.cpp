#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProgramFolder.h"
#include "support/OtherUser.h"
#include "support/TempFolder.h"

namespace vg28 {
namespace {

namespace fs = std::filesystem;

void MakeFile(const std::string& path, const std::string& bytes = "SENS") {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Guards against an installed copy keeping its files beside the program (root-owned, or, for
// root and a prefix in the home, among the programs) and against a portable copy losing its
// own folder.
TEST(ProgramFolder, ChooseFollowsTheLayout) {
    struct Case {
        const char* name;
        const char* program;             // under the test folder
        std::vector<const char*> files;  // catalogues laid out under the test folder
        bool dataHome;                   // $XDG_DATA_HOME set
        bool home;                       // a home folder known
        const char* folder;              // expected, "@" for the test folder, "~" the user's
        const char* shippedFrom;
    } cases[] = {
        {"portable copy", "p/vg28-terminal", {"p/sensors.dat"}, false, true, "@p/", ""},
        {"own catalogue beside a share folder",
         "bin/vg28-terminal",
         {"bin/sensors.dat", "share/vg28/sensors.dat"},
         false,
         true,
         "@bin/",
         ""},
        {"writable folder without catalogue", "p/vg28-tool", {}, false, true, "@p/", ""},
        {"installed copy",
         "usr/bin/vg28-terminal",
         {"usr/share/vg28/sensors.dat"},
         false,
         true,
         "~home/.local/share/vg28/",
         "@usr/share/vg28/"},
        {"installed copy, XDG_DATA_HOME",
         "usr/bin/vg28-tool",
         {"usr/share/vg28/sensors.dat"},
         true,
         true,
         "~data/vg28/",
         "@usr/share/vg28/"},
        {"installed copy, no home known",
         "usr/bin/vg28-tool",
         {"usr/share/vg28/sensors.dat"},
         false,
         false,
         "@usr/bin/",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempFolder root;
        for (const char* file : c.files)
            MakeFile(root.File(file));
        fs::create_directories(fs::path(root.File(c.program)).parent_path());
        UserEnvironment environment;
        if (c.home) environment.home = root.File("home");
        if (c.dataHome) environment.dataHome = root.File("data");
        auto expand = [&](const std::string& text) {
            if (text.empty()) return text;
            return root.Path() + text.substr(1);
        };
        const ProgramFolder::Choice choice =
            ProgramFolder::Choose(root.File(c.program), environment);
        EXPECT_EQ(choice.folder, expand(c.folder));
        EXPECT_EQ(choice.userFolder, c.folder[0] == '~');
        if (choice.userFolder) {
            EXPECT_EQ(choice.shippedFrom, expand(c.shippedFrom));
        }
    }
}

// Guards against a copy in a folder the user may not write (unpacked by root, a shared
// installation) trying to keep its settings and projects there.
TEST(ProgramFolder, FolderTheUserMayNotWriteGivesTheUserFolder) {
    test::TempFolder root;
    MakeFile(root.File("ro/sensors.dat"));
    ::chmod(root.File("ro").c_str(), 0555);
    UserEnvironment environment;
    environment.home = root.File("home");
    auto choose = [&] {
        const ProgramFolder::Choice choice =
            ProgramFolder::Choose(root.File("ro/vg28-terminal"), environment);
        return choice.folder + "|" + choice.shippedFrom;
    };
    std::optional<std::string> chosen;
    if (::geteuid() != 0) {
        chosen = choose();
    } else {
        // Root may write anywhere: ask as another user.
        if (!test::CanActAsOtherUser()) GTEST_SKIP() << "root without a user \"nobody\"";
        test::OpenToOtherUsers(root.Path());
        chosen = test::RunAsOtherUser(choose);
    }
    ::chmod(root.File("ro").c_str(), 0755);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, root.File("home/.local/share/vg28/") + "|" + root.File("ro/"));
}

// Guards against a first start without its sensor database, against later starts overwriting
// the user's edited database, against folders others may read, and against a shipped "file"
// that is a FIFO blocking the start.
TEST(ProgramFolder, FillMakesAPrivateFolderAndCopiesOnlyWhatIsMissing) {
    test::TempFolder root;
    MakeFile(root.File("shared/sensors.dat"), "shipped catalogue");
    MakeFile(root.File("shared/net.xcfg.example"), "<net/>");
    fs::create_directories(root.File("home"));
    const ProgramFolder::Choice choice{root.File("home/.local/share/vg28/"), root.File("shared/"),
                                       true};
    std::string error;
    ASSERT_TRUE(ProgramFolder::Fill(choice, error)) << error;
    EXPECT_EQ(ReadAll(choice.folder + "sensors.dat"), "shipped catalogue");
    EXPECT_EQ(ReadAll(choice.folder + "net.xcfg.example"), "<net/>");
    for (const char* folder : {"home/.local", "home/.local/share", "home/.local/share/vg28"})
        EXPECT_EQ(ModeOf(root.File(folder)), 0700u) << folder;

    MakeFile(choice.folder + "sensors.dat", "edited by the user");
    fs::remove(choice.folder + "net.xcfg.example");
    ASSERT_TRUE(ProgramFolder::Fill(choice, error)) << error;
    EXPECT_EQ(ReadAll(choice.folder + "sensors.dat"), "edited by the user");
    EXPECT_EQ(ReadAll(choice.folder + "net.xcfg.example"), "<net/>");

    fs::create_directories(root.File("fifo"));
    ASSERT_EQ(::mkfifo(root.File("fifo/sensors.dat").c_str(), 0600), 0);
    const ProgramFolder::Choice fromFifo{root.File("other/"), root.File("fifo/"), true};
    EXPECT_TRUE(ProgramFolder::Fill(fromFifo, error));
    EXPECT_FALSE(fs::exists(root.File("other/sensors.dat")));

    root.WriteFile("file", "not a folder");
    const ProgramFolder::Choice blocked{root.File("file/vg28/"), root.File("shared/"), true};
    error.clear();
    EXPECT_FALSE(ProgramFolder::Fill(blocked, error));
    EXPECT_NE(error.find(root.File("file")), std::string::npos) << error;

    const ProgramFolder::Choice beside{root.File("nowhere/"), root.File("shared/"), false};
    EXPECT_TRUE(ProgramFolder::Fill(beside, error));
    EXPECT_FALSE(fs::exists(root.File("nowhere")));
}

// Guards against the user's data folder not following the XDG rules (a relative
// $XDG_DATA_HOME is to be ignored, an empty one means ~/.local/share).
TEST(ProgramFolder, UserDataFolderFollowsTheXdgRules) {
    struct Case {
        const char* dataHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/d", "/h", "/d/vg28/"},
        {"/d/", "/h", "/d/vg28/"},
        {"", "/h", "/h/.local/share/vg28/"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        UserEnvironment environment;
        environment.dataHome = c.dataHome;
        environment.home = c.home;
        EXPECT_EQ(ProgramFolder::UserDataFolder(environment), c.folder) << c.dataHome;
    }

    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(UserEnvironment::FromProcess().dataHome, "");
    ::setenv("XDG_DATA_HOME", "/absolute/data", 1);
    EXPECT_EQ(UserEnvironment::FromProcess().dataHome, "/absolute/data");
    if (saved)
        ::setenv("XDG_DATA_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace vg28
