#include "driver/serial/ScanBusy.h"

namespace driver::serial {

bool ScanBusyFlag::tryAcquire()
{
    return tryAcquireToken() != 0;
}

std::uint64_t ScanBusyFlag::tryAcquireToken()
{
    std::lock_guard lock(m_mutex);
    if (m_busy)
        return 0;
    m_busy = true;
    return ++m_generation;
}

void ScanBusyFlag::releaseToken(std::uint64_t token)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_busy || token != m_generation)
            return;
        m_busy = false;
    }
    m_dropped.notify_all();
}

void ScanBusyFlag::release()
{
    {
        std::lock_guard lock(m_mutex);
        m_busy = false;
    }
    m_dropped.notify_all();
}

void ScanBusyFlag::forceClear()
{
    release();
}

bool ScanBusyFlag::isBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

bool ScanBusyFlag::isHeldBy(std::uint64_t token) const
{
    std::lock_guard lock(m_mutex);
    return m_busy && token == m_generation;
}

void ScanBusyFlag::waitWhileBusy() const
{
    std::unique_lock lock(m_mutex);
    m_dropped.wait(lock, [this] { return !m_busy; });
}

bool ScanBusyFlag::waitWhileBusyFor(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_dropped.wait_for(lock, timeout, [this] { return !m_busy; });
}

ScanBusyFlag& scanBusyFlag()
{
    static ScanBusyFlag flag;
    return flag;
}

} // namespace driver::serial
