#include "plotvane/core/ViewerArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/ViewerLauncher.h"
#include "platform/ProcessStart.h"

namespace vg28::test {
namespace {

using plotvane::ViewerArguments;

// Guards the viewer's side of the launch: the argument vector of a POSIX start and the one
// parameter text the Windows shell gets both give the path (blanks and all) and the refresh.
TEST(ViewerArgumentsTest, UnderstandsTheLaunchArguments) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string path;
        bool update;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"none", {}, "", false, true},
        {"path",
         {"/home/op/My data/Теплица-ag.xml"},
         "/home/op/My data/Теплица-ag.xml",
         false,
         true},
        {"path and update", {"/p/a-ag.xml", "update"}, "/p/a-ag.xml", true, true},
        {"quoted", {"\"/p/a b-ag.xml\""}, "/p/a b-ag.xml", false, true},
        {"shell text", {"\"/p/a b-ag.xml\" update"}, "/p/a b-ag.xml", true, true},
        {"shell text without refresh",
         {"\"C:\\VG28\\a-ag.xml\""},
         "C:\\VG28\\a-ag.xml",
         false,
         true},
        {"unknown word", {"/p/a-ag.xml", "refresh"}, "/p/a-ag.xml", false, false},
        {"unknown text after quotes", {"\"/p/a-ag.xml\" now"}, "/p/a-ag.xml", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ViewerArguments parsed = ViewerArguments::Parse(c.arguments);
        EXPECT_EQ(parsed.scriptPath, c.path);
        EXPECT_EQ(parsed.update, c.update);
        EXPECT_EQ(parsed.ok, c.ok);
        if (!c.ok) {
            EXPECT_FALSE(parsed.error.empty());
        }
    }
}

// Guards against the terminal and the viewer disagreeing on the command line: what the launcher
// starts the viewer with (as arguments and as the shell's parameter text) reads back as the
// script path, and as a refresh exactly when the launcher asks for one.
TEST(ViewerArgumentsTest, ReadsWhatTheLauncherStarts) {
    const std::string path = "/home/op/VG 28/Проект \"1\"-ag.xml";
    for (const int manual : {1, 0}) {
        for (const std::string host : {"", "C:\\scripts\\graph.js"}) {
            SCOPED_TRACE("manual " + std::to_string(manual) + " host " + host);
            const ViewerCommand command =
                ViewerLauncher::CommandFor(host, path, manual, ViewerLauncher::kViewerProgram);
            const bool refresh = command.parameters.ends_with(" update");
            // The viewer gets what follows the host's own words.
            std::vector<std::string> arguments = command.arguments;
            if (!host.empty()) arguments.erase(arguments.begin());
            const ViewerArguments parsed = ViewerArguments::Parse(arguments);
            EXPECT_TRUE(parsed.ok) << parsed.error;
            EXPECT_EQ(parsed.scriptPath, path);
            EXPECT_EQ(parsed.update, refresh);
        }
    }
}

}  // namespace
}  // namespace vg28::test
