#include "app/Application.h"

#include "app/NetConfig.h"
#include "base/DebugLog.h"
#include "base/Operator.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "graph/ViewerLauncher.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "project/CProjectDoc.h"

namespace vg28 {

Application::Application(Operator& op, Clock& clock) : m_operator(op), m_clock(clock) {}

Application::~Application() {
    ExitInstance();
}

bool Application::InitInstance(const std::string& executablePath, const std::string& lockFolder,
                               const std::optional<UserEnvironment>& environment) {
    m_instance = std::make_unique<SingleInstance>(kInstanceName, lockFolder);
    if (!m_instance->Acquire()) {
        // Another copy runs (or the lock cannot be made): end without a word.
        m_instance.reset();
        return false;
    }

    const std::string program =
        executablePath.empty() ? ProgramFolder::ExecutablePath() : executablePath;
    m_folderError.clear();
    const ProgramFolder::Choice folder = ProgramFolder::Settle(
        program, environment ? *environment : UserEnvironment::FromProcess(), m_folderError);
    m_programFolder = folder.folder;
    m_baseName = ProgramFolder::BaseNameOf(program);
    m_profile.SetPath(AppFilePath(m_baseName, ".ini"));
    SetDebugLogSource(m_profile.Path(), LogPath(), &m_clock);

    m_viewerRegistered =
        ViewerLauncher::IsViewerRegistered(m_programFolder, ProgramFolder::FolderOf(program));
    m_devices = NetConfig::LoadNetConfig(AppFilePath(NetConfig::kFileName, {}));
    m_doc = std::make_unique<CProjectDoc>(m_programFolder, m_profile, m_sensors);

    m_sensors.Clear();
    if (!m_sensors.Load(AppFilePath(SensorDatabase::kFileName, {}))) {
        m_sensors.Clear();
        m_operator.Tell(ids::kSensorDatabaseMissing,
                        std::string(StringTable::Get(ids::kSensorDatabaseMissing)),
                        MessageIcon::Error);
        ExitInstance();
        return false;
    }
    return true;
}

void Application::ExitInstance() {
    // The log keeps its files but no longer stamps lines with a clock that may go away.
    if (m_instance && !m_programFolder.empty()) SetDebugLogSource(m_profile.Path(), LogPath());
    if (m_instance) m_instance->Release();
    m_instance.reset();
    m_doc.reset();
}

std::string Application::AppFilePath(std::string_view name, std::string_view extension) const {
    std::string path = m_programFolder;
    path.append(name);
    path.append(extension);
    return path;
}

std::string Application::LogPath() const {
    return AppFilePath(m_baseName, ".log");
}

}  // namespace vg28
