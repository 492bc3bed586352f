#include "platform/framework/WindowTimers.h"

#include <QTimer>

namespace platform::framework {

WindowTimers::WindowTimers(QObject* owner, std::function<void(unsigned)> onTimer)
    : QObject(owner), m_onTimer(std::move(onTimer))
{}

unsigned WindowTimers::SetTimer(unsigned id, unsigned elapseMs)
{
    QTimer*& timer = m_timers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id]() {
            // The handler may kill this timer or destroy the window.
            try {
                if (m_onTimer) {
                    m_onTimer(id);
                }
            } catch (...) {
                // An exception must not reach the event loop.
            }
        });
    }
    timer->start(static_cast<int>(std::min<unsigned>(elapseMs, 0x7FFFFFFF)));
    return id;
}

bool WindowTimers::KillTimer(unsigned id)
{
    const auto found = m_timers.find(id);
    if (found == m_timers.end()) {
        return false;
    }
    found->second->stop();
    found->second->deleteLater();
    m_timers.erase(found);
    return true;
}

void WindowTimers::killAll()
{
    for (auto& [id, timer] : m_timers) {
        timer->stop();
        timer->deleteLater();
    }
    m_timers.clear();
}

bool WindowTimers::isRunning(unsigned id) const
{
    return m_timers.count(id) != 0;
}

} // namespace platform::framework
