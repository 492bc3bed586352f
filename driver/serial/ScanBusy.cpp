#include "driver/serial/ScanBusy.h"

#include "driver/java/ScanBusyFlag.h"

namespace driver::serial {

bool ScanBusyFlag::tryAcquire()
{
    return tryAcquireToken() != 0;
}

std::uint64_t ScanBusyFlag::tryAcquireToken()
{
    std::lock_guard lock(m_mutex);
    if (!java::hardwareScanBusy().tryRaise())
        return 0;
    m_holder = ++m_generation;
    return m_holder;
}

void ScanBusyFlag::releaseToken(std::uint64_t token)
{
    std::lock_guard lock(m_mutex);
    if (token == 0 || token != m_holder)
        return;
    m_holder = 0;
    java::hardwareScanBusy().drop();
}

void ScanBusyFlag::release()
{
    forceClear();
}

void ScanBusyFlag::forceClear()
{
    std::lock_guard lock(m_mutex);
    m_holder = 0;
    java::hardwareScanBusy().forceClear();
}

bool ScanBusyFlag::isBusy() const
{
    return java::hardwareScanBusy().isBusy();
}

bool ScanBusyFlag::isHeldBy(std::uint64_t token) const
{
    std::lock_guard lock(m_mutex);
    return token != 0 && token == m_holder && java::hardwareScanBusy().isBusy();
}

void ScanBusyFlag::waitWhileBusy() const
{
    java::hardwareScanBusy().waitWhileBusy();
}

ScanBusyFlag& scanBusyFlag()
{
    static ScanBusyFlag flag;
    return flag;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_scanBusyFlagMadeAtLoad = (scanBusyFlag(), true);

} // namespace driver::serial
