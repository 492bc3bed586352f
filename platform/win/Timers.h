#pragma once

#include "platform/win/Messages.h"
#include "platform/win/c/pwin_timers.h"

#include <chrono>

namespace platform::win {

// The Win32 names of the timer functions of pwin_timers.h, for C++ code. The notes there
// on threads hold here too.

using UINT_PTR = PWIN_UINT_PTR;
using DWORD_PTR = PWIN_DWORD_PTR;
using MMRESULT = PWIN_MMRESULT;
using TIMECAPS = PWIN_TIMECAPS;
using LPTIMECALLBACK = PWIN_LPTIMECALLBACK;

inline constexpr MMRESULT TIMERR_NOERROR = PWIN_TIMERR_NOERROR;
inline constexpr MMRESULT TIMERR_NOCANDO = PWIN_TIMERR_NOCANDO;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = PWIN_MMSYSERR_INVALPARAM;
inline constexpr UINT TIME_ONESHOT = PWIN_TIME_ONESHOT;
inline constexpr UINT TIME_PERIODIC = PWIN_TIME_PERIODIC;
inline constexpr UINT TIME_CALLBACK_FUNCTION = PWIN_TIME_CALLBACK_FUNCTION;
inline constexpr UINT TIME_KILL_SYNCHRONOUS = PWIN_TIME_KILL_SYNCHRONOUS;
inline constexpr DWORD INFINITE = PWIN_INFINITE;

inline UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs)
{
    return pwin_SetTimer(hwnd, id, elapseMs);
}

inline BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    return pwin_KillTimer(hwnd, id);
}

inline MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size)
{
    return pwin_timeGetDevCaps(caps, size);
}

inline MMRESULT timeBeginPeriod(UINT periodMs)
{
    return pwin_timeBeginPeriod(periodMs);
}

inline MMRESULT timeEndPeriod(UINT periodMs)
{
    return pwin_timeEndPeriod(periodMs);
}

inline UINT timeSetEvent(UINT delayMs, UINT resolutionMs, LPTIMECALLBACK callback, DWORD_PTR user,
                         UINT kind)
{
    return pwin_timeSetEvent(delayMs, resolutionMs, callback, user, kind);
}

inline MMRESULT timeKillEvent(UINT timerId)
{
    return pwin_timeKillEvent(timerId);
}

inline DWORD timeGetTime()
{
    return pwin_timeGetTime();
}

inline DWORD GetTickCount()
{
    return pwin_GetTickCount();
}

inline void Sleep(DWORD ms)
{
    pwin_Sleep(ms);
}

// Waits up to limit (real time) until no timer is due on the process clock and no timer
// callback runs; true when that happened. Lets tests that advance a ManualClock wait for
// the timers that fell due.
bool waitTimersSettled(std::chrono::milliseconds limit);

} // namespace platform::win
