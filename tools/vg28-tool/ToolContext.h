#pragma once
// What every command of vg28-tool works with: the program folder, its settings file, the
// locale, the sensor database and the one project document.

#include <memory>
#include <string>

#include "ConsoleOperator.h"
#include "ToolOptions.h"
#include "base/Profile.h"
#include "project/CProjectDoc.h"
#include "sensors/SensorDatabase.h"

namespace vg28::tool {

class ToolContext {
public:
    // Sets up the folder, profile and locale from the options; false with a message on a bad
    // option value.
    bool Init(const ToolOptions& options, std::string& error);

    // Loads "sensors.dat"; on failure prints the program's message and returns false.
    bool LoadSensors();

    const std::string& Folder() const { return m_folder; }
    Profile& GetProfile() { return m_profile; }
    SensorDatabase& Sensors() { return m_sensors; }
    CProjectDoc& Doc() { return *m_doc; }
    ConsoleOperator& Op() { return m_operator; }
    const ToolOptions& Options() const { return *m_options; }
    bool Json() const { return m_options->Has("--json"); }

    // Opens the named project into the document. A name that cannot be a project name is told
    // as such (the library refuses it without a word) and gives 1, as an unopened file does.
    int OpenProject(const std::string& name);

    // The path of a project given as a name or as a .phj file path (any letter case).
    std::string ProjectPath(const std::string& nameOrFile) const;

    // The desktop program's settings and debug log in the program folder.
    static constexpr const char* kSettingsFile = "vg28-terminal.ini";
    static constexpr const char* kLogFile = "vg28-terminal.log";

private:
    // --folder, else the program folder of this copy (beside it, or the user's data folder).
    static std::string ChooseFolder(const ToolOptions& options);

    const ToolOptions* m_options = nullptr;
    std::string m_folder;
    Profile m_profile;
    SensorDatabase m_sensors;
    std::unique_ptr<CProjectDoc> m_doc;
    ConsoleOperator m_operator;
};

}  // namespace vg28::tool
