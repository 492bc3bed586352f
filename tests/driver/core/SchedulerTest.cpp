#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/NoHardwareOperationSet.h"
#include "driver/core/Sequencer.h"
#include "platform/win/ManualClock.h"
#include "platform/win/c/pwin.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace driver::core::test {
namespace {

// A test operation set: records each channel start as (key, channel), and either finishes
// the channel at once (like the USB sets) or leaves it pending (like the board sets,
// arming the watchdog).
struct TestSet
{
    static inline std::mutex mutex;
    static inline std::vector<std::pair<std::uint32_t, int>> starts;
    static inline std::atomic<int> endOfScans{0};
    static inline std::atomic<int> timingApplied{0};
    static inline bool pending = false;

    static void reset(bool pendingChannels)
    {
        std::lock_guard lock(mutex);
        starts.clear();
        endOfScans = 0;
        timingApplied = 0;
        pending = pendingChannels;
    }

    static std::vector<std::pair<std::uint32_t, int>> startsSoFar()
    {
        std::lock_guard lock(mutex);
        return starts;
    }

    static ChannelStart startChannel(RegistrationRecord* record)
    {
        DriverState& state = driverState();
        bool isPending = false;
        {
            std::lock_guard stateLock(state.mutex);
            std::lock_guard lock(mutex);
            starts.emplace_back(record->instanceKey, state.currentChannel);
            state.acquisitionStatus = kStatusAcquiring;
            isPending = pending;
        }
        if (isPending) {
            armWatchdog(1000);
            return ChannelStart::Pending;
        }
        return ChannelStart::Advance;
    }

    static void endOfScan(RegistrationRecord* record)
    {
        ++endOfScans;
        EndOfScanIstrel(record);
    }

    static int16_t resetAndApplyTiming(RegistrationRecord* record)
    {
        ++timingApplied;
        return GenericResetAndApplyTiming(record);
    }

    // Installs the set in the running state.
    static void install(bool pendingChannels, bool synthetic = false)
    {
        reset(pendingChannels);
        OperationSet set = NoHardwareOperationSet();
        set.name = "TestSet";
        if (!synthetic)
            set.StartChannel = startChannel;
        set.EndOfScan = endOfScan;
        set.ResetAndApplyTiming = resetAndApplyTiming;
        std::lock_guard lock(driverState().mutex);
        driverState().ops = set;
    }
};

// The data of a pending channel arrives (what an interrupt handler does).
void deliverChannel()
{
    killWatchdog();
    {
        std::lock_guard lock(driverState().mutex);
        driverState().acquisitionStatus = kStatusChannelDone;
    }
    runSequencer();
}

bool idle()
{
    std::lock_guard lock(driverState().mutex);
    return !driverState().sequencerRunning && driverState().currentChannel == -1;
}

std::unique_ptr<TestClient> registered(std::uint32_t key, std::initializer_list<int> channels,
                                       int scans = 1)
{
    auto client = std::make_unique<TestClient>(key, key + 100, channels);
    client->record.scansToAverage = static_cast<int16_t>(scans);
    EXPECT_EQ(VYK_Register(&client->record), 0);
    EXPECT_EQ(VYK_ParamSet(&client->record), 0);
    return client;
}

TEST(SchedulerTest, ScansToAverageRepeatEveryEnabledChannelInOrder)
{
    auto fake = startFakeDriver();
    TestSet::install(false);
    auto client = registered(42, {0, 2}, 3);
    EXPECT_EQ(VYK_SingleScan(42), 0);
    const std::vector<std::pair<std::uint32_t, int>> expected{{42, 0}, {42, 2}, {42, 0},
                                                              {42, 2}, {42, 0}, {42, 2}};
    EXPECT_EQ(TestSet::startsSoFar(), expected);
    EXPECT_EQ(TestSet::endOfScans, 1);
    const auto full = fake->postedOf(VYK_MSG_BUFFER_FULL);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[0].wParam, 0u);
    EXPECT_EQ(full[1].wParam, 2u);
    EXPECT_TRUE(idle());
}

TEST(SchedulerTest, QueuedClientsAreServedRoundRobin)
{
    auto fake = startFakeDriver();
    TestSet::install(true);
    auto a = registered(10, {0});
    auto b = registered(11, {1});
    auto c = registered(12, {2});
    auto d = registered(13, {3});

    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(VYK_SingleScan(10), 3);     // its own scan runs
    EXPECT_EQ(VYK_SingleScan(12), 0);     // queued
    EXPECT_EQ(VYK_SingleScan(11), 0);     // queued
    EXPECT_EQ(VYK_ContinuousScan(13), 3); // a single scan is queued
    EXPECT_EQ(VYK_SingleScan(999), 6);    // unknown key
    for (int i = 0; i < 3; ++i)
        deliverChannel();
    const std::vector<std::pair<std::uint32_t, int>> expected{{10, 0}, {11, 1}, {12, 2}};
    EXPECT_EQ(TestSet::startsSoFar(), expected);
    EXPECT_TRUE(idle());
    EXPECT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 3u);
}

TEST(SchedulerTest, RoundRobinStartsAfterTheFinishedRecordAndWraps)
{
    auto fake = startFakeDriver();
    TestSet::install(true);
    auto a = registered(10, {0});
    auto b = registered(11, {1});
    auto c = registered(12, {2});
    EXPECT_EQ(VYK_SingleScan(11), 0);
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(VYK_SingleScan(12), 0);
    {
        // Both queue bits: served as a single scan.
        std::lock_guard lock(driverState().mutex);
        driverState().table.find(12)->flags |= VYK_FLAG_CONTINUOUS_QUEUED;
    }
    for (int i = 0; i < 3; ++i)
        deliverChannel();
    const std::vector<std::pair<std::uint32_t, int>> expected{{11, 1}, {12, 2}, {10, 0}};
    EXPECT_EQ(TestSet::startsSoFar(), expected);
    EXPECT_TRUE(idle());
}

TEST(SchedulerTest, ContinuousScanRepeatsUntilStopped)
{
    auto fake = startFakeDriver();
    TestSet::install(true);
    auto a = registered(10, {0, 1});
    auto b = registered(11, {0});
    EXPECT_EQ(VYK_ContinuousScan(10), 0);
    EXPECT_EQ(VYK_SingleScan(11), 3); // the current record scans continuously
    for (int i = 0; i < 6; ++i)
        deliverChannel();
    EXPECT_EQ(TestSet::endOfScans, 3);
    EXPECT_EQ(VYK_Stop(10), 0);
    deliverChannel();
    deliverChannel();
    EXPECT_EQ(TestSet::endOfScans, 4);
    EXPECT_TRUE(idle());
    EXPECT_EQ(VYK_SingleScan(11), 0);
}

TEST(SchedulerTest, TimingIsAppliedOnlyWhenItChanged)
{
    auto fake = startFakeDriver();
    TestSet::install(false);
    auto a = registered(10, {0});
    auto b = registered(11, {0});
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(TestSet::timingApplied, 1);
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(TestSet::timingApplied, 1);
    EXPECT_EQ(VYK_SingleScan(11), 0); // dirty after its ParamSet
    EXPECT_EQ(TestSet::timingApplied, 2);
    EXPECT_EQ(VYK_SingleScan(10), 0); // same integration and boxcar as the last applied
    EXPECT_EQ(TestSet::timingApplied, 2);
    a->record.integration = 20;
    ASSERT_EQ(VYK_ParamSet(&a->record), 0);
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(TestSet::timingApplied, 3);
}

TEST(SchedulerTest, ScanBeforeStartUpCompleteShowsTheMessage)
{
    auto fake = std::make_shared<FakeDriverPlatform>();
    detachDriver();
    setDriverPlatform(fake);
    attachDriver();
    TestClient client(42, 7, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    EXPECT_EQ(VYK_SingleScan(42), 8);
    EXPECT_EQ(fake->dialogs(), 2); // ParamSet and the message, both while not configured
    const auto boxes = fake->boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Initialization incomplete:\rISR not installed\rExecution not permitted.");
    EXPECT_EQ(boxes[0].caption, "VYKDrv Warning");
    EXPECT_EQ(fake->beeps(), 1);
}

TEST(SchedulerTest, UnopenedUsbDeviceStatusIsReturned)
{
    auto fake = startFakeDriver();
    TestSet::install(false);
    auto a = registered(10, {0});
    {
        std::lock_guard lock(driverState().mutex);
        driverState().table.find(10)->status = 11;
    }
    EXPECT_EQ(VYK_SingleScan(10), 11);
    EXPECT_TRUE(TestSet::startsSoFar().empty());
    EXPECT_TRUE(idle());
}

TEST(WatchdogTest, RestartsOnceThenGivesUpAndTheNextScanWorks)
{
    auto fake = startFakeDriver();
    TestSet::install(true);
    auto a = registered(10, {0, 1});
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        fake->clearPosts();
        TestSet::reset(true);
        EXPECT_EQ(VYK_SingleScan(10), 0);
        EXPECT_EQ(fake->lastTimerDelay(), 1000u);
        EXPECT_EQ(fake->fireTimers(), 1); // first expiry: restart the channel
        EXPECT_EQ(TestSet::startsSoFar().size(), 2u);
        EXPECT_TRUE(fake->postedOf(VYK_MSG_TIMEOUT).empty());
        EXPECT_EQ(fake->fireTimers(), 1); // second expiry: give up
        const auto timeouts = fake->postedOf(VYK_MSG_TIMEOUT);
        ASSERT_EQ(timeouts.size(), 1u);
        EXPECT_EQ(timeouts[0].wParam, 0u);
        EXPECT_EQ(timeouts[0].window, 110u);
        EXPECT_TRUE(idle());
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().acquisitionStatus, kStatusTimedOut);
        EXPECT_EQ(fake->pendingTimers(), 0u);
    }
}

TEST(WatchdogTest, AnExpiryAfterTheChannelMovedOnDoesNothing)
{
    auto fake = startFakeDriver();
    TestSet::install(true);
    auto a = registered(10, {0, 1});
    EXPECT_EQ(VYK_SingleScan(10), 0);
    std::uint32_t id = 0;
    std::uintptr_t user = 0;
    ASSERT_TRUE(fake->takeTimer(id, user));
    deliverChannel();                       // channel 0 arrives; channel 1 starts
    ScanTimeoutCallback(id, 0, user, 0, 0); // the stale expiry of channel 0
    EXPECT_EQ(TestSet::startsSoFar().size(), 2u);
    deliverChannel();
    ScanTimeoutCallback(id, 0, user, 0, 0); // after the scan ended
    EXPECT_TRUE(fake->postedOf(VYK_MSG_TIMEOUT).empty());
    EXPECT_TRUE(idle());
    EXPECT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 2u);
}

TEST(WatchdogTest, WithoutTimersNoWatchdogIsArmed)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE, false);
    TestSet::install(true);
    auto a = registered(10, {0});
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(fake->pendingTimers(), 0u);
    // VYK_Stop's wait for the stuck channel is bounded.
    EXPECT_EQ(VYK_Stop(10), 0);
    deliverChannel();
    EXPECT_TRUE(idle());
}

TEST(WatchdogTest, ExpiriesRacingDeliveriesStayConsistent)
{
    auto fake = startFakeDriver();
    TestSet::install(true);
    auto a = registered(10, {0, 1, 2});
    EXPECT_EQ(VYK_ContinuousScan(10), 0);
    std::atomic<bool> done{false};
    std::thread timerThread([&] {
        while (!done)
            fake->fireTimers();
    });
    for (int i = 0; i < 2000; ++i) {
        if (idle())
            EXPECT_EQ(VYK_ContinuousScan(10), 0);
        else
            deliverChannel();
    }
    done = true;
    timerThread.join();
    VYK_Stop(10);
    while (!idle())
        deliverChannel();
    EXPECT_TRUE(idle());
}

// The synthetic channel: released records and failing scans leave the scheduler usable.

TEST(NoHardwareTest, SyntheticValuesForEachEnabledChannel)
{
    for (int type : {VYK_SPEC_ISTREL, VYK_SPEC_WESSOR}) {
        SCOPED_TRACE(type);
        auto fake = startFakeDriver(type, VYK_ADC_NONE);
        auto a = registered(10, {0, 5});
        EXPECT_EQ(VYK_SingleScan(10), 0);
        const auto full = fake->postedOf(VYK_MSG_BUFFER_FULL);
        ASSERT_EQ(full.size(), 2u);
        const int pixels = type == VYK_SPEC_WESSOR ? 512 : 2048;
        for (int channel : {0, 5}) {
            const auto& b = a->buffers[static_cast<std::size_t>(channel)];
            EXPECT_EQ(b[0], 0.0f);
            for (int i = 1; i < pixels; ++i) {
                const float slope = type == VYK_SPEC_WESSOR ? 50.0f : 1.0f;
                const float noise = type == VYK_SPEC_WESSOR ? 1000.0f : 50.0f;
                ASSERT_GE(b[static_cast<std::size_t>(i)], slope * static_cast<float>(i));
                ASSERT_LE(b[static_cast<std::size_t>(i)], slope * static_cast<float>(i) + noise);
            }
        }
    }
}

TEST(NoHardwareTest, ReleasedDuringTheScanAdvancesOnceAndEndsQuietly)
{
    auto fake = startFakeDriver();
    TestSet::install(false, true);
    auto a = registered(10, {0, 1}, 2);
    auto b = registered(11, {0});
    // The first wait of the scan pumps this message; its handler releases the record and
    // asks for the other client's scan.
    fake->onDispatch = [](const PostedMessage& message) {
        if (message.message == 0x999) {
            VYK_UnRegister(10);
            VYK_SingleScan(11);
        }
    };
    fake->postMessage(110, 0x999, 0, 0);
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(TestSet::endOfScans, 2); // the released scan once, then the queued one
    EXPECT_TRUE(fake->postedOf(0x12 /* WM_QUIT */).empty());
    const auto full = fake->postedOf(VYK_MSG_BUFFER_FULL);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].window, 111u);
    EXPECT_TRUE(idle());
    std::lock_guard lock(driverState().mutex);
    EXPECT_FALSE(driverState().workerScanBusy);
    EXPECT_FALSE(driverState().doScanBusy);
}

TEST(NoHardwareTest, ReleasedAndRegisteredAgainUnderAnotherKeyEndsQuietly)
{
    auto fake = startFakeDriver();
    TestSet::install(false, true);
    auto a = registered(10, {0, 1}, 2);
    std::unique_ptr<TestClient> b;
    // The first wait of the scan pumps this message; its handler releases the record and
    // registers another client at once, which may not take over the scan in progress.
    fake->onDispatch = [&b](const PostedMessage& message) {
        if (message.message == 0x999) {
            VYK_UnRegister(10);
            b = std::make_unique<TestClient>(12, 112, std::initializer_list<int>{0});
            VYK_Register(&b->record);
        }
    };
    fake->postMessage(110, 0x999, 0, 0);
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_TRUE(fake->postedOf(VYK_MSG_BUFFER_FULL).empty());
    EXPECT_TRUE(idle());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->buffers[0][100], 0.0f);
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_EQ(driverState().table.find(10), nullptr);
    }
    // The new client scans normally afterwards.
    ASSERT_EQ(VYK_ParamSet(&b->record), 0);
    EXPECT_EQ(VYK_SingleScan(12), 0);
    const auto full = fake->postedOf(VYK_MSG_BUFFER_FULL);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].window, 112u);
    EXPECT_GT(b->buffers[0][100], 0.0f);
}

TEST(NoHardwareTest, BufferLostDuringTheScanFailsItAndLaterScansWork)
{
    auto fake = startFakeDriver();
    TestSet::install(false);
    auto a = registered(10, {0, 1});
    {
        std::lock_guard lock(driverState().mutex);
        driverState().table.find(10)->channelBuffers[1] = nullptr;
        driverState().workerScanBusy = true;
    }
    EXPECT_EQ(VYK_SingleScan(10), 0);
    const auto timeouts = fake->postedOf(VYK_MSG_TIMEOUT);
    ASSERT_EQ(timeouts.size(), 1u);
    EXPECT_EQ(timeouts[0].wParam, 1u);
    EXPECT_TRUE(fake->postedOf(VYK_MSG_BUFFER_FULL).empty());
    EXPECT_TRUE(idle());
    {
        std::lock_guard lock(driverState().mutex);
        EXPECT_FALSE(driverState().workerScanBusy);
    }
    ASSERT_EQ(VYK_ParamSet(&a->record), 0);
    EXPECT_EQ(VYK_SingleScan(10), 0);
    EXPECT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 2u);
}

TEST(NoHardwareTest, ContinuousScanningRunsInFlatStack)
{
    auto fake = startFakeDriver();
    auto a = registered(10, {0});
    a->record.integration = 1;
    ASSERT_EQ(VYK_ParamSet(&a->record), 0);
    constexpr int kScans = 10000;
    int scans = 0;
    std::uintptr_t lowest = UINTPTR_MAX;
    std::uintptr_t highest = 0;
    fake->onDispatch = [&](const PostedMessage& message) {
        if (message.message != VYK_MSG_BUFFER_FULL)
            return;
        int local = 0;
        const auto at = reinterpret_cast<std::uintptr_t>(&local);
        lowest = std::min(lowest, at);
        highest = std::max(highest, at);
        VYK_BufferEmpty(10, 0);
        if (++scans == kScans)
            VYK_Stop(10);
    };
    EXPECT_EQ(VYK_ContinuousScan(10), 0);
    EXPECT_EQ(scans, kScans);
    EXPECT_LT(highest - lowest, 256u);
    EXPECT_TRUE(idle());
}

} // namespace
} // namespace driver::core::test

namespace driver::core::test {
namespace {

struct BadInputCase
{
    const char* name;
    int16_t scansToAverage;
    int16_t boxcarHalfWidth;
    uint16_t integration;
    int16_t correctForDark;
};

TEST(BadInputTest, ExtremeCountsFromAClientScanWithoutHarm)
{
    const BadInputCase cases[] = {
        {"NegativeScans", -32768, 0, 1, 0},  {"HugeBoxcar", 1, 32767, 1, 1},
        {"NegativeBoxcar", 1, -32768, 1, 1}, {"LargestIntegration", 1, 3, 65535, 0},
        {"ManyScans", 200, 1023, 1, 1},
    };
    for (const BadInputCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto fake = startFakeDriver();
        TestClient client(42, 7, {0, 7});
        client.record.scansToAverage = c.scansToAverage;
        client.record.boxcarHalfWidth = c.boxcarHalfWidth;
        client.record.integration = c.integration;
        client.record.correctForDark = c.correctForDark;
        ASSERT_EQ(VYK_Register(&client.record), 0);
        ASSERT_EQ(VYK_ParamSet(&client.record), 0);
        EXPECT_EQ(VYK_SingleScan(42), 0);
        EXPECT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 2u);
        EXPECT_TRUE(idle());
        for (float value : client.buffers[7])
            ASSERT_TRUE(std::isfinite(value));
    }
}

TEST(BadInputTest, UnknownKeysAndKeyZeroWhenIdle)
{
    auto fake = startFakeDriver();
    auto client = registered(42, {0});
    EXPECT_EQ(VYK_SingleScan(0), 6);      // no current record yet
    EXPECT_EQ(VYK_ContinuousScan(77), 6); // unknown key
    EXPECT_EQ(VYK_Stop(77), 0);
    EXPECT_EQ(VYK_BufferEmpty(0, 3), 0);
    EXPECT_EQ(VYK_UnRegister(0), nullptr);
    EXPECT_EQ(VYK_EnableMultichannelSpectra(65535), 0);
    VYK_DisableMultichannelSpectra();
    EXPECT_TRUE(idle());
}

} // namespace
} // namespace driver::core::test

namespace driver::core::test {
namespace {

struct WindowLog
{
    std::vector<PostedMessage> messages;
};

PWIN_LRESULT logMessage(void* context, PWIN_HWND window, PWIN_UINT message, PWIN_WPARAM wParam,
                        PWIN_LPARAM lParam)
{
    static_cast<WindowLog*>(context)->messages.push_back({window, message, wParam, lParam});
    return 0;
}

// Waits, bounded, until the calling thread's queue has a message, then dispatches all.
bool pumpUntil(WindowLog& log, std::uint32_t message, std::chrono::milliseconds bound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        PWIN_MSG msg;
        while (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE))
            pwin_DispatchMessage(&msg);
        for (const auto& m : log.messages) {
            if (m.message == message)
                return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait{pwin_GetQueueWaitHandle(), POLLIN, 0};
        poll(&wait, 1, static_cast<int>(left.count()));
    }
}

// Waits, bounded, until `count` channel starts happened and the last one armed its watchdog.
bool waitForArmedStarts(std::size_t count, std::chrono::milliseconds bound)
{
    const auto armed = [] {
        std::lock_guard lock(driverState().mutex);
        return driverState().watchdogTimer != 0;
    };
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (TestSet::startsSoFar().size() < count || !armed()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(PlatformWatchdogTest, MultimediaTimerRestartsOnceThenPostsTheTimeout)
{
    auto clock = std::make_shared<platform::win::ManualClock>();
    platform::win::setClock(clock);
    detachDriver();
    setDriverPlatform(nullptr);
    attachDriver();
    ASSERT_EQ(VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0), 0);
    WindowLog log;
    const PWIN_HWND window = pwin_CreateMessageWindow(logMessage, &log, nullptr);
    ASSERT_NE(window, 0u);
    TestClient client(10, window, {0});
    ASSERT_EQ(VYK_Register(&client.record), 0);
    ASSERT_EQ(VYK_ParamSet(&client.record), 0);
    TestSet::install(true);

    EXPECT_EQ(VYK_SingleScan(10), 0);
    ASSERT_TRUE(waitForArmedStarts(1, std::chrono::seconds(10)));
    clock->advance(std::chrono::milliseconds(999));
    clock->advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(waitForArmedStarts(2, std::chrono::seconds(10)));
    std::uint32_t restartTimer = 0;
    {
        std::lock_guard lock(driverState().mutex);
        restartTimer = driverState().watchdogTimer;
    }
    clock->advance(std::chrono::milliseconds(1000));
    ASSERT_TRUE(pumpUntil(log, VYK_MSG_TIMEOUT, std::chrono::seconds(10)));
    // The timeout is posted from inside the callback: let that callback return before
    // the clock is swapped back.
    pwin_timeKillEvent(restartTimer);
    EXPECT_EQ(TestSet::startsSoFar().size(), 2u);
    EXPECT_TRUE(idle());

    VYK_UnRegister(10);
    pwin_DestroyWindow(window);
    detachDriver();
    platform::win::setClock(nullptr);
}

} // namespace
} // namespace driver::core::test
