#include "platform/framework/WindowHandle.h"

#include "platform/win/Messages.h"
#include "platform/win/c/pwin_timers.h"

namespace platform::framework {

WindowHandle::WindowHandle(Handler handler)
{
    m_hwnd = win::createMessageWindow(
        [handler = std::move(handler)](win::HWND, win::UINT message, win::WPARAM wParam,
                                       win::LPARAM lParam) -> win::LRESULT {
            return handler ? handler(message, wParam, lParam) : 0;
        });
}

WindowHandle::~WindowHandle()
{
    if (m_hwnd != 0) {
        win::DestroyWindow(m_hwnd);
    }
}

unsigned WindowHandle::SetTimer(unsigned id, unsigned elapseMs)
{
    if (m_hwnd == 0 || id == 0) {
        return 0;
    }
    return static_cast<unsigned>(pwin_SetTimer(m_hwnd, id, elapseMs));
}

bool WindowHandle::KillTimer(unsigned id)
{
    return m_hwnd != 0 && pwin_KillTimer(m_hwnd, id) != 0;
}

} // namespace platform::framework
