#include "graph/ViewerLauncher.h"

#include "base/Operator.h"
#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "graph/GraphScript.h"
#include "platform/ProcessStart.h"
#include "platform/ProgramFolder.h"
#include "project/CProjectDoc.h"

namespace vg28 {

ViewerLauncher::ViewerLauncher(CProjectDoc& doc, Profile& profile, ProcessStart& processes,
                               Operator& op)
    : m_doc(doc), m_profile(profile), m_processes(processes), m_operator(op) {}

ViewerCommand ViewerLauncher::CommandFor(const std::string& graphScript,
                                         const std::string& scriptPath, int manual,
                                         const std::string& viewerProgram) {
    ViewerCommand command;
    const bool host = !graphScript.empty();
    command.program = host ? kScriptHost : viewerProgram;
    if (host) {
        command.parameters = graphScript + " ";
        command.arguments = ProcessStart::SplitCommandLine(graphScript);
    }
    command.parameters += "\"" + scriptPath + "\"";
    // The path is one argument as it stands, whatever characters its name holds.
    command.arguments.push_back(scriptPath);
    // The refresh after an automatic download reloads the viewer already showing the script;
    // the viewer itself gets it too, or every download would open one more window.
    if (manual == 0) {
        command.parameters += " update";
        command.arguments.push_back("update");
    }
    return command;
}

std::string ViewerLauncher::FindViewer(const std::string& programFolder,
                                       const std::string& programsFolder) {
    for (const std::string* folder : {&programFolder, &programsFolder}) {
        if (folder->empty()) continue;
        std::string path =
            ProcessStart::FindProgram(ProgramFolder::WithSeparator(*folder) + kViewerProgram);
        if (!path.empty()) return path;
    }
    return ProcessStart::FindProgram(kViewerProgram);
}

int ViewerLauncher::LaunchViewer(int manual) {
    if (manual == 0 && m_profile.Get(keys::kGraphPUpdate) == 0) return -1;
    const int code = WriteGraphScript(m_doc, m_profile.Get(keys::kGraphType));
    if (code == kFileOk) {
        const std::string scriptPath =
            GraphScript::ScriptPathFor(m_doc.ProjectFilePath(m_doc.ProjectName()));
        std::string viewer = FindViewer(m_doc.ProgramFolder(),
                                        ProgramFolder::FolderOf(ProgramFolder::ExecutablePath()));
        if (viewer.empty()) viewer = kViewerProgram;
        const ViewerCommand command =
            CommandFor(m_profile.Get(keys::kGraphScript), scriptPath, manual, viewer);
        if (!m_processes.Start(command.program, command.arguments)) {
            m_operator.Tell(ids::kViewerFailed, std::string(StringTable::Get(ids::kViewerFailed)),
                            MessageIcon::Stop);
        }
    } else if (code == kFileNoRecords && manual == 1) {
        m_operator.Tell(ids::kNoRecords, std::string(StringTable::Get(ids::kNoRecords)),
                        MessageIcon::Stop);
    }
    return code;
}

}  // namespace vg28
