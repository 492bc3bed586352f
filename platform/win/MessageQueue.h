#pragma once

#include "platform/win/c/pwin_messages.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace platform::win {

class ThreadQueue;

// A message window: its handler and the queue of the thread that owns it. Internal to
// platform/win; the C interface names windows by handle only.
struct MessageWindow
{
    PWIN_HWND hwnd = 0;
    PWIN_WNDPROC proc = nullptr;
    void* context = nullptr;
    PWIN_RELEASEPROC release = nullptr;
    std::shared_ptr<ThreadQueue> queue;
    // Cleared, under the queue's mutex, when the window is destroyed.
    std::atomic<bool> alive{true};
    // Owning thread only: handler calls of this window on the stack, and whether the
    // release procedure ran.
    int dispatchDepth = 0;
    bool released = false;
};

// A message sent from another thread, waiting for the owning thread to handle it.
struct SentMessage
{
    PWIN_HWND hwnd = 0;
    PWIN_UINT message = 0;
    PWIN_WPARAM wParam = 0;
    PWIN_LPARAM lParam = 0;
    // Written under the sender's queue mutex.
    PWIN_LRESULT result = 0;
    bool done = false;
    std::shared_ptr<ThreadQueue> sender;
};

// A posted message; timerKey names the window timer that posted a WM_TIMER (0 otherwise).
struct QueuedMessage
{
    PWIN_MSG msg;
    std::uint64_t timerKey = 0;
};

// The message queue of one thread. Its fields are guarded by mutex, except ownedWindows,
// which only the owning thread touches.
class ThreadQueue
{
public:
    ThreadQueue();
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    // Makes the wait handle readable exactly while there is something to take. Call with
    // mutex held after every change.
    void updateSignalLocked();

    // True when the calling thread owns this queue.
    bool ownedByCaller() const { return owner == std::this_thread::get_id(); }

    std::mutex mutex;
    std::condition_variable cv;
    std::deque<QueuedMessage> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::unordered_set<std::uint64_t> pendingTimers;
    bool quit = false;
    int quitCode = 0;
    bool alive = true;
    const std::thread::id owner;
    const int fd;
    bool signalled = false;
    std::unordered_set<PWIN_HWND> ownedWindows;
};

// The calling thread's queue, made on first use; null once the thread is ending.
std::shared_ptr<ThreadQueue> currentThreadQueue();

// The live window named hwnd, or null.
std::shared_ptr<MessageWindow> findWindow(PWIN_HWND hwnd);

// A new window of the calling thread, or null (no handler, handles used up).
std::shared_ptr<MessageWindow> createWindow(PWIN_WNDPROC proc, void* context,
                                            PWIN_RELEASEPROC release);

// Destroys a window of the calling thread; false for any other handle.
bool destroyWindow(PWIN_HWND hwnd);

// Calls the window's handler when it is alive and owned by the calling thread; 0 otherwise.
// The window's release procedure runs when it was destroyed meanwhile.
PWIN_LRESULT callHandler(MessageWindow& window, PWIN_UINT message, PWIN_WPARAM wParam,
                         PWIN_LPARAM lParam);

// Runs the release procedure of a destroyed window that no handler call still uses.
void releaseIfUnused(MessageWindow& window);

// Handles the messages other threads sent to the queue's windows (owning thread only,
// lock held on entry and on return; released around each handler call).
void handleSentLocked(ThreadQueue& queue, std::unique_lock<std::mutex>& lock);

// Copies the first posted message matching the filters (as PeekMessage) into out, and
// removes it when remove is set; false when none matches. Lock held.
bool takeMessageLocked(ThreadQueue& queue, PWIN_MSG& out, PWIN_HWND hwnd, PWIN_UINT filterMin,
                       PWIN_UINT filterMax, bool remove);

// Appends a message to the queue of hwnd's thread (hwnd 0: the calling thread's queue).
bool postMessage(PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam, PWIN_LPARAM lParam,
                 PWIN_DWORD time);

// Posts WM_TIMER (wParam id) for window timer timerKey unless one is already waiting, the
// window is gone or the queue is full.
void postTimerMessage(MessageWindow& window, std::uint64_t timerKey, std::uintptr_t id,
                      PWIN_DWORD time);

// Drops the waiting WM_TIMER of window timer timerKey, if any.
void dropTimerMessage(MessageWindow& window, std::uint64_t timerKey);

} // namespace platform::win
