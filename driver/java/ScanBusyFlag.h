#pragma once

#include <condition_variable>
#include <mutex>

namespace driver::java {

// The scan-busy flag that a hardware scan holds for its duration. Other commands either
// try it (and give up while a scan holds it) or wait until it drops; a forced clear
// drops it from outside the scan (an abort, a re-initialisation, a close). Any thread.
class ScanBusyFlag
{
public:
    // Raises the flag; false when it is already up.
    bool tryRaise();
    // Raises the flag, waiting while another scan holds it.
    void raise();
    // Drops the flag and wakes the waiters.
    void drop();
    // Drops the flag from outside the scan; same effect as drop().
    void forceClear() { drop(); }
    // Waits while the flag is up.
    void waitWhileBusy();
    bool isBusy() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_dropped;
    bool m_busy = false;
};

// The one flag shared by the serial converter's scans and the Java driver's scans.
ScanBusyFlag& hardwareScanBusy();

// Holds the flag up for a scope.
class ScanBusyScope
{
public:
    explicit ScanBusyScope(ScanBusyFlag& flag) : m_flag(flag) { m_flag.raise(); }
    ~ScanBusyScope() { m_flag.drop(); }
    ScanBusyScope(const ScanBusyScope&) = delete;
    ScanBusyScope& operator=(const ScanBusyScope&) = delete;

private:
    ScanBusyFlag& m_flag;
};

} // namespace driver::java
