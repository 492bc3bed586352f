#pragma once

#include <QObject>

#include <functional>

namespace platform::framework {

// Calls an idle hook when the GUI thread's event loop has nothing left to do: once after events
// were handled, then again, with a growing count, while the hook answers "more idle work"
// (true). After it answers false it is not called again until another event arrives, so an idle
// program uses no CPU. It runs only from the outermost event loop: while a modal dialog or
// message box runs its own loop, the hook is not called (posted messages are still delivered).
// GUI thread only.
class IdleProcessor : public QObject
{
public:
    using Hook = std::function<bool(long)>;

    explicit IdleProcessor(Hook hook, QObject* parent = nullptr);
    ~IdleProcessor() override;

    // The event-loop level at which the hook runs: 1 (the application's main loop) unless set.
    void setLoopLevel(int level) { m_loopLevel = level; }
    // Stops or resumes calling the hook.
    void setEnabled(bool enabled);
    // Calls the hook at the event loop's next pass, ahead of the repaints that wait at low
    // priority: work that just finished (a scan's data handled) lets the hook start the next
    // piece of work (the next scan) before the windows repaint, so the repaints overlap it.
    void wakeSoon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    void aboutToBlock();
    void postWake(Qt::EventPriority priority);
    void runHook();

    Hook m_hook;
    int m_loopLevel = 1;
    bool m_enabled = true;
    bool m_dirty = true; // an event was handled since the hook last answered false
    bool m_more = false; // the hook answered true: call it again
    bool m_wakePending = false;
    // The wake event that counts; an earlier one still queued finds the hook already run.
    unsigned m_wakeSerial = 0;
    long m_count = 0;
};

} // namespace platform::framework
