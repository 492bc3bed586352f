#pragma once

#include "platform/framework/CommandTarget.h"

#include <memory>
#include <vector>

class QPrinter;

namespace platform::qt {
class MessagePump;
}

namespace platform::framework {

class DocTemplate;
class IdleProcessor;
class MdiFrame;

// The application object: document templates, the main frame, the idle hook, the shared printer
// and the GUI thread's message pump (which delivers window messages and window timers to the
// program's windows). One per process, made after the QApplication. GUI thread only.
class Application : public CommandTarget
{
public:
    Application();
    ~Application() override;

    // The one application object, or null.
    static Application* instance();

    void AddDocTemplate(std::unique_ptr<DocTemplate> docTemplate);
    DocTemplate* docTemplate(unsigned resourceId) const;
    std::vector<DocTemplate*> docTemplates() const;

    MdiFrame* mainFrame() const { return m_mainFrame; }
    void setMainFrame(MdiFrame* frame) { m_mainFrame = frame; }

    // The idle hook: called when the event loop has nothing to do, with a count that starts at 0
    // and grows while it answers true ("more idle work"). The default refreshes the main frame's
    // command states at count 0 and answers false.
    virtual bool OnIdle(long count);
    // Starts or stops calling OnIdle from the event loop.
    void setIdleProcessing(bool enabled);
    // Has OnIdle called at the event loop's next pass, before the repaints already waiting (see
    // IdleProcessor::wakeSoon).
    void wakeIdle();

    // Asks every document to save (false when one vetoes).
    bool SaveAllModified();
    void CloseAllDocuments();

    // The printer that print set-up changes and printing uses.
    QPrinter& printer();
    // Print set-up: the page set-up dialog on the shared printer.
    void OnFilePrintSetup();
    // App Exit: closes the main frame (which asks every document to save first).
    void OnAppExit();

private:
    std::vector<std::unique_ptr<DocTemplate>> m_templates;
    MdiFrame* m_mainFrame = nullptr;
    std::unique_ptr<IdleProcessor> m_idle;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<qt::MessagePump> m_pump;
};

} // namespace platform::framework
