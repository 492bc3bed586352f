#include "platform/win/Clock.h"
#include "platform/win/ExportGuard.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/TimerService.h"
#include "platform/win/c/pwin_timers.h"

#include <mutex>
#include <set>
#include <thread>

using namespace platform::win;

namespace {

// Open timeBeginPeriod requests. Linux timers already have millisecond resolution, so the
// requests only need to be counted and matched.
struct PeriodRequests
{
    std::mutex mutex;
    std::multiset<PWIN_UINT> periods;
};

PeriodRequests& periodRequests()
{
    static auto* requests = new PeriodRequests;
    return *requests;
}

bool periodInRange(PWIN_UINT ms)
{
    return ms >= PWIN_TIMER_PERIOD_MIN && ms <= PWIN_TIMER_PERIOD_MAX;
}

PWIN_DWORD clockMilliseconds()
{
    const auto now = processClock()->now();
    // Truncation to 32 bits is the wrap-around every 49.7 days that callers expect.
    return static_cast<PWIN_DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace

PWIN_API PWIN_UINT_PTR pwin_SetTimer(PWIN_HWND hwnd, PWIN_UINT_PTR id, PWIN_UINT elapseMs)
{
    return exportGuard<PWIN_UINT_PTR>("pwin_SetTimer", 0, [&]() -> PWIN_UINT_PTR {
        auto window = findWindow(hwnd);
        if (!window || id == 0) {
            return 0;
        }
        return TimerService::instance().setWindowTimer(window, id, elapseMs);
    });
}

PWIN_API PWIN_BOOL pwin_KillTimer(PWIN_HWND hwnd, PWIN_UINT_PTR id)
{
    return TimerService::instance().killWindowTimer(hwnd, id) ? 1 : 0;
}

PWIN_API PWIN_MMRESULT pwin_timeGetDevCaps(PWIN_TIMECAPS* caps, PWIN_UINT size)
{
    if (!caps || size < sizeof(PWIN_TIMECAPS)) {
        return PWIN_TIMERR_NOCANDO;
    }
    caps->wPeriodMin = PWIN_TIMER_PERIOD_MIN;
    caps->wPeriodMax = PWIN_TIMER_PERIOD_MAX;
    return PWIN_TIMERR_NOERROR;
}

PWIN_API PWIN_MMRESULT pwin_timeBeginPeriod(PWIN_UINT periodMs)
{
    return exportGuard<PWIN_MMRESULT>("pwin_timeBeginPeriod", PWIN_TIMERR_NOCANDO,
                                      [&]() -> PWIN_MMRESULT {
                                          if (!periodInRange(periodMs)) {
                                              return PWIN_TIMERR_NOCANDO;
                                          }
                                          std::lock_guard lock(periodRequests().mutex);
                                          periodRequests().periods.insert(periodMs);
                                          return PWIN_TIMERR_NOERROR;
                                      });
}

PWIN_API PWIN_MMRESULT pwin_timeEndPeriod(PWIN_UINT periodMs)
{
    std::lock_guard lock(periodRequests().mutex);
    auto it = periodRequests().periods.find(periodMs);
    if (it == periodRequests().periods.end()) {
        return PWIN_TIMERR_NOCANDO;
    }
    periodRequests().periods.erase(it);
    return PWIN_TIMERR_NOERROR;
}

PWIN_API PWIN_UINT pwin_timeSetEvent(PWIN_UINT delayMs, PWIN_UINT resolutionMs,
                                     PWIN_LPTIMECALLBACK callback, PWIN_DWORD_PTR user,
                                     PWIN_UINT kind)
{
    return exportGuard<PWIN_UINT>("pwin_timeSetEvent", 0, [&]() -> PWIN_UINT {
        (void)resolutionMs;
        const PWIN_UINT known = PWIN_TIME_PERIODIC | PWIN_TIME_KILL_SYNCHRONOUS;
        if (!callback || !periodInRange(delayMs) || (kind & ~known) != 0) {
            return 0;
        }
        return TimerService::instance().setEvent(delayMs, callback, user,
                                                 (kind & PWIN_TIME_PERIODIC) != 0);
    });
}

PWIN_API PWIN_MMRESULT pwin_timeKillEvent(PWIN_UINT timerId)
{
    return TimerService::instance().killEvent(timerId);
}

PWIN_API PWIN_DWORD pwin_timeGetTime(void)
{
    return clockMilliseconds();
}

PWIN_API PWIN_DWORD pwin_GetTickCount(void)
{
    return clockMilliseconds();
}

PWIN_API void pwin_Sleep(PWIN_DWORD ms)
{
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    if (ms == PWIN_INFINITE) {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::hours(24));
        }
    }
    auto clock = processClock();
    clock->sleepUntil(clock->now() + std::chrono::milliseconds(ms));
}
