#include "graph/ViewerLauncher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ProcessStart.h"
#include "support/RecordingOperator.h"
#include "support/TestProject.h"

namespace vg28::test {
namespace {

class RecordingStart : public ProcessStart {
public:
    bool Start(const std::string& program, const std::vector<std::string>& arguments) override {
        starts.push_back({program, arguments});
        return succeed;
    }
    struct Call {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Call> starts;
    bool succeed = true;
};

struct LaunchCase {
    const char* name;
    const char* graphScript;
    int pUpdate;
    int manual;
    bool withRecords;
    bool startSucceeds;
    const char* program;                 // nullptr: nothing started
    std::vector<std::string> arguments;  // the script path is written as "@"
    const char* message;                 // nullptr: nothing shown
};

// Guards the launch rules: the script host with the "GraphScript" text, the quoted path and
// " update" only for the refresh; the viewer with the path (and "update" for the refresh, so that
// it reloads instead of opening one more window); no refresh unless the profile
// asks; "Нет записей!" only on the operator's command; the message when the start fails.
TEST(ViewerLauncherTest, StartsTheViewerByTheProfileRules) {
    const std::vector<LaunchCase> cases = {
        {"host_refresh",
         "C:\\viewer\\dv.js",
         1,
         0,
         true,
         true,
         "wscript",
         {"C:\\viewer\\dv.js", "@", "update"},
         nullptr},
        {"host_manual",
         "C:\\viewer\\dv.js",
         0,
         1,
         true,
         true,
         "wscript",
         {"C:\\viewer\\dv.js", "@"},
         nullptr},
        {"host_quoted_words",
         "\"/opt/my viewer/dv.js\" //nologo",
         0,
         1,
         true,
         true,
         "wscript",
         {"/opt/my viewer/dv.js", "//nologo", "@"},
         nullptr},
        {"viewer_manual", "", 0, 1, true, true, "plotvane", {"@"}, nullptr},
        {"viewer_refresh_reloads", "", 1, 0, true, true, "plotvane", {"@", "update"}, nullptr},
        {"refresh_not_wanted", "", 0, 0, true, true, nullptr, {}, nullptr},
        {"no_records_manual", "", 0, 1, false, true, nullptr, {}, "Нет записей!"},
        {"no_records_refresh_is_silent", "", 1, 0, false, true, nullptr, {}, nullptr},
        {"start_fails",
         "",
         0,
         1,
         true,
         false,
         "plotvane",
         {"@"},
         "Невозможно запустить программу Data Viewer."},
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestProject project("demo");
        project.AddSensor({"AT 1", "Air", "C", 2, -40.0, 60.0});
        project.SetChannel(0, "AT 1");
        if (c.withRecords) project.AddRecord(2011, 1, 18, 15, 30, 0, {{0, 21.5}});
        project.profile.WriteString("Graph", "GraphScript", c.graphScript);
        project.profile.WriteInt("Graph", "GraphPUpdate", c.pUpdate);
        RecordingStart start;
        start.succeed = c.startSucceeds;
        RecordingOperator op;
        ViewerLauncher launcher(*project.doc, project.profile, start, op);
        launcher.LaunchViewer(c.manual);

        const std::string scriptPath = project.folder.File("demo-ag.xml");
        if (c.program) {
            ASSERT_EQ(start.starts.size(), 1u);
            const std::string program = start.starts[0].program;
            EXPECT_EQ(program.substr(program.find_last_of('/') + 1), c.program);
            std::vector<std::string> expected = c.arguments;
            for (std::string& argument : expected) {
                if (argument == "@") argument = scriptPath;
            }
            EXPECT_EQ(start.starts[0].arguments, expected);
            EXPECT_TRUE(project.folder.Exists("demo-ag.xml"));
        } else {
            EXPECT_TRUE(start.starts.empty());
        }
        if (c.message) {
            ASSERT_EQ(op.Messages().size(), 1u);
            EXPECT_EQ(op.Messages()[0].text, c.message);
            EXPECT_EQ(op.Messages()[0].icon, MessageIcon::Stop);
        } else {
            EXPECT_TRUE(op.Messages().empty());
        }
    }
}

// Guards the Windows parameter text of the launch, blank and quotes included.
TEST(ViewerLauncherTest, ParameterTextAsTheShellGetsIt) {
    EXPECT_EQ(ViewerLauncher::CommandFor("dv.js", "/p/a b-ag.xml", 0, "plotvane").parameters,
              "dv.js \"/p/a b-ag.xml\" update");
    EXPECT_EQ(ViewerLauncher::CommandFor("dv.js", "/p/a-ag.xml", 1, "plotvane").parameters,
              "dv.js \"/p/a-ag.xml\"");
    const ViewerCommand viewer = ViewerLauncher::CommandFor("", "/p/a-ag.xml", 0, "/x/plotvane");
    EXPECT_EQ(viewer.parameters, "\"/p/a-ag.xml\" update");
    EXPECT_EQ(viewer.program, "/x/plotvane");
}

// Guards the command-line splitting of the "GraphScript" text.
TEST(ViewerLauncherTest, SplitsCommandLinesLikeWindows) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a b\tc", {"a", "b", "c"}},
        {"  \"a b\" c  ", {"a b", "c"}},
        {"\"\"", {""}},
        {"a\\\\\"b c\"", {"a\\b c"}},
        {"a\\\"b", {"a\"b"}},
        {"C:\\dir\\x.js", {"C:\\dir\\x.js"}},
        {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ProcessStart::SplitCommandLine(text), expected) << text;
    }
}

void WriteScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
}

// Guards the viewer probe (beside the program before PATH, executables only) and the real
// start: the program gets its arguments as given and runs on its own; a missing program fails.
TEST(ViewerLauncherTest, FindsAndStartsRealPrograms) {
    TempFolder beside;
    TempFolder onPath;
    const std::string savedPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (onPath.Path() + ":/usr/bin:/bin").c_str(), 1);
    EXPECT_EQ(ViewerLauncher::FindViewer(beside.Path()), "");
    WriteScript(onPath.File("plotvane"), "exit 0\n");
    EXPECT_EQ(ViewerLauncher::FindViewer(beside.Path()), onPath.File("plotvane"));
    beside.WriteFile("plotvane", "not executable");
    EXPECT_EQ(ViewerLauncher::FindViewer(beside.Path()), onPath.File("plotvane"));
    WriteScript(beside.File("plotvane"),
                "printf '%s|' \"$@\" > \"$0.out.tmp\"\n"
                "mv \"$0.out.tmp\" \"$0.out\"\n");
    EXPECT_EQ(ViewerLauncher::FindViewer(beside.Path()), beside.File("plotvane"));
    EXPECT_TRUE(ViewerLauncher::IsViewerRegistered(beside.Path()));

    ProcessStart processes;
    EXPECT_TRUE(processes.Start(beside.File("plotvane"), {"/p/a b-ag.xml", "update"}));
    const std::string out = beside.File("plotvane.out");
    for (int i = 0; i < 500 && access(out.c_str(), F_OK) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(beside.ReadFile("plotvane.out"), "/p/a b-ag.xml|update|");
    EXPECT_FALSE(processes.Start("vg28-no-such-program", {}));
    setenv("PATH", savedPath.c_str(), 1);
}

}  // namespace
}  // namespace vg28::test
