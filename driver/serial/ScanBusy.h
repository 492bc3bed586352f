#pragma once

#include <cstdint>
#include <mutex>

namespace driver::serial {

// The serial converter's view of the library's one scan-busy flag (the flag of
// driver/java/ScanBusyFlag.h, which the Java bridge's scans hold as well). A scan holds it
// for its duration; serial commands refuse to run while it is up (-5); AbortSerialScan,
// KAL_Init and KAL_Close clear it from outside the scan. A hold is known by its token, so
// that a scan whose flag was cleared from outside never drops the flag of a later scan.
// Any thread.
class ScanBusyFlag
{
public:
    // Raises the flag when it is down; false when a scan holds it.
    bool tryAcquire();
    // The same, answering a non-zero token for the hold (0 when the flag was up).
    std::uint64_t tryAcquireToken();
    // Drops the flag only while it is still the hold of `token`.
    void releaseToken(std::uint64_t token);
    // Drops the flag whoever holds it.
    void release();
    void forceClear();
    bool isBusy() const;
    // Whether the flag is up and still the hold of `token`.
    bool isHeldBy(std::uint64_t token) const;
    // Waits until the flag is down.
    void waitWhileBusy() const;

private:
    mutable std::mutex m_mutex;
    std::uint64_t m_generation = 0;
    std::uint64_t m_holder = 0; // token of the serial hold, 0 when none
};

// The process-wide view.
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
