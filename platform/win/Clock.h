#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform::win {

// The monotonic clock every timer, tick count and sleep of platform/win runs on. The
// process uses the system's monotonic clock unless a test installs another one (for
// example a ManualClock) with setClock. Implementations are called from any thread.
class Clock
{
public:
    using Duration = std::chrono::nanoseconds;

    virtual ~Clock() = default;

    // Time since the clock's origin; never goes backwards.
    virtual Duration now() const = 0;

    // Blocks the calling thread until now() >= deadline.
    virtual void sleepUntil(Duration deadline) = 0;

    // Waits on cv (lock held, as in condition_variable::wait) until cv is notified, now()
    // reaches deadline, or spuriously; the caller checks its own condition afterwards.
    virtual void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                           Duration deadline) = 0;
};

// The system's monotonic clock (CLOCK_MONOTONIC).
class SystemClock final : public Clock
{
public:
    Duration now() const override;
    void sleepUntil(Duration deadline) override;
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   Duration deadline) override;
};

// Installs clock as the process clock; nullptr goes back to the system clock. Pending
// timers keep the time they had left. Meant for tests, before the code under test runs.
void setClock(std::shared_ptr<Clock> clock);

// The process clock.
std::shared_ptr<Clock> processClock();

// Sleeps for duration on the process clock.
void sleepFor(Clock::Duration duration);

} // namespace platform::win
