#include "platform/framework/MdiFrame.h"

#include "platform/framework/Application.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/View.h"
#include "platform/framework/WindowHandle.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QShortcut>

#include <algorithm>

namespace platform::framework {

MdiFrame::MdiFrame(QWidget* parent) : QMainWindow(parent)
{
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiClient"));
    setCentralWidget(m_area);
    m_window = std::make_unique<WindowHandle>(
        [this](unsigned message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            return windowProc(message, wParam, lParam);
        });
    m_menuRenderer = new MenuRenderer(
        menuBar(), [this]() -> CommandTarget* { return this; }, this);
    connect(m_area, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow*) { OnUpdateFrameMenu(); });
    onCommand(ID_WINDOW_CASCADE, [this]() { MDICascade(); });
    onCommand(ID_WINDOW_TILE_HORZ, [this]() { MDITile(true); });
    onCommand(ID_WINDOW_TILE_VERT, [this]() { MDITile(false); });
    onCommand(ID_WINDOW_ARRANGE, [this]() { MDIIconArrange(); });
}

MdiFrame::~MdiFrame()
{
    // The children (the MDI area and its frames) are deleted after this body, when this object
    // is no longer an MdiFrame: the area's activation signals must not reach it then.
    disconnect(m_area, nullptr, this, nullptr);
    m_menuRenderer->setMenu(0);
    if (IsMenu(m_defaultMenu)) {
        DestroyMenu(m_defaultMenu);
    }
    m_defaultMenu = 0;
}

ChildFrame* MdiFrame::MDIGetActive() const
{
    // currentSubWindow stays set while the main window itself is not active.
    return dynamic_cast<ChildFrame*>(m_area->currentSubWindow());
}

View* MdiFrame::GetActiveView() const
{
    ChildFrame* frame = MDIGetActive();
    return frame != nullptr ? frame->GetActiveView() : nullptr;
}

Document* MdiFrame::GetActiveDocument() const
{
    ChildFrame* frame = MDIGetActive();
    return frame != nullptr ? frame->GetActiveDocument() : nullptr;
}

std::vector<ChildFrame*> MdiFrame::childFrames() const
{
    std::vector<ChildFrame*> result;
    const QList<QMdiSubWindow*> stacking = m_area->subWindowList(QMdiArea::StackingOrder);
    // Qt lists the stacking order bottom first; the MDI z-order starts at the top.
    for (auto it = stacking.crbegin(); it != stacking.crend(); ++it) {
        auto* frame = dynamic_cast<ChildFrame*>(*it);
        if (frame != nullptr && !frame->isDestroying()) {
            result.push_back(frame);
        }
    }
    return result;
}

ChildFrame* MdiFrame::nextChildFrame(const ChildFrame* after) const
{
    const std::vector<ChildFrame*> frames = childFrames();
    if (after == nullptr) {
        return frames.empty() ? nullptr : frames.front();
    }
    const auto found = std::find(frames.begin(), frames.end(), after);
    if (found == frames.end() || found + 1 == frames.end()) {
        return nullptr;
    }
    return *(found + 1);
}

bool MdiFrame::isChildFrame(const ChildFrame* frame) const
{
    const std::vector<ChildFrame*> frames = childFrames();
    return frame != nullptr && std::find(frames.begin(), frames.end(), frame) != frames.end();
}

void MdiFrame::MDICascade()
{
    m_area->cascadeSubWindows();
}

void MdiFrame::MDITile(bool horizontal)
{
    std::vector<ChildFrame*> frames;
    for (ChildFrame* frame : childFrames()) {
        if (frame->isVisible() && !frame->isMinimized()) {
            frames.push_back(frame);
        }
    }
    if (frames.empty()) {
        return;
    }
    // Keep the order of the windows as listed, topmost first.
    const QRect area = m_area->viewport()->rect();
    const int count = static_cast<int>(frames.size());
    for (int i = 0; i < count; ++i) {
        ChildFrame* frame = frames[static_cast<size_t>(i)];
        frame->showNormal();
        QRect cell;
        if (horizontal) {
            const int top = area.height() * i / count;
            const int bottom = area.height() * (i + 1) / count;
            cell = QRect(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / count;
            const int right = area.width() * (i + 1) / count;
            cell = QRect(left, 0, right - left, area.height());
        }
        frame->setGeometry(cell);
    }
}

void MdiFrame::MDIIconArrange()
{
    int x = 0;
    const QRect area = m_area->viewport()->rect();
    for (ChildFrame* frame : childFrames()) {
        if (!frame->isMinimized()) {
            continue;
        }
        const QSize size = frame->size();
        frame->move(x, area.bottom() + 1 - size.height());
        x += size.width();
    }
}

void MdiFrame::setDefaultMenu(HMENU menu)
{
    if (IsMenu(m_defaultMenu) && m_defaultMenu != menu) {
        DestroyMenu(m_defaultMenu);
    }
    m_defaultMenu = menu;
    OnUpdateFrameMenu();
}

HMENU MdiFrame::currentMenu() const
{
    return m_menuRenderer->menu();
}

void MdiFrame::OnUpdateFrameMenu()
{
    HMENU menu = m_defaultMenu;
    if (ChildFrame* active = MDIGetActive()) {
        if (DocTemplate* docTemplate = active->docTemplate();
            docTemplate != nullptr && IsMenu(docTemplate->sharedMenu())) {
            menu = docTemplate->sharedMenu();
        }
    }
    m_menuRenderer->setMenu(menu);
}

bool MdiFrame::executeCommand(unsigned id)
{
    return platform::framework::executeCommand(*this, id);
}

void MdiFrame::installAccelerators(std::span<const Accelerator> accelerators)
{
    for (QShortcut* shortcut : m_shortcuts) {
        delete shortcut;
    }
    m_shortcuts.clear();
    for (const Accelerator& accelerator : accelerators) {
        const QKeySequence key(QString::fromUtf8(accelerator.key), QKeySequence::PortableText);
        if (key.isEmpty()) {
            continue;
        }
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        const unsigned id = accelerator.id;
        connect(shortcut, &QShortcut::activated, this, [this, id]() { executeCommand(id); });
        m_shortcuts.push_back(shortcut);
    }
}

void MdiFrame::idleUpdate()
{
    SendMessageToDescendants(this, WM_IDLEUPDATECMDUI, 1, 0, true);
}

uint32_t MdiFrame::GetSafeHwnd() const
{
    return m_window ? m_window->hwnd() : 0;
}

intptr_t MdiFrame::windowProc(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (message == kTimerMessage) {
        OnTimer(static_cast<unsigned>(wParam));
        return 0;
    }
    bool handled = false;
    return OnWindowMessage(message, wParam, lParam, handled);
}

unsigned MdiFrame::SetTimer(unsigned id, unsigned elapseMs)
{
    return m_window ? m_window->SetTimer(id, elapseMs) : 0;
}

bool MdiFrame::KillTimer(unsigned id)
{
    return m_window && m_window->KillTimer(id);
}

void MdiFrame::OnTimer(unsigned) {}

bool MdiFrame::OnCmdMsg(unsigned id, CmdUI* ui)
{
    if (ChildFrame* active = MDIGetActive()) {
        if (View* view = active->GetActiveView(); view != nullptr && view->OnCmdMsg(id, ui)) {
            return true;
        }
        if (active->dispatchOwnFrameCommand(id, ui)) {
            return true;
        }
    }
    if (dispatchOwn(id, ui)) {
        return true;
    }
    Application* app = Application::instance();
    return app != nullptr && app->OnCmdMsg(id, ui);
}

bool MdiFrame::hasCommandHandler(unsigned id)
{
    if (ChildFrame* active = MDIGetActive()) {
        if (View* view = active->GetActiveView(); view != nullptr && view->hasCommandHandler(id)) {
            return true;
        }
        if (active->hasOwnFrameHandler(id)) {
            return true;
        }
    }
    if (hasOwnCommandHandler(id)) {
        return true;
    }
    Application* app = Application::instance();
    return app != nullptr && app->hasCommandHandler(id);
}

intptr_t MdiFrame::OnWindowMessage(unsigned, uintptr_t, intptr_t, bool& handled)
{
    handled = false;
    return 0;
}

void MdiFrame::addChildFrame(ChildFrame* frame)
{
    m_area->addSubWindow(frame);
}

void MdiFrame::closeEvent(QCloseEvent* event)
{
    Application* app = Application::instance();
    bool mayClose = true;
    try {
        mayClose = app == nullptr || app->SaveAllModified();
    } catch (...) {
        mayClose = false;
    }
    if (!mayClose) {
        event->ignore();
        return;
    }
    for (ChildFrame* frame : childFrames()) {
        frame->MDIDestroy();
    }
    QMainWindow::closeEvent(event);
}

} // namespace platform::framework
