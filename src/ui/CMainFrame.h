#pragma once
// The main window: menus, toolbar and status bar of the command table, the MDI area with the
// two views in maximized child frames, the session timer, and the Shell through which the
// session shows its state and runs its dialogs. It owns the session (and with it the serial
// line), the viewer launcher and the Em50 logger's protocol; the application object owns the
// document, the sensor database, the profile and the device list.
//
// The line's waits run the window's events (WaitPump). While the session is busy, the commands
// that would use the line are disabled; one triggered anyway is kept and runs once the busy work
// has unwound, never inside it. "О&тключиться" and the close box stop the running exchange at its
// next wait slice; the disconnect, or the close with its usual question, then follows.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "graph/ViewerLauncher.h"
#include "link/PacketLink.h"
#include "platform/ProcessStart.h"
#include "protocol/InstrumentCommands.h"
#include "session/Session.h"
#include "session/Shell.h"
#include "sync/Em50Protocol.h"
#include "ui/CChildFrame.h"
#include "ui/WaitPump.h"

class QAction;
class QLabel;
class QMdiArea;
class QProgressBar;

namespace vg28 {
class Application;
class Clock;
class Operator;
class SyncDialogDriver;
}  // namespace vg28

namespace vg28::ui {

class CChildFrame;
class CMnemoView;
class CTableView;

class CMainFrame final : public QMainWindow, public Shell {
    Q_OBJECT
public:
    // Makes the driver that runs a synchronization worker modally.
    using SyncDriverFactory = std::function<std::unique_ptr<SyncDialogDriver>(CMainFrame&)>;

    CMainFrame(Application& app, Operator& op, Clock& clock, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The placement of the profile, then shown (maximized when the profile says so).
    void ShowFromProfile();

    // Runs a command of the command table; false when it is disabled or unknown.
    bool RunCommand(int id);
    CommandState QueryCommand(int id) const;
    // Enables and checks every action by the current rules.
    void UpdateCommandUi();
    QAction* Action(int id) const;

    Session& GetSession() { return *m_session; }
    CMnemoView* ControlPanel() const;
    CTableView* RecordTable() const;
    CChildFrame* ControlPanelFrame() const { return m_panelFrame; }
    CChildFrame* RecordTableFrame() const { return m_tableFrame; }
    QMdiArea* MdiArea() const { return m_mdi; }
    QString StatusText() const;
    QString LinkIndicatorText() const;
    QProgressBar* SearchProgressBar() const { return m_progress; }
    QTimer& TickTimer() { return m_timer; }
    WaitPump& Pump() { return *m_pump; }
    // The commands kept for after the busy work, in order (the close box counts as kExit).
    const std::vector<int>& DeferredCommands() const { return m_deferred; }
    // Runs while a transient message covers the message pane's text.
    QTimer& TransientTimer() { return m_transientTimer; }

    void SetSyncDriverFactory(SyncDriverFactory factory) {
        m_syncDriverFactory = std::move(factory);
    }

    // Shell.
    void SetStatusText(const std::string& text) override;
    void ShowSearchProgress(const std::string& text, int range) override;
    void SetSearchProgress(int position) override;
    void HideSearchProgress() override;
    bool HasSearchProgress() const override;
    void ShowTransientMessage(const std::string& text, int seconds) override;
    void SetLinkIndicator(const std::string& text) override;
    void SetTitle(const std::string& title) override;
    bool IsControlPanelActive() const override;
    bool IsRecordTableActive() const override;
    void ShowControlPanel(bool currentReadings) override;
    void ShowRecordTable() override;
    void RefreshControlPanel() override;
    void RefreshRecordTable() override;
    void SetTickPeriod(int milliseconds) override;
    bool RunSynchronization(SyncJob job) override;
    std::optional<StartChoice> RunStartWindow(int action) override;
    std::optional<ProjectListResult> RunProjectList(bool newProject) override;
    bool RunProjectDescription(ProjectDescription& description) override;
    std::optional<DeviceChoice> RunDeviceList(const std::vector<NetDevice>& devices,
                                              const std::string& address,
                                              std::uint16_t radioAddress) override;
    std::optional<std::string> RunConnectionSettings(const std::vector<std::string>& ports,
                                                     const std::string& current) override;
    void RunSensorEditor(SensorDatabase& workingCopy) override;
    void RunAbout() override;
    bool OpenHelpFile(const std::string& path) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolbar();
    void CreateStatusBar();
    void EndTransientMessage();
    QString PaneText() const;
    void OnTick();
    // Keeps a command for after the busy work (once).
    void Defer(int id);
    // The stop taken back and the kept commands run, once the session is no longer busy.
    void RunDeferredWork();
    void RefreshCommandsIfBusyChanged();
    void Destroy();
    void SavePlacement();
    bool IsViewCommand(int id) const;

    Application& m_app;
    CProjectDoc& m_doc;
    Operator& m_operator;
    Clock& m_clock;
    ProcessStart m_processes;
    ViewerLauncher m_viewer;
    // The Em50 logger is asked through its own command set on the session's line.
    PacketLink m_link;
    InstrumentCommands m_em50Commands;
    Em50Protocol m_em50;
    std::unique_ptr<Session> m_session;
    SyncDriverFactory m_syncDriverFactory;
    // After the session: the hook goes before the session does.
    std::unique_ptr<WaitPump> m_pump;
    std::vector<int> m_deferred;
    bool m_runningDeferred = false;
    bool m_tickMissed = false;
    bool m_commandsShownBusy = false;

    QMdiArea* m_mdi = nullptr;
    QPointer<CChildFrame> m_panelFrame;
    QPointer<CChildFrame> m_tableFrame;
    std::map<int, QAction*> m_actions;
    QLabel* m_message = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_linkIndicator = nullptr;
    QLabel* m_caps = nullptr;
    QLabel* m_num = nullptr;
    QString m_statusText;
    QString m_transientText;
    QTimer m_transientTimer;
    QTimer m_timer;
    bool m_destroyed = false;
};

}  // namespace vg28::ui
