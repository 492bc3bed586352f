#include "platform/win/ManualClock.h"

#include <algorithm>

namespace platform::win {

ManualClock::ManualClock(Duration start) : m_now(start) {}

Clock::Duration ManualClock::now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

void ManualClock::sleepUntil(Duration deadline)
{
    std::unique_lock lock(m_mutex);
    if (m_autoAdvance) {
        lock.unlock();
        advanceTo(deadline);
        return;
    }
    m_sleepers.wait(lock, [&] { return m_now >= deadline; });
}

void ManualClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                            Duration deadline)
{
    // Registering under m_mutex while the caller still holds its lock means an advance()
    // in between cannot be missed: it notifies only after taking the caller's mutex.
    {
        std::lock_guard own(m_mutex);
        if (m_now >= deadline) {
            return;
        }
        m_waiters.push_back(Waiter{lock.mutex(), &cv});
    }
    cv.wait(lock);
    // Unregister without the caller's lock: a concurrent advance() may be about to take it.
    lock.unlock();
    {
        std::unique_lock own(m_mutex);
        auto it = std::find_if(m_waiters.begin(), m_waiters.end(),
                               [&](const Waiter& w) { return w.cv == &cv; });
        if (it != m_waiters.end()) {
            m_waiters.erase(it);
        }
        m_notified.wait(own, [&] { return m_notifying == 0; });
    }
    lock.lock();
}

void ManualClock::advance(Duration step)
{
    if (step <= Duration::zero()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_now += step;
    }
    wakeWaiters();
}

void ManualClock::advanceTo(Duration time)
{
    {
        std::lock_guard lock(m_mutex);
        if (time <= m_now) {
            return;
        }
        m_now = time;
    }
    wakeWaiters();
}

void ManualClock::setAutoAdvance(bool on)
{
    std::lock_guard lock(m_mutex);
    m_autoAdvance = on;
}

void ManualClock::wakeWaiters()
{
    std::vector<Waiter> waiters;
    {
        std::lock_guard lock(m_mutex);
        m_sleepers.notify_all();
        waiters = m_waiters;
        ++m_notifying;
    }
    for (const Waiter& waiter : waiters) {
        std::lock_guard lock(*waiter.mutex);
        waiter.cv->notify_all();
    }
    {
        std::lock_guard lock(m_mutex);
        --m_notifying;
        m_notified.notify_all();
    }
}

} // namespace platform::win
