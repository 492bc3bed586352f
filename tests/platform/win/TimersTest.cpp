#include "platform/win/Timers.h"

#include "platform/win/ManualClock.h"
#include "tests/platform/win/WaitSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace platform::win;
using namespace std::chrono_literals;
using tests::platform::win::EventCounter;
using tests::platform::win::kWaitLimit;

namespace {

// Every test here runs on a clock it moves itself.
class Timers : public ::testing::Test
{
protected:
    void SetUp() override { setClock(m_clock); }

    void TearDown() override
    {
        ASSERT_TRUE(waitTimersSettled(kWaitLimit));
        setClock(nullptr);
    }

    // Moves the clock and waits until every timer that fell due has run.
    void advance(std::chrono::milliseconds step)
    {
        m_clock->advance(step);
        ASSERT_TRUE(waitTimersSettled(kWaitLimit));
    }

    std::shared_ptr<ManualClock> m_clock = std::make_shared<ManualClock>(5s);
};

struct Fired
{
    std::mutex mutex;
    std::vector<std::pair<UINT, DWORD_PTR>> calls;
    EventCounter counter;

    static void callback(UINT id, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
    {
        auto* self = reinterpret_cast<Fired*>(user);
        EXPECT_EQ(message, 0u);
        {
            std::lock_guard lock(self->mutex);
            self->calls.emplace_back(id, user);
        }
        self->counter.add();
    }
};

TEST_F(Timers, OneShotFiresOnceAtItsDeadline)
{
    Fired fired;
    const UINT id = timeSetEvent(1000, 1000, Fired::callback, DWORD_PTR(&fired), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    advance(999ms);
    EXPECT_EQ(fired.counter.count(), 0);
    advance(1ms);
    ASSERT_EQ(fired.counter.count(), 1);
    EXPECT_EQ(fired.calls[0].first, id);
    EXPECT_EQ(fired.calls[0].second, DWORD_PTR(&fired));
    advance(5000ms);
    EXPECT_EQ(fired.counter.count(), 1);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM); // a finished one-shot is gone
}

TEST_F(Timers, PeriodicFiresOncePerPeriodEvenWhenTheClockJumps)
{
    Fired fired;
    const UINT id = timeSetEvent(10, 1, Fired::callback, DWORD_PTR(&fired), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    advance(1000ms);
    EXPECT_EQ(fired.counter.count(), 100);
    advance(5ms);
    EXPECT_EQ(fired.counter.count(), 100);
    advance(5ms);
    EXPECT_EQ(fired.counter.count(), 101);
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    advance(1000ms);
    EXPECT_EQ(fired.counter.count(), 101);
}

TEST_F(Timers, TimersFireInDeadlineOrder)
{
    std::vector<int> order;
    std::mutex mutex;
    struct Context
    {
        std::vector<int>* order;
        std::mutex* mutex;
        int value;
    };
    auto callback = [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        auto* c = reinterpret_cast<Context*>(user);
        std::lock_guard lock(*c->mutex);
        c->order->push_back(c->value);
    };
    Context contexts[] = {{&order, &mutex, 30}, {&order, &mutex, 10}, {&order, &mutex, 20}};
    for (auto& c : contexts) {
        ASSERT_NE(timeSetEvent(UINT(c.value), 1, callback, DWORD_PTR(&c), TIME_ONESHOT), 0u);
    }
    advance(100ms);
    EXPECT_EQ(order, (std::vector<int>{10, 20, 30}));
}

TEST_F(Timers, KilledTimerNeverFires)
{
    Fired fired;
    const UINT id = timeSetEvent(100, 1, Fired::callback, DWORD_PTR(&fired), TIME_ONESHOT);
    advance(50ms);
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
    advance(1000ms);
    EXPECT_EQ(fired.counter.count(), 0);
}

TEST_F(Timers, BadArgumentsAreRefused)
{
    Fired fired;
    const DWORD_PTR user = DWORD_PTR(&fired);
    struct Case
    {
        const char* name;
        UINT delay;
        LPTIMECALLBACK callback;
        UINT kind;
    };
    const Case cases[] = {
        {"no callback", 10, nullptr, TIME_ONESHOT},
        {"zero delay", 0, Fired::callback, TIME_ONESHOT},
        {"delay above the maximum", PWIN_TIMER_PERIOD_MAX + 1, Fired::callback, TIME_PERIODIC},
        {"event callbacks", 10, Fired::callback, 0x0010},
        {"unknown kind bits", 10, Fired::callback, 0x8000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(timeSetEvent(c.delay, 1, c.callback, user, c.kind), 0u);
    }
    EXPECT_EQ(timeKillEvent(0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(timeKillEvent(0xFFFFFFF0u), MMSYSERR_INVALPARAM);
    advance(2000ms);
    EXPECT_EQ(fired.counter.count(), 0);
}

TEST_F(Timers, DevCapsAndPeriods)
{
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_GE(caps.wPeriodMax, 1000u);
    EXPECT_EQ(timeGetDevCaps(nullptr, sizeof caps), TIMERR_NOCANDO);
    EXPECT_EQ(timeGetDevCaps(&caps, 1), TIMERR_NOCANDO);
    struct Case
    {
        const char* name;
        MMRESULT result;
        MMRESULT expected;
    };
    const Case cases[] = {
        {"begin 1", timeBeginPeriod(1), TIMERR_NOERROR},
        {"begin 1 again", timeBeginPeriod(1), TIMERR_NOERROR},
        {"begin 0", timeBeginPeriod(0), TIMERR_NOCANDO},
        {"begin above max", timeBeginPeriod(caps.wPeriodMax + 1), TIMERR_NOCANDO},
        {"end 5 never begun", timeEndPeriod(5), TIMERR_NOCANDO},
        {"end 1", timeEndPeriod(1), TIMERR_NOERROR},
        {"end 1 again", timeEndPeriod(1), TIMERR_NOERROR},
        {"end 1 once too often", timeEndPeriod(1), TIMERR_NOCANDO},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
}

TEST_F(Timers, TickCountsFollowTheClockAndWrapAt32Bits)
{
    auto clock = std::make_shared<ManualClock>(std::chrono::milliseconds(0xFFFFFFFFull - 4));
    setClock(clock);
    const DWORD before = GetTickCount();
    EXPECT_EQ(before, 0xFFFFFFFFu - 4);
    EXPECT_EQ(timeGetTime(), before);
    clock->advance(10ms);
    EXPECT_EQ(GetTickCount(), 5u);
    EXPECT_EQ(DWORD(GetTickCount() - before), 10u); // differences survive the wrap
    setClock(m_clock);
}

TEST_F(Timers, SleepWaitsForTheClockOrAdvancesIt)
{
    std::atomic<DWORD> slept{0};
    std::atomic<bool> woke{false};
    std::thread sleeper([&] {
        const DWORD before = GetTickCount();
        Sleep(1000);
        slept = GetTickCount() - before;
        woke = true;
    });
    // The clock moves in 1 ms steps until the sleeper wakes, which must not be before
    // 1000 ms of clock time have passed.
    const auto limit = std::chrono::steady_clock::now() + kWaitLimit;
    while (!woke && std::chrono::steady_clock::now() < limit) {
        m_clock->advance(1ms);
        std::this_thread::yield();
    }
    sleeper.join();
    EXPECT_TRUE(woke);
    EXPECT_GE(slept, 1000u);
    const DWORD start = GetTickCount();
    m_clock->setAutoAdvance(true);
    Sleep(250);
    EXPECT_EQ(GetTickCount() - start, 250u);
    sleepFor(1s);
    EXPECT_EQ(GetTickCount() - start, 1250u);
}

// A watchdog as the driver arms one: a one-shot 1000 ms timer while the caller waits in
// 1 ms sleeps for it. On an auto-advancing clock this takes no real second. The sleeps pass
// the deadline at once, but the timer thread runs the callback only once it is scheduled:
// the caller waits for the callback itself, bounded in real time, not a count of steps.
TEST_F(Timers, WatchdogExpiresWhileCallerSleepsInSteps)
{
    m_clock->setAutoAdvance(true);
    std::atomic<bool> expired{false};
    auto callback = [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        reinterpret_cast<std::atomic<bool>*>(user)->store(true);
    };
    const DWORD start = GetTickCount();
    ASSERT_NE(timeSetEvent(1000, 1000, callback, DWORD_PTR(&expired), TIME_ONESHOT), 0u);
    const auto bound = std::chrono::steady_clock::now() + kWaitLimit;
    while (!expired && std::chrono::steady_clock::now() < bound) {
        Sleep(1);
        std::this_thread::yield();
    }
    EXPECT_TRUE(expired);
    EXPECT_GE(GetTickCount() - start, 1000u);
}

TEST_F(Timers, CallbackMayKillItselfAndOthersWithoutWaiting)
{
    struct Context
    {
        std::atomic<UINT> self{0};
        std::atomic<UINT> other{0};
        std::atomic<int> selfCalls{0};
        std::atomic<int> otherCalls{0};
        EventCounter killed;
    } context;
    auto selfCallback = [](UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        auto* c = reinterpret_cast<Context*>(user);
        if (++c->selfCalls == 3) {
            EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
            EXPECT_EQ(timeKillEvent(c->other), TIMERR_NOERROR);
            c->killed.add();
        }
    };
    auto otherCallback = [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        ++reinterpret_cast<Context*>(user)->otherCalls;
    };
    context.other = timeSetEvent(35, 1, otherCallback, DWORD_PTR(&context), TIME_PERIODIC);
    context.self = timeSetEvent(10, 1, selfCallback, DWORD_PTR(&context), TIME_PERIODIC);
    advance(100ms);
    EXPECT_TRUE(context.killed.waitFor(1));
    EXPECT_EQ(context.selfCalls, 3);
    EXPECT_EQ(context.otherCalls, 0);
    advance(1000ms);
    EXPECT_EQ(context.selfCalls, 3);
    EXPECT_EQ(context.otherCalls, 0);
}

TEST_F(Timers, KillFromAnotherThreadWaitsForTheRunningCallback)
{
    struct Context
    {
        EventCounter entered;
        std::mutex mutex;
        std::condition_variable cv;
        bool release = false;
        std::atomic<bool> finished{false};
    } context;
    auto callback = [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        auto* c = reinterpret_cast<Context*>(user);
        c->entered.add();
        std::unique_lock lock(c->mutex);
        c->cv.wait(lock, [&] { return c->release; });
        c->finished = true;
    };
    const UINT id = timeSetEvent(10, 1, callback, DWORD_PTR(&context), TIME_PERIODIC);
    m_clock->advance(10ms);
    ASSERT_TRUE(context.entered.waitFor(1));
    std::atomic<bool> finishedWhenKillReturned{false};
    std::thread killer([&] {
        EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
        finishedWhenKillReturned = context.finished.load();
    });
    {
        std::lock_guard lock(context.mutex);
        context.release = true;
    }
    context.cv.notify_all();
    killer.join();
    EXPECT_TRUE(finishedWhenKillReturned);
    advance(1000ms);
    EXPECT_EQ(context.entered.count(), 1);
}

TEST_F(Timers, ThrowingCallbackDoesNotStopTheTimerThread)
{
    auto throwing = [](UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
        throw std::runtime_error("callback failed");
    };
    Fired fired;
    ASSERT_NE(timeSetEvent(10, 1, throwing, 0, TIME_ONESHOT), 0u);
    ASSERT_NE(timeSetEvent(20, 1, Fired::callback, DWORD_PTR(&fired), TIME_PERIODIC), 0u);
    advance(100ms);
    EXPECT_EQ(fired.counter.count(), 5);
    EXPECT_EQ(timeKillEvent(fired.calls[0].first), TIMERR_NOERROR);
}

// On the real clock, with a callback every millisecond: once timeKillEvent returns, the
// callback must not start again, however the kill meets the timer thread.
TEST(TimersOnSystemClock, NoCallbackStartsAfterKillReturns)
{
    struct Context
    {
        std::atomic<bool> killed{false};
        std::atomic<int> lateStarts{0};
        EventCounter calls;
    };
    auto callback = [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        auto* c = reinterpret_cast<Context*>(user);
        if (c->killed) {
            ++c->lateStarts;
        }
        c->calls.add();
    };
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        Context context;
        const UINT id = timeSetEvent(1, 1, callback, DWORD_PTR(&context), TIME_PERIODIC);
        ASSERT_NE(id, 0u);
        ASSERT_TRUE(context.calls.waitFor(round % 4 + 1));
        ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
        context.killed = true;
        ASSERT_TRUE(waitTimersSettled(kWaitLimit));
        EXPECT_EQ(context.lateStarts, 0);
    }
}

// Window timers post WM_TIMER through the queue, one waiting message at most per timer.
TEST_F(Timers, WindowTimerPostsOneWaitingMessage)
{
    std::vector<WPARAM> ticks;
    HWND hwnd = createMessageWindow([&](HWND, UINT message, WPARAM w, LPARAM l) {
        EXPECT_EQ(message, WM_TIMER);
        EXPECT_EQ(l, 0);
        ticks.push_back(w);
        return LRESULT(0);
    });
    auto drain = [] {
        MSG msg;
        int n = 0;
        while (PeekMessage(&msg, 0, 0, 0, PM_REMOVE)) {
            DispatchMessage(&msg);
            ++n;
        }
        return n;
    };
    ASSERT_EQ(SetTimer(hwnd, 7, 100), 7u);
    ASSERT_EQ(SetTimer(hwnd, 8, 250), 8u);
    advance(99ms);
    EXPECT_EQ(drain(), 0);
    advance(1ms);
    EXPECT_EQ(drain(), 1);
    advance(350ms); // timer 7 falls due three times, timer 8 once
    EXPECT_EQ(drain(), 2);
    EXPECT_EQ(ticks, (std::vector<WPARAM>{7, 7, 8}));
    advance(100ms);
    // Killing drops the waiting WM_TIMER.
    EXPECT_TRUE(KillTimer(hwnd, 7));
    EXPECT_FALSE(KillTimer(hwnd, 7));
    advance(1000ms);
    ticks.clear();
    EXPECT_EQ(drain(), 1);
    EXPECT_EQ(ticks, (std::vector<WPARAM>{8}));
    // Restarting resets the interval.
    ASSERT_EQ(SetTimer(hwnd, 8, 1000), 8u);
    advance(999ms);
    EXPECT_EQ(drain(), 0);
    advance(1ms);
    EXPECT_EQ(drain(), 1);
    // Destroying the window ends its timers.
    advance(500ms);
    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(KillTimer(hwnd, 8));
    advance(5000ms);
    EXPECT_EQ(drain(), 0);
}

TEST_F(Timers, WindowTimerBadArguments)
{
    HWND hwnd = createMessageWindow([](HWND, UINT, WPARAM, LPARAM) { return LRESULT(0); });
    EXPECT_EQ(SetTimer(0, 1, 100), 0u);
    EXPECT_EQ(SetTimer(0x7FFFFFF0, 1, 100), 0u);
    EXPECT_EQ(SetTimer(hwnd, 0, 100), 0u);
    EXPECT_FALSE(KillTimer(hwnd, 1));
    EXPECT_FALSE(KillTimer(0, 1));
    // An interval below the minimum is raised to it.
    ASSERT_EQ(SetTimer(hwnd, 1, 0), 1u);
    advance(9ms);
    MSG msg;
    EXPECT_FALSE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
    advance(1ms);
    EXPECT_TRUE(PeekMessage(&msg, 0, 0, 0, PM_REMOVE));
    DestroyWindow(hwnd);
}

TEST_F(Timers, PendingTimersKeepTheirRemainingTimeWhenTheClockChanges)
{
    Fired fired;
    ASSERT_NE(timeSetEvent(300, 1, Fired::callback, DWORD_PTR(&fired), TIME_ONESHOT), 0u);
    advance(100ms);
    auto other = std::make_shared<ManualClock>(1000h);
    setClock(other);
    other->advance(199ms);
    ASSERT_TRUE(waitTimersSettled(kWaitLimit));
    EXPECT_EQ(fired.counter.count(), 0);
    other->advance(1ms);
    ASSERT_TRUE(waitTimersSettled(kWaitLimit));
    EXPECT_EQ(fired.counter.count(), 1);
    setClock(m_clock);
}

// A one-shot timer whose callback is running while the clock is swapped must not come back
// from the swap as a pending deadline without a timer behind it.
TEST_F(Timers, ClockSwappedDuringAOneShotCallbackLeavesNoStaleDeadline)
{
    struct Blocking
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool entered = false;
        bool release = false;

        static void callback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR)
        {
            auto* self = reinterpret_cast<Blocking*>(user);
            std::unique_lock lock(self->mutex);
            self->entered = true;
            self->changed.notify_all();
            self->changed.wait_for(lock, kWaitLimit, [&] { return self->release; });
        }
    } blocking;
    ASSERT_NE(timeSetEvent(10, 1, Blocking::callback, DWORD_PTR(&blocking), TIME_ONESHOT), 0u);
    m_clock->advance(10ms);
    {
        std::unique_lock lock(blocking.mutex);
        ASSERT_TRUE(blocking.changed.wait_for(lock, kWaitLimit, [&] { return blocking.entered; }));
    }
    auto other = std::make_shared<ManualClock>(1000h);
    setClock(other);
    {
        std::lock_guard lock(blocking.mutex);
        blocking.release = true;
    }
    blocking.changed.notify_all();
    ASSERT_TRUE(waitTimersSettled(kWaitLimit));

    // The timer thread is still alive and serves a new timer.
    Fired fired;
    ASSERT_NE(timeSetEvent(5, 1, Fired::callback, DWORD_PTR(&fired), TIME_ONESHOT), 0u);
    other->advance(5ms);
    ASSERT_TRUE(waitTimersSettled(kWaitLimit));
    EXPECT_EQ(fired.counter.count(), 1);
    setClock(m_clock);
}

} // namespace
