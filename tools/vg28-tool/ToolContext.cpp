#include "ToolContext.h"

#include <iostream>

#include "app/StringTable.h"
#include "platform/Locale.h"
#include "platform/ProgramFolder.h"
#include "platform/TextCase.h"

namespace vg28::tool {

bool ToolContext::Init(const ToolOptions& options, std::string& error) {
    m_options = &options;
    const auto folder = options.Value("--folder");
    m_folder = folder ? ProgramFolder::WithSeparator(*folder)
                      : ProgramFolder::FolderOf(ProgramFolder::ExecutablePath());
    m_profile.SetPath(m_folder + kSettingsFile);

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

bool ToolContext::LoadSensors() {
    if (m_sensors.Count() > 0) return true;
    if (m_sensors.Load(m_folder + SensorDatabase::kFileName)) return true;
    m_sensors.Clear();
    m_operator.Tell(ids::kSensorDatabaseMissing,
                    std::string(StringTable::Get(ids::kSensorDatabaseMissing)), MessageIcon::Stop);
    return false;
}

std::string ToolContext::ProjectPath(const std::string& nameOrFile) const {
    const bool isFile =
        nameOrFile.size() > 4 &&
        TextCase::Equal(std::string_view(nameOrFile).substr(nameOrFile.size() - 4), ".phj");
    return isFile ? nameOrFile : m_doc->ProjectFilePath(nameOrFile);
}

}  // namespace vg28::tool
