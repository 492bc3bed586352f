/* Message windows and per-thread message queues of platform/win. Usable from C and C++.
 *
 * A message window belongs to the thread that created it; its handler runs only on that
 * thread. Each thread gets a queue the first time it needs one. Window handles are 32-bit
 * ids that are never reused within the process, so a stale handle stays invalid.
 * Every function may be called from any thread unless it says otherwise. */
#ifndef PWIN_MESSAGES_H
#define PWIN_MESSAGES_H

#include "platform/win/c/pwin_types.h"

#define PWIN_WM_NULL 0x0000u
#define PWIN_WM_QUIT 0x0012u
#define PWIN_WM_TIMER 0x0113u
#define PWIN_WM_USER 0x0400u

/* PeekMessage flags. */
#define PWIN_PM_NOREMOVE 0x0000u
#define PWIN_PM_REMOVE 0x0001u

/* The most messages a thread's queue holds; PostMessage fails beyond it. */
#define PWIN_MAX_QUEUED_MESSAGES 10000u

/* A window filter of PeekMessage/GetMessage that selects messages posted with no window. */
#define PWIN_HWND_THREAD_MESSAGES ((PWIN_HWND)0xFFFFFFFFu)

typedef struct PWIN_MSG
{
    PWIN_HWND hwnd;
    PWIN_UINT message;
    PWIN_WPARAM wParam;
    PWIN_LPARAM lParam;
    PWIN_DWORD time; /* GetTickCount when the message was posted */
} PWIN_MSG;

/* Handler of a message window; context is the pointer given at creation. */
typedef PWIN_LRESULT (*PWIN_WNDPROC)(void* context, PWIN_HWND hwnd, PWIN_UINT message,
                                     PWIN_WPARAM wParam, PWIN_LPARAM lParam);

/* Called once when a window's context is no longer used: after DestroyWindow, once no
 * handler call of that window is running, or when the owning thread ends. */
typedef void (*PWIN_RELEASEPROC)(void* context);

/* Creates a message window owned by the calling thread. Returns 0 when proc is null or
 * the handle space is exhausted (release, when given, is then called at once). */
PWIN_API PWIN_HWND pwin_CreateMessageWindow(PWIN_WNDPROC proc, void* context,
                                            PWIN_RELEASEPROC release);

/* Destroys a window of the calling thread: its pending messages and timers are dropped and
 * later posts to it fail. Returns 0 for an unknown handle or a window of another thread. */
PWIN_API PWIN_BOOL pwin_DestroyWindow(PWIN_HWND hwnd);

/* Non-zero while hwnd names a live window. */
PWIN_API PWIN_BOOL pwin_IsWindow(PWIN_HWND hwnd);

/* Appends a message to the queue of the window's thread (hwnd 0: the calling thread's
 * queue, as a message with no window). Never blocks. Returns 0 when hwnd is not a window
 * or when the queue already holds PWIN_MAX_QUEUED_MESSAGES messages. */
PWIN_API PWIN_BOOL pwin_PostMessage(PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam,
                                    PWIN_LPARAM lParam);

/* Calls the window's handler and returns its result. On the owning thread the call is
 * direct; from another thread the caller blocks until the owning thread takes the message
 * in GetMessage/PeekMessage (meanwhile it handles messages sent to its own windows).
 * Returns 0 when hwnd is not a window or the window goes away before handling it. */
PWIN_API PWIN_LRESULT pwin_SendMessage(PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam,
                                       PWIN_LPARAM lParam);

/* Looks for a posted message of the calling thread that matches the filters (hwnd 0: any;
 * PWIN_HWND_THREAD_MESSAGES: messages without a window; min and max 0: any message, else
 * min <= message <= max). The WM_QUIT of PostQuitMessage matches every filter and comes
 * after the posted messages that match.
 * Messages sent from other threads are handled first. Returns non-zero and fills msg when
 * one is found; with PWIN_PM_REMOVE it is taken out of the queue. Returns 0 for a window
 * filter that is not a window of the calling thread. Never blocks. */
PWIN_API PWIN_BOOL pwin_PeekMessage(PWIN_MSG* msg, PWIN_HWND hwnd, PWIN_UINT filterMin,
                                    PWIN_UINT filterMax, PWIN_UINT removeFlags);

/* As PeekMessage with PWIN_PM_REMOVE, but waits for a matching message. Returns 0 for
 * WM_QUIT, -1 when msg is null or hwnd is neither 0, PWIN_HWND_THREAD_MESSAGES nor a
 * window of the calling thread, and 1 otherwise. */
PWIN_API PWIN_BOOL pwin_GetMessage(PWIN_MSG* msg, PWIN_HWND hwnd, PWIN_UINT filterMin,
                                   PWIN_UINT filterMax);

/* Calls the handler of msg->hwnd when it is a live window of the calling thread and
 * returns its result; 0 otherwise. */
PWIN_API PWIN_LRESULT pwin_DispatchMessage(const PWIN_MSG* msg);

/* Makes the calling thread's GetMessage return 0 (WM_QUIT, wParam exitCode) once the
 * messages already posted have been taken. */
PWIN_API void pwin_PostQuitMessage(int exitCode);

/* A message number in 0xC000..0xFFFF unique to name (compared without case) for the life
 * of the process; 0 for a null or empty name or when the numbers are used up. */
PWIN_API PWIN_UINT pwin_RegisterWindowMessage(const char* name);

/* The calling thread's queue wait handle: an eventfd that is readable while the queue holds
 * messages (posted, sent from other threads, or WM_QUIT). Owned by the queue; do not read
 * or close it. Valid until the thread ends. -1 when no descriptor could be made. */
PWIN_API int pwin_GetQueueWaitHandle(void);

#endif
