#include "app/qt/MainFrameWidget.h"

#include "app/automation/AutomationClasses.h"
#include "app/automation/GridAutomationClasses.h"
#include "app/dialogs/CreateNewGraphDialog.h"
#include "app/dialogs/CreateNewGridDialog.h"
#include "app/qt/ChildFrames.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/ScanCountView.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/ErrorLog.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/qt/HtmlHelpLauncher.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "app/windows/qt/GraphViewWidget.h"
#include "app/windows/qt/GridViewWidget.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/basic/BasicEngine.h"
#include "platform/chart/XrtDraw.h"
#include "platform/framework/Application.h"
#include "platform/framework/CmdUI.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"
#include "platform/framework/WindowPlacement.h"
#include "platform/qt/KeyState.h"
#include "platform/qt/MessagePump.h"
#include "platform/qt/UiServices.h"
#include "platform/win/AppProfile.h"
#include "platform/win/Log.h"
#include "platform/win/Messages.h"
#include "platform/win/Registry.h"
#include "toolkit/widgets/COXCoolToolBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QSessionManager>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>

using platform::framework::ChildFrame;

MainFrameWidget::MainFrameWidget(DriverApi& driver, uint32_t instanceKey, AutomationClasses classes)
    : m_core(std::make_unique<CMainFrame>(*this, driver, instanceKey)),
      m_script(
          std::make_unique<CSaxBasicObj>(platform::automation::ClassRegistry::instance(), *this))
{
    setAppTitle(QStringLiteral("Harlune"));
    statusBar()->showMessage(m_statusText);
    m_recentScripts.ReadList();
    installCommands();
    if (classes == AutomationClasses::WithFrame)
        registerAutomationClasses();
    setAutomationFrame(this);
    m_sessionConnection =
        connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            manager.allowsInteraction();
            if (!queryEndSession())
                manager.cancel();
        });
    // The frame's accelerators idle while the script editor has the keyboard focus, so the
    // editor gets its keys untranslated.
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this] {
        const bool translate = m_scriptFrame.translatesKeys();
        for (QShortcut* shortcut : findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
            shortcut->setEnabled(translate);
    });
}

namespace {

constexpr unsigned ID_GLOBAL_DARK = 32788;
constexpr unsigned ID_GLOBAL_REFERENCE = 32789;
constexpr unsigned ID_GLOBAL_RESET = 32791;
constexpr unsigned ID_FIRST_MAIN_BAR = 16000;
constexpr unsigned ID_LAST_MAIN_BAR = 16099;
constexpr unsigned ID_GENERAL_BAR = 16000;
constexpr unsigned ID_TUNDRA_BAR = 16001;
constexpr unsigned ID_GLOBAL_BAR = 16002;
constexpr unsigned ID_HIDDEN_BAR = 212;
constexpr unsigned ID_POPUP_TOOLBARS = 227;

// A command handler is a boundary: an exception ends the command, never the program.
std::function<void()> guarded(std::function<void()> handler)
{
    return [handler = std::move(handler)] {
        try {
            handler();
        } catch (const std::exception& error) {
            platform::win::logError("mainframe", "command: %s", error.what());
            if (CHarluneApp* app = CHarluneApp::instance())
                app->errorLog().LogException(nullptr, "MainFrame", __LINE__);
        }
    };
}

} // namespace

void MainFrameWidget::installCommands()
{
    using namespace app::res;
    CMainFrame& core = *m_core;
    onCommand(ID_KICK_START, guarded([&core] { core.OnKickStart(); }));
    onCommand(ID_GLOBAL_DARK, guarded([&core] { core.OnGlobalDark(); }));
    onCommand(ID_GLOBAL_REFERENCE, guarded([&core] { core.OnGlobalReference(); }));
    onCommand(ID_GLOBAL_SNAPSHOT, guarded([this, &core] {
                  core.OnGlobalSnapshot();
                  updateStatusPanes();
              }));
    onUpdate(ID_GLOBAL_SNAPSHOT,
             [&core](platform::framework::CmdUI& ui) { ui.SetCheck(core.snapshotOn() ? 1 : 0); });
    onCommand(ID_GLOBAL_RESET, guarded([&core] { core.OnGlobalEmergencyReset(); }));
    onCommandRange(ID_USER_MENU_FIRST, ID_USER_MENU_LAST, [&core](unsigned id) {
        try {
            core.OnUserMenu(id);
        } catch (const std::exception&) {
        }
    });
    const struct
    {
        unsigned id;
        int32_t action;
        std::function<void()> arrange;
    } arranges[] = {
        {platform::framework::ID_WINDOW_CASCADE, mvWindowCascade, [this] { MDICascade(); }},
        {platform::framework::ID_WINDOW_TILE_HORZ, mvWindowTileHorizontally,
         [this] { MDITile(true); }},
        {platform::framework::ID_WINDOW_TILE_VERT, mvWindowTileVertically,
         [this] { MDITile(false); }},
        {platform::framework::ID_WINDOW_ARRANGE, mvWindowArrangeIcons,
         [this] { MDIIconArrange(); }},
    };
    for (const auto& arrange : arranges) {
        onCommand(arrange.id, guarded([&core, action = arrange.action, fn = arrange.arrange] {
                      if (core.VerifyCommand(action))
                          fn();
                  }));
    }
    onCommand(ID_HELP_SHOW_CONTENTS, guarded([this, &core] {
                  if (core.VerifyCommand(mvHelpContents))
                      OnHelpContents();
              }));
    onCommand(ID_HELP_SHOW_INDEX, guarded([this, &core] {
                  if (core.VerifyCommand(mvHelpIndex))
                      OnHelpIndex();
              }));
    onCommand(ID_HELP_ALWAYS_ON_TOP, guarded([this, &core] {
                  if (core.VerifyCommand(mvHelpAlwaysOnTop))
                      m_preferences.HelpAlwaysOnTop = m_preferences.HelpAlwaysOnTop ? 0 : 1;
              }));
    onUpdate(ID_HELP_ALWAYS_ON_TOP, [this](platform::framework::CmdUI& ui) {
        ui.SetCheck(m_preferences.HelpAlwaysOnTop ? 1 : 0);
    });
    // The framework's help commands come to the frame's WinHelp without a context.
    for (unsigned id : {platform::framework::ID_HELP_FINDER, platform::framework::ID_HELP,
                        platform::framework::ID_DEFAULT_HELP})
        onCommand(id, guarded([this] { WinHelp(0); }));
    // F1 asks for help as WM_HELP does: the contents.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] {
        try {
            OnHelpContents();
        } catch (const std::exception&) {
            if (CErrorLog* log = m_core->errorLog())
                log->LogException(nullptr, "MainFrame", __LINE__);
        }
    });
    onCommandRange(ID_FIRST_MAIN_BAR, ID_LAST_MAIN_BAR, [this](unsigned id) {
        guarded([this, id] {
            if (COXCoolToolBar* bar = controlBar(id))
                bar->setVisible(bar->isHidden());
        })();
    });
    onUpdateRange(ID_FIRST_MAIN_BAR, ID_LAST_MAIN_BAR,
                  [this, &core](platform::framework::CmdUI& ui) {
                      COXCoolToolBar* bar = controlBar(ui.id());
                      if (!bar) {
                          ui.Enable(false);
                          return;
                      }
                      // A script that forbids it leaves the check mark as it was.
                      if (core.VerifyCommand(mvSpecViewToggleMainToolbars))
                          ui.SetCheck(bar->isHidden() ? 0 : 1);
                  });
    onCommand(ID_VIEW_MAIN_STATUS_BAR,
              guarded([this] { statusBar()->setVisible(statusBar()->isHidden()); }));
    onUpdate(ID_VIEW_MAIN_STATUS_BAR, [this](platform::framework::CmdUI& ui) {
        ui.SetCheck(statusBar()->isHidden() ? 0 : 1);
    });
    installScriptCommands();
    onCommand(ID_FILE_NEW_SPECTRUM, guarded([] {
                  if (CHarluneApp* app = CHarluneApp::instance())
                      app->NewSpectrumWindow();
              }));
    onCommand(ID_NEW_GRID_WINDOW, guarded([this] {
                  CINIFileSupport store(nullptr, 1);
                  CCreateNewGridDialog dialog(this);
                  dialog.m_columns = store.GetIntDefault("GridDefaults", "NumberOfColumns", 10);
                  dialog.m_rows = store.GetIntDefault("GridDefaults", "NumberOfRows", 100);
                  dialog.m_sheets = store.GetIntDefault("GridDefaults", "NumberOfSheets", 1);
                  if (dialog.DoModal() != CCreateNewGridDialog::IDOK)
                      return;
                  if (CHarluneApp* app = CHarluneApp::instance())
                      app->NewGridWindow(dialog.m_columns, dialog.m_rows, dialog.m_sheets, nullptr);
                  store.WriteInt("GridDefaults", "NumberOfColumns", dialog.m_columns);
                  store.WriteInt("GridDefaults", "NumberOfRows", dialog.m_rows);
                  store.WriteInt("GridDefaults", "NumberOfSheets", dialog.m_sheets);
              }));
    onCommand(ID_NEW_GRAPH_WINDOW, guarded([this] {
                  CINIFileSupport store(nullptr, 1);
                  CCreateNewGraphDialog dialog(this);
                  dialog.m_traces = store.GetIntDefault("GraphDefaults", "NumberOfTraces", 10);
                  dialog.m_points = store.GetIntDefault("GraphDefaults", "NumberOfPoints", 2048);
                  if (dialog.DoModal() != CCreateNewGraphDialog::IDOK)
                      return;
                  if (CHarluneApp* app = CHarluneApp::instance())
                      app->NewGraphWindow(dialog.m_traces, dialog.m_points, nullptr);
                  store.WriteInt("GraphDefaults", "NumberOfTraces", dialog.m_traces);
                  store.WriteInt("GraphDefaults", "NumberOfPoints", dialog.m_points);
              }));
}

namespace {

// The window placement in the application's profile.
constexpr const char* kPlacementSection = "MainWindowSize";
constexpr const char* kPlacementEntry = "WindowPos";

std::string readPlacementText()
{
    std::string text =
        platform::win::app_profile::GetProfileString(kPlacementSection, kPlacementEntry);
    // A placement is a short line of numbers; anything longer is not one.
    return text.size() < 256 ? text : std::string();
}

void writePlacementText(const std::string& text)
{
    platform::win::app_profile::WriteProfileString(kPlacementSection, kPlacementEntry, text);
}

} // namespace

MainFrameWidget::~MainFrameWidget()
{
    // Focus moves while the children go; the script object goes before the base class would
    // cut these connections.
    disconnect(m_focusConnection);
    disconnect(m_sessionConnection);
    // The editor needs its engine: it goes first, then the engine is shut down.
    delete m_scriptEditor.data();
    m_core->setScriptHost(nullptr);
    m_scriptFrame.beforeDestroy();
    if (automationFrame() == this)
        setAutomationFrame(nullptr);
    m_recentScripts.WriteList();
    // A frame whose preferences were never read (a start that ended early) must not overwrite
    // the stored ones with defaults.
    if (!m_settingsRead)
        return;
    CINIFileSupport store(nullptr, 1);
    if (!m_preferences.write(store))
        platform::win::logError("mainframe", "the preferences could not be saved");
}

void MainFrameWidget::OnCreate()
{
    createStatusBar();
    createToolBars();
    readSettings();
    updateStatusPanes();
}

void MainFrameWidget::registerAutomationClasses()
{
    if (m_automationClassesRegistered)
        return;
    m_automationClassesRegistered = true;
    registerHarluneAutomation(platform::automation::ClassRegistry::instance());
    registerGridAutomation(platform::automation::ClassRegistry::instance());
}

void MainFrameWidget::completeCreate()
{
    registerAutomationClasses();
    setUpScripting();
    m_script->OnFrameCreate();
    m_core->initDriverCache();
}

namespace {

constexpr const char* kMainBarsSection = "MainBars";
constexpr const char* kMainBarsEntry = "State";
constexpr const char* kToolBarsError =
    "Error loading toolbars.  This error is common the first time you run Harlune after upgrade.";

QByteArray readMainBars()
{
    const auto state =
        platform::win::app_profile::GetProfileBinary(kMainBarsSection, kMainBarsEntry);
    if (!state || state->empty() || state->size() >= (1u << 20))
        return {};
    return QByteArray(reinterpret_cast<const char*>(state->data()),
                      static_cast<qsizetype>(state->size()));
}

void writeMainBars(const QByteArray& state)
{
    platform::win::app_profile::WriteProfileBinary(
        kMainBarsSection, kMainBarsEntry,
        std::vector<uint8_t>(state.constBegin(), state.constEnd()));
}

} // namespace

void MainFrameWidget::createStatusBar()
{
    // The first pane is the status bar's message; the other three show whether acquisition is
    // halted, whether the global snapshot is on and whether the program runs without hardware.
    for (QLabel*& pane : m_statusPanes) {
        if (pane)
            continue;
        pane = new QLabel(statusBar());
        pane->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("NO HARDWARE")) + 8);
        pane->setAlignment(Qt::AlignCenter);
        statusBar()->addPermanentWidget(pane);
    }
}

QString MainFrameWidget::statusPaneText(int pane) const
{
    if (pane < 0 || pane > 2 || !m_statusPanes[pane])
        return {};
    return m_statusPanes[pane]->text();
}

void MainFrameWidget::updateStatusPanes()
{
    if (!m_statusPanes[0])
        return;
    const CHarluneApp* app = CHarluneApp::instance();
    m_statusPanes[0]->setText(m_core->GetAcquisitionSuspended() != 0 ? QStringLiteral("HALTED")
                                                                     : QString());
    m_statusPanes[1]->setText(m_core->snapshotOn() ? QStringLiteral("SNAPSHOT") : QString());
    m_statusPanes[2]->setText(app && app->noHardware() ? QStringLiteral("NO HARDWARE") : QString());
}

void MainFrameWidget::createToolBars()
{
    if (m_generalBar)
        return;
    setUpdatesEnabled(false);
    auto route = [this]() -> platform::framework::CommandTarget* { return this; };
    constexpr uint32_t kFlat = COXCoolToolBar::TBSTYLE_FLAT;
    constexpr uint32_t kShown = COXCoolToolBar::WS_VISIBLE | COXCoolToolBar::TBSTYLE_FLAT;
    // "Tundra Functions" is shown and "General Functions" hidden; the fourth bar never shows.
    m_generalBar = COXCoolToolBar::Create(this, kFlat, ID_GENERAL_BAR, route);
    m_tundraBar = COXCoolToolBar::Create(this, kShown, ID_TUNDRA_BAR, route);
    m_hiddenBar = COXCoolToolBar::Create(this, 0, ID_HIDDEN_BAR, route);
    m_globalBar = COXCoolToolBar::Create(this, kShown, ID_GLOBAL_BAR, route);
    if (m_globalBar && m_tundraBar)
        m_globalBar->DockBeside(m_tundraBar);

    const QByteArray state = readMainBars();
    bool restored = state.isEmpty() || restoreState(state);
    const struct
    {
        COXCoolToolBar* bar;
        const char* name;
    } named[] = {{m_generalBar, "General"}, {m_globalBar, "Global"}, {m_tundraBar, "Tundra"}};
    for (const auto& entry : named)
        if (entry.bar)
            entry.bar->LoadBarState("BarStates", entry.name, true);
    if (m_hiddenBar)
        m_hiddenBar->hide();
    if (!restored) {
        if (CErrorLog* log = m_core->errorLog())
            log->LogException(kToolBarsError, "MainFrame", __LINE__);
    }

    m_menuOrganizer.AttachFrameWindow(this);
    m_menuOrganizer.CollectToolBarImages();
    setUpdatesEnabled(true);
}

void MainFrameWidget::saveToolBars()
{
    const struct
    {
        COXCoolToolBar* bar;
        const char* name;
    } named[] = {{m_generalBar, "General"}, {m_globalBar, "Global"}, {m_tundraBar, "Tundra"}};
    for (const auto& entry : named)
        if (entry.bar)
            entry.bar->SaveBarState("BarStates", entry.name, true);
    if (m_generalBar)
        writeMainBars(saveState());
    m_menuOrganizer.DetachFrameWindow();
}

COXCoolToolBar* MainFrameWidget::controlBar(unsigned id) const
{
    for (COXCoolToolBar* bar :
         {m_generalBar.data(), m_tundraBar.data(), m_globalBar.data(), m_hiddenBar.data()})
        if (bar && bar->barId() == id)
            return bar;
    return nullptr;
}

namespace {

// Replaces the recent-script items of a menu by the list's entries ("&1 name" ...).
void showRecentScripts(platform::framework::HMENU menu, const RecentFileList& list)
{
    namespace fw = platform::framework;
    using namespace app::res;
    fw::HMENU holder = 0;
    for (unsigned id = ID_RECENT_SCRIPT_FIRST; id <= ID_RECENT_SCRIPT_LAST && !holder; ++id)
        holder = fw::findMenuContaining(menu, id);
    if (!holder)
        return;
    int at = -1;
    for (int i = fw::GetMenuItemCount(holder) - 1; i >= 0; --i) {
        const unsigned id = fw::GetMenuItemID(holder, i);
        if (id >= ID_RECENT_SCRIPT_FIRST && id <= ID_RECENT_SCRIPT_LAST) {
            at = i;
            fw::DeleteMenu(holder, static_cast<unsigned>(i), fw::MF_BYPOSITION);
        }
    }
    if (list.size() == 0) {
        fw::InsertMenu(holder, static_cast<unsigned>(at), fw::MF_BYPOSITION | fw::MF_GRAYED,
                       ID_RECENT_SCRIPT_FIRST, "Recent Scripts");
        return;
    }
    const size_t count =
        std::min<size_t>(list.size(), ID_RECENT_SCRIPT_LAST - ID_RECENT_SCRIPT_FIRST + 1);
    for (size_t i = 0; i < count; ++i) {
        // A "&" in a path is shown as itself, not as a mnemonic.
        std::string name;
        for (char c : list.displayName(i))
            name += c == '&' ? std::string("&&") : std::string(1, c);
        fw::InsertMenu(holder, static_cast<unsigned>(at) + static_cast<unsigned>(i),
                       fw::MF_BYPOSITION, ID_RECENT_SCRIPT_FIRST + static_cast<unsigned>(i),
                       "&" + std::to_string(i + 1) + " " + name);
    }
}

} // namespace

void MainFrameWidget::refreshRecentScriptMenus()
{
    showRecentScripts(defaultMenu(), m_recentScripts);
    if (platform::framework::Application* app = platform::framework::Application::instance())
        for (platform::framework::DocTemplate* docTemplate : app->docTemplates())
            showRecentScripts(docTemplate->sharedMenu(), m_recentScripts);
}

void MainFrameWidget::contextMenuEvent(QContextMenuEvent* event)
{
    try {
        const platform::framework::HMENU menu =
            platform::framework::Resources::instance().LoadMenu(ID_POPUP_TOOLBARS);
        if (!menu)
            return;
        const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(5, 5))
                                                                         : event->globalPos();
        platform::framework::MenuRenderer::trackPopupMenu(
            menu, at, [this]() -> platform::framework::CommandTarget* { return this; }, this);
        platform::framework::DestroyMenu(menu);
    } catch (const std::exception&) {
        if (CErrorLog* log = m_core->errorLog())
            log->LogException(nullptr, "MainFrame", __LINE__);
    }
}

void MainFrameWidget::readSettings()
{
    // A missing or malformed placement leaves the default one.
    if (auto placement = platform::framework::parseWindowPlacement(readPlacementText()))
        platform::framework::SetWindowPlacement(this, *placement);
    CINIFileSupport store(nullptr, 1);
    m_preferences.read(store);
    m_settingsRead = true;
    m_core->setSingleThread(m_preferences.SingleThread);
}

namespace {

std::string applicationHelpFile()
{
    CHarluneApp* app = CHarluneApp::instance();
    return app ? app->helpFilePath() : std::string();
}

} // namespace

void MainFrameWidget::OnHelpContents()
{
    CHtmlHelpLauncher(GetSafeHwnd(), applicationHelpFile(), CHarluneApp::programFolder())
        .ShowContents();
}

void MainFrameWidget::OnHelpIndex()
{
    CHtmlHelpLauncher(GetSafeHwnd(), applicationHelpFile(), CHarluneApp::programFolder())
        .ShowIndex();
}

void MainFrameWidget::WinHelp(uint32_t contextId)
{
    CHtmlHelpLauncher(GetSafeHwnd(), applicationHelpFile(), CHarluneApp::programFolder())
        .ShowContext(contextId);
}

ChildFrame* MainFrameWidget::frameOf(uint32_t handle) const
{
    if (handle == 0)
        return nullptr;
    for (ChildFrame* frame : childFrames())
        if (frame->GetSafeHwnd() == handle)
            return frame;
    return nullptr;
}

std::vector<uint32_t> MainFrameWidget::childWindows()
{
    std::vector<uint32_t> handles;
    for (ChildFrame* frame : childFrames())
        if (!frame->isDestroying() && frame->GetSafeHwnd() != 0)
            handles.push_back(frame->GetSafeHwnd());
    return handles;
}

MainFrameWindow::ChildKind MainFrameWidget::childKind(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (dynamic_cast<CChildFrameSpectrum*>(frame))
        return ChildKind::Spectrum;
    if (dynamic_cast<CChildGridFrame*>(frame))
        return ChildKind::Grid;
    if (dynamic_cast<CChildGraphFrame*>(frame))
        return ChildKind::Graph;
    return ChildKind::Other;
}

namespace {

// The scan fields of a spectrum window's view, once it is ready to scan.
SpectrumScanView* readyScanView(platform::framework::View* view)
{
    if (auto* spectrum = dynamic_cast<SpectrumViewWidget*>(view))
        return spectrum->isReady() ? spectrum : nullptr;
    if (auto* counting = dynamic_cast<ScanCountView*>(view))
        return counting->isReady() ? counting : nullptr;
    return nullptr;
}

} // namespace

SpectrumScanView* MainFrameWidget::activeSpectrumView(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (!dynamic_cast<CChildFrameSpectrum*>(frame))
        return nullptr;
    return readyScanView(frame->GetActiveView());
}

std::string MainFrameWidget::windowTitle(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (!frame)
        return {};
    // A spectrum window's name leaves out the next save name its caption may show.
    if (dynamic_cast<CChildFrameSpectrum*>(frame))
        return CHarluneSpectrumView::windowNameOf(frame->windowTitle().toStdString());
    return frame->windowTitle().toStdString();
}

SpectrumScanView* MainFrameWidget::activeView()
{
    ChildFrame* frame = MDIGetActive();
    return frame ? readyScanView(frame->GetActiveView()) : nullptr;
}

bool MainFrameWidget::isWindow(uint32_t window)
{
    return platform::win::IsWindow(window) != 0;
}

void MainFrameWidget::setStatusText(const std::string& text)
{
    m_statusText = QString::fromStdString(text);
    statusBar()->showMessage(m_statusText);
}

bool MainFrameWidget::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        statusBar()->showMessage(tip.isEmpty() ? m_statusText : tip);
        return true;
    }
    return MdiFrame::event(event);
}

void MainFrameWidget::idleUpdate()
{
    updateStatusPanes();
    MdiFrame::idleUpdate();
}

void MainFrameWidget::wakeIdle()
{
    // A scan's data was handled: the next idle pass, which starts the next scan, comes before
    // the repaints that the plot asked for, so the windows repaint while the device scans.
    if (platform::framework::Application* app = platform::framework::Application::instance()) {
        app->wakeIdle();
        return;
    }
    // Any event handled by the main loop lets the idle processor call the hook once more.
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
}

void MainFrameWidget::sendSpectrumCommand(uintptr_t code, intptr_t argument)
{
    std::vector<uint32_t> views;
    for (ChildFrame* frame : childFrames())
        if (platform::framework::View* view = frame->GetActiveView())
            views.push_back(view->GetSafeHwnd());
    // Sent by handle: a view that closes while another handles the command is passed over.
    for (uint32_t view : views)
        if (platform::win::IsWindow(view))
            platform::win::SendMessage(view, CMainFrame::WM_SPECTRUM_COMMAND, code, argument);
}

void MainFrameWidget::setTimer(unsigned id, unsigned elapseMs)
{
    SetTimer(id, elapseMs);
}

void MainFrameWidget::killTimer(unsigned id)
{
    KillTimer(id);
}

void MainFrameWidget::postClose()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainFrameWidget::setScriptEvents(std::function<void(int16_t)> timerTick,
                                      std::function<void(int32_t)> userMenu)
{
    m_timerTick = std::move(timerTick);
    m_userMenu = std::move(userMenu);
}

void MainFrameWidget::fireTimerTick(int16_t timerId)
{
    if (m_timerTick)
        m_timerTick(timerId);
}

void MainFrameWidget::fireUserMenu(int32_t commandId)
{
    if (m_userMenu)
        m_userMenu(commandId);
}

int MainFrameWidget::addOpenSpectrumDocuments(int delta)
{
    m_openSpectrumDocuments += delta;
    return m_openSpectrumDocuments;
}

void MainFrameWidget::OnTimer(unsigned id)
{
    if (id == CSaxBasicObjFrame::kCloseRetryTimer) {
        KillTimer(id);
        postClose();
        return;
    }
    if (id == kScriptOpenTimer) {
        if (m_script->GetMacroState() == 0) {
            KillTimer(id);
            openPendingScript();
        }
        return;
    }
    try {
        m_core->OnTimer(id);
    } catch (const std::exception&) {
        if (CErrorLog* log = m_core->errorLog())
            log->LogException(nullptr, "MainFrame", __LINE__);
    }
}

intptr_t MainFrameWidget::OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                          bool& handled)
{
    return MdiFrame::OnWindowMessage(message, wParam, lParam, handled);
}

namespace {

// The settings a close saves, held back and written once per hive when this object goes. The
// close takes the child windows down from the event loop (they may be on the stack now), and
// their views write their keys as they go: deleted after them, this writes what they wrote in
// the same replacement of each hive instead of one replacement (and flush to disk) per key.
class CloseSettingsBatch : public QObject
{
public:
    explicit CloseSettingsBatch(QObject* parent) : QObject(parent) {}

private:
    platform::win::RegistryBatch m_machineSettings{platform::win::HKEY_LOCAL_MACHINE};
    platform::win::RegistryBatch m_userSettings{platform::win::HKEY_CURRENT_USER};
};

} // namespace

void MainFrameWidget::closeEvent(QCloseEvent* event)
{
    // The close saves many settings one by one (preferences, tool bars, placements, every
    // window's own keys): each hive is written once at the end instead of once per key.
    auto* settings = new CloseSettingsBatch(this);
    if (!m_core->OnClose()) {
        delete settings;
        event->ignore();
        return;
    }
    // A macro still on the stack: the close waits for it (running) or is refused (paused).
    switch (m_scriptFrame.OnClose()) {
    case CSaxBasicObjFrame::CloseVerdict::Close:
        break;
    case CSaxBasicObjFrame::CloseVerdict::RetryLater:
        delete settings;
        SetTimer(CSaxBasicObjFrame::kCloseRetryTimer, CSaxBasicObjFrame::kCloseRetryMs);
        event->ignore();
        return;
    case CSaxBasicObjFrame::CloseVerdict::Refuse:
        delete settings;
        event->ignore();
        return;
    }
    saveScriptSettings();
    m_script->OnFrameClose();
    saveToolBars();
    platform::framework::WINDOWPLACEMENT placement = platform::framework::GetWindowPlacement(this);
    placement.flags = isMaximized() ? platform::framework::WPF_RESTORETOMAXIMIZED : 0;
    writePlacementText(platform::framework::formatWindowPlacement(placement));
    MdiFrame::closeEvent(event);
    // A hidden start for an automation client is not under the user's control.
    const CHarluneApp* app = CHarluneApp::instance();
    m_scriptFrame.afterClose(!(app && app->startsHidden()));
    if (!event->isAccepted()) {
        delete settings;
        return;
    }
    // Deleted after the child windows the close took down (deferred deletions go in order).
    settings->deleteLater();
}

bool MainFrameWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (m_lookingForStopKey && filterStopKey(watched, event))
        return true;
    // A scan's text names its window: once a spectrum window closes, the text is no longer
    // true, and the next scan writes its own.
    if (event->type() == QEvent::Hide && dynamic_cast<CChildFrameSpectrum*>(watched) != nullptr &&
        m_statusText != QStringLiteral("Ready")) {
        m_statusText = QStringLiteral("Ready");
        statusBar()->showMessage(m_statusText);
    }
    return MdiFrame::eventFilter(watched, event);
}

bool MainFrameWidget::queryEndSession()
{
    return m_scriptFrame.OnQueryEndSession(true);
}

uint32_t MainFrameWidget::activeChildFrame()
{
    ChildFrame* frame = MDIGetActive();
    return frame && !frame->isDestroying() ? frame->GetSafeHwnd() : 0;
}

bool MainFrameWidget::hasActiveView(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (!frame)
        return false;
    // A spectrum window becomes a target once its view is ready to scan.
    if (dynamic_cast<CChildFrameSpectrum*>(frame))
        return readyScanView(frame->GetActiveView()) != nullptr;
    return frame->GetActiveView() != nullptr;
}

std::optional<AutomationFrame::SpectrumIdentity> MainFrameWidget::spectrumIdentity(uint32_t handle)
{
    SpectrumScanView* view = activeSpectrumView(handle);
    if (!view)
        return std::nullopt;
    SpectrumIdentity identity;
    identity.baseAddress = view->hardware().baseAddress;
    identity.irq = view->hardware().irq;
    identity.serialPort = view->hardware().serialPort;
    identity.usbSerialNumber = view->configuration().GetUSBSerialNumber();
    return identity;
}

CHarluneSpectrumView* MainFrameWidget::spectrumView(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (!dynamic_cast<CChildFrameSpectrum*>(frame))
        return nullptr;
    auto* view = dynamic_cast<SpectrumViewWidget*>(frame->GetActiveView());
    return view && view->isReady() ? &view->core() : nullptr;
}

SpectrumFrameBars* MainFrameWidget::spectrumFrameBars(uint32_t handle)
{
    auto* frame = dynamic_cast<CChildFrameSpectrum*>(frameOf(handle));
    return frame != nullptr ? &frame->automationBars() : nullptr;
}

CHarluneGridView* MainFrameWidget::gridView(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (!dynamic_cast<CChildGridFrame*>(frame))
        return nullptr;
    auto* view = dynamic_cast<GridViewWidget*>(frame->GetActiveView());
    return view ? &view->core() : nullptr;
}

CHarluneGraphView* MainFrameWidget::graphView(uint32_t handle)
{
    ChildFrame* frame = frameOf(handle);
    if (!dynamic_cast<CChildGraphFrame*>(frame))
        return nullptr;
    auto* view = dynamic_cast<GraphViewWidget*>(frame->GetActiveView());
    return view ? &view->core() : nullptr;
}

void MainFrameWidget::setFrameTitle(uint32_t handle, const std::string& title)
{
    if (ChildFrame* frame = frameOf(handle))
        frame->setWindowTitle(QString::fromStdString(title));
}

void MainFrameWidget::destroyFrame(uint32_t handle)
{
    if (ChildFrame* frame = frameOf(handle))
        frame->MDIDestroy();
}

void MainFrameWidget::cascadeEnabledChildren()
{
    // QMdiArea's cascade moves every child; here a disabled child keeps its place, as the MDI
    // client's cascade that skips disabled children does. The topmost child ends in front.
    std::vector<ChildFrame*> frames;
    for (ChildFrame* frame : childFrames())
        if (frame->isEnabled() && frame->isVisible() && !frame->isMinimized())
            frames.push_back(frame);
    if (frames.empty())
        return;
    const QRect area = mdiArea()->viewport()->rect();
    const int step = std::max(8, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const int width = std::max(area.width() * 2 / 3, 120);
    const int height = std::max(area.height() * 2 / 3, 80);
    const int room = std::max(1, std::min(area.width() - width, area.height() - height) / step + 1);
    int place = 0;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it, ++place) {
        ChildFrame* frame = *it;
        const int offset = (place % room) * step;
        frame->showNormal();
        frame->setGeometry(QRect(offset, offset, width, height));
        frame->raise();
    }
}

void MainFrameWidget::tileChildren(bool horizontal)
{
    MDITile(horizontal);
}

std::optional<bool> MainFrameWidget::controlBarVisible(unsigned id)
{
    COXCoolToolBar* bar = controlBar(id);
    if (!bar)
        return std::nullopt;
    return !bar->isHidden();
}

void MainFrameWidget::showControlBar(unsigned id, bool show)
{
    if (COXCoolToolBar* bar = controlBar(id))
        bar->setVisible(show);
}

void MainFrameWidget::newSpectrumWindow(const std::string& title)
{
    if (CHarluneApp* app = CHarluneApp::instance())
        app->NewSpectrumWindow(title.empty() ? nullptr : title.c_str());
}

void MainFrameWidget::newGridWindow(int columns, int rows, int sheets, const std::string& title)
{
    if (CHarluneApp* app = CHarluneApp::instance())
        app->NewGridWindow(columns, rows, sheets, title.empty() ? nullptr : title.c_str());
}

void MainFrameWidget::newGraphWindow(int traces, int points, const std::string& title)
{
    if (CHarluneApp* app = CHarluneApp::instance())
        app->NewGraphWindow(traces, points, title.empty() ? nullptr : title.c_str());
}

std::string MainFrameWidget::applicationVersion()
{
    CHarluneApp* app = CHarluneApp::instance();
    return app ? app->GetApplicationVersion() : std::string();
}

std::string MainFrameWidget::driverVersion()
{
    CHarluneApp* app = CHarluneApp::instance();
    return app ? app->GetDriverVersion() : std::string();
}

namespace {

platform::framework::DocTemplate* templateOf(MainFrameWindow::ChildKind kind)
{
    platform::framework::Application* app = platform::framework::Application::instance();
    if (!app)
        return nullptr;
    switch (kind) {
    case MainFrameWindow::ChildKind::Spectrum:
        return app->docTemplate(129);
    case MainFrameWindow::ChildKind::Grid:
        return app->docTemplate(131);
    case MainFrameWindow::ChildKind::Graph:
        return app->docTemplate(210);
    default:
        return nullptr;
    }
}

} // namespace

AutomationFrame::HMENU MainFrameWidget::templateMenu(ChildKind kind)
{
    platform::framework::DocTemplate* docTemplate = templateOf(kind);
    return docTemplate ? docTemplate->sharedMenu() : 0;
}

void MainFrameWidget::setTemplateMenu(ChildKind kind, HMENU menu)
{
    if (platform::framework::DocTemplate* docTemplate = templateOf(kind))
        docTemplate->setSharedMenu(menu);
}

AutomationFrame::HMENU MainFrameWidget::loadMenu(unsigned resourceId)
{
    return platform::framework::Resources::instance().LoadMenu(resourceId);
}

void MainFrameWidget::updateFrameMenu(uint32_t handle, HMENU menu)
{
    // The children share the main window's menu bar, which shows the active child's menu.
    if (handle == 0 || handle != activeChildFrame())
        return;
    menuRenderer()->setMenu(platform::framework::IsMenu(menu) ? menu : defaultMenu());
}

void MainFrameWidget::drawMenuBar()
{
    OnUpdateFrameMenu();
}

std::vector<AutomationFrame::HMENU> MainFrameWidget::menusInUse()
{
    std::vector<HMENU> menus{defaultMenu(), currentMenu()};
    if (platform::framework::Application* app = platform::framework::Application::instance())
        for (platform::framework::DocTemplate* docTemplate : app->docTemplates())
            menus.push_back(docTemplate->sharedMenu());
    return menus;
}

int MainFrameWidget::drawChartToClipboard(platform::chart::XrtHandle chart, int format)
{
    return platform::chart::XrtDrawToClipboard(chart, format);
}

int MainFrameWidget::drawChartToFile(platform::chart::XrtHandle chart, const std::string& path,
                                     int format)
{
    return platform::chart::XrtDrawToFile(chart, path.c_str(), format);
}

// ---- Scripting ----

namespace {

constexpr const char* kIdeSection = "Scripting\\BasicIDE";
constexpr const char* kEventModeCaption = "Harlune Scripting in Event Mode";
constexpr const char* kEventDrivenCaption = "Harlune Scripting in Event-driven Mode";
constexpr const char* kProceduralCaption = "Harlune Scripting in Procedural Mode";

// The editor settings kept in "Scripting\\BasicIDE": name, property, default, and how the close
// writes them ('d' "%d", 'u' "%u", 's' text).
struct IdeSetting
{
    const char* name;
    platform::automation::DISPID id;
    int32_t fallback;
    char format;
};
constexpr IdeSetting kIdeSettings[] = {
    {"Left", 90, 0, 'd'},
    {"Top", 91, 0, 'd'},
    {"Width", 92, 400, 'd'},
    {"Height", 93, 500, 'd'},
    {"EventMode", 32, 1, 'd'},
    {"AlwaysSplit", 31, 0, 'd'},
    {"EditTools", 9, 1, 'd'},
    {"TabAsSpaces", 81, 0, 'd'},
    {"BackColor", -501, 0xFFFFFF, 'u'},
    {"DebugHeight", 66, 100, 'd'},
    {"ToolbarVisible", 22, 1, 'd'},
    {"StatusVisible", 21, 1, 'd'},
    {"FileDirectory", 106, 0, 's'},
    {"ForeColor", -513, 0, 'u'},
    {"TabWidth", 82, 4, 'd'},
};

} // namespace

void MainFrameWidget::setUpScripting()
{
    if (!m_script->CreateEngine())
        return;
    m_core->setScriptHost(m_script.get());
    readScriptSettings();
    using platform::automation::CEventGenerator;
    using platform::automation::Variant;
    setScriptEvents(
        [this](int16_t id) { m_script->fire(CEventGenerator::TimerTick, {Variant(id)}); },
        [this](int32_t id) { m_script->fire(CEventGenerator::UserMenu, {Variant(id)}); });
}

void MainFrameWidget::readScriptSettings()
{
    using platform::automation::Variant;
    CINIFileSupport store(nullptr, 1);
    for (const IdeSetting& setting : kIdeSettings) {
        if (setting.format == 's') {
            m_script->PutProperty(setting.id,
                                  Variant(store.GetStringDefault(kIdeSection, setting.name, "")));
            continue;
        }
        int32_t value = store.GetIntDefault(kIdeSection, setting.name, setting.fallback);
        if (setting.format == 'u') {
            // Written as "%u": a colour with the high bit set (a system colour) reads back
            // whole instead of being cut to the largest int.
            const std::string text = store.GetStringDefault(kIdeSection, setting.name, "");
            char* end = nullptr;
            const unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
            if (!text.empty() && end != text.c_str() && text[0] != '-' && parsed <= UINT32_MAX)
                value = static_cast<int32_t>(static_cast<uint32_t>(parsed));
        }
        if (setting.id == 32) {
            m_script->PutProperty(32, Variant(value != 0));
            m_script->PutProperty(-518,
                                  Variant(value == 1 ? kEventModeCaption : kProceduralCaption));
        } else {
            m_script->PutProperty(setting.id, Variant(value));
        }
    }
}

void MainFrameWidget::saveScriptSettings()
{
    if (!m_script->hasEngine())
        return;
    CINIFileSupport store(nullptr, 1);
    for (const IdeSetting& setting : kIdeSettings) {
        std::string text;
        if (setting.format == 's') {
            text = m_script->GetStringProperty(setting.id);
        } else {
            const int32_t value = m_script->GetLongProperty(setting.id);
            text = setting.format == 'u' ? std::to_string(static_cast<uint32_t>(value))
                                         : std::to_string(value);
        }
        store.WriteString(kIdeSection, setting.name, text.c_str());
    }
}

void MainFrameWidget::adoptScriptEditor(QWidget* editor)
{
    m_scriptEditor = editor;
}

void MainFrameWidget::showIde()
{
    m_script->InvokeMethod96();
    m_script->InvokeMethod100();
    m_ideCreated = true;
}

void MainFrameWidget::openScriptWhenIdle(const std::string& path)
{
    // A macro still on the stack (this command came through its DoEvents) would lose the
    // open: it waits until the macro ended.
    m_pendingOpen = PendingOpen::Command;
    if (m_script->GetMacroState() == 0) {
        m_pendingScript.clear();
        openScriptNow(path);
        return;
    }
    m_pendingScript = path;
    SetTimer(kScriptOpenTimer, 100);
}

void MainFrameWidget::openPendingScript()
{
    const std::string path = std::exchange(m_pendingScript, {});
    if (path.empty())
        return;
    switch (m_pendingOpen) {
    case PendingOpen::Command:
        guarded([this, path] { openScriptNow(path); })();
        break;
    case PendingOpen::AutoRunPlain:
    case PendingOpen::AutoRunEnciphered: {
        const bool enciphered = m_pendingOpen == PendingOpen::AutoRunEnciphered;
        guarded([this, path, enciphered] { m_script->OpenAutoRunScript(path, enciphered); })();
        break;
    }
    }
}

void MainFrameWidget::openAutoRunScript()
{
    const CMainFrame::AutoRunScript& autoRun = m_core->autoRunScript();
    if (!m_script->hasEngine() || autoRun.enabled != 1 || m_script->scriptOpen() ||
        autoRun.filename == "XXX" || autoRun.filename.empty())
        return;
    // One open is enough: windows made while it waits for a macro to end add none.
    if (!m_pendingScript.empty())
        return;
    m_pendingScript = autoRun.filename;
    m_pendingOpen =
        autoRun.encrypted == 1 ? PendingOpen::AutoRunEnciphered : PendingOpen::AutoRunPlain;
    if (m_script->GetMacroState() == 0) {
        openPendingScript();
        return;
    }
    SetTimer(kScriptOpenTimer, 100);
}

void MainFrameWidget::openScriptNow(const std::string& path)
{
    if (!m_ideCreated)
        showIde();
    m_script->PutProperty(94, platform::automation::Variant(false));
    m_script->OpenScript(path);
    addRecentScript(path);
}

void MainFrameWidget::installScriptCommands()
{
    using namespace app::res; // the MENUVERIFY values
    using platform::automation::Variant;
    using platform::framework::CmdUI;
    CMainFrame& core = *m_core;
    CSaxBasicObj& script = *m_script;
    const auto withEngine = [&script](CmdUI& ui) { ui.Enable(script.hasEngine()); };

    onCommand(ID_SCRIPT_SHOW_IDE, guarded([this, &core, &script] {
                  if (script.hasEngine() && core.VerifyCommand(mvScriptShowIDE))
                      showIde();
              }));
    onUpdate(ID_SCRIPT_SHOW_IDE, withEngine);
    onCommand(ID_SCRIPT_OPEN_AND_EXECUTE, guarded([this, &core, &script] {
                  if (!script.hasEngine() || !core.VerifyCommand(mvScriptOpenAndExecuteScript))
                      return;
                  if (script.GetMacroState() != 0) {
                      if (!messageBox("Starting a new script will stop the currently executing "
                                      "script.\nWould you like to continue?",
                                      "Harlune Script Warning", Box::YesNo))
                          return;
                      script.stop();
                  }
                  platform::qt::FileDialogRequest request;
                  request.title = "Run Macro";
                  request.filters = {{"Basic Macros (*.bas)", "*.bas"}};
                  request.defaultExtension = "bas";
                  request.fileMustExist = true;
                  request.owner = this;
                  const auto chosen = platform::qt::uiServices().fileDialog(request);
                  if (chosen && !chosen->paths.empty())
                      openScriptWhenIdle(chosen->paths.front());
              }));
    onUpdate(ID_SCRIPT_OPEN_AND_EXECUTE, withEngine);
    onCommand(ID_SCRIPT_RUN, guarded([&core, &script] {
                  if (!core.VerifyCommand(mvScriptRunScript))
                      return;
                  if (script.GetBoolProperty(19))
                      script.PutProperty(19, Variant(false));
                  else
                      script.PutProperty(20, Variant(true));
              }));
    onUpdate(ID_SCRIPT_RUN, [this, &script](CmdUI& ui) {
        ui.Enable(script.hasEngine() && m_ideCreated &&
                  (script.GetBoolProperty(19) || !script.GetBoolProperty(20)));
    });
    onCommand(ID_SCRIPT_PAUSE, guarded([&core, &script] {
                  if (core.VerifyCommand(mvScriptPauseScript))
                      script.PutProperty(19, Variant(!script.GetBoolProperty(19)));
              }));
    onUpdate(ID_SCRIPT_PAUSE, [this, &script](CmdUI& ui) {
        ui.Enable(script.hasEngine() && m_ideCreated && script.GetBoolProperty(20) &&
                  !script.GetBoolProperty(19));
    });
    onCommand(ID_SCRIPT_STOP, guarded([&core, &script] {
                  if (!core.VerifyCommand(mvScriptStopScript))
                      return;
                  script.fire(platform::automation::CEventGenerator::MacroEnd, {});
                  script.stop();
              }));
    onUpdate(ID_SCRIPT_STOP, [&script](CmdUI& ui) {
        ui.Enable(script.hasEngine() && script.GetMacroState() != 0);
    });
    onCommand(ID_SCRIPT_EVENT_MODE, guarded([&core, &script] {
                  if (!script.hasEngine() || !core.VerifyCommand(mvScriptEventDrivenMode))
                      return;
                  const bool on = !script.GetBoolProperty(32);
                  script.PutProperty(32, Variant(on));
                  script.PutProperty(-518, Variant(on ? kEventDrivenCaption : kProceduralCaption));
              }));
    onUpdate(ID_SCRIPT_EVENT_MODE, [&script](CmdUI& ui) {
        ui.Enable(script.hasEngine());
        ui.SetCheck(script.GetBoolProperty(32) ? 1 : 0);
    });
    onCommand(ID_AUTORUN_ENABLED, guarded([&core] {
                  if (core.VerifyCommand(mvScriptAutoRunScriptEnabled))
                      core.autoRunScript().enabled = core.autoRunScript().enabled ? 0 : 1;
              }));
    onUpdate(ID_AUTORUN_ENABLED, [&core, withEngine](CmdUI& ui) {
        withEngine(ui);
        ui.SetCheck(core.autoRunScript().enabled ? 1 : 0);
    });
    onCommand(ID_AUTORUN_SELECT_SCRIPT, guarded([this, &core] {
                  if (!core.VerifyCommand(mvScriptAutoRunScriptSelectScript))
                      return;
                  platform::qt::FileDialogRequest request;
                  request.title = "Select AutoRun Script";
                  request.filters = {{"Basic Macros (*.bas)", "*.bas"}};
                  request.defaultExtension = "bas";
                  request.initialPath = core.autoRunScript().filename;
                  request.owner = this;
                  const auto chosen = platform::qt::uiServices().fileDialog(request);
                  if (chosen && !chosen->paths.empty())
                      core.autoRunScript().filename = chosen->paths.front();
              }));
    onUpdate(ID_AUTORUN_SELECT_SCRIPT, withEngine);
    onCommandRange(ID_RECENT_SCRIPT_FIRST, ID_RECENT_SCRIPT_LAST,
                   [this, &core, &script](unsigned id) {
                       guarded([this, &core, &script, id] {
                           const size_t index = id - ID_RECENT_SCRIPT_FIRST;
                           if (!script.hasEngine() || index >= m_recentScripts.size() ||
                               !core.VerifyCommand(mvScriptRecentScripts))
                               return;
                           openScriptWhenIdle(m_recentScripts[index]);
                       })();
                   });
    onUpdateRange(ID_RECENT_SCRIPT_FIRST, ID_RECENT_SCRIPT_LAST, [this, &script](CmdUI& ui) {
        ui.Enable(script.hasEngine() && ui.id() - ID_RECENT_SCRIPT_FIRST < m_recentScripts.size());
    });
}

bool MainFrameWidget::messageBox(const std::string& text, const std::string& caption, Box box)
{
    namespace pq = platform::qt;
    const unsigned flags = box == Box::YesNo         ? pq::kMbYesNo | pq::kMbIconQuestion
                           : box == Box::Exclamation ? pq::kMbOk | pq::kMbIconWarning
                                                     : pq::kMbOk;
    const int answer = pq::uiServices().messageBox(text, caption, flags, this);
    return box == Box::YesNo ? answer == pq::kIdYes : true;
}

void MainFrameWidget::doEvents()
{
    // The idle step first (it starts scans), then at most 100 of the program's waiting
    // messages, never past a WM_QUIT (it ends the program's loop, not the script's), then one
    // pass over Qt's waiting events without the queue's notifier, which would take the rest.
    if (CHarluneApp* app = CHarluneApp::instance())
        app->OnIdle(0);
    platform::qt::pumpPendingMessages(kDoEventsMessages);
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
}

bool MainFrameWidget::takeStopKey()
{
    // On a display the keyboard is asked directly: its events wait unread while the script
    // keeps the GUI thread.
    if (platform::qt::stopKeyHeld())
        return true;
    // Only the key presses waiting now are looked at: the stop key is taken, every other one
    // is held back and queued again afterwards, in its order, for the loop to handle.
    m_stopKeySeen = false;
    m_lookingForStopKey = true;
    qApp->installEventFilter(this);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::KeyPress);
    qApp->removeEventFilter(this);
    m_lookingForStopKey = false;
    for (auto& [receiver, event] : std::exchange(m_heldKeys, {}))
        if (receiver)
            QCoreApplication::postEvent(receiver, event.release());
    return m_stopKeySeen;
}

bool MainFrameWidget::filterStopKey(QObject* receiver, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !receiver->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+Break: X11 reports Break as Pause with Ctrl held, some keyboards as Cancel.
    const bool stop = (key->modifiers() & Qt::ControlModifier) &&
                      (key->key() == Qt::Key_Pause || key->key() == Qt::Key_Cancel);
    if (stop)
        m_stopKeySeen = true;
    else
        m_heldKeys.emplace_back(receiver, std::unique_ptr<QEvent>(event->clone()));
    return true;
}

void MainFrameWidget::focusMainFrame()
{
    activateWindow();
    setFocus();
}

void MainFrameWidget::addRecentScript(const std::string& path)
{
    m_recentScripts.Add(path);
    m_recentScripts.WriteList();
    refreshRecentScriptMenus();
}

int32_t MainFrameWidget::mainWindowHandle()
{
    return static_cast<int32_t>(GetSafeHwnd());
}

bool MainFrameWidget::focusWithin(int32_t window)
{
    // The only window the script object asks about is the editor's.
    QWidget* focus = QApplication::focusWidget();
    if (window == 0 || !focus || !m_scriptEditor || focus->window() != m_scriptEditor.data())
        return false;
    auto* editor = dynamic_cast<platform::basic::EngineEditor*>(m_scriptEditor.data());
    return editor == nullptr || editor->windowHandle() == window;
}
