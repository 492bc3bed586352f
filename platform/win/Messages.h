#pragma once

#include "platform/win/c/pwin_messages.h"

#include <functional>
#include <memory>

namespace platform::win {

// The Win32 names of the message functions of pwin_messages.h, for C++ code. The notes
// there on threads hold here too.

using HWND = PWIN_HWND;
using UINT = PWIN_UINT;
using DWORD = PWIN_DWORD;
using BOOL = PWIN_BOOL;
using WPARAM = PWIN_WPARAM;
using LPARAM = PWIN_LPARAM;
using LRESULT = PWIN_LRESULT;
using MSG = PWIN_MSG;

inline constexpr UINT WM_NULL = PWIN_WM_NULL;
inline constexpr UINT WM_QUIT = PWIN_WM_QUIT;
inline constexpr UINT WM_TIMER = PWIN_WM_TIMER;
inline constexpr UINT WM_USER = PWIN_WM_USER;
inline constexpr UINT PM_NOREMOVE = PWIN_PM_NOREMOVE;
inline constexpr UINT PM_REMOVE = PWIN_PM_REMOVE;
inline constexpr HWND kThreadMessages = PWIN_HWND_THREAD_MESSAGES;
inline constexpr unsigned kMaxQueuedMessages = PWIN_MAX_QUEUED_MESSAGES;

// Handler of a message window made by createMessageWindow.
using MessageHandler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Creates a message window of the calling thread whose messages go to handler; the handler
// is destroyed after DestroyWindow or when the thread ends. Returns 0 on failure.
// Exceptions thrown by the handler leave through SendMessage or DispatchMessage.
inline HWND createMessageWindow(MessageHandler handler)
{
    auto owned = std::make_unique<MessageHandler>(std::move(handler));
    auto call = [](void* context, HWND hwnd, UINT message, WPARAM wParam,
                   LPARAM lParam) -> LRESULT {
        return (*static_cast<MessageHandler*>(context))(hwnd, message, wParam, lParam);
    };
    auto release = [](void* context) { delete static_cast<MessageHandler*>(context); };
    return pwin_CreateMessageWindow(call, owned.release(), release);
}

inline BOOL DestroyWindow(HWND hwnd)
{
    return pwin_DestroyWindow(hwnd);
}

inline BOOL IsWindow(HWND hwnd)
{
    return pwin_IsWindow(hwnd);
}

inline BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return pwin_PostMessage(hwnd, message, wParam, lParam);
}

inline LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return pwin_SendMessage(hwnd, message, wParam, lParam);
}

inline BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    return pwin_PeekMessage(msg, hwnd, filterMin, filterMax, removeFlags);
}

inline BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    return pwin_GetMessage(msg, hwnd, filterMin, filterMax);
}

inline LRESULT DispatchMessage(const MSG* msg)
{
    return pwin_DispatchMessage(msg);
}

inline void PostQuitMessage(int exitCode)
{
    pwin_PostQuitMessage(exitCode);
}

inline UINT RegisterWindowMessage(const char* name)
{
    return pwin_RegisterWindowMessage(name);
}

// The calling thread's queue wait handle (see pwin_GetQueueWaitHandle).
inline int queueWaitHandle()
{
    return pwin_GetQueueWaitHandle();
}

} // namespace platform::win
