#pragma once
// The application object's core: the single instance, the program folder (beside the program,
// or the user's data folder for an installed copy) with the settings file and log named after
// the program, the viewer probe, and ownership of everything that lives for the whole run: the
// settings profile, the sensor database, the radio network's device list and the one project
// document. The desktop program adds its window and view templates around
// it; vg28-tool and the tests use it as it is.
//
// Start-up reports failure as false: a second copy silently, a missing or damaged sensor
// database with its message to the Operator. Nothing throws.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Profile.h"
#include "platform/UserEnvironment.h"
#include "sensors/SensorDatabase.h"
#include "session/NetDevice.h"

namespace vg28 {

class CProjectDoc;
class Clock;
class Operator;
class SingleInstance;

class Application {
public:
    // The single-instance lock's name.
    static constexpr const char* kInstanceName = "Arbolux28";

    // op shows the start-up failure; clock stamps the debug log. Both outlive the object.
    Application(Operator& op, Clock& clock);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up for the program file at executablePath (empty: this process's own file). The
    // lock file lives in lockFolder (empty: the user's lock folder, SingleInstance). The program
    // folder is the folder beside the program or the user's data folder (ProgramFolder), chosen for
    // environment (empty: this process's). False ends the program; everything taken is given
    // back then.
    bool InitInstance(const std::string& executablePath = {}, const std::string& lockFolder = {},
                      const std::optional<UserEnvironment>& environment = std::nullopt);
    // Shutdown: the lock released, the document destroyed.
    void ExitInstance();

    // Program folder + name + extension (either may be empty).
    std::string AppFilePath(std::string_view name, std::string_view extension) const;

    const std::string& ProgramFolder() const { return m_programFolder; }
    // Why the user's data folder could not be made or filled; empty when all went well.
    const std::string& FolderError() const { return m_folderError; }
    const std::string& SettingsPath() const { return m_profile.Path(); }
    std::string LogPath() const;
    Profile& GetProfile() { return m_profile; }
    SensorDatabase& Sensors() { return m_sensors; }
    const std::vector<NetDevice>& Devices() const { return m_devices; }
    // The document exists from a successful start-up until ExitInstance.
    CProjectDoc* Doc() { return m_doc.get(); }
    bool ViewerRegistered() const { return m_viewerRegistered; }

private:
    Operator& m_operator;
    Clock& m_clock;
    std::unique_ptr<SingleInstance> m_instance;
    std::string m_programFolder;
    std::string m_folderError;
    std::string m_baseName;
    Profile m_profile;
    SensorDatabase m_sensors;
    std::vector<NetDevice> m_devices;
    bool m_viewerRegistered = false;
    std::unique_ptr<CProjectDoc> m_doc;
};

}  // namespace vg28
