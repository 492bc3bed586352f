#include "platform/win/Messages.h"

#include "tests/platform/win/WaitSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

using namespace platform::win;
using tests::platform::win::EventCounter;

namespace {

// Records every message a window receives.
struct Recorder
{
    std::vector<MSG> received;

    HWND create()
    {
        return createMessageWindow([this](HWND hwnd, UINT message, WPARAM w, LPARAM l) {
            received.push_back(MSG{hwnd, message, w, l, 0});
            return LRESULT(message + 1);
        });
    }
};

// Takes and dispatches every message waiting on the calling thread.
int drain()
{
    int count = 0;
    MSG msg;
    while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
        DispatchMessage(&msg);
        ++count;
    }
    return count;
}

bool waitHandleReadable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

TEST(Messages, PostedMessagesArriveInOrderThroughGetMessage)
{
    Recorder recorder;
    HWND hwnd = recorder.create();
    ASSERT_NE(hwnd, 0u);
    for (UINT i = 0; i < 5; ++i) {
        ASSERT_TRUE(PostMessage(hwnd, WM_USER + i, i, -LPARAM(i)));
    }
    PostQuitMessage(7);
    MSG msg;
    int got;
    while ((got = GetMessage(&msg, 0, 0, 0)) > 0) {
        DispatchMessage(&msg);
    }
    EXPECT_EQ(got, 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
    ASSERT_EQ(recorder.received.size(), 5u);
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(recorder.received[i].message, WM_USER + i);
        EXPECT_EQ(recorder.received[i].wParam, i);
        EXPECT_EQ(recorder.received[i].lParam, -LPARAM(i));
    }
    DestroyWindow(hwnd);
}

struct FilterCase
{
    const char* name;
    int window; // 0: none, 1: first window, 2: second window, -1: thread messages
    UINT min;
    UINT max;
    UINT removeFlags;
    std::vector<UINT> expected; // messages taken by repeated peeks, in order
    size_t leftAfter;           // messages still queued afterwards
};

TEST(Messages, PeekMessageFiltersByWindowAndRange)
{
    // Queue: a:WM_USER, b:WM_USER+1, thread:WM_USER+2, a:WM_USER+3, b:0x10.
    const std::vector<FilterCase> cases = {
        {"everything",
         0,
         0,
         0,
         PM_REMOVE,
         {WM_USER, WM_USER + 1, WM_USER + 2, WM_USER + 3, 0x10},
         0},
        {"first window", 1, 0, 0, PM_REMOVE, {WM_USER, WM_USER + 3}, 3},
        {"second window", 2, 0, 0, PM_REMOVE, {WM_USER + 1, 0x10}, 3},
        {"thread messages", -1, 0, 0, PM_REMOVE, {WM_USER + 2}, 4},
        {"range", 0, WM_USER + 1, WM_USER + 2, PM_REMOVE, {WM_USER + 1, WM_USER + 2}, 3},
        {"window and range", 1, WM_USER + 1, WM_USER + 5, PM_REMOVE, {WM_USER + 3}, 4},
        {"single number", 0, 0x10, 0x10, PM_REMOVE, {0x10}, 4},
        {"nothing in range", 0, 1, 0xF, PM_REMOVE, {}, 5},
        {"no remove", 0, 0, 0, PM_NOREMOVE, {WM_USER}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder ra, rb;
        HWND a = ra.create();
        HWND b = rb.create();
        ASSERT_TRUE(PostMessage(a, WM_USER, 0, 0));
        ASSERT_TRUE(PostMessage(b, WM_USER + 1, 0, 0));
        ASSERT_TRUE(PostMessage(0, WM_USER + 2, 0, 0));
        ASSERT_TRUE(PostMessage(a, WM_USER + 3, 0, 0));
        ASSERT_TRUE(PostMessage(b, 0x10, 0, 0));
        HWND filter = c.window == 1 ? a : c.window == 2 ? b : c.window == -1 ? kThreadMessages : 0;
        std::vector<UINT> taken;
        MSG msg;
        while (taken.size() < 10 && PeekMessage(&msg, filter, c.min, c.max, c.removeFlags)) {
            taken.push_back(msg.message);
            if (c.removeFlags == PM_NOREMOVE) {
                break;
            }
        }
        EXPECT_EQ(taken, c.expected);
        EXPECT_EQ(size_t(drain()), c.leftAfter);
        DestroyWindow(a);
        DestroyWindow(b);
    }
}

TEST(Messages, QuitComesAfterPostedMessagesAndMatchesEveryFilter)
{
    Recorder recorder;
    HWND hwnd = recorder.create();
    PostQuitMessage(3);
    ASSERT_TRUE(PostMessage(hwnd, WM_USER, 0, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, hwnd, WM_USER + 5, WM_USER + 9, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(GetMessage(&msg, 0, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_USER);
    EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
}

TEST(Messages, QueueHoldsAtMostTenThousandMessages)
{
    Recorder ra, rb;
    HWND a = ra.create();
    HWND b = rb.create();
    for (unsigned i = 0; i < kMaxQueuedMessages; ++i) {
        ASSERT_TRUE(PostMessage(i % 2 ? a : b, WM_USER, i, 0)) << i;
    }
    // The limit is the thread's, whichever window the message is for.
    EXPECT_FALSE(PostMessage(a, WM_USER, 0, 0));
    EXPECT_FALSE(PostMessage(b, WM_USER, 0, 0));
    EXPECT_FALSE(PostMessage(0, WM_USER, 0, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_TRUE(PostMessage(a, WM_USER, 99999, 0));
    EXPECT_EQ(unsigned(drain()), kMaxQueuedMessages);
    ASSERT_EQ(ra.received.size() + rb.received.size(), kMaxQueuedMessages);
    EXPECT_EQ(ra.received.back().wParam, 99999u);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(Messages, DestroyedWindowLosesOnlyItsOwnMessages)
{
    Recorder keep, gone;
    HWND kept = keep.create();
    HWND destroyed = gone.create();
    for (UINT i = 0; i < 4; ++i) {
        PostMessage(kept, WM_USER + i, 0, 0);
        PostMessage(destroyed, WM_USER + i, 0, 0);
    }
    ASSERT_TRUE(DestroyWindow(destroyed));
    EXPECT_FALSE(IsWindow(destroyed));
    EXPECT_FALSE(PostMessage(destroyed, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(destroyed, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(destroyed));
    EXPECT_TRUE(PostMessage(kept, WM_USER + 4, 0, 0));
    EXPECT_EQ(drain(), 5);
    EXPECT_TRUE(gone.received.empty());
    ASSERT_EQ(keep.received.size(), 5u);
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(keep.received[i].message, WM_USER + i);
    }
    // A stale handle stays invalid: new windows get new handles.
    for (int i = 0; i < 100; ++i) {
        HWND fresh = createMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); });
        EXPECT_NE(fresh, destroyed);
        EXPECT_NE(fresh, kept);
        DestroyWindow(fresh);
    }
    EXPECT_FALSE(IsWindow(destroyed));
    DestroyWindow(kept);
}

TEST(Messages, BadArgumentsFailCleanly)
{
    Recorder recorder;
    HWND hwnd = recorder.create();
    HWND other = 0;
    std::thread([&] {
        other = createMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); });
    }).join();
    MSG msg{};
    struct Case
    {
        const char* name;
        long long result;
        long long expected;
    };
    const Case cases[] = {
        {"post to handle never made", PostMessage(0x7FFFFFF0, WM_USER, 0, 0), 0},
        {"post to thread filter value", PostMessage(kThreadMessages, WM_USER, 0, 0), 0},
        {"window of an ended thread", IsWindow(other), 0},
        {"post to window of an ended thread", PostMessage(other, WM_USER, 0, 0), 0},
        {"get with null message", GetMessage(nullptr, 0, 0, 0), -1},
        {"get for unknown window", GetMessage(&msg, 0x7FFFFFF0, 0, 0), -1},
        {"peek with null message", PeekMessage(nullptr, 0, 0, 0, PM_REMOVE), 0},
        {"peek for unknown window", PeekMessage(&msg, 0x7FFFFFF0, 0, 0, PM_REMOVE), 0},
        {"dispatch null", DispatchMessage(nullptr), 0},
        {"dispatch to unknown window",
         [&] {
             MSG m{0x7FFFFFF0, WM_USER, 0, 0, 0};
             return DispatchMessage(&m);
         }(),
         0},
        {"destroy unknown window", DestroyWindow(0x7FFFFFF0), 0},
        {"destroy no window", DestroyWindow(0), 0},
        {"send to no window", SendMessage(0, WM_USER, 0, 0), 0},
        {"register null name", RegisterWindowMessage(nullptr), 0},
        {"register empty name", RegisterWindowMessage(""), 0},
        {"window without handler", pwin_CreateMessageWindow(nullptr, nullptr, nullptr), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
    EXPECT_TRUE(recorder.received.empty());
    EXPECT_EQ(drain(), 0);
    DestroyWindow(hwnd);
}

TEST(Messages, WindowIsDestroyedOnlyByItsOwnThread)
{
    Recorder recorder;
    HWND hwnd = recorder.create();
    BOOL destroyedElsewhere = 1;
    std::thread([&] { destroyedElsewhere = DestroyWindow(hwnd); }).join();
    EXPECT_FALSE(destroyedElsewhere);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(DestroyWindow(hwnd));
}

TEST(Messages, RegisteredMessagesAreSharedByNameWithoutCase)
{
    const UINT a = RegisterWindowMessage("HarluneTestMessage");
    const UINT b = RegisterWindowMessage("harlunetestmessage");
    const UINT c = RegisterWindowMessage("HarluneOtherMessage");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    UINT fromThread = 0;
    std::thread([&] { fromThread = RegisterWindowMessage("HARLUNETESTMESSAGE"); }).join();
    EXPECT_EQ(fromThread, a);
}

TEST(Messages, SendMessageCallsTheHandlerDirectlyOnItsThread)
{
    Recorder recorder;
    HWND hwnd = recorder.create();
    PostMessage(hwnd, WM_USER, 0, 0);
    EXPECT_EQ(SendMessage(hwnd, WM_USER + 9, 1, 2), LRESULT(WM_USER + 10));
    ASSERT_EQ(recorder.received.size(), 1u);
    EXPECT_EQ(recorder.received[0].message, WM_USER + 9);
    EXPECT_EQ(drain(), 1);
    DestroyWindow(hwnd);
}

TEST(Messages, SendMessageFromAnotherThreadWaitsForTheOwner)
{
    std::atomic<std::thread::id> handledOn;
    HWND hwnd = createMessageWindow([&](HWND, UINT message, WPARAM w, LPARAM) {
        if (message == WM_USER) {
            handledOn = std::this_thread::get_id();
        }
        return LRESULT(message == WM_USER ? w * 2 : 0);
    });
    std::atomic<LRESULT> result{-1};
    std::thread sender([&] {
        result = SendMessage(hwnd, WM_USER, 21, 0);
        PostMessage(hwnd, WM_USER + 1, 0, 0);
    });
    // The sent message is handled inside GetMessage, which returns with the posted one.
    MSG msg;
    ASSERT_EQ(GetMessage(&msg, 0, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_USER + 1);
    sender.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(handledOn.load(), std::this_thread::get_id());
    DestroyWindow(hwnd);
}

TEST(Messages, ThreadsSendingToEachOtherDoNotDeadlock)
{
    HWND mine = createMessageWindow([](HWND, UINT, WPARAM w, LPARAM) { return LRESULT(w + 1); });
    std::atomic<HWND> theirs{0};
    EventCounter created;
    std::thread other([&] {
        HWND own = createMessageWindow([&](HWND, UINT message, WPARAM w, LPARAM) {
            // Sends back while the first thread still waits for this handler.
            return message == WM_USER ? SendMessage(mine, WM_USER, w * 10, 0) : LRESULT(0);
        });
        theirs = own;
        created.add();
        MSG msg;
        GetMessage(&msg, 0, 0, 0); // returns with the message posted below
        DestroyWindow(own);
    });
    ASSERT_TRUE(created.waitFor(1));
    EXPECT_EQ(SendMessage(theirs, WM_USER, 4, 0), 41);
    PostMessage(theirs, WM_USER + 1, 0, 0);
    other.join();
    DestroyWindow(mine);
}

TEST(Messages, SendMessageToAThreadThatEndsReturnsZero)
{
    std::atomic<HWND> hwnd{0};
    EventCounter created;
    std::thread owner([&] {
        hwnd = createMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT(5); });
        created.add();
        // Ends, without handling it, once a sent message waits.
        pollfd p{queueWaitHandle(), POLLIN, 0};
        ::poll(&p, 1, 10000);
    });
    ASSERT_TRUE(created.waitFor(1));
    const LRESULT result = SendMessage(hwnd, WM_USER, 0, 0);
    owner.join();
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Messages, WaitHandleIsReadableWhileMessagesWait)
{
    Recorder recorder;
    HWND hwnd = recorder.create();
    const int fd = queueWaitHandle();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(fd, queueWaitHandle());
    EXPECT_FALSE(waitHandleReadable(fd));
    std::thread([&] { PostMessage(hwnd, WM_USER, 0, 0); }).join();
    EXPECT_TRUE(waitHandleReadable(fd));
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(waitHandleReadable(fd));
    // A filter that matches nothing leaves the handle readable.
    EXPECT_FALSE(PeekMessage(&msg, 0, 1, 2, PM_REMOVE));
    EXPECT_TRUE(waitHandleReadable(fd));
    EXPECT_EQ(drain(), 1);
    EXPECT_FALSE(waitHandleReadable(fd));
    PostQuitMessage(0);
    EXPECT_TRUE(waitHandleReadable(fd));
    EXPECT_EQ(GetMessage(&msg, 0, 0, 0), 0);
    EXPECT_FALSE(waitHandleReadable(fd));
    DestroyWindow(hwnd);
}

TEST(Messages, NestedLoopsKeepArrivalOrderWithoutLossOrRepeat)
{
    constexpr int kCount = 5000;
    std::vector<int> received;
    int depth = 0;
    int deepest = 0;
    HWND hwnd = createMessageWindow([&](HWND, UINT, WPARAM w, LPARAM) {
        received.push_back(int(w));
        // Every 97th message runs a nested loop (a modal box would) that takes up to 50
        // later messages, nesting again when it meets another 97th.
        if (w % 97 == 0) {
            ++depth;
            deepest = std::max(deepest, depth);
            MSG msg;
            for (int i = 0; i < 50 && PeekMessage(&msg, 0, 0, 0, PM_REMOVE); ++i) {
                DispatchMessage(&msg);
            }
            --depth;
        }
        return LRESULT(0);
    });
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i) {
            while (!PostMessage(hwnd, WM_USER, WPARAM(i), 0)) {
                std::this_thread::yield(); // queue full: the owner is behind
            }
        }
    });
    MSG msg;
    while (received.size() < size_t(kCount) && GetMessage(&msg, 0, 0, 0) > 0) {
        DispatchMessage(&msg);
    }
    worker.join();
    ASSERT_EQ(received.size(), size_t(kCount));
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(received[i], i);
    }
    EXPECT_GE(deepest, 1);
    EXPECT_EQ(drain(), 0);
    DestroyWindow(hwnd);
}

TEST(Messages, HandlerIsReleasedOnlyAfterItsLastCallReturns)
{
    struct State
    {
        int calls = 0;
        bool released = false;
        bool releasedDuringCall = false;
    } state;
    auto proc = [](void* context, HWND hwnd, UINT message, WPARAM, LPARAM) -> LRESULT {
        auto* s = static_cast<State*>(context);
        ++s->calls;
        if (message == WM_USER) {
            PostMessage(hwnd, WM_USER + 1, 0, 0);
            EXPECT_TRUE(DestroyWindow(hwnd));
            s->releasedDuringCall = s->released;
            EXPECT_FALSE(IsWindow(hwnd));
        }
        return 0;
    };
    auto release = [](void* context) { static_cast<State*>(context)->released = true; };
    HWND hwnd = pwin_CreateMessageWindow(proc, &state, release);
    ASSERT_NE(hwnd, 0u);
    SendMessage(hwnd, WM_USER, 0, 0);
    EXPECT_FALSE(state.releasedDuringCall);
    EXPECT_TRUE(state.released);
    EXPECT_EQ(drain(), 0); // the message posted before the destroy went with the window
    EXPECT_EQ(state.calls, 1);
}

TEST(Messages, WindowsEndWithTheirThread)
{
    struct State
    {
        std::atomic<std::thread::id> releasedOn;
    } state;
    std::thread::id ownerId;
    HWND hwnd = 0;
    std::thread owner([&] {
        ownerId = std::this_thread::get_id();
        hwnd = pwin_CreateMessageWindow(
            [](void*, HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; }, &state,
            [](void* s) { static_cast<State*>(s)->releasedOn = std::this_thread::get_id(); });
        PostMessage(hwnd, WM_USER, 0, 0);
    });
    owner.join();
    EXPECT_NE(hwnd, 0u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessage(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(state.releasedOn.load(), ownerId);
}

} // namespace
