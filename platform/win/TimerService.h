#pragma once

#include "platform/win/Clock.h"
#include "platform/win/c/pwin_timers.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>

namespace platform::win {

struct MessageWindow;

// The one timer thread of the process and its deadline queue: multimedia timers run their
// callbacks on it, window timers post WM_TIMER from it. All times are on the process
// clock. Thread-safe; never destroyed, so timers may be killed during process exit.
class TimerService
{
public:
    static TimerService& instance();

    TimerService(const TimerService&) = delete;
    TimerService& operator=(const TimerService&) = delete;

    // Multimedia timers (see pwin_timeSetEvent and pwin_timeKillEvent).
    PWIN_UINT setEvent(PWIN_UINT delayMs, PWIN_LPTIMECALLBACK callback, PWIN_DWORD_PTR user,
                       bool periodic);
    PWIN_MMRESULT killEvent(PWIN_UINT timerId);

    // Window timers (see pwin_SetTimer and pwin_KillTimer).
    PWIN_UINT_PTR setWindowTimer(const std::shared_ptr<MessageWindow>& window, PWIN_UINT_PTR id,
                                 PWIN_UINT elapseMs);
    bool killWindowTimer(PWIN_HWND hwnd, PWIN_UINT_PTR id);
    void killWindowTimers(PWIN_HWND hwnd);

    // Swaps the process clock: swap installs the new clock and returns the old one; pending
    // timers keep the time they had left.
    void changeClock(const std::function<std::shared_ptr<Clock>()>& swap);

    // Waits up to limit (real time) until no timer is due on the process clock and no
    // callback runs; true when that happened.
    bool waitSettled(std::chrono::milliseconds limit);

private:
    using Duration = Clock::Duration;

    struct Timer
    {
        Duration deadline{};
        Duration period{};
        bool periodic = false;
        // Multimedia timer.
        PWIN_UINT eventId = 0;
        PWIN_LPTIMECALLBACK callback = nullptr;
        PWIN_DWORD_PTR user = 0;
        // Window timer.
        std::shared_ptr<MessageWindow> window;
        PWIN_UINT_PTR windowTimerId = 0;
    };

    TimerService() = default;

    void run();
    void startLocked();
    void scheduleLocked(std::uint64_t key, Duration deadline);
    void removeLocked(std::uint64_t key);
    bool settledLocked() const;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::unordered_map<std::uint64_t, Timer> m_timers;
    std::set<std::pair<Duration, std::uint64_t>> m_deadlines;
    std::unordered_map<PWIN_UINT, std::uint64_t> m_events;
    std::map<std::pair<PWIN_HWND, PWIN_UINT_PTR>, std::uint64_t> m_windowTimers;
    std::uint64_t m_nextKey = 1;
    PWIN_UINT m_nextEventId = 1;
    std::uint64_t m_running = 0;
    bool m_waiting = false;
    std::uint64_t m_clockChanges = 0;
    std::thread m_thread;
    std::thread::id m_threadId;
};

} // namespace platform::win
