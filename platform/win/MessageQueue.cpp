#include "platform/win/MessageQueue.h"

#include "platform/win/TimerService.h"

#include <algorithm>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace platform::win {

namespace {

// Process-wide table of live windows. Never destroyed: threads and other libraries'
// destructors may still use it while the process exits.
struct WindowTable
{
    std::mutex mutex;
    std::unordered_map<PWIN_HWND, std::shared_ptr<MessageWindow>> windows;
    std::uint32_t nextHandle = 1;
};

WindowTable& windowTable()
{
    static auto* table = new WindowTable;
    return *table;
}

void completeSent(SentMessage& sent, PWIN_LRESULT result)
{
    std::lock_guard lock(sent.sender->mutex);
    sent.result = result;
    sent.done = true;
    sent.sender->cv.notify_all();
}

// Ends the calling thread's queue: its windows are destroyed without handler calls, its
// messages dropped, and threads waiting in SendMessage for it get 0.
void endQueue(const std::shared_ptr<ThreadQueue>& queue)
{
    std::vector<std::shared_ptr<MessageWindow>> windows;
    {
        std::lock_guard lock(windowTable().mutex);
        for (PWIN_HWND hwnd : queue->ownedWindows) {
            auto it = windowTable().windows.find(hwnd);
            if (it != windowTable().windows.end()) {
                windows.push_back(it->second);
                windowTable().windows.erase(it);
            }
        }
    }
    queue->ownedWindows.clear();
    std::deque<std::shared_ptr<SentMessage>> sent;
    {
        std::lock_guard lock(queue->mutex);
        queue->alive = false;
        for (auto& window : windows) {
            window->alive = false;
        }
        queue->posted.clear();
        queue->pendingTimers.clear();
        queue->quit = false;
        sent.swap(queue->sent);
        queue->updateSignalLocked();
    }
    for (auto& message : sent) {
        completeSent(*message, 0);
    }
    for (auto& window : windows) {
        TimerService::instance().killWindowTimers(window->hwnd);
        if (!window->released && window->release) {
            window->released = true;
            window->release(window->context);
        }
    }
}

struct QueueHolder
{
    std::shared_ptr<ThreadQueue> queue;
    bool ended = false;

    ~QueueHolder()
    {
        ended = true;
        if (queue) {
            endQueue(queue);
        }
    }
};

thread_local QueueHolder t_queue;

} // namespace

ThreadQueue::ThreadQueue()
    : owner(std::this_thread::get_id()), fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{}

ThreadQueue::~ThreadQueue()
{
    if (fd >= 0) {
        ::close(fd);
    }
}

void ThreadQueue::updateSignalLocked()
{
    const bool waiting = !posted.empty() || !sent.empty() || quit;
    if (waiting == signalled || fd < 0) {
        return;
    }
    if (waiting) {
        const std::uint64_t one = 1;
        signalled = ::write(fd, &one, sizeof one) == sizeof one;
    } else {
        std::uint64_t count = 0;
        [[maybe_unused]] auto ignored = ::read(fd, &count, sizeof count);
        signalled = false;
    }
}

std::shared_ptr<ThreadQueue> currentThreadQueue()
{
    if (t_queue.ended) {
        return nullptr;
    }
    if (!t_queue.queue) {
        t_queue.queue = std::make_shared<ThreadQueue>();
    }
    return t_queue.queue;
}

std::shared_ptr<MessageWindow> findWindow(PWIN_HWND hwnd)
{
    if (hwnd == 0) {
        return nullptr;
    }
    std::lock_guard lock(windowTable().mutex);
    auto it = windowTable().windows.find(hwnd);
    return it == windowTable().windows.end() ? nullptr : it->second;
}

std::shared_ptr<MessageWindow> createWindow(PWIN_WNDPROC proc, void* context,
                                            PWIN_RELEASEPROC release)
{
    auto queue = currentThreadQueue();
    if (!queue || !proc) {
        return nullptr;
    }
    auto window = std::make_shared<MessageWindow>();
    window->proc = proc;
    window->context = context;
    window->release = release;
    window->queue = queue;
    {
        std::lock_guard lock(windowTable().mutex);
        // Handles count up and are never handed out twice; the filter value for thread
        // messages is never a handle.
        if (windowTable().nextHandle == 0 ||
            windowTable().nextHandle == PWIN_HWND_THREAD_MESSAGES) {
            return nullptr;
        }
        window->hwnd = windowTable().nextHandle++;
        windowTable().windows.emplace(window->hwnd, window);
    }
    queue->ownedWindows.insert(window->hwnd);
    return window;
}

void releaseIfUnused(MessageWindow& window)
{
    if (!window.alive && window.dispatchDepth == 0 && !window.released) {
        window.released = true;
        if (window.release) {
            window.release(window.context);
        }
    }
}

bool destroyWindow(PWIN_HWND hwnd)
{
    auto window = findWindow(hwnd);
    if (!window || !window->queue->ownedByCaller()) {
        return false;
    }
    auto& queue = *window->queue;
    {
        std::lock_guard lock(queue.mutex);
        if (!window->alive) {
            return false;
        }
        window->alive = false;
        auto dropped = std::remove_if(queue.posted.begin(), queue.posted.end(),
                                      [&](const QueuedMessage& m) { return m.msg.hwnd == hwnd; });
        for (auto it = dropped; it != queue.posted.end(); ++it) {
            queue.pendingTimers.erase(it->timerKey);
        }
        queue.posted.erase(dropped, queue.posted.end());
        queue.updateSignalLocked();
    }
    {
        std::lock_guard lock(windowTable().mutex);
        windowTable().windows.erase(hwnd);
    }
    queue.ownedWindows.erase(hwnd);
    TimerService::instance().killWindowTimers(hwnd);
    releaseIfUnused(*window);
    return true;
}

PWIN_LRESULT callHandler(MessageWindow& window, PWIN_UINT message, PWIN_WPARAM wParam,
                         PWIN_LPARAM lParam)
{
    if (!window.alive || !window.queue->ownedByCaller()) {
        return 0;
    }
    struct DepthGuard
    {
        MessageWindow& window;
        explicit DepthGuard(MessageWindow& w) : window(w) { ++window.dispatchDepth; }
        ~DepthGuard()
        {
            --window.dispatchDepth;
            releaseIfUnused(window);
        }
    } guard(window);
    return window.proc(window.context, window.hwnd, message, wParam, lParam);
}

void handleSentLocked(ThreadQueue& queue, std::unique_lock<std::mutex>& lock)
{
    while (!queue.sent.empty()) {
        auto sent = std::move(queue.sent.front());
        queue.sent.pop_front();
        queue.updateSignalLocked();
        lock.unlock();
        PWIN_LRESULT result = 0;
        try {
            if (auto window = findWindow(sent->hwnd)) {
                result = callHandler(*window, sent->message, sent->wParam, sent->lParam);
            }
        } catch (...) {
            completeSent(*sent, 0);
            lock.lock();
            throw;
        }
        completeSent(*sent, result);
        lock.lock();
    }
}

bool takeMessageLocked(ThreadQueue& queue, PWIN_MSG& out, PWIN_HWND hwnd, PWIN_UINT filterMin,
                       PWIN_UINT filterMax, bool remove)
{
    const bool anyMessage = filterMin == 0 && filterMax == 0;
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        const PWIN_MSG& msg = it->msg;
        const bool windowMatches =
            hwnd == 0 || (hwnd == PWIN_HWND_THREAD_MESSAGES && msg.hwnd == 0) || msg.hwnd == hwnd;
        const bool numberMatches =
            anyMessage || (msg.message >= filterMin && msg.message <= filterMax);
        if (windowMatches && numberMatches) {
            out = msg;
            if (remove) {
                queue.pendingTimers.erase(it->timerKey);
                queue.posted.erase(it);
                queue.updateSignalLocked();
            }
            return true;
        }
    }
    if (queue.quit) {
        out = PWIN_MSG{0, PWIN_WM_QUIT, static_cast<PWIN_WPARAM>(queue.quitCode), 0, 0};
        if (remove) {
            queue.quit = false;
            queue.updateSignalLocked();
        }
        return true;
    }
    return false;
}

bool postMessage(PWIN_HWND hwnd, PWIN_UINT message, PWIN_WPARAM wParam, PWIN_LPARAM lParam,
                 PWIN_DWORD time)
{
    std::shared_ptr<ThreadQueue> queue;
    std::shared_ptr<MessageWindow> window;
    if (hwnd == 0) {
        queue = currentThreadQueue();
    } else if ((window = findWindow(hwnd))) {
        queue = window->queue;
    }
    if (!queue) {
        return false;
    }
    std::lock_guard lock(queue->mutex);
    if (!queue->alive || (window && !window->alive) ||
        queue->posted.size() >= PWIN_MAX_QUEUED_MESSAGES) {
        return false;
    }
    queue->posted.push_back(QueuedMessage{PWIN_MSG{hwnd, message, wParam, lParam, time}, 0});
    queue->updateSignalLocked();
    queue->cv.notify_all();
    return true;
}

void postTimerMessage(MessageWindow& window, std::uint64_t timerKey, std::uintptr_t id,
                      PWIN_DWORD time)
{
    auto& queue = *window.queue;
    std::lock_guard lock(queue.mutex);
    if (!queue.alive || !window.alive || queue.pendingTimers.contains(timerKey) ||
        queue.posted.size() >= PWIN_MAX_QUEUED_MESSAGES) {
        return;
    }
    queue.posted.push_back(
        QueuedMessage{PWIN_MSG{window.hwnd, PWIN_WM_TIMER, id, 0, time}, timerKey});
    queue.pendingTimers.insert(timerKey);
    queue.updateSignalLocked();
    queue.cv.notify_all();
}

void dropTimerMessage(MessageWindow& window, std::uint64_t timerKey)
{
    auto& queue = *window.queue;
    std::lock_guard lock(queue.mutex);
    if (!queue.pendingTimers.erase(timerKey)) {
        return;
    }
    std::erase_if(queue.posted, [&](const QueuedMessage& m) { return m.timerKey == timerKey; });
    queue.updateSignalLocked();
}

} // namespace platform::win
