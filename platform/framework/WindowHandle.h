#pragma once

#include "platform/win/c/pwin_messages.h"

#include <cstdint>
#include <functional>

namespace platform::framework {

// The message of a window timer (wParam: the timer id).
constexpr unsigned kTimerMessage = PWIN_WM_TIMER;

// A window handle of the platform layer for one of the program's windows (a view or a frame):
// messages posted or sent to the handle, window timers among them, reach the window's handler
// on the GUI thread through the application's message pump. The handle is destroyed with this
// object, dropping its waiting messages and timers; handles are never reused, so a message in
// flight for a closed window goes nowhere. GUI thread only.
class WindowHandle
{
public:
    using Handler = std::function<intptr_t(unsigned message, uintptr_t wParam, intptr_t lParam)>;

    explicit WindowHandle(Handler handler);
    ~WindowHandle();
    WindowHandle(const WindowHandle&) = delete;
    WindowHandle& operator=(const WindowHandle&) = delete;

    uint32_t hwnd() const { return m_hwnd; }

    // Starts or restarts window timer id: WM_TIMER (wParam id) every elapseMs (brought into
    // 10 ms .. 0x7FFFFFFF ms); a timer whose WM_TIMER still waits does not queue another.
    // Returns id, or 0 for id 0.
    unsigned SetTimer(unsigned id, unsigned elapseMs);
    // Stops timer id and drops its waiting WM_TIMER; false when no such timer runs.
    bool KillTimer(unsigned id);

private:
    uint32_t m_hwnd = 0;
};

} // namespace platform::framework
