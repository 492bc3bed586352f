#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverState.h"
#include "driver/core/NoHardwareOperationSet.h"
#include "driver/core/Sequencer.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace driver::core::test {
namespace {

constexpr auto kBound = std::chrono::seconds(10);

// A set whose channels never finish by themselves (a board whose data does not come).
ChannelStart neverFinishes(RegistrationRecord*)
{
    std::lock_guard lock(driverState().mutex);
    driverState().acquisitionStatus = kStatusAcquiring;
    return ChannelStart::Pending;
}

void installStuckSet()
{
    OperationSet set = NoHardwareOperationSet();
    set.name = "StuckSet";
    set.StartChannel = neverFinishes;
    std::lock_guard lock(driverState().mutex);
    driverState().ops = set;
}

std::unique_ptr<DoScanBlock> scanBlock(int16_t mode, std::initializer_list<int> channels,
                                       int16_t group = 0)
{
    auto block = std::make_unique<DoScanBlock>();
    block->mode = mode;
    block->integration = 4;
    block->scansToAverage = 3;
    block->channelGroup = group;
    for (int c : channels)
        block->channelEnables[c] = 1;
    block->output1 = 77;
    block->output2 = 77;
    return block;
}

TEST(DoScanTest, ScansOnKey767AndAveragesIntoTheGroup)
{
    for (const int16_t group : {0, 1}) {
        SCOPED_TRACE(group);
        auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE); // key 767
        auto block = scanBlock(0, {0, 2}, group);
        EXPECT_EQ(VYK_DoScan(block.get()), 0);
        EXPECT_EQ(block->output1, 0);
        EXPECT_EQ(block->output2, 0);
        // The synthetic channel writes pixel i plus up to 50 of noise at each scan: the
        // average of the three scans keeps that level.
        for (int i = 1; i < 2048; i += 97) {
            EXPECT_GE(block->spectra[0][i], static_cast<float>(i));
            EXPECT_LE(block->spectra[0][i], static_cast<float>(i + 50));
            EXPECT_GE(block->spectra[2][i], static_cast<float>(i));
            EXPECT_LE(block->spectra[2][i], static_cast<float>(i + 50));
        }
        EXPECT_EQ(block->spectra[1][100], 0.0f);
        EXPECT_EQ(block->spectra[3][100], 0.0f);
        // The blocking calls post nothing: their record has no window.
        EXPECT_TRUE(fake->postedOf(VYK_MSG_BUFFER_FULL).empty());
    }
}

struct RampCase
{
    const char* name;
    std::uint16_t spectrometer;
    std::size_t pixels; // of the type; the block's slices hold 2048
};

class DoScanRampTest : public ::testing::TestWithParam<RampCase>
{};

TEST_P(DoScanRampTest, ModeNineFillsTheEnabledChannelsWithinTheirSlices)
{
    const RampCase& c = GetParam();
    auto fake = startFakeDriver(c.spectrometer, VYK_ADC_NONE);
    auto block = scanBlock(9, {0, 2, 3});
    block->microsecondFlag = 5; // after the spectra: must survive any pixel count
    EXPECT_EQ(VYK_DoScan(block.get()), 0);
    const std::size_t filled = std::min<std::size_t>(c.pixels, 2048);
    EXPECT_EQ(block->spectra[0][filled - 1], static_cast<float>(filled - 1));
    EXPECT_EQ(block->spectra[2][5], 20005.0f);
    EXPECT_EQ(block->spectra[3][0], 30000.0f);
    EXPECT_EQ(block->spectra[1][5], 0.0f);
    EXPECT_EQ(block->microsecondFlag, 5);
    EXPECT_EQ(block->output1, 77); // mode 9 writes no outputs
}

INSTANTIATE_TEST_SUITE_P(Cases, DoScanRampTest,
                         ::testing::Values(RampCase{"Istrel", VYK_SPEC_ISTREL, 2048},
                                           RampCase{"Jolvar", VYK_SPEC_JOLVAR, 3648},
                                           RampCase{"Ulmar", VYK_SPEC_ULMAR, 1024}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DoScanTest, ALongScanIsCopiedOnlyAsFarAsTheSlice)
{
    auto fake = startFakeDriver(VYK_SPEC_JOLVAR, VYK_ADC_NONE); // 3648 pixels
    auto block = scanBlock(0, {0, 1, 2, 3});
    block->scansToAverage = 1;
    block->microsecondFlag = 0;
    EXPECT_EQ(VYK_DoScan(block.get()), 0);
    EXPECT_EQ(block->microsecondFlag, 0);
    EXPECT_GT(block->spectra[3][2047], 0.0f);
}

TEST(DoScanTest, NullBlockAndBusyAndDialog)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    EXPECT_EQ(VYK_DoScan(nullptr), VYK_MISSING_ARGUMENT);
    EXPECT_EQ(VYK_FullScan(nullptr), VYK_MISSING_ARGUMENT);
    EXPECT_EQ(VYK_Flexible_Acquisition(nullptr), VYK_MISSING_ARGUMENT);
    EXPECT_EQ(VYK_DoScan_Array(nullptr, nullptr), VYK_MISSING_ARGUMENT);
    auto block = scanBlock(1, {0});
    EXPECT_EQ(VYK_DoScan(block.get()), 0);
    EXPECT_EQ(fake->dialogs(), 1);
    {
        std::lock_guard lock(driverState().mutex);
        driverState().currentChannel = 2;
    }
    EXPECT_EQ(VYK_DoScan(block.get()), VYK_BUSY);
    std::lock_guard lock(driverState().mutex);
    driverState().currentChannel = -1;
}

TEST(DoScanTest, StopEndsTheWaitOfAScanThatNeverFinishes)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    installStuckSet();
    auto block = scanBlock(0, {0});
    std::thread stopper([] {
        for (;;) {
            {
                std::lock_guard lock(driverState().mutex);
                if (driverState().doScanBusy && driverState().sequencerRunning)
                    break;
            }
            std::this_thread::yield();
        }
        VYK_Stop(kDoScanKey);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(VYK_DoScan(block.get()), VYK_ABORTED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
    stopper.join();
}

TEST(DoScanTest, ATriggerWaitEndsWithTheTriggerTimeOut)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    installStuckSet();
    VYK_SetTrigTimeout(30);
    auto block = scanBlock(0, {0});
    block->triggerMode = 2;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(VYK_DoScan(block.get()), VYK_HARDWARE_TIMEOUT);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(30));
    EXPECT_LT(took, kBound);
    std::lock_guard lock(driverState().mutex);
    EXPECT_FALSE(driverState().sequencerRunning);
    EXPECT_EQ(driverState().currentChannel, -1);
}

TEST(DoScanArrayTest, ArrayFormsCopyTheFourChannelsInOrder)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    const int16_t fields[13] = {9, 0, 4, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0};
    std::vector<float> output(4 * 2048, -1.0f);
    EXPECT_EQ(VYK_DoScan_Array(fields, output.data()), 0);
    EXPECT_EQ(output[7], 7.0f);
    EXPECT_EQ(output[3 * 2048 + 7], 30007.0f);
    EXPECT_EQ(output[2048 + 7], 0.0f); // disabled: the private block's zeros

    const int32_t longFields[13] = {0x10009, 0, 4, 0, 1, 0, 0x10001, 0, 0, 0, 0, 0, 0};
    std::fill(output.begin(), output.end(), -1.0f);
    EXPECT_EQ(VYK_DoScan_Array_Long(longFields, output.data()), 0);
    EXPECT_EQ(output[2048 + 9], 10009.0f);
}

TEST(FlexibleAcquisitionTest, RampsAndPerChannelScans)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto block = std::make_unique<FlexibleAcquisitionBlock>();
    block->mode = 9;
    block->enable[1] = 1;
    block->enable[2] = 2; // only exactly 1 counts
    EXPECT_EQ(VYK_Flexible_Acquisition(block.get()), 0);
    EXPECT_EQ(block->spectra[1][2047], 3047.0f);
    EXPECT_EQ(block->spectra[2][5], 0.0f);

    block->mode = 0;
    for (int c = 0; c < 4; ++c) {
        block->integration[c] = 2;
        block->scansToAverage[c] = 1;
        block->result[c] = 55;
    }
    block->enable[3] = 1;
    EXPECT_EQ(VYK_Flexible_Acquisition(block.get()), 0);
    EXPECT_EQ(block->result[1], 0);
    EXPECT_EQ(block->result[3], 0);
    EXPECT_EQ(block->result[0], 55);
    EXPECT_GE(block->spectra[3][100], 100.0f);
}

TEST(FullScanTest, RampsAndAScanIntoTheCallersBuffers)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    std::vector<std::vector<float>> buffers(8, std::vector<float>(2048, -1.0f));
    FullScanBlock block{};
    block.mode = 9;
    block.integration = 3;
    block.scansToAverage = 1;
    block.channelEnables[6] = 1;
    block.channelEnables[1] = 1;
    for (int c = 0; c < 8; ++c)
        block.channelBuffers[c] = buffers[static_cast<std::size_t>(c)].data();
    EXPECT_EQ(VYK_FullScan(&block), 0);
    EXPECT_EQ(buffers[6][10], 610.0f);
    EXPECT_EQ(buffers[1][10], 110.0f);
    EXPECT_EQ(buffers[0][10], -1.0f);

    block.mode = 0;
    block.channelBuffers[0] = nullptr; // not enabled: never touched
    EXPECT_EQ(VYK_FullScan(&block), 0);
    EXPECT_GE(buffers[6][10], 10.0f);
    EXPECT_LE(buffers[6][10], 60.0f);
}

std::unique_ptr<TestClient> registered(std::uint32_t key, std::initializer_list<int> channels,
                                       std::uint16_t integration = 1)
{
    auto client = std::make_unique<TestClient>(key, key + 100, channels);
    client->record.integration = integration;
    EXPECT_EQ(VYK_Register(&client->record), 0);
    EXPECT_EQ(VYK_ParamSet(&client->record), 0);
    return client;
}

// The types without an A/D converter, each with its synthetic ramp: pixel i is i x slope
// plus noise from 0 to `noise`.
struct SyntheticCase
{
    const char* name;
    std::uint16_t spectrometer;
    int pixels;
    float slope;
    float noise;
};

const SyntheticCase kSyntheticCases[] = {
    {"Istrel", VYK_SPEC_ISTREL, 2048, 1.0f, 50.0f},
    {"Gavrel", VYK_SPEC_GAVREL, 1100, 1.0f, 50.0f},
    {"IstrelBT", VYK_SPEC_ISTRELBT, 1100, 1.0f, 50.0f},
    {"Wessor", VYK_SPEC_WESSOR, 512, 50.0f, 1000.0f},
    {"Velko", VYK_SPEC_VELKO, 256, 1.0f, 50.0f},
    {"Jolvar", VYK_SPEC_JOLVAR, 3648, 1.0f, 50.0f},
};

class SyntheticSourceTest : public ::testing::TestWithParam<SyntheticCase>
{};

// The integration time given by VYK_ParamSet is applied when the scan starts, as a device
// applies it, and VYK_GetIntegrationTime answers it.
TEST_P(SyntheticSourceTest, AppliesTheIntegrationTimeItIsGiven)
{
    const SyntheticCase& c = GetParam();
    auto fake = startFakeDriver(c.spectrometer, VYK_ADC_NONE);
    auto client = registered(42, {0}, 100);
    ASSERT_EQ(VYK_SingleScan(42), 0);
    ASSERT_EQ(fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 1u);
    EXPECT_EQ(VYK_GetIntegrationTime(), 100);

    client->record.integration = 250;
    ASSERT_EQ(VYK_ParamSet(&client->record), 0);
    ASSERT_NE(VYK_SingleScan_Thread(42), 0);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2, kBound));
    EXPECT_EQ(VYK_GetIntegrationTime(), 250);
    EXPECT_NE(VYK_UnRegister(42), nullptr);
}

// Averaged scans keep the level of one scan: each pixel of the average lies within the
// ramp and its noise, on every enabled channel, through the caller's and the worker's scans.
TEST_P(SyntheticSourceTest, AnAveragedSpectrumKeepsTheLevelOfOneScan)
{
    const SyntheticCase& c = GetParam();
    auto fake = startFakeDriver(c.spectrometer, VYK_ADC_NONE);
    auto client = registered(42, {0, 2}, 10);
    std::size_t expectedPosts = 0;
    for (const int16_t scans : {1, 2, 4}) {
        for (const bool worker : {false, true}) {
            SCOPED_TRACE(testing::Message() << scans << (worker ? " worker" : " caller"));
            client->record.scansToAverage = scans;
            ASSERT_EQ(VYK_ParamSet(&client->record), 0);
            if (worker)
                ASSERT_NE(VYK_SingleScan_Thread(42), 0);
            else
                ASSERT_EQ(VYK_SingleScan(42), 0);
            expectedPosts += 2;
            ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, expectedPosts, kBound));
            for (const int channel : {0, 2}) {
                const std::vector<float>& pixels =
                    client->buffers[static_cast<std::size_t>(channel)];
                EXPECT_EQ(pixels[0], 0.0f);
                int outside = 0;
                for (int i = 1; i < c.pixels; ++i) {
                    const float ramp = static_cast<float>(i) * c.slope;
                    const float value = pixels[static_cast<std::size_t>(i)];
                    // Single-precision sums of up to four scans round within this slack.
                    const float slack = 1e-3f * (ramp + c.noise);
                    if (value < ramp - slack || value > ramp + c.noise + slack)
                        ++outside;
                }
                EXPECT_EQ(outside, 0) << "channel " << channel;
            }
            for (const int channel : {0, 2})
                ASSERT_NE(VYK_BufferEmpty(42, static_cast<int16_t>(channel)), 0);
        }
    }
    EXPECT_NE(VYK_UnRegister(42), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, SyntheticSourceTest, ::testing::ValuesIn(kSyntheticCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SingleScanThreadTest, TheWorkerDeliversTheScan)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto client = registered(42, {0, 3});
    for (int scan = 1; scan <= 3; ++scan) {
        SCOPED_TRACE(scan);
        const intptr_t handle = VYK_SingleScan_Thread(42);
        EXPECT_NE(handle, 0);
        ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2u * scan, kBound));
        // The same worker serves every scan of the key.
        EXPECT_EQ(acquisitionWorker().key(), 42u);
    }
    const auto posts = fake->postedOf(VYK_MSG_BUFFER_FULL);
    EXPECT_EQ(posts[0].window, 142u);
    EXPECT_EQ(posts[1].wParam, 3u);
    EXPECT_EQ(VYK_SingleScan_Thread(99), 0); // unknown key
    EXPECT_NE(VYK_UnRegister(42), nullptr);
    EXPECT_FALSE(acquisitionWorker().exists());
}

TEST(SingleScanThreadTest, AScansMessagesComeOnceTheScanHasWhollyEnded)
{
    // A client starts its next scan from the scan's message: by then the worker must be
    // free and the sequencer idle, or the start would be refused or land on this scan.
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto client = registered(42, {0, 3});
    std::mutex seenMutex;
    std::vector<std::pair<int32_t, bool>> seen; // busy word and sequencer state per post
    fake->onPost = [&](const PostedMessage& post) {
        if (post.message != VYK_MSG_BUFFER_FULL)
            return;
        bool running = false;
        {
            std::lock_guard lock(driverState().mutex);
            running = driverState().sequencerRunning;
        }
        std::lock_guard lock(seenMutex);
        seen.emplace_back(VYK_AcquisitionThreadActive(), running);
    };
    for (int scan = 1; scan <= 3; ++scan) {
        SCOPED_TRACE(scan);
        ASSERT_NE(VYK_SingleScan_Thread(42), 0);
        ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2u * scan, kBound));
    }
    fake->onPost = nullptr;
    std::lock_guard lock(seenMutex);
    ASSERT_EQ(seen.size(), 6u);
    for (const auto& [busy, running] : seen) {
        EXPECT_EQ(busy, 0);
        EXPECT_FALSE(running);
    }
}

TEST(SingleScanThreadTest, AlternatingKeysRecreateTheWorker)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto a = registered(10, {0});
    auto b = registered(20, {1});
    std::vector<intptr_t> handles;
    for (int i = 0; i < 6; ++i) {
        const std::uint32_t key = i % 2 == 0 ? 10 : 20;
        handles.push_back(VYK_SingleScan_Thread(key));
        ASSERT_TRUE(
            fake->waitForPosts(VYK_MSG_BUFFER_FULL, static_cast<std::size_t>(i + 1), kBound));
    }
    for (std::size_t i = 1; i < handles.size(); ++i)
        EXPECT_NE(handles[i], handles[i - 1]);
    std::size_t toA = 0;
    for (const auto& post : fake->postedOf(VYK_MSG_BUFFER_FULL))
        toA += post.window == 110 ? 1 : 0;
    EXPECT_EQ(toA, 3u);
}

TEST(SingleScanThreadTest, BoardTypesScanAtOnceAndReturnTheCode)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_DAQ700);
    auto client = registered(42, {0});
    // Nothing is connected on the board: the scan's own code, not a handle.
    EXPECT_EQ(VYK_SingleScan_Thread(42), VYK_SingleScan(42));
    EXPECT_FALSE(acquisitionWorker().exists());
}

TEST(SingleScanThreadTest, FailedWorkerScanMarksTheBuffersAborted)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto client = registered(42, {0, 2});
    {
        // A scan start refused (start-up incomplete): the worker reports it per channel.
        std::lock_guard lock(driverState().mutex);
        driverState().startupFlags = static_cast<std::uint16_t>(driverState().startupFlags & ~1);
    }
    fake->boxAnswer = kIdOk;
    EXPECT_NE(VYK_SingleScan_Thread(42), 0);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_TIMEOUT, 2, kBound));
    const auto posts = fake->postedOf(VYK_MSG_TIMEOUT);
    EXPECT_EQ(posts[0].wParam, 0u);
    EXPECT_EQ(posts[1].wParam, 2u);
    std::lock_guard lock(driverState().mutex);
    const RegistrationRecord* record = driverState().table.find(42);
    EXPECT_EQ(record->bufferStates[0], VYK_BUFFER_ABORTED);
    EXPECT_EQ(record->bufferStates[2], VYK_BUFFER_ABORTED);
    EXPECT_EQ(record->bufferStates[1], VYK_BUFFER_NOT_IN_USE);
}

TEST(SingleScanThreadTest, AWorkerTriggerWaitEndsWithTheTriggerTimeOut)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    installStuckSet();
    VYK_SetTrigTimeout(20);
    auto client = std::make_unique<TestClient>(42, 142, std::initializer_list<int>{0, 5});
    client->record.triggerMode = 3;
    ASSERT_EQ(VYK_Register(&client->record), 0);
    ASSERT_EQ(VYK_ParamSet(&client->record), 0);
    EXPECT_NE(VYK_SingleScan_Thread(42), 0);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_TIMEOUT, 2, kBound));
    EXPECT_EQ(fake->postedOf(VYK_MSG_TIMEOUT)[1].wParam, 5u);
    std::lock_guard lock(driverState().mutex);
    EXPECT_EQ(driverState().table.find(42)->bufferStates[5], VYK_BUFFER_ABORTED);
}

TEST(SingleScanThreadTest, UnRegisterDuringAWorkerScanReturnsWithinItsBound)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    installStuckSet();
    auto client = registered(42, {0, 1}, 50); // bound: 3 x 50 ms
    EXPECT_NE(VYK_SingleScan_Thread(42), 0);
    for (;;) {
        {
            std::lock_guard lock(driverState().mutex);
            if (driverState().workerScanBusy && driverState().sequencerRunning)
                break;
        }
        std::this_thread::yield();
    }
    EXPECT_EQ(VYK_AcquisitionThreadActive(), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(VYK_UnRegister(42), nullptr);
    // The stuck set never ends: without its bound the call would not return. The margin over
    // the 150 ms bound is for a loaded machine, where waking the threads takes its time.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(acquisitionWorker().exists());
    EXPECT_EQ(VYK_AcquisitionThreadActive(), 0);
}

TEST(SingleScanThreadTest, DetachStopsAWaitingWorkerBeforeItEnds)
{
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto client = registered(42, {0});
    EXPECT_NE(VYK_SingleScan_Thread(42), 0);
    ASSERT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
    EXPECT_TRUE(acquisitionWorker().exists());
    detachDriver();
    EXPECT_FALSE(acquisitionWorker().exists());
    attachDriver();
}

// A synthetic scan of 20 s (two waits of 10 s) whose waits the fake platform holds until
// their stop condition holds: releasing the record or detaching must end them at once,
// and the next registration scans normally.
struct LongScanCase
{
    const char* name;
    bool worker; // VYK_SingleScan_Thread, else VYK_SingleScan on a client thread
    bool detach; // the library goes away, else VYK_UnRegister
};

class LongSyntheticScanTest : public ::testing::TestWithParam<LongScanCase>
{};

TEST_P(LongSyntheticScanTest, EndsAtOnceAndTheNextRegistrationScans)
{
    const LongScanCase& c = GetParam();
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    fake->holdWaitsFromMs = 1000;
    auto client = std::make_unique<TestClient>(42, 142, std::initializer_list<int>{0});
    client->record.integration = 20000;
    ASSERT_EQ(VYK_Register(&client->record), 0);
    ASSERT_EQ(VYK_ParamSet(&client->record), 0);
    std::thread caller;
    if (c.worker)
        ASSERT_NE(VYK_SingleScan_Thread(42), 0);
    else
        caller = std::thread([] { EXPECT_EQ(VYK_SingleScan(42), 0); });
    ASSERT_TRUE(fake->waitForHeldWaits(1, kBound));
    if (c.detach)
        detachDriver();
    else
        EXPECT_NE(VYK_UnRegister(42), nullptr);
    if (caller.joinable())
        caller.join();
    EXPECT_EQ(fake->waitsEndedByStop(), 1);
    EXPECT_TRUE(fake->postedOf(VYK_MSG_BUFFER_FULL).empty());
    EXPECT_FALSE(acquisitionWorker().exists());

    if (c.detach) {
        attachDriver();
        VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0);
    }
    fake->holdWaitsFromMs = 0;
    auto next = registered(43, {0}, 20000);
    EXPECT_EQ(VYK_SingleScan(43), 0);
    const auto full = fake->postedOf(VYK_MSG_BUFFER_FULL);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].window, 143u);
    EXPECT_GT(next->buffers[0][100], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, LongSyntheticScanTest,
                         ::testing::Values(LongScanCase{"WorkerUnRegistered", true, false},
                                           LongScanCase{"WorkerDetached", true, true},
                                           LongScanCase{"CallerUnRegistered", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A long synthetic exposure (an integration time typed by mistake) ends at once when a new
// integration time arrives, as an emergency reset or a kick start sends it: the scan is
// delivered and the next one runs at the new time.
TEST(LongSyntheticScanTest, NewIntegrationTimeEndsTheExposureAndDeliversTheScan)
{
    for (const bool worker : {true, false}) {
        SCOPED_TRACE(worker ? "worker" : "caller");
        auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
        fake->holdWaitsFromMs = 1000;
        auto client = std::make_unique<TestClient>(42, 142, std::initializer_list<int>{0});
        client->record.integration = 65500;
        ASSERT_EQ(VYK_Register(&client->record), 0);
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        std::thread caller;
        if (worker)
            ASSERT_NE(VYK_SingleScan_Thread(42), 0);
        else
            caller = std::thread([] { EXPECT_EQ(VYK_SingleScan(42), 0); });
        ASSERT_TRUE(fake->waitForHeldWaits(1, kBound));
        client->record.integration = 100;
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        EXPECT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
        if (caller.joinable())
            caller.join();
        EXPECT_EQ(fake->waitsEndedByStop(), 1);
        EXPECT_GT(client->buffers[0][100], 0.0f);
        detachDriver();
    }
}

// The library is detached right after a call that leaves a thread or a wait running, and
// started again, many times; then a scan works. No detach may leave a worker behind.
struct DetachAtOnceCase
{
    const char* name;
    bool stuck;           // channels that never finish (a board whose data does not come)
    int triggerMode;      // 3: the worker waits for an external trigger without a time-out
    bool continuous;      // VYK_ContinuousScan, else VYK_SingleScan_Thread
    std::uint32_t holdMs; // the fake holds synthetic waits this long or longer
};

class DetachAtOnceTest : public ::testing::TestWithParam<DetachAtOnceCase>
{};

TEST_P(DetachAtOnceTest, DetachRightAfterTheCallThenScansNormally)
{
    const DetachAtOnceCase& c = GetParam();
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
        fake->holdWaitsFromMs = c.holdMs;
        if (c.stuck)
            installStuckSet();
        auto client = std::make_unique<TestClient>(42, 142, std::initializer_list<int>{0, 1});
        client->record.integration = 2000;
        client->record.triggerMode = static_cast<int16_t>(c.triggerMode);
        ASSERT_EQ(VYK_Register(&client->record), 0);
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        if (c.continuous)
            ASSERT_EQ(VYK_ContinuousScan(42), 0);
        else
            ASSERT_NE(VYK_SingleScan_Thread(42), 0);
        detachDriver();
        ASSERT_FALSE(acquisitionWorker().exists());
    }
    auto fake = startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_NONE);
    auto client = registered(43, {0});
    EXPECT_NE(VYK_SingleScan_Thread(43), 0);
    EXPECT_TRUE(fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DetachAtOnceTest,
    ::testing::Values(DetachAtOnceCase{"HandOverInASyntheticWait", false, 0, false, 1000},
                      DetachAtOnceCase{"HandOverScanning", false, 0, false, 0},
                      DetachAtOnceCase{"ContinuousScanRunning", true, 0, true, 0},
                      DetachAtOnceCase{"WorkerInATriggerWait", true, 3, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PollingTest, ScansIntoItsOwnBuffersAndCopiesThePixelCount)
{
    for (const std::uint16_t type :
         {std::uint16_t{VYK_SPEC_ISTREL}, std::uint16_t{VYK_SPEC_JOLVAR}}) {
        SCOPED_TRACE(type);
        auto fake = startFakeDriver(type, VYK_ADC_NONE);
        PollingSetupBlock setup{};
        setup.channelEnables[1] = 0x10000; // only the low 16 bits count: off
        setup.channelEnables[2] = 1;
        setup.scansToAverage = 1;
        setup.integration = 2;
        EXPECT_EQ(VYK_InitDriverForLV(&setup), 0);
        EXPECT_EQ(VYK_SingleScanForLV(), 0);
        // No window to post to: wait for the worker to finish the scan.
        for (int i = 0; i < 10000 && VYK_AcquisitionThreadActive() != 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(VYK_AcquisitionThreadActive(), 0);
        const std::size_t pixels = static_cast<std::size_t>(VYK_GetNumberOfPixels());
        std::vector<float> spectrum(pixels + 1, -1.0f);
        char channelBlock[16] = {};
        channelBlock[8] = 2;
        EXPECT_EQ(VYK_GetSpectraForLV(spectrum.data(), channelBlock), 0);
        EXPECT_GE(spectrum[pixels - 1], static_cast<float>(pixels - 1));
        EXPECT_EQ(spectrum[pixels], -1.0f);
        channelBlock[8] = 1;
        EXPECT_EQ(VYK_GetSpectraForLV(spectrum.data(), channelBlock), VYK_NO_BUFFER_OR_RECORD);
        channelBlock[8] = 9;
        EXPECT_EQ(VYK_GetSpectraForLV(spectrum.data(), channelBlock), VYK_MISSING_ARGUMENT);
        detachDriver();
    }
}

} // namespace
} // namespace driver::core::test
