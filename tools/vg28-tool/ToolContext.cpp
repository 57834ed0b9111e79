#include "ToolContext.h"

#include <iostream>

#include "base/DebugLog.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/Locale.h"
#include "platform/ProgramFolder.h"
#include "platform/TextCase.h"
#include "project/ProjectLibrary.h"

namespace vg28::tool {

bool ToolContext::Init(const ToolOptions& options, std::string& error) {
    m_options = &options;
    m_folder = ChooseFolder(options);
    m_profile.SetPath(m_folder + kSettingsFile);
    // The debug log follows the settings of the folder worked on, not the tool's own folder.
    SetDebugLogSource(m_profile.Path(), m_folder + kLogFile);

    Locale locale = Locale::FromEnvironment();
    if (const auto decimal = options.Value("--decimal")) {
        if (decimal->size() != 1) {
            error = "--decimal takes one character";
            return false;
        }
        locale.SetDecimalSeparator((*decimal)[0]);
    }
    if (const auto date = options.Value("--date-format")) locale.SetDateFormat(*date);
    if (const auto time = options.Value("--time-format")) locale.SetTimeFormat(*time);
    Locale::SetCurrent(locale);

    m_doc = std::make_unique<CProjectDoc>(m_folder, m_profile, m_sensors);
    return true;
}

std::string ToolContext::ChooseFolder(const ToolOptions& options) {
    if (const auto folder = options.Value("--folder")) return ProgramFolder::WithSeparator(*folder);
    std::string problem;
    const ProgramFolder::Choice choice = ProgramFolder::Settle(
        ProgramFolder::ExecutablePath(), UserEnvironment::FromProcess(), problem);
    if (!problem.empty()) std::cerr << "vg28-tool: " << problem << '\n';
    return choice.folder;
}

bool ToolContext::LoadSensors() {
    if (m_sensors.Count() > 0) return true;
    if (m_sensors.Load(m_folder + SensorDatabase::kFileName)) return true;
    m_sensors.Clear();
    m_operator.Tell(ids::kSensorDatabaseMissing,
                    std::string(StringTable::Get(ids::kSensorDatabaseMissing)), MessageIcon::Stop);
    return false;
}

int ToolContext::OpenProject(const std::string& name) {
    if (!ProjectLibrary::IsValidProjectName(name)) {
        m_operator.Tell(ids::kInvalidProjectName,
                        std::string(StringTable::Get(ids::kInvalidProjectName)), MessageIcon::Stop);
        return kFileCannotOpen;
    }
    return ProjectLibrary(*m_doc, m_operator).OpenProject(name);
}

std::string ToolContext::ProjectPath(const std::string& nameOrFile) const {
    const bool isFile =
        nameOrFile.size() > 4 &&
        TextCase::EqualUtf8(std::string_view(nameOrFile).substr(nameOrFile.size() - 4), ".phj");
    return isFile ? nameOrFile : m_doc->ProjectFilePath(nameOrFile);
}

}  // namespace vg28::tool
