#pragma once

#include "platform/win/Clock.h"

#include <mutex>
#include <vector>

namespace platform::win {

// A clock that moves only when told to, so tests run timers and sleeps faster than real
// time: advance() fires every timer that falls due in the skipped span, in order. With
// auto-advance on, a sleep moves the clock to its own end at once instead of blocking,
// which suits code that waits in short sleeps for work done by timers. Thread-safe.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(Duration start = Duration::zero());

    Duration now() const override;
    void sleepUntil(Duration deadline) override;
    void waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   Duration deadline) override;

    // Moves the clock forward by step (a negative step is ignored).
    void advance(Duration step);

    // Moves the clock to time when that is later than now.
    void advanceTo(Duration time);

    // When on, sleepUntil advances the clock to its deadline instead of waiting.
    void setAutoAdvance(bool on);

private:
    struct Waiter
    {
        std::mutex* mutex;
        std::condition_variable* cv;
    };

    void wakeWaiters();

    mutable std::mutex m_mutex;
    Duration m_now;
    bool m_autoAdvance = false;
    std::vector<Waiter> m_waiters;
    // Advances that are notifying a copy of m_waiters; a waiter leaves only when none is.
    int m_notifying = 0;
    std::condition_variable m_notified;
    std::condition_variable m_sleepers;
};

} // namespace platform::win
