#include "driver/java/ScanBusyFlag.h"

namespace driver::java {

bool ScanBusyFlag::tryRaise()
{
    std::lock_guard lock(m_mutex);
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

void ScanBusyFlag::raise()
{
    std::unique_lock lock(m_mutex);
    m_dropped.wait(lock, [this] { return !m_busy; });
    m_busy = true;
}

void ScanBusyFlag::drop()
{
    {
        std::lock_guard lock(m_mutex);
        m_busy = false;
    }
    m_dropped.notify_all();
}

void ScanBusyFlag::waitWhileBusy()
{
    std::unique_lock lock(m_mutex);
    m_dropped.wait(lock, [this] { return !m_busy; });
}

bool ScanBusyFlag::isBusy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

ScanBusyFlag& hardwareScanBusy()
{
    static ScanBusyFlag flag;
    return flag;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_hardwareScanBusyMadeAtLoad = (hardwareScanBusy(), true);

} // namespace driver::java
