#include "ui/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "app/Application.h"
#include "base/Profile.h"
#include "base/ProfileKeys.h"
#include "project/CProjectDoc.h"
#include "session/CommandIds.h"
#include "sync/SyncWorker.h"
#include "sync/Synchronization.h"
#include "ui/AboutDialog.h"
#include "ui/CChildFrame.h"
#include "ui/CMnemoView.h"
#include "ui/CTableView.h"
#include "ui/CommandTable.h"
#include "ui/ConnectionSettingsDialog.h"
#include "ui/DeviceListDialog.h"
#include "ui/ProjectDescriptionDialog.h"
#include "ui/ProjectListDialog.h"
#include "ui/QtOperator.h"
#include "ui/SensorEditorDialog.h"
#include "ui/StartDialog.h"
#include "ui/SyncDialog.h"
#include "ui/ToolbarIcons.h"

namespace vg28::ui {

namespace {

constexpr const char* kNoTooltip = "vg28NoTooltip";

SessionServices MakeServices(Application& app, Operator& op, Shell& shell, Clock& clock,
                             Em50ClockControl* em50, ViewerLauncher* viewer, PacketLink* link) {
    SessionServices services{*app.Doc(), app.Sensors(), app.GetProfile(), op,
                             shell,      clock,         app.Devices()};
    services.em50 = em50;
    services.viewer = viewer;
    services.link = link;
    return services;
}

}  // namespace

CMainFrame::CMainFrame(Application& app, Operator& op, Clock& clock, QWidget* parent)
    : QMainWindow(parent),
      m_app(app),
      m_doc(*app.Doc()),
      m_operator(op),
      m_clock(clock),
      m_viewer(*app.Doc(), app.GetProfile(), m_processes, op),
      m_link(clock),
      m_em50Commands(m_link, app.Doc()),
      m_em50(m_em50Commands, *app.Doc()) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(ToolbarIcons::ProgramIcon());
    m_syncDriverFactory = [](CMainFrame& frame) -> std::unique_ptr<SyncDialogDriver> {
        return std::make_unique<SyncDialog>(&frame, &frame.Pump());
    };
    m_mdi = new QMdiArea;
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { UpdateCommandUi(); });

    CreateActions();
    CreateMenus();
    CreateToolbar();
    CreateStatusBar();

    m_timer.setObjectName(QStringLiteral("sessionTimer"));
    connect(&m_timer, &QTimer::timeout, this, &CMainFrame::OnTick);
    m_transientTimer.setObjectName(QStringLiteral("transientTimer"));
    m_transientTimer.setSingleShot(true);
    connect(&m_transientTimer, &QTimer::timeout, this, &CMainFrame::EndTransientMessage);

    m_session =
        std::make_unique<Session>(MakeServices(app, op, *this, clock, &m_em50, &m_viewer, &m_link));
    m_pump = std::make_unique<WaitPump>([this] { RefreshCommandsIfBusyChanged(); });
    // Creation: no search progress, title and link indicator, settings, timer 1 ms.
    m_session->OnCreate();
    UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
    // Nothing of a frame being destroyed may run inside a wait.
    m_pump.reset();
    Destroy();
    // Closing the frames activates the other one; nothing here may react to that any more, as
    // the frame being deleted is half destroyed by then.
    disconnect(m_mdi, nullptr, this, nullptr);
    // The views go before the session and the document's other observers.
    delete m_panelFrame.data();
    delete m_tableFrame.data();
}

void CMainFrame::CreateActions() {
    for (const CommandInfo& info : CommandTable::Commands()) {
        auto* action = new QAction(QString::fromUtf8(info.text), this);
        action->setObjectName(QStringLiteral("command%1").arg(info.id));
        action->setStatusTip(QString::fromUtf8(info.prompt));
        if (*info.tooltip) {
            action->setToolTip(QString::fromUtf8(info.tooltip));
        } else {
            action->setProperty(kNoTooltip, true);
        }
        if (*info.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(info.shortcut)));
        action->setIcon(ToolbarIcons::ForCommand(info.id));
        action->setIconVisibleInMenu(false);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        // Commands without a menu item still answer their keys.
        addAction(action);
        m_actions[id] = action;
    }
    // F3 has no handler: its key does nothing.
    auto* f3 = new QAction(this);
    f3->setShortcut(QKeySequence(Qt::Key_F3));
    f3->setEnabled(false);
    addAction(f3);
}

void CMainFrame::CreateMenus() {
    std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
        [&](QMenu* menu, const std::vector<MenuEntry>& entries) {
            for (const MenuEntry& entry : entries) {
                if (entry.id == 0) {
                    menu->addSeparator();
                } else if (entry.id < 0) {
                    QMenu* sub = menu->addMenu(QString::fromUtf8(entry.submenu));
                    connect(sub, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
                    fill(sub, entry.entries);
                } else {
                    menu->addAction(m_actions.at(entry.id));
                }
            }
        };
    for (const MenuInfo& info : CommandTable::Menus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(info.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
        fill(menu, info.entries);
    }
}

void CMainFrame::CreateToolbar() {
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("mainToolbar"));
    bar->setIconSize(QSize(ToolbarIcons::kWidth, ToolbarIcons::kHeight));
    bar->setMovable(true);
    for (int id : CommandTable::Toolbar()) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        QAction* action = m_actions.at(id);
        bar->addAction(action);
        if (QWidget* button = bar->widgetForAction(action)) {
            button->setObjectName(QStringLiteral("button%1").arg(id));
            button->installEventFilter(this);
        }
    }
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    auto* pane = new QWidget;
    auto* layout = new QHBoxLayout(pane);
    layout->setContentsMargins(2, 0, 2, 0);
    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("messagePane"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setMinimumWidth(10);
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_message, 1);
    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("searchProgress"));
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(m_message->fontMetrics().height());
    m_progress->setFixedWidth(160);
    m_progress->hide();
    layout->addWidget(m_progress);
    bar->addWidget(pane, 1);

    auto makePane = [bar](const QString& text, const char* name, int minimum) {
        auto* label = new QLabel(text);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(std::max(minimum, label->sizeHint().width() + 6));
        bar->addPermanentWidget(label);
        return label;
    };
    // Wide enough for either text of the link indicator.
    m_linkIndicator = makePane(QStringLiteral("-"), "linkIndicator", 64);
    const int linkWidth =
        std::max(m_linkIndicator->fontMetrics().horizontalAdvance(QStringLiteral("Нет связи")),
                 m_linkIndicator->fontMetrics().horizontalAdvance(QStringLiteral("На связи"))) +
        12;
    m_linkIndicator->setMinimumWidth(std::max(64, linkWidth));
    m_caps = makePane(QStringLiteral("CAP"), "capsIndicator", 0);
    m_num = makePane(QStringLiteral("NUM"), "numIndicator", 0);
    // The lock states cannot be read portably: the panes stay in their grey (off) look.
    m_caps->setEnabled(false);
    m_num->setEnabled(false);
    m_statusText = CommandTable::IdlePrompt();
    m_message->setText(m_statusText);
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

CMnemoView* CMainFrame::ControlPanel() const {
    return m_panelFrame ? qobject_cast<CMnemoView*>(m_panelFrame->View()) : nullptr;
}

CTableView* CMainFrame::RecordTable() const {
    return m_tableFrame ? qobject_cast<CTableView*>(m_tableFrame->View()) : nullptr;
}

bool CMainFrame::IsViewCommand(int id) const {
    return id == cmd::kColumnChoice ||
           (id >= cmd::kTableModeFirst && id <= cmd::kTableModeDiagnostics) ||
           id == cmd::kPanelCurrent || id == cmd::kPanelLastRecord || id == cmd::kExportMarked ||
           id == cmd::kExportAll || id == cmd::kDataViewer;
}

CommandState CMainFrame::QueryCommand(int id) const {
    if (id == cmd::kExit) return {true, true, false};
    if (IsViewCommand(id)) {
        if (m_session && m_session->IsBusy() && !Session::RunsWhileBusy(id)) {
            return {true, false, false};
        }
        // A view's commands exist only while that view is active.
        if (IsControlPanelActive()) {
            const CommandState state = ControlPanel()->QueryCommand(id);
            if (state.handled) return state;
        }
        if (IsRecordTableActive()) {
            const CommandState state = RecordTable()->QueryCommand(id);
            if (state.handled) return state;
        }
        return {true, false, false};
    }
    if (!m_session) return {};
    return m_session->QueryCommand(id);
}

void CMainFrame::UpdateCommandUi() {
    m_commandsShownBusy = m_session && m_session->IsBusy();
    for (const auto& [id, action] : m_actions) {
        const CommandState state = QueryCommand(id);
        action->setEnabled(state.handled && state.enabled);
        const bool checkable = state.handled && state.checked;
        if (checkable || action->isCheckable()) {
            action->setCheckable(true);
            action->setChecked(state.checked);
        }
    }
}

void CMainFrame::RefreshCommandsIfBusyChanged() {
    if (m_session && m_session->IsBusy() != m_commandsShownBusy) UpdateCommandUi();
}

bool CMainFrame::RunCommand(int id) {
    const CommandState state = QueryCommand(id);
    if (!state.handled) return false;
    if (m_session->IsBusy()) {
        // Inside the session's busy work (the command came through the events of a wait): a
        // command that would use the line waits for the work to end; a disconnect ends it first.
        if (id == cmd::kDisconnect) {
            m_pump->RequestStop();
            Defer(id);
            return false;
        }
        if (!Session::RunsWhileBusy(id)) {
            Defer(id);
            return false;
        }
    }
    if (!state.enabled) return false;
    bool done = false;
    if (id == cmd::kExit) {
        close();
        return true;
    }
    if (IsViewCommand(id)) {
        // The view's commands open dialogs and files: no tick talks to the instrument meanwhile.
        Session::BusyScope busy(*m_session);
        if (IsControlPanelActive()) done = ControlPanel()->OnCommand(id);
        if (!done && IsRecordTableActive()) done = RecordTable()->OnCommand(id);
    } else {
        done = m_session->OnCommand(id);
    }
    UpdateCommandUi();
    RunDeferredWork();
    return done;
}

void CMainFrame::Defer(int id) {
    if (std::find(m_deferred.begin(), m_deferred.end(), id) == m_deferred.end())
        m_deferred.push_back(id);
}

void CMainFrame::RunDeferredWork() {
    if (m_runningDeferred || !m_session || !m_pump || m_session->IsBusy()) return;
    m_pump->ClearStop();
    if (m_destroyed) {
        m_deferred.clear();
        return;
    }
    m_runningDeferred = true;
    while (!m_deferred.empty() && !m_destroyed && !m_session->IsBusy()) {
        const int id = m_deferred.front();
        m_deferred.erase(m_deferred.begin());
        RunCommand(id);
    }
    m_runningDeferred = false;
    if (m_tickMissed) {
        m_tickMissed = false;
        if (m_timer.isActive()) QTimer::singleShot(0, this, &CMainFrame::OnTick);
    }
}

void CMainFrame::OnTick() {
    // A tick never runs inside the session's busy work, whose waits run the window's events;
    // it comes right after the work, as it would after a wait that blocked the window.
    if (m_session->IsBusy()) {
        m_tickMissed = true;
        return;
    }
    m_session->OnTimer();
    UpdateCommandUi();
    RunDeferredWork();
}

// --------------------------------------------------------------------------------------------
// Status bar

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // A command's prompt while the pointer is over it; the session's text otherwise.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        m_message->setText(tip.isEmpty() ? PaneText() : tip);
        return true;
    }
    return QMainWindow::event(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        // A button shows a tooltip only when its command string has one.
        if (auto* button = qobject_cast<QToolButton*>(watched)) {
            if (button->defaultAction() && button->defaultAction()->property(kNoTooltip).toBool())
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QString CMainFrame::StatusText() const {
    return m_message->text();
}

QString CMainFrame::LinkIndicatorText() const {
    return m_linkIndicator->text();
}

QString CMainFrame::PaneText() const {
    return m_transientTimer.isActive() ? m_transientText : m_statusText;
}

void CMainFrame::SetStatusText(const std::string& text) {
    // The session's newer word replaces what was done before it.
    m_transientTimer.stop();
    m_transientText.clear();
    m_statusText = FromUtf8(text);
    m_message->setText(m_statusText);
}

void CMainFrame::ShowTransientMessage(const std::string& text, int seconds) {
    m_transientText = FromUtf8(text);
    m_transientTimer.start(std::max(1, seconds) * 1000);
    m_message->setText(m_transientText);
}

void CMainFrame::EndTransientMessage() {
    m_transientTimer.stop();
    m_transientText.clear();
    m_message->setText(m_statusText);
}

void CMainFrame::ShowSearchProgress(const std::string& text, int range) {
    SetStatusText(text);
    m_progress->setRange(0, std::max(1, range));
    m_progress->setValue(0);
    m_progress->show();
}

void CMainFrame::SetSearchProgress(int position) {
    m_progress->setValue(std::clamp(position, m_progress->minimum(), m_progress->maximum()));
}

void CMainFrame::HideSearchProgress() {
    m_progress->hide();
}

bool CMainFrame::HasSearchProgress() const {
    return !m_progress->isHidden();
}

void CMainFrame::SetLinkIndicator(const std::string& text) {
    m_linkIndicator->setText(FromUtf8(text));
}

void CMainFrame::SetTitle(const std::string& title) {
    setWindowTitle(FromUtf8(title));
}

// --------------------------------------------------------------------------------------------
// Views

bool CMainFrame::IsControlPanelActive() const {
    return m_panelFrame && m_mdi->currentSubWindow() == m_panelFrame;
}

bool CMainFrame::IsRecordTableActive() const {
    return m_tableFrame && m_mdi->currentSubWindow() == m_tableFrame;
}

void CMainFrame::ShowControlPanel(bool currentReadings) {
    // A frame that was closed but not yet deleted counts as gone.
    if (m_panelFrame && !m_mdi->subWindowList().contains(m_panelFrame.data())) m_panelFrame.clear();
    if (!m_panelFrame) {
        auto* view = new CMnemoView(m_doc);
        m_panelFrame = new CChildFrame(view);
        m_mdi->addSubWindow(m_panelFrame);
        connect(m_panelFrame, &QObject::destroyed, this, &CMainFrame::UpdateCommandUi,
                Qt::QueuedConnection);
    }
    m_panelFrame->showMaximized();
    m_mdi->setActiveSubWindow(m_panelFrame);
    if (currentReadings) ControlPanel()->OnCommand(cmd::kPanelCurrent);
    UpdateCommandUi();
}

void CMainFrame::ShowRecordTable() {
    if (m_tableFrame && !m_mdi->subWindowList().contains(m_tableFrame.data())) m_tableFrame.clear();
    if (!m_tableFrame) {
        auto* view = new CTableView(m_doc, m_operator, &m_viewer, m_app.ViewerRegistered());
        view->SetShell(this);
        m_tableFrame = new CChildFrame(view);
        m_mdi->addSubWindow(m_tableFrame);
        connect(m_tableFrame, &QObject::destroyed, this, &CMainFrame::UpdateCommandUi,
                Qt::QueuedConnection);
    }
    m_tableFrame->showMaximized();
    m_mdi->setActiveSubWindow(m_tableFrame);
    UpdateCommandUi();
}

void CMainFrame::RefreshControlPanel() {
    if (CMnemoView* view = ControlPanel()) view->Rebuild();
}

void CMainFrame::RefreshRecordTable() {
    if (CTableView* view = RecordTable()) view->Rebuild();
}

void CMainFrame::SetTickPeriod(int milliseconds) {
    if (milliseconds <= 0) {
        m_timer.stop();
    } else {
        m_timer.start(milliseconds);
    }
}

// --------------------------------------------------------------------------------------------
// Dialogs

bool CMainFrame::RunSynchronization(SyncJob job) {
    SyncEnvironment environment{m_session->Commands(),
                                m_doc,
                                m_app.Sensors(),
                                m_app.AppFilePath(SensorDatabase::kFileName, {}),
                                m_operator,
                                m_clock,
                                [this] { m_session->CheckSensorsRegistered(); }};
    std::unique_ptr<SyncDialogDriver> driver = m_syncDriverFactory(*this);
    const bool ok = vg28::RunSynchronization(environment, *driver, job);
    UpdateCommandUi();
    return ok;
}

std::optional<StartChoice> CMainFrame::RunStartWindow(int action) {
    StartDialog dialog(action, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

std::optional<ProjectListResult> CMainFrame::RunProjectList(bool newProject) {
    ProjectListDialog dialog(m_doc, m_operator, m_clock, newProject, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return ProjectListResult{dialog.NewlyCreated()};
}

bool CMainFrame::RunProjectDescription(ProjectDescription& description) {
    ProjectDescriptionDialog dialog(description, m_operator, this);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<DeviceChoice> CMainFrame::RunDeviceList(const std::vector<NetDevice>& devices,
                                                      const std::string& address,
                                                      std::uint16_t /*radioAddress*/) {
    DeviceListDialog dialog(devices, address, m_operator, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

std::optional<std::string> CMainFrame::RunConnectionSettings(const std::vector<std::string>& ports,
                                                             const std::string& current) {
    ConnectionSettingsDialog dialog(ports, current, this);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Port();
}

void CMainFrame::RunSensorEditor(SensorDatabase& workingCopy) {
    RunSensorEditorDialog(this, workingCopy, m_app.GetProfile().Get(keys::kInputOpen) != 0,
                          m_operator);
}

void CMainFrame::RunAbout() {
    AboutDialog dialog(this);
    dialog.exec();
}

bool CMainFrame::OpenHelpFile(const std::string& path) {
    const QString file = FromUtf8(path);
    if (!QFileInfo::exists(file)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

// --------------------------------------------------------------------------------------------
// Placement and shutdown

void CMainFrame::ShowFromProfile() {
    const Profile& profile = m_app.GetProfile();
    move(profile.Get(keys::kLayoutLeft), profile.Get(keys::kLayoutTop));
    resize(profile.Get(keys::kLayoutWidth), profile.Get(keys::kLayoutHeight));
    if (profile.Get(keys::kLayoutMaximize) != 0) {
        showMaximized();
    } else {
        show();
    }
    repaint();
}

void CMainFrame::SavePlacement() {
    Profile& profile = m_app.GetProfile();
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    // The frame's offset from the client area, so that the stored left and top are the frame's.
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    profile.Write(keys::kLayoutLeft, normal.left() - frameOffset.x());
    profile.Write(keys::kLayoutTop, normal.top() - frameOffset.y());
    profile.Write(keys::kLayoutWidth, normal.width());
    profile.Write(keys::kLayoutHeight, normal.height());
    profile.Write(keys::kLayoutMaximize, isMaximized() ? 1 : 0);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_session->IsBusy()) {
        // The close box pressed while the line waits: the exchange gives up now, and the close
        // runs its usual course, question included, once the work has unwound.
        event->ignore();
        m_pump->RequestStop();
        Defer(cmd::kExit);
        return;
    }
    if (!m_session->OnClose()) {
        event->ignore();
        RunDeferredWork();
        return;
    }
    Destroy();
    event->accept();
    RunDeferredWork();
}

void CMainFrame::Destroy() {
    if (m_destroyed || !m_session) return;
    m_destroyed = true;
    m_session->OnDestroy();
    SavePlacement();
    // Closing one frame activates the other; the command state must not be asked for then, as
    // the frame being deleted is half destroyed.
    disconnect(m_mdi, nullptr, this, nullptr);
    // The views write their layout as they go.
    delete m_panelFrame.data();
    delete m_tableFrame.data();
}

}  // namespace vg28::ui
