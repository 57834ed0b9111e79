#pragma once
// The main window's part of the session without a window: no dialog is ever opened (the
// session's questions go to the console operator), the search progress is shown on standard
// error, and the synchronization runs without a window through a hook the command sets.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/Shell.h"

namespace vg28::tool {

class ToolShell final : public Shell {
public:
    // What RunSynchronization does; without a hook the synchronization fails.
    void SetSynchronization(std::function<bool(SyncJob)> run) { m_sync = std::move(run); }

    void SetStatusText(const std::string&) override {}
    void ShowSearchProgress(const std::string& text, int) override;
    void SetSearchProgress(int) override {}
    void HideSearchProgress() override { m_progress = false; }
    bool HasSearchProgress() const override { return m_progress; }
    // The commands print what they achieved themselves.
    void ShowTransientMessage(const std::string&, int) override {}
    void SetLinkIndicator(const std::string&) override {}
    void SetTitle(const std::string&) override {}
    bool IsControlPanelActive() const override { return false; }
    bool IsRecordTableActive() const override { return false; }
    void ShowControlPanel(bool) override {}
    void ShowRecordTable() override {}
    void RefreshControlPanel() override {}
    void RefreshRecordTable() override {}
    void SetTickPeriod(int) override {}
    bool RunSynchronization(SyncJob job) override { return m_sync && m_sync(job); }
    std::optional<StartChoice> RunStartWindow(int) override { return std::nullopt; }
    std::optional<ProjectListResult> RunProjectList(bool) override { return std::nullopt; }
    bool RunProjectDescription(ProjectDescription&) override { return false; }
    std::optional<DeviceChoice> RunDeviceList(const std::vector<NetDevice>&, const std::string&,
                                              std::uint16_t) override {
        return std::nullopt;
    }
    std::optional<std::string> RunConnectionSettings(const std::vector<std::string>&,
                                                     const std::string&) override {
        return std::nullopt;
    }
    void RunSensorEditor(SensorDatabase&) override {}
    void RunAbout() override {}
    bool OpenHelpFile(const std::string&) override { return false; }

private:
    bool m_progress = false;
    std::function<bool(SyncJob)> m_sync;
};

}  // namespace vg28::tool
