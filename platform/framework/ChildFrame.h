#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/WindowMessages.h"

#include <QMdiSubWindow>

#include <memory>

namespace platform::framework {

class DocTemplate;
class Document;
class MdiFrame;
class View;
class WindowHandle;

// An MDI child frame: one view of a document inside the main frame's MDI area. Closing asks the
// document (the last frame of a modified document asks to save; Cancel vetoes). GUI thread only.
class ChildFrame : public QMdiSubWindow, public CommandTarget, public WindowMessageHandler
{
public:
    explicit ChildFrame(QWidget* parent = nullptr);
    ~ChildFrame() override;

    View* GetActiveView() const;
    Document* GetActiveDocument() const;
    MdiFrame* GetMDIFrame() const;
    DocTemplate* docTemplate() const { return m_template; }

    // Called after the view was put into the frame, before it is shown; -1 fails the creation.
    virtual int OnCreate() { return 0; }
    // Called once when the frame is about to go (closed or its document closed).
    virtual void OnDestroy() {}
    // Shows the document's title.
    virtual void OnUpdateFrameTitle();

    // Activates the frame in its MDI area.
    void MDIActivate();
    // Closes the frame without asking the document.
    void MDIDestroy();
    bool isDestroying() const { return m_destroying; }

    // The window's handle in the platform layer (0 once the window is going): messages sent or
    // posted to it reach OnWindowMessage, WM_TIMER reaches OnTimer.
    uint32_t GetSafeHwnd() const;
    unsigned SetTimer(unsigned id, unsigned elapseMs);
    bool KillTimer(unsigned id);
    virtual void OnTimer(unsigned id);

    // Routes: the view (and its document), this frame, the main frame's own handlers, the
    // application.
    bool OnCmdMsg(unsigned id, CmdUI* ui) override;
    bool hasCommandHandler(unsigned id) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;
    // This frame's own handlers, without routing (used by the main frame's routing).
    bool dispatchOwnFrameCommand(unsigned id, CmdUI* ui) { return dispatchOwn(id, ui); }
    bool hasOwnFrameHandler(unsigned id) const { return hasOwnCommandHandler(id); }
    // Runs a command through this frame's routing unless it is disabled.
    bool executeCommand(unsigned id);

    // Used by the template.
    void setDocTemplate(DocTemplate* docTemplate) { m_template = docTemplate; }
    void setView(View* view);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void destroyFrame();
    void rememberNormalGeometry();

    DocTemplate* m_template = nullptr;
    View* m_view = nullptr;
    intptr_t windowProc(unsigned message, uintptr_t wParam, intptr_t lParam);

    std::unique_ptr<WindowHandle> m_window;
    bool m_destroying = false;
};

} // namespace platform::framework
