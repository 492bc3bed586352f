#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace driver::serial {

// The one scan-busy flag of the library, shared by the serial A/D converter and the Java
// bridge: a scan holds it for its duration; serial commands refuse to run while it is held
// (tryAcquire fails) and the Java feature calls wait until it drops (waitWhileBusy).
// AbortSerialScan, KAL_Init and KAL_Close clear it from outside the scan (forceClear).
// Any thread.
class ScanBusyFlag
{
public:
    // Raises the flag when it is down; false when a scan holds it.
    bool tryAcquire();
    // The same, answering a non-zero token for the hold (0 when the flag was up).
    std::uint64_t tryAcquireToken();
    // Drops the flag only when it is still the hold of `token` (not cleared and raised
    // again by someone else meanwhile).
    void releaseToken(std::uint64_t token);
    // Drops the flag and wakes the waiters.
    void release();
    // Drops the flag whoever holds it (the same as release, named for the callers that
    // end a scan they do not own).
    void forceClear();
    bool isBusy() const;
    // Whether the flag is still the hold of `token`.
    bool isHeldBy(std::uint64_t token) const;
    // Waits until the flag is down.
    void waitWhileBusy() const;
    // Waits at most `timeout` until the flag is down; true when it is down.
    bool waitWhileBusyFor(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_dropped;
    bool m_busy = false;
    std::uint64_t m_generation = 0;
};

// The process-wide flag.
ScanBusyFlag& scanBusyFlag();

// Holds the flag for one scope when it could be raised.
class ScanBusyHold
{
public:
    explicit ScanBusyHold(ScanBusyFlag& flag) : m_flag(flag), m_token(flag.tryAcquireToken()) {}
    ~ScanBusyHold()
    {
        if (m_token != 0)
            m_flag.releaseToken(m_token);
    }
    ScanBusyHold(const ScanBusyHold&) = delete;
    ScanBusyHold& operator=(const ScanBusyHold&) = delete;
    bool held() const { return m_token != 0; }
    std::uint64_t token() const { return m_token; }

private:
    ScanBusyFlag& m_flag;
    std::uint64_t m_token;
};

} // namespace driver::serial
