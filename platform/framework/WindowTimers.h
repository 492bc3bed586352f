#pragma once

#include <QObject>

#include <functional>
#include <map>

class QTimer;

namespace platform::framework {

// Window timers by id for one window: SetTimer starts (or restarts) the timer with that id,
// which then fires periodically through the event loop until KillTimer; each firing calls the
// window's timer handler with the id. GUI thread only.
class WindowTimers : public QObject
{
public:
    WindowTimers(QObject* owner, std::function<void(unsigned)> onTimer);

    // Starts or restarts timer id with an interval (0 fires at every pass of the event loop, as
    // soon as nothing else waits). Returns id.
    unsigned SetTimer(unsigned id, unsigned elapseMs);
    // Stops timer id; false when no such timer runs.
    bool KillTimer(unsigned id);
    bool isRunning(unsigned id) const;
    // Stops every timer (the window is going).
    void killAll();

private:
    std::function<void(unsigned)> m_onTimer;
    std::map<unsigned, QTimer*> m_timers;
};

} // namespace platform::framework
