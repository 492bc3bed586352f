#include "platform/win/TimerService.h"

#include "platform/win/Log.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/Timers.h"

#include <algorithm>

namespace platform::win {

namespace {

constexpr const char* kTimerLogModule = "timers";

// Periods a periodic multimedia timer makes up for after falling behind.
constexpr int kMostMissedPeriods = 1000;

PWIN_DWORD tickCount(Clock::Duration now)
{
    return static_cast<PWIN_DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// The first deadline of a periodic timer after now, on the timer's own beat (window timers:
// one waiting WM_TIMER stands for any number of skipped ticks).
Clock::Duration nextWindowDeadline(Clock::Duration deadline, Clock::Duration period,
                                   Clock::Duration now)
{
    if (deadline + period > now) {
        return deadline + period;
    }
    const auto skipped = (now - deadline) / period;
    return deadline + (skipped + 1) * period;
}

} // namespace

TimerService& TimerService::instance()
{
    static auto* service = new TimerService;
    return *service;
}

void TimerService::startLocked()
{
    if (m_thread.joinable()) {
        return;
    }
    m_thread = std::thread([this] { run(); });
    m_threadId = m_thread.get_id();
}

void TimerService::scheduleLocked(std::uint64_t key, Duration deadline)
{
    m_timers[key].deadline = deadline;
    m_deadlines.emplace(deadline, key);
    m_wake.notify_all();
}

void TimerService::removeLocked(std::uint64_t key)
{
    auto it = m_timers.find(key);
    if (it == m_timers.end()) {
        return;
    }
    m_deadlines.erase({it->second.deadline, key});
    m_timers.erase(it);
}

PWIN_UINT TimerService::setEvent(PWIN_UINT delayMs, PWIN_LPTIMECALLBACK callback,
                                 PWIN_DWORD_PTR user, bool periodic)
{
    const auto now = processClock()->now();
    std::lock_guard lock(m_mutex);
    // Ids count up and are never handed out twice, so a stale id kills nothing.
    if (m_nextEventId == 0) {
        return 0;
    }
    const PWIN_UINT eventId = m_nextEventId++;
    const std::uint64_t key = m_nextKey++;
    Timer& timer = m_timers[key];
    timer.period = std::chrono::milliseconds(delayMs);
    timer.periodic = periodic;
    timer.eventId = eventId;
    timer.callback = callback;
    timer.user = user;
    m_events.emplace(eventId, key);
    scheduleLocked(key, now + timer.period);
    startLocked();
    return eventId;
}

PWIN_MMRESULT TimerService::killEvent(PWIN_UINT timerId)
{
    std::unique_lock lock(m_mutex);
    auto it = m_events.find(timerId);
    if (it == m_events.end()) {
        return PWIN_MMSYSERR_INVALPARAM;
    }
    const std::uint64_t key = it->second;
    m_events.erase(it);
    removeLocked(key);
    // A callback on the timer thread never waits for itself (or for anything else the
    // timer thread would have to run).
    if (std::this_thread::get_id() != m_threadId) {
        m_idle.wait(lock, [&] { return m_running != key; });
    }
    return PWIN_TIMERR_NOERROR;
}

PWIN_UINT_PTR TimerService::setWindowTimer(const std::shared_ptr<MessageWindow>& window,
                                           PWIN_UINT_PTR id, PWIN_UINT elapseMs)
{
    elapseMs = std::clamp(elapseMs, PWIN_USER_TIMER_MINIMUM, PWIN_USER_TIMER_MAXIMUM);
    const auto now = processClock()->now();
    std::lock_guard lock(m_mutex);
    // Checked under m_mutex: DestroyWindow clears alive before it kills the window's
    // timers under the same mutex, so no timer outlives its window.
    if (!window->alive) {
        return 0;
    }
    const auto name = std::make_pair(window->hwnd, id);
    std::uint64_t key = 0;
    // Restarting keeps the timer's key, so a WM_TIMER still waiting counts for it.
    if (auto it = m_windowTimers.find(name); it != m_windowTimers.end()) {
        key = it->second;
        removeLocked(key);
    } else {
        key = m_nextKey++;
        m_windowTimers.emplace(name, key);
    }
    Timer& timer = m_timers[key];
    timer.period = std::chrono::milliseconds(elapseMs);
    timer.periodic = true;
    timer.window = window;
    timer.windowTimerId = id;
    scheduleLocked(key, now + timer.period);
    startLocked();
    return id;
}

bool TimerService::killWindowTimer(PWIN_HWND hwnd, PWIN_UINT_PTR id)
{
    std::lock_guard lock(m_mutex);
    auto it = m_windowTimers.find({hwnd, id});
    if (it == m_windowTimers.end()) {
        return false;
    }
    const std::uint64_t key = it->second;
    m_windowTimers.erase(it);
    auto timer = m_timers.find(key);
    if (timer != m_timers.end()) {
        dropTimerMessage(*timer->second.window, key);
    }
    removeLocked(key);
    return true;
}

void TimerService::killWindowTimers(PWIN_HWND hwnd)
{
    std::lock_guard lock(m_mutex);
    auto it = m_windowTimers.lower_bound({hwnd, 0});
    while (it != m_windowTimers.end() && it->first.first == hwnd) {
        auto timer = m_timers.find(it->second);
        if (timer != m_timers.end()) {
            dropTimerMessage(*timer->second.window, it->second);
        }
        removeLocked(it->second);
        it = m_windowTimers.erase(it);
    }
}

void TimerService::changeClock(const std::function<std::shared_ptr<Clock>()>& swap)
{
    std::lock_guard lock(m_mutex);
    const auto oldNow = swap()->now();
    const auto newNow = processClock()->now();
    std::set<std::pair<Duration, std::uint64_t>> deadlines;
    for (auto& [key, timer] : m_timers) {
        // The timer whose callback runs now has no deadline: it is scheduled again (or
        // dropped, when it is a one-shot) once its callback returns.
        if (key == m_running) {
            continue;
        }
        timer.deadline = newNow + std::max(timer.deadline - oldNow, Duration::zero());
        deadlines.emplace(timer.deadline, key);
    }
    m_deadlines.swap(deadlines);
    ++m_clockChanges;
    m_wake.notify_all();
    m_idle.notify_all();
}

bool TimerService::settledLocked() const
{
    return m_running == 0 && m_waiting &&
           (m_deadlines.empty() || m_deadlines.begin()->first > processClock()->now());
}

bool TimerService::waitSettled(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) {
        return true;
    }
    return m_idle.wait_for(lock, limit, [&] { return settledLocked(); });
}

void TimerService::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        auto clock = processClock();
        const auto now = clock->now();
        if (m_deadlines.empty() || m_deadlines.begin()->first > now) {
            m_waiting = true;
            m_idle.notify_all();
            if (m_deadlines.empty()) {
                m_wake.wait(lock);
            } else {
                clock->waitUntil(lock, m_wake, m_deadlines.begin()->first);
            }
            m_waiting = false;
            continue;
        }
        const auto [deadline, key] = *m_deadlines.begin();
        m_deadlines.erase(m_deadlines.begin());
        const auto found = m_timers.find(key);
        if (found == m_timers.end()) {
            continue;
        }
        Timer& timer = found->second;
        if (timer.window) {
            // Posting never blocks, so it happens under m_mutex: KillTimer then cannot
            // return while a WM_TIMER of its timer is on its way into the queue.
            postTimerMessage(*timer.window, key, timer.windowTimerId, tickCount(now));
            scheduleLocked(key, nextWindowDeadline(deadline, timer.period, now));
            continue;
        }
        const auto callback = timer.callback;
        const auto eventId = timer.eventId;
        const auto user = timer.user;
        const auto clockChanges = m_clockChanges;
        m_running = key;
        lock.unlock();
        // A callback's exception must not end the timer thread (and with it the process).
        try {
            callback(eventId, 0, user, 0, 0);
        } catch (...) {
            logError(kTimerLogModule, "callback of multimedia timer %u failed", eventId);
        }
        lock.lock();
        m_running = 0;
        m_idle.notify_all();
        // Killed meanwhile: the timer is gone and must not start again.
        auto it = m_timers.find(key);
        if (it == m_timers.end()) {
            continue;
        }
        if (it->second.periodic) {
            // Missed periods are made up for, so a periodic timer ticks once per period of
            // the clock even when the clock jumps; but after a long stall (a suspended
            // process) it resumes from now instead of running thousands of late ticks.
            // A clock swapped during the callback has other times: start the period anew.
            const auto period = it->second.period;
            const auto current = processClock()->now();
            auto next = deadline + period;
            if (m_clockChanges != clockChanges) {
                next = current + period;
            } else if (current - next > kMostMissedPeriods * period) {
                next = nextWindowDeadline(deadline, period, current);
            }
            scheduleLocked(key, next);
        } else {
            m_events.erase(it->second.eventId);
            m_timers.erase(it);
        }
    }
}

} // namespace platform::win

namespace platform::win {

bool waitTimersSettled(std::chrono::milliseconds limit)
{
    return TimerService::instance().waitSettled(limit);
}

} // namespace platform::win
