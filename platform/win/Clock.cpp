#include "platform/win/Clock.h"

#include "platform/win/TimerService.h"

#include <thread>

namespace platform::win {

namespace {

// Longest single wait handed to the system: far deadlines (a sleep "for ever") are waited
// for in steps, so no time conversion can overflow.
constexpr Clock::Duration kLongestWait = std::chrono::hours(24);

struct ClockSlot
{
    std::mutex mutex;
    std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
};

ClockSlot& clockSlot()
{
    static auto* slot = new ClockSlot;
    return *slot;
}

} // namespace

Clock::Duration SystemClock::now() const
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

void SystemClock::sleepUntil(Duration deadline)
{
    for (auto left = deadline - now(); left > Duration::zero(); left = deadline - now()) {
        std::this_thread::sleep_for(std::min(left, kLongestWait));
    }
}

void SystemClock::waitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                            Duration deadline)
{
    const auto current = now();
    if (deadline <= current) {
        return;
    }
    const auto until = std::min(deadline, current + kLongestWait);
    cv.wait_until(lock,
                  std::chrono::steady_clock::time_point(
                      std::chrono::duration_cast<std::chrono::steady_clock::duration>(until)));
}

void setClock(std::shared_ptr<Clock> clock)
{
    if (!clock) {
        clock = std::make_shared<SystemClock>();
    }
    TimerService::instance().changeClock([&] {
        std::lock_guard lock(clockSlot().mutex);
        auto previous = std::move(clockSlot().clock);
        clockSlot().clock = clock;
        return previous;
    });
}

std::shared_ptr<Clock> processClock()
{
    std::lock_guard lock(clockSlot().mutex);
    return clockSlot().clock;
}

void sleepFor(Clock::Duration duration)
{
    auto clock = processClock();
    clock->sleepUntil(clock->now() + duration);
}

} // namespace platform::win
