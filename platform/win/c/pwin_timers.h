/* Timers, tick counts and sleeping of platform/win. Usable from C and C++.
 *
 * Every timer and every sleep runs on the process clock, which C++ tests can replace by a
 * clock they advance themselves (platform/win/Clock.h). Every function may be called from
 * any thread. */
#ifndef PWIN_TIMERS_H
#define PWIN_TIMERS_H

#include "platform/win/c/pwin_types.h"

typedef uintptr_t PWIN_UINT_PTR;
typedef uintptr_t PWIN_DWORD_PTR;
typedef PWIN_UINT PWIN_MMRESULT;

/* Results of the multimedia-timer functions. */
#define PWIN_TIMERR_NOERROR 0u
#define PWIN_MMSYSERR_INVALPARAM 11u
#define PWIN_TIMERR_NOCANDO 97u

/* timeSetEvent kinds: one expiry, or one every delay until killed. Only function callbacks
 * are supported. */
#define PWIN_TIME_ONESHOT 0x0000u
#define PWIN_TIME_PERIODIC 0x0001u
#define PWIN_TIME_CALLBACK_FUNCTION 0x0000u
#define PWIN_TIME_KILL_SYNCHRONOUS 0x0100u

/* Limits of timer delays and periods in ms. */
#define PWIN_TIMER_PERIOD_MIN 1u
#define PWIN_TIMER_PERIOD_MAX 1000000u

/* Limits of window-timer intervals in ms; intervals outside are brought inside. */
#define PWIN_USER_TIMER_MINIMUM 10u
#define PWIN_USER_TIMER_MAXIMUM 0x7FFFFFFFu

/* Sleep forever. */
#define PWIN_INFINITE 0xFFFFFFFFu

typedef struct PWIN_TIMECAPS
{
    PWIN_UINT wPeriodMin;
    PWIN_UINT wPeriodMax;
} PWIN_TIMECAPS;

/* Multimedia-timer callback, run on the timer thread: the timer's id, 0, the user data
 * given to timeSetEvent, 0, 0. */
typedef void (*PWIN_LPTIMECALLBACK)(PWIN_UINT timerId, PWIN_UINT message, PWIN_DWORD_PTR user,
                                    PWIN_DWORD_PTR reserved1, PWIN_DWORD_PTR reserved2);

/* Starts (or restarts) window timer id of hwnd: WM_TIMER (wParam id, lParam 0) is posted to
 * the window's queue every elapseMs; a timer whose WM_TIMER is still waiting does not post
 * another. Returns id, or 0 when hwnd is not a window or id is 0. */
PWIN_API PWIN_UINT_PTR pwin_SetTimer(PWIN_HWND hwnd, PWIN_UINT_PTR id, PWIN_UINT elapseMs);

/* Stops window timer id of hwnd and drops its waiting WM_TIMER. Returns 0 when there is
 * no such timer. */
PWIN_API PWIN_BOOL pwin_KillTimer(PWIN_HWND hwnd, PWIN_UINT_PTR id);

/* Fills caps (size: sizeof(PWIN_TIMECAPS)) with the supported period range. */
PWIN_API PWIN_MMRESULT pwin_timeGetDevCaps(PWIN_TIMECAPS* caps, PWIN_UINT size);

/* Requests a timer resolution of periodMs; pair each call with timeEndPeriod. */
PWIN_API PWIN_MMRESULT pwin_timeBeginPeriod(PWIN_UINT periodMs);

/* Ends a request of timeBeginPeriod with the same period; PWIN_TIMERR_NOCANDO when no such
 * request is open. */
PWIN_API PWIN_MMRESULT pwin_timeEndPeriod(PWIN_UINT periodMs);

/* Starts a multimedia timer: callback(id, 0, user, 0, 0) runs on the one timer thread after
 * delayMs, once or (PWIN_TIME_PERIODIC) every delayMs. Returns the timer's id (never
 * reused), or 0 for a null callback, a delay outside the period range or an unsupported
 * kind. resolutionMs is accepted and not needed. */
PWIN_API PWIN_UINT pwin_timeSetEvent(PWIN_UINT delayMs, PWIN_UINT resolutionMs,
                                     PWIN_LPTIMECALLBACK callback, PWIN_DWORD_PTR user,
                                     PWIN_UINT kind);

/* Stops a multimedia timer: once it returns, the timer's callback does not start again.
 * Called from any thread but the timer thread, it also waits until a callback of that timer
 * that is already running has returned (so do not call it while holding a lock that the
 * callback takes); called from a callback it never waits, so a callback may kill its own
 * or another timer. PWIN_MMSYSERR_INVALPARAM for an unknown or finished timer. */
PWIN_API PWIN_MMRESULT pwin_timeKillEvent(PWIN_UINT timerId);

/* Milliseconds of the process clock (monotonic), wrapping at 2^32 as on Windows. */
PWIN_API PWIN_DWORD pwin_timeGetTime(void);
PWIN_API PWIN_DWORD pwin_GetTickCount(void);

/* Blocks the calling thread for ms on the process clock (0: yields; PWIN_INFINITE: for
 * ever). */
PWIN_API void pwin_Sleep(PWIN_DWORD ms);

#endif
