#include "app/qt/MainFrameWidget.h"

#include "app/qt/ChildFrames.h"
#include "app/qt/HarluneApp.h"
#include "app/qt/ScanCountView.h"
#include "app/res/MenuVerify.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/framework/CmdUI.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/View.h"
#include "platform/framework/WindowPlacement.h"
#include "platform/win/Log.h"
#include "platform/win/Messages.h"
#include "platform/win/Registry.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QStatusBar>

#include <exception>

using platform::framework::ChildFrame;

MainFrameWidget::MainFrameWidget(DriverApi& driver, uint32_t instanceKey)
    : m_core(std::make_unique<CMainFrame>(*this, driver, instanceKey))
{
    setWindowTitle(QStringLiteral("Harlune"));
    statusBar()->showMessage(QStringLiteral("Ready"));
    installCommands();
}

namespace {

constexpr unsigned ID_GLOBAL_DARK = 32788;
constexpr unsigned ID_GLOBAL_REFERENCE = 32789;
constexpr unsigned ID_GLOBAL_SNAPSHOT = 32790;
constexpr unsigned ID_GLOBAL_RESET = 32791;
constexpr unsigned ID_KICK_START = 32830;
constexpr unsigned ID_FILE_NEW_SPECTRUM = 32805;
constexpr unsigned ID_NEW_GRID_WINDOW = 32957;
constexpr unsigned ID_NEW_GRAPH_WINDOW = 32959;
constexpr unsigned ID_USER_MENU_FIRST = 47000;
constexpr unsigned ID_USER_MENU_LAST = 52000;

// A command handler is a boundary: an exception ends the command, never the program.
std::function<void()> guarded(std::function<void()> handler)
{
    return [handler = std::move(handler)] {
        try {
            handler();
        } catch (const std::exception& error) {
            platform::win::logError("mainframe", "command: %s", error.what());
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
    onCommand(ID_GLOBAL_SNAPSHOT, guarded([&core] { core.OnGlobalSnapshot(); }));
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
    onCommand(ID_FILE_NEW_SPECTRUM, guarded([] {
                  if (CHarluneApp* app = CHarluneApp::instance())
                      app->NewSpectrumWindow();
              }));
    onCommand(ID_NEW_GRID_WINDOW, guarded([] {
                  CINIFileSupport store(nullptr, 1);
                  const int columns = store.GetIntDefault("GridDefaults", "NumberOfColumns", 10);
                  const int rows = store.GetIntDefault("GridDefaults", "NumberOfRows", 100);
                  const int sheets = store.GetIntDefault("GridDefaults", "NumberOfSheets", 1);
                  if (CHarluneApp* app = CHarluneApp::instance())
                      app->NewGridWindow(columns, rows, sheets, nullptr);
              }));
    onCommand(ID_NEW_GRAPH_WINDOW, guarded([] {
                  CINIFileSupport store(nullptr, 1);
                  const int traces = store.GetIntDefault("GraphDefaults", "NumberOfTraces", 10);
                  const int points = store.GetIntDefault("GraphDefaults", "NumberOfPoints", 2048);
                  if (CHarluneApp* app = CHarluneApp::instance())
                      app->NewGraphWindow(traces, points, nullptr);
              }));
}

namespace {

// The framework profile of the tool bars and window placements, under HKEY_CURRENT_USER.
constexpr const char* kPlacementKey =
    "Software\\Varnholt Software\\Harlune Toolbars\\MainWindowSize";
constexpr const char* kPlacementEntry = "WindowPos";

std::string readPlacementText()
{
    namespace win = platform::win;
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kPlacementKey, 0, win::KEY_READ, &key) != 0)
        return {};
    char text[256] = {};
    PWIN_DWORD size = sizeof(text) - 1;
    PWIN_DWORD type = 0;
    const bool read = win::RegQueryValueEx(key, kPlacementEntry, nullptr, &type,
                                           reinterpret_cast<uint8_t*>(text), &size) == 0 &&
                      type == win::REG_SZ;
    win::RegCloseKey(key);
    return read ? std::string(text) : std::string();
}

void writePlacementText(const std::string& text)
{
    namespace win = platform::win;
    win::HKEY key = 0;
    if (win::RegCreateKeyEx(win::HKEY_CURRENT_USER, kPlacementKey, 0, nullptr,
                            win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != 0)
        return;
    win::RegSetValueEx(key, kPlacementEntry, 0, win::REG_SZ,
                       reinterpret_cast<const uint8_t*>(text.c_str()),
                       static_cast<PWIN_DWORD>(text.size() + 1));
    win::RegCloseKey(key);
}

} // namespace

MainFrameWidget::~MainFrameWidget()
{
    CINIFileSupport store(nullptr, 1);
    m_preferences.write(store);
}

void MainFrameWidget::readSettings()
{
    // A missing or malformed placement leaves the default one.
    if (auto placement = platform::framework::parseWindowPlacement(readPlacementText()))
        platform::framework::SetWindowPlacement(this, *placement);
    CINIFileSupport store(nullptr, 1);
    m_preferences.read(store);
    m_core->setSingleThread(m_preferences.SingleThread);
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
    return frame ? frame->windowTitle().toStdString() : std::string();
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
    statusBar()->showMessage(QString::fromStdString(text));
}

void MainFrameWidget::idleUpdate()
{
    MdiFrame::idleUpdate();
}

void MainFrameWidget::wakeIdle()
{
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

void MainFrameWidget::fireTimerTick(int16_t)
{
    // The event source for scripts joins with the scripting host.
}

void MainFrameWidget::fireUserMenu(int32_t) {}

int MainFrameWidget::addOpenSpectrumDocuments(int delta)
{
    m_openSpectrumDocuments += delta;
    return m_openSpectrumDocuments;
}

void MainFrameWidget::OnTimer(unsigned id)
{
    try {
        m_core->OnTimer(id);
    } catch (const std::exception&) {
    }
}

intptr_t MainFrameWidget::OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                                          bool& handled)
{
    return MdiFrame::OnWindowMessage(message, wParam, lParam, handled);
}

void MainFrameWidget::closeEvent(QCloseEvent* event)
{
    if (!m_core->OnClose()) {
        event->ignore();
        return;
    }
    platform::framework::WINDOWPLACEMENT placement = platform::framework::GetWindowPlacement(this);
    placement.flags = isMaximized() ? platform::framework::WPF_RESTORETOMAXIMIZED : 0;
    writePlacementText(platform::framework::formatWindowPlacement(placement));
    MdiFrame::closeEvent(event);
}
