#pragma once
// Starts the external graph viewer on the open project's graph script: on the operator's command
// and, when the profile asks for it, after a download that brought records. The viewer is
// "plotvane" (looked for beside the program, then on PATH), or the script host "wscript" with the
// profile's "GraphScript" command. Failures are told to the Operator as specified: a failed start
// always, a project without records only on the operator's command; the rest is silent.

#include <string>
#include <vector>

namespace vg28 {

class CProjectDoc;
class Operator;
class ProcessStart;
class Profile;

// What is started: the program, the parameter text the Windows shell is given, and the same as
// an argument vector.
struct ViewerCommand {
    std::string program;
    std::string parameters;
    std::vector<std::string> arguments;
};

class ViewerLauncher {
public:
    static constexpr const char* kViewerProgram = "plotvane";
    static constexpr const char* kScriptHost = "wscript";

    ViewerLauncher(CProjectDoc& doc, Profile& profile, ProcessStart& processes, Operator& op);

    // manual 1: the operator's command; 0: the refresh after a download (only when the profile's
    // "GraphPUpdate" is set). Returns the code of WriteGraphScript, or -1 when nothing was done.
    int LaunchViewer(int manual);

    // The command for a script path: "GraphScript" text, a blank, the quoted path and, for a
    // refresh through the script host, " update".
    static ViewerCommand CommandFor(const std::string& graphScript, const std::string& scriptPath,
                                    int manual, const std::string& viewerProgram);

    // The viewer's program in the program folder, else in the folder of the running program
    // (an installed copy keeps its programs apart from its program folder), else on PATH; empty
    // when it is not installed, which is what disables the Data Viewer command.
    static std::string FindViewer(const std::string& programFolder,
                                  const std::string& programsFolder = {});
    static bool IsViewerRegistered(const std::string& programFolder,
                                   const std::string& programsFolder = {}) {
        return !FindViewer(programFolder, programsFolder).empty();
    }

private:
    CProjectDoc& m_doc;
    Profile& m_profile;
    ProcessStart& m_processes;
    Operator& m_operator;
};

}  // namespace vg28
