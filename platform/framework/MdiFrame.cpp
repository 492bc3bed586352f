#include "platform/framework/MdiFrame.h"

#include "platform/framework/Application.h"
#include "platform/framework/ChildFrame.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/Commands.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/MenuRenderer.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"
#include "platform/framework/WindowHandle.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <QStyle>

#include <algorithm>
#include <set>

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
    m_menuRenderer->setPopupExtender(
        [this](QMenu* qtMenu, HMENU menu) { extendPopup(qtMenu, menu); });
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) {
        QMetaObject::invokeMethod(
            this, [this] { notifyViewActivation(); }, Qt::QueuedConnection);
        OnUpdateFrameMenu();
        scheduleFrameTitle();
    });
    // The accelerators come before the keys of the widget that has the focus (an edit of a
    // dialog bar takes Ctrl+Z, Ctrl+C and Ctrl+V for itself otherwise).
    qApp->installEventFilter(this);
    onCommand(ID_WINDOW_CASCADE, [this]() { MDICascade(); });
    onCommand(ID_WINDOW_TILE_HORZ, [this]() { MDITile(true); });
    onCommand(ID_WINDOW_TILE_VERT, [this]() { MDITile(false); });
    onCommand(ID_WINDOW_ARRANGE, [this]() { MDIIconArrange(); });
}

MdiFrame::~MdiFrame()
{
    // The children (the MDI area and its frames) are deleted after this body, when this object
    // is no longer an MdiFrame: the area's activation signals must not reach it then.
    qApp->removeEventFilter(this);
    disconnect(m_area, nullptr, this, nullptr);
    m_menuRenderer->setPopupExtender({});
    m_menuRenderer->setMenu(0);
    if (IsMenu(m_defaultMenu)) {
        DestroyMenu(m_defaultMenu);
    }
    m_defaultMenu = 0;
}

void MdiFrame::notifyViewActivation()
{
    View* next = GetActiveView();
    View* previous = m_activeView.data();
    if (next == previous)
        return;
    m_activeView = next;
    if (previous != nullptr)
        previous->OnActivateView(false, next, previous);
    if (next != nullptr)
        next->OnActivateView(true, next, previous);
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
    std::vector<ChildFrame*> frames;
    for (ChildFrame* frame : childFrames()) {
        if (frame->isVisible() && !frame->isMinimized()) {
            frames.push_back(frame);
        }
    }
    if (frames.empty()) {
        return;
    }
    // Each window one title bar down and right of the one below it; all of the same size, as
    // large as the steps leave inside the area, and never below half the area: past that the
    // steps start again at the top left. The topmost window lies last, at the deepest step.
    const QRect area = m_area->viewport()->rect();
    const int titleHeight =
        frames.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frames.front());
    const int step = std::max(titleHeight, 8);
    const int count = static_cast<int>(frames.size());
    const int stepsInHalf = std::max(1, std::min(area.width(), area.height()) / 2 / step);
    const int positions = std::min(count, stepsInHalf + 1);
    const QSize size(area.width() - (positions - 1) * step, area.height() - (positions - 1) * step);
    int i = 0;
    for (auto it = frames.rbegin(); it != frames.rend(); ++it, ++i) {
        ChildFrame* frame = *it;
        frame->showNormal();
        const int offset = (i % positions) * step;
        frame->setGeometry(QRect(QPoint(offset, offset), size));
    }
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
    updateAccelerators();
}

bool MdiFrame::executeCommand(unsigned id)
{
    return platform::framework::executeCommand(*this, id);
}

void MdiFrame::installAccelerators(std::span<const Accelerator> accelerators)
{
    m_ownAccelerators.assign(accelerators.begin(), accelerators.end());
    updateAccelerators();
}

std::vector<Accelerator> MdiFrame::activeAccelerators() const
{
    return m_installedAccelerators;
}

void MdiFrame::updateAccelerators()
{
    // The active template's table first; a key it defines is not taken from the frame's own
    // table (one shortcut per key: two would make the key ambiguous and run neither).
    std::vector<Accelerator> table;
    std::set<QKeySequence> keys;
    const auto add = [&](std::span<const Accelerator> entries) {
        for (const Accelerator& accelerator : entries) {
            const QKeySequence key(QString::fromUtf8(accelerator.key), QKeySequence::PortableText);
            if (!key.isEmpty() && keys.insert(key).second) {
                table.push_back(accelerator);
            }
        }
    };
    if (ChildFrame* active = MDIGetActive()) {
        if (DocTemplate* docTemplate = active->docTemplate()) {
            add(Resources::instance().accelerators(docTemplate->resourceId()));
        }
    }
    add(m_ownAccelerators);
    const bool same =
        table.size() == m_installedAccelerators.size() &&
        std::equal(table.begin(), table.end(), m_installedAccelerators.begin(),
                   [](const Accelerator& a, const Accelerator& b) {
                       return a.id == b.id && std::string_view(a.key) == std::string_view(b.key);
                   });
    if (same) {
        return;
    }
    for (QShortcut* shortcut : m_shortcuts) {
        delete shortcut;
    }
    m_shortcuts.clear();
    m_installedAccelerators = table;
    for (const Accelerator& accelerator : table) {
        const QKeySequence key(QString::fromUtf8(accelerator.key), QKeySequence::PortableText);
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        const unsigned id = accelerator.id;
        connect(shortcut, &QShortcut::activated, this, [this, id]() {
            // A key never reaches the frame's commands past a modal dialog or message box.
            if (QApplication::activeModalWidget() != nullptr) {
                return;
            }
            executeCommand(id);
        });
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
    frame->installEventFilter(this);
}

bool MdiFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && isAcceleratorKey(watched, event)) {
        // Not accepted: the key goes to the frame's shortcut, not to the widget.
        event->ignore();
        return true;
    }
    // A child's new title or state (maximised, restored) shows in the caption.
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::WindowStateChange ||
        event->type() == QEvent::Hide || event->type() == QEvent::Destroy) {
        if (qobject_cast<QMdiSubWindow*>(watched) != nullptr) {
            scheduleFrameTitle();
        }
    }
    // The area shrank (a bar docked beside it, the frame made smaller) or a child came back
    // from maximised or minimised with its old size: it must not reach under the bars.
    if ((event->type() == QEvent::Resize && watched == m_area->viewport()) ||
        (event->type() == QEvent::WindowStateChange &&
         qobject_cast<QMdiSubWindow*>(watched) != nullptr)) {
        scheduleKeepChildrenInside();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MdiFrame::scheduleKeepChildrenInside()
{
    if (m_keepInsidePending) {
        return;
    }
    m_keepInsidePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_keepInsidePending = false;
            keepChildrenInside();
        },
        Qt::QueuedConnection);
}

void MdiFrame::keepChildrenInside()
{
    const QRect area = m_area->viewport()->rect();
    if (area.isEmpty()) {
        return;
    }
    std::vector<KeptInside> kept;
    for (QMdiSubWindow* window : m_area->subWindowList()) {
        if (window->isHidden() || window->isMaximized() || window->isMinimized()) {
            continue;
        }
        // The place the window wants: its own, or the one it had before it was fitted in
        // (unless it was moved or sized since).
        QRect wanted = window->geometry();
        for (const KeptInside& before : m_keptInside) {
            if (before.window == window && before.placed == wanted) {
                wanted = before.wanted;
            }
        }
        QRect fitted = wanted;
        fitted.setSize(fitted.size().boundedTo(area.size()).expandedTo(window->minimumSize()));
        if (fitted.right() > area.right()) {
            fitted.moveRight(area.right());
        }
        if (fitted.bottom() > area.bottom()) {
            fitted.moveBottom(area.bottom());
        }
        fitted.moveTopLeft(
            QPoint(std::max(fitted.left(), area.left()), std::max(fitted.top(), area.top())));
        if (fitted != wanted) {
            kept.push_back({window, wanted, fitted});
        }
        if (fitted != window->geometry()) {
            window->setGeometry(fitted);
        }
    }
    m_keptInside = std::move(kept);
}

bool MdiFrame::isAcceleratorKey(QObject* watched, QEvent* event) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this ||
        QApplication::activeModalWidget() != nullptr) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(
        QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key())));
    return std::any_of(m_shortcuts.begin(), m_shortcuts.end(), [&](const QShortcut* shortcut) {
        return shortcut->isEnabled() && shortcut->key() == pressed;
    });
}

void MdiFrame::setAppTitle(const QString& title)
{
    m_appTitle = title;
    updateFrameTitle();
}

void MdiFrame::scheduleFrameTitle()
{
    if (m_titleUpdatePending) {
        return;
    }
    m_titleUpdatePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_titleUpdatePending = false;
            updateFrameTitle();
        },
        Qt::QueuedConnection);
}

void MdiFrame::updateFrameTitle()
{
    if (m_appTitle.isEmpty()) {
        return;
    }
    QString title = m_appTitle;
    ChildFrame* active = MDIGetActive();
    if (active != nullptr && !active->isDestroying() && !active->windowTitle().isEmpty()) {
        title += QStringLiteral(" - [%1]").arg(active->windowTitle());
    }
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
}

std::vector<ChildFrame*> MdiFrame::windowListFrames() const
{
    std::vector<ChildFrame*> result;
    for (QMdiSubWindow* window : m_area->subWindowList(QMdiArea::CreationOrder)) {
        auto* frame = dynamic_cast<ChildFrame*>(window);
        if (frame != nullptr && !frame->isDestroying() && !frame->isHidden()) {
            result.push_back(frame);
        }
    }
    return result;
}

std::string MdiFrame::windowListText(size_t index, const QString& title)
{
    // The first nine carry their digit as the mnemonic.
    const std::string number = std::to_string(index + 1);
    return (index < 9 ? "&" + number : number) + " " + title.toStdString();
}

void MdiFrame::extendPopup(QMenu* qtMenu, HMENU menu)
{
    // The Window menu is the pop-up that holds the arrange commands.
    bool windowMenu = false;
    for (int i = 0; i < GetMenuItemCount(menu) && !windowMenu; ++i) {
        const unsigned id = GetMenuItemID(menu, i);
        windowMenu = id >= ID_WINDOW_NEW && id <= ID_WINDOW_TILE_VERT;
    }
    if (!windowMenu) {
        return;
    }
    const std::vector<ChildFrame*> frames = windowListFrames();
    if (frames.empty()) {
        return;
    }
    qtMenu->addSeparator();
    ChildFrame* active = MDIGetActive();
    for (size_t i = 0; i < frames.size(); ++i) {
        const QPointer<ChildFrame> frame = frames[i];
        auto* action =
            qtMenu->addAction(QString::fromStdString(windowListText(i, frame->windowTitle())));
        action->setData(kFirstMdiChildId + static_cast<unsigned>(i));
        action->setCheckable(true);
        action->setChecked(frame == active);
        connect(action, &QAction::triggered, frame, [frame]() {
            if (frame && !frame->isDestroying()) {
                if (frame->isMinimized()) {
                    frame->showNormal();
                }
                frame->MDIActivate();
            }
        });
    }
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
