#include "platform/win/ExportGuard.h"
#include "platform/win/MessageQueue.h"
#include "platform/win/c/pwin_messages.h"
#include "platform/win/c/pwin_timers.h"

#include <string>
#include <unordered_map>

using namespace platform::win;

namespace {

struct RegisteredMessages
{
    std::mutex mutex;
    std::unordered_map<std::string, PWIN_UINT> numbers; // by lower-case name
    PWIN_UINT next = 0xC000;
};

RegisteredMessages& registeredMessages()
{
    static auto* messages = new RegisteredMessages;
    return *messages;
}

// A window filter is usable when it selects all, thread messages, or a window of the queue.
bool filterIsUsable(PWIN_HWND hwnd, const ThreadQueue& queue)
{
    if (hwnd == 0 || hwnd == PWIN_HWND_THREAD_MESSAGES) {
        return true;
    }
    auto window = findWindow(hwnd);
    return window && window->queue.get() == &queue;
}

} // namespace

PWIN_API PWIN_HWND pwin_CreateMessageWindow(PWIN_WNDPROC proc, void* context,
                                            PWIN_RELEASEPROC release)
{
    return exportGuard<PWIN_HWND>("pwin_CreateMessageWindow", 0, [&]() -> PWIN_HWND {
        auto window = createWindow(proc, context, release);
        if (!window) {
            if (release) {
                release(context);
            }
            return 0;
        }
        return window->hwnd;
    });
}

PWIN_API PWIN_BOOL pwin_DestroyWindow(PWIN_HWND hwnd)
{
    return destroyWindow(hwnd) ? 1 : 0;
}

PWIN_API PWIN_BOOL pwin_IsWindow(PWIN_HWND hwnd)
{
    return findWindow(hwnd) ? 1 : 0;
}

PWIN_API PWIN_BOOL pwin_PostMessage(PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam,
                                    PWIN_LPARAM lParam)
{
    return exportGuard<PWIN_BOOL>("pwin_PostMessage", 0, [&]() -> PWIN_BOOL {
        return postMessage(hwnd, message, wParam, lParam, pwin_GetTickCount()) ? 1 : 0;
    });
}

PWIN_API PWIN_LRESULT pwin_SendMessage(PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam,
                                       PWIN_LPARAM lParam)
{
    auto window = findWindow(hwnd);
    if (!window) {
        return 0;
    }
    if (window->queue->ownedByCaller()) {
        return callHandler(*window, message, wParam, lParam);
    }
    auto self = currentThreadQueue();
    if (!self) {
        return 0;
    }
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hwnd;
    sent->message = message;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->sender = self;
    {
        auto& target = *window->queue;
        std::lock_guard lock(target.mutex);
        if (!target.alive || !window->alive) {
            return 0;
        }
        target.sent.push_back(sent);
        target.updateSignalLocked();
        target.cv.notify_all();
    }
    // While waiting, handle what other threads send to this thread's windows, so two
    // threads sending to each other do not wait for ever.
    std::unique_lock lock(self->mutex);
    for (;;) {
        handleSentLocked(*self, lock);
        if (sent->done) {
            return sent->result;
        }
        self->cv.wait(lock);
    }
}

PWIN_API PWIN_BOOL pwin_PeekMessage(PWIN_MSG* msg, PWIN_HWND hwnd, PWIN_UINT filterMin,
                                    PWIN_UINT filterMax, PWIN_UINT removeFlags)
{
    auto queue = currentThreadQueue();
    if (!msg || !queue || !filterIsUsable(hwnd, *queue)) {
        return 0;
    }
    std::unique_lock lock(queue->mutex);
    handleSentLocked(*queue, lock);
    return takeMessageLocked(*queue, *msg, hwnd, filterMin, filterMax,
                             (removeFlags & PWIN_PM_REMOVE) != 0)
               ? 1
               : 0;
}

PWIN_API PWIN_BOOL pwin_GetMessage(PWIN_MSG* msg, PWIN_HWND hwnd, PWIN_UINT filterMin,
                                   PWIN_UINT filterMax)
{
    auto queue = currentThreadQueue();
    if (!msg || !queue || !filterIsUsable(hwnd, *queue)) {
        return -1;
    }
    std::unique_lock lock(queue->mutex);
    for (;;) {
        handleSentLocked(*queue, lock);
        if (takeMessageLocked(*queue, *msg, hwnd, filterMin, filterMax, true)) {
            return msg->message == PWIN_WM_QUIT ? 0 : 1;
        }
        // A sent message's handler may have destroyed the filter window.
        if (hwnd != 0 && hwnd != PWIN_HWND_THREAD_MESSAGES && !findWindow(hwnd)) {
            return -1;
        }
        queue->cv.wait(lock);
    }
}

PWIN_API PWIN_LRESULT pwin_DispatchMessage(const PWIN_MSG* msg)
{
    if (!msg) {
        return 0;
    }
    auto window = findWindow(msg->hwnd);
    if (!window) {
        return 0;
    }
    return callHandler(*window, msg->message, msg->wParam, msg->lParam);
}

PWIN_API void pwin_PostQuitMessage(int exitCode)
{
    auto queue = currentThreadQueue();
    if (!queue) {
        return;
    }
    std::lock_guard lock(queue->mutex);
    queue->quit = true;
    queue->quitCode = exitCode;
    queue->updateSignalLocked();
    queue->cv.notify_all();
}

PWIN_API PWIN_UINT pwin_RegisterWindowMessage(const char* name)
{
    return exportGuard<PWIN_UINT>("pwin_RegisterWindowMessage", 0, [&]() -> PWIN_UINT {
        if (!name || !*name) {
            return 0;
        }
        std::string key(name);
        // ASCII case folding, independent of the process's locale.
        for (char& c : key) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        auto& messages = registeredMessages();
        std::lock_guard lock(messages.mutex);
        auto it = messages.numbers.find(key);
        if (it != messages.numbers.end()) {
            return it->second;
        }
        if (messages.next > 0xFFFF) {
            return 0;
        }
        const PWIN_UINT number = messages.next++;
        messages.numbers.emplace(std::move(key), number);
        return number;
    });
}

PWIN_API int pwin_GetQueueWaitHandle(void)
{
    return exportGuard<int>("pwin_GetQueueWaitHandle", -1, [&]() -> int {
        auto queue = currentThreadQueue();
        return queue ? queue->fd : -1;
    });
}
