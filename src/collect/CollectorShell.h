#pragma once
// The main window's part of the session for the collector, and the one place where the
// collector runs the synchronization worker. The session starts each job through
// RunSynchronization (the project's parameters and sensors, the record download with the Em50
// stage after it); RunEm50Stage runs the Em50 stage on its own, for a
// round that had no new instrument records. Every run takes the instrument's side of every
// difference and writes nothing to the instrument (the environment's read-only rule; the line
// refuses the rest). No window, no status bar: the shell only keeps what the runs did, for the
// device's status.
//
// Before the project is taken, the instrument's project name is read and checked against the
// projects of the round's other devices: two instruments of one project name would write
// their records into one file, so the second is refused.
//
// Everything it is given outlives it. Nothing throws.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/Shell.h"

namespace vg28 {

class Clock;
class CollectorLine;
class CProjectDoc;
class InstrumentCommands;
class Operator;
class SensorDatabase;

class CollectorShell final : public Shell {
public:
    // The device (its label) that a project name belongs to in this round, if another.
    using ProjectOwner = std::function<std::optional<std::string>(const std::string& project)>;

    struct Environment {
        InstrumentCommands& commands;
        CProjectDoc& doc;
        SensorDatabase& sensors;
        std::string sensorsPath;
        Operator& op;
        Clock& clock;
        const CollectorLine* line = nullptr;  // whose refusals end a run
        ProjectOwner projectOwner;            // may be empty: no check
    };

    explicit CollectorShell(const Environment& env);

    bool RunSynchronization(SyncJob job) override;
    // The Em50 download on its own (live step 9); true when the project may be used.
    bool RunEm50Stage();

    // What the runs did.
    bool ProjectTaken() const { return m_projectTaken; }
    // Records in the project once its synchronization was done (the download adds to these).
    std::size_t RecordsBeforeDownload() const { return m_recordsBeforeDownload; }
    int Em50Added() const { return m_em50Added; }
    bool Em50StageRan() const { return m_em50StageRan; }
    bool Stopped() const { return m_stopped; }
    bool DatabaseNotSaved() const { return m_databaseNotSaved; }
    // Why the last run failed, in words; empty when none failed.
    const std::string& Failure() const { return m_failure; }

    // The rest of the window: nothing to show.
    void SetStatusText(const std::string&) override {}
    void ShowSearchProgress(const std::string&, int) override { m_progress = true; }
    void SetSearchProgress(int) override {}
    void HideSearchProgress() override { m_progress = false; }
    bool HasSearchProgress() const override { return m_progress; }
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
    // One worker run of the job; the result as RunSynchronization's.
    bool RunJob(SyncJob job);
    // False (with the failure set) when the instrument's project belongs to another device.
    bool ProjectIsOurs();

    Environment m_env;
    bool m_progress = false;
    bool m_projectTaken = false;
    std::size_t m_recordsBeforeDownload = 0;
    int m_em50Added = 0;
    bool m_em50StageRan = false;
    bool m_stopped = false;
    bool m_databaseNotSaved = false;
    std::string m_failure;
};

}  // namespace vg28
