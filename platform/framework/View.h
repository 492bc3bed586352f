#pragma once

#include "platform/framework/CommandTarget.h"
#include "platform/framework/WindowMessages.h"

#include <QWidget>

#include <memory>

namespace platform::framework {

class CDC;
class ChildFrame;
class Document;
class WindowHandle;
struct PrintInfo;

// A view: the widget that shows a document inside a child frame. Painting goes through OnDraw
// with a device context; printing through the printing protocol (Printing.h). GUI thread only.
class View : public QWidget, public CommandTarget, public WindowMessageHandler
{
public:
    explicit View(QWidget* parent = nullptr);
    ~View() override;

    Document* GetDocument() const { return m_document; }
    ChildFrame* GetParentFrame() const;

    // Called once when the frame is first shown; the default calls OnUpdate.
    virtual void OnInitialUpdate();
    // Called by Document::UpdateAllViews; the default repaints.
    virtual void OnUpdate(View* sender, long hint, void* hintObject);
    // Draws the view (screen, print and preview).
    virtual void OnDraw(CDC* dc);
    // The MDI frame tells a view when its child frame becomes (activate true) or stops being
    // the active one; activated and deactivated are the views involved (either may be null).
    virtual void OnActivateView(bool activate, View* activated, View* deactivated);

    // Printing protocol; see Printing.h. The defaults print one page through OnDraw.
    virtual bool OnPreparePrinting(PrintInfo* info);
    virtual void OnBeginPrinting(CDC* dc, PrintInfo* info);
    virtual void OnPrepareDC(CDC* dc, PrintInfo* info);
    virtual void OnPrint(CDC* dc, PrintInfo* info);
    virtual void OnEndPrinting(CDC* dc, PrintInfo* info);
    // Shows the print dialog (through the UI services); false when cancelled.
    bool DoPreparePrinting(PrintInfo* info);
    // The print commands (ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW) on the
    // application's printer; a derived view may handle the ids itself and call these.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    // Window timers by id; each firing calls OnTimer.
    // The window's handle in the platform layer (0 once the window is going): messages sent or
    // posted to it reach OnWindowMessage, WM_TIMER reaches OnTimer.
    uint32_t GetSafeHwnd() const;
    unsigned SetTimer(unsigned id, unsigned elapseMs);
    bool KillTimer(unsigned id);
    virtual void OnTimer(unsigned id);

    // Routes: this view, then its document.
    bool OnCmdMsg(unsigned id, CmdUI* ui) override;
    bool hasCommandHandler(unsigned id) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

    // Used by the template and frames.
    void attachDocument(Document* document);
    void detachDocument();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Document* m_document = nullptr;
    intptr_t windowProc(unsigned message, uintptr_t wParam, intptr_t lParam);

    std::unique_ptr<WindowHandle> m_window;
};

} // namespace platform::framework
