#include "platform/framework/ChildFrame.h"

#include "platform/framework/Application.h"
#include "platform/framework/Commands.h"
#include "platform/framework/Document.h"
#include "platform/framework/MdiFrame.h"
#include "platform/framework/View.h"
#include "platform/framework/WindowHandle.h"
#include "platform/framework/WindowPlacement.h"

#include <QCloseEvent>
#include <QMdiArea>

namespace platform::framework {

ChildFrame::ChildFrame(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_window = std::make_unique<WindowHandle>(
        [this](unsigned message, uintptr_t wParam, intptr_t lParam) -> intptr_t {
            return windowProc(message, wParam, lParam);
        });
}

ChildFrame::~ChildFrame()
{
    if (m_view != nullptr) {
        m_view->detachDocument();
    }
}

View* ChildFrame::GetActiveView() const
{
    return m_view;
}

Document* ChildFrame::GetActiveDocument() const
{
    return m_view != nullptr ? m_view->GetDocument() : nullptr;
}

MdiFrame* ChildFrame::GetMDIFrame() const
{
    for (QWidget* parent = parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
        if (auto* frame = dynamic_cast<MdiFrame*>(parent)) {
            return frame;
        }
    }
    return nullptr;
}

void ChildFrame::OnUpdateFrameTitle()
{
    if (Document* document = GetActiveDocument()) {
        setWindowTitle(QString::fromStdString(document->GetTitle()));
    }
}

void ChildFrame::MDIActivate()
{
    if (QMdiArea* area = mdiArea()) {
        area->setActiveSubWindow(this);
    }
}

void ChildFrame::MDIDestroy()
{
    destroyFrame();
    hide();
    deleteLater();
}

void ChildFrame::setView(View* view)
{
    m_view = view;
    setWidget(view);
}

uint32_t ChildFrame::GetSafeHwnd() const
{
    return m_window ? m_window->hwnd() : 0;
}

intptr_t ChildFrame::windowProc(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (message == kTimerMessage) {
        OnTimer(static_cast<unsigned>(wParam));
        return 0;
    }
    bool handled = false;
    return OnWindowMessage(message, wParam, lParam, handled);
}

unsigned ChildFrame::SetTimer(unsigned id, unsigned elapseMs)
{
    return m_window ? m_window->SetTimer(id, elapseMs) : 0;
}

bool ChildFrame::KillTimer(unsigned id)
{
    return m_window && m_window->KillTimer(id);
}

void ChildFrame::OnTimer(unsigned) {}

bool ChildFrame::OnCmdMsg(unsigned id, CmdUI* ui)
{
    if (m_view != nullptr && m_view->OnCmdMsg(id, ui)) {
        return true;
    }
    if (dispatchOwn(id, ui)) {
        return true;
    }
    if (MdiFrame* main = GetMDIFrame(); main != nullptr && main->dispatchOwnCommand(id, ui)) {
        return true;
    }
    Application* app = Application::instance();
    return app != nullptr && app->OnCmdMsg(id, ui);
}

bool ChildFrame::hasCommandHandler(unsigned id)
{
    if ((m_view != nullptr && m_view->hasCommandHandler(id)) || hasOwnCommandHandler(id)) {
        return true;
    }
    if (MdiFrame* main = GetMDIFrame(); main != nullptr && main->hasOwnHandler(id)) {
        return true;
    }
    Application* app = Application::instance();
    return app != nullptr && app->hasCommandHandler(id);
}

intptr_t ChildFrame::OnWindowMessage(unsigned, uintptr_t, intptr_t, bool& handled)
{
    handled = false;
    return 0;
}

bool ChildFrame::executeCommand(unsigned id)
{
    return platform::framework::executeCommand(*this, id);
}

void ChildFrame::closeEvent(QCloseEvent* event)
{
    if (m_destroying) {
        QMdiSubWindow::closeEvent(event);
        return;
    }
    Document* document = GetActiveDocument();
    bool mayClose = true;
    try {
        mayClose = document == nullptr || document->CanCloseFrame(this);
    } catch (...) {
        mayClose = false;
    }
    if (!mayClose) {
        event->ignore();
        return;
    }
    destroyFrame();
    QMdiSubWindow::closeEvent(event);
}

void ChildFrame::destroyFrame()
{
    if (m_destroying) {
        return;
    }
    m_destroying = true;
    m_window.reset(); // drops its timers and waiting messages
    try {
        OnDestroy();
    } catch (...) {
        // A fault while saving state must not keep the frame.
    }
    // The document closes when its last view goes.
    if (m_view != nullptr) {
        m_view->detachDocument();
    }
}

void ChildFrame::rememberNormalGeometry()
{
    if (!isMaximized() && !isMinimized() && isVisible()) {
        setProperty("harluneNormalGeometry", geometry());
    }
}

void ChildFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    rememberNormalGeometry();
}

void ChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    rememberNormalGeometry();
}

} // namespace platform::framework
