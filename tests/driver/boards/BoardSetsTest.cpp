#include "driver/boards/BoardCommon.h"
#include "driver/boards/BoardConnection.h"
#include "driver/core/DriverState.h"
#include "platform/portio/DriverXDevice.h"
#include "sim/boards/SimulatedBoard.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace driver::boards {
namespace {

using core::test::FakeDriverPlatform;
using core::test::TestClient;
using sim::boards::BoardKind;
using sim::boards::PortWrite;
using sim::boards::SimulatedBoard;

constexpr auto kBound = std::chrono::seconds(10);
constexpr const char* kDevice = "SimBoard";

struct Rig
{
    std::shared_ptr<SimulatedBoard> board;
    std::shared_ptr<FakeDriverPlatform> fake;

    Rig(int spectrometer, int adc, BoardKind kind, bool pciPlus = false)
        : board(std::make_shared<SimulatedBoard>(kind))
    {
        board->setPciPlus(pciPlus);
        platform::portio::registerDeviceBackend(kDevice, board);
        setBoardDeviceName(kDevice);
        fake = core::test::startFakeDriver(spectrometer, adc);
        {
            std::lock_guard lock(core::driverState().mutex);
            boardFields().noIntegrationTimeDelay = 1;
        }
        EXPECT_EQ(connectBoard(), VYK_SUCCESS) << lastBoardError();
    }
    ~Rig()
    {
        disconnectBoard();
        core::detachDriver();
        platform::portio::unregisterDeviceBackend(kDevice);
    }

    std::unique_ptr<TestClient> client(std::initializer_list<int> channels)
    {
        auto c = std::make_unique<TestClient>(5, 105, channels);
        EXPECT_EQ(VYK_Register(&c->record), 0);
        EXPECT_EQ(VYK_ParamSet(&c->record), 0);
        return c;
    }

    bool idle()
    {
        std::lock_guard lock(core::driverState().mutex);
        return !core::driverState().sequencerRunning && core::driverState().currentChannel == -1;
    }
};

struct ScanCase
{
    const char* name;
    int spectrometer;
    int adc;
    BoardKind kind;
    int lastPixel;
};

class BoardScanTest : public testing::TestWithParam<ScanCase>
{};

TEST_P(BoardScanTest, DeliversTheTwelveBitValuesThroughTheInterrupt)
{
    const ScanCase& c = GetParam();
    Rig rig(c.spectrometer, c.adc, c.kind);
    auto client = rig.client({0, 1});
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_BUFFER_FULL, 2, kBound));
    for (int channel : {0, 1}) {
        const auto& buffer = client->buffers[static_cast<std::size_t>(channel)];
        for (int p : {2, 3, 1000, c.lastPixel}) {
            SCOPED_TRACE(testing::Message() << "channel " << channel << " pixel " << p);
            EXPECT_EQ(buffer[static_cast<std::size_t>(p)],
                      static_cast<float>(SimulatedBoard::pixelValue(channel, p)));
        }
    }
    EXPECT_TRUE(rig.fake->postedOf(VYK_MSG_TIMEOUT).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sets, BoardScanTest,
    testing::Values(
        ScanCase{"IstrelBrontel", VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel, 2047},
        ScanCase{"IstrelFornic", VYK_SPEC_ISTREL, VYK_ADC_FORNICPC104, BoardKind::Fornic, 2047},
        ScanCase{"IstrelDovrin", VYK_SPEC_ISTREL, VYK_ADC_DOVRIN, BoardKind::Dovrin, 2047},
        ScanCase{"GavrelBrontel", VYK_SPEC_GAVREL, VYK_ADC_BRONTEL, BoardKind::Brontel, 1099},
        ScanCase{"IstrelBTDovrin", VYK_SPEC_ISTRELBT, VYK_ADC_DOVRIN, BoardKind::Dovrin, 1099},
        ScanCase{"CadrelPci", VYK_SPEC_ISTREL, VYK_ADC_CADRELPCI, BoardKind::CadrelPci, 2047},
        ScanCase{"IstrelDaq", VYK_SPEC_ISTREL, VYK_ADC_DAQ700, BoardKind::Daq700, 2047},
        ScanCase{"GavrelDaq", VYK_SPEC_GAVREL, VYK_ADC_DAQ700, BoardKind::Daq700, 1099}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BoardSetsTest, IstrelBrontelWritesItsPortSequence)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
    auto client = rig.client({0});
    rig.board->clearWrites();
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().reopen = true;
        core::driverState().appliedPeriodMs = 1;
    }
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
    const std::vector<PortWrite> expected = {
        {0, 3, 1, 0x3E}, {0, 0, 1, 4},    {0, 0, 1, 0},    // counter 0 reopened
        {0, 4, 1, 34},   {0, 4, 1, 2},                     // reset with the strobe on
        {0, 3, 1, 0xBE}, {0, 2, 1, 10},   {0, 2, 1, 0},    // integration 10 ms
        {0, 4, 1, 0},    {0, 4, 1, 0x20}, {0, 4, 1, 0},    // channel 0, FIFO cleared
        {0, 4, 1, 0x43},                                   // armed
        {0, 4, 1, 0x02}, {0, 4, 1, 0x22}, {0, 4, 1, 0x02}, // disarmed, FIFO cleared
        {0, 4, 1, 0x20}, {0, 4, 1, 0x00},                  // idle: disarmed and cleared
    };
    EXPECT_TRUE(rig.board->waitForWrites(expected.size(), kBound));
    std::unique_lock lock(core::driverState().mutex);
    ASSERT_TRUE(core::driverState().scanFinished.wait_for(
        lock, kBound, [] { return !core::driverState().sequencerRunning; }));
    lock.unlock();
    EXPECT_EQ(rig.board->writes(), expected);
}

TEST(BoardSetsTest, ABufferNotEmptiedGivesOneOverrunPerScanAndEndsContinuousScanning)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
    auto client = rig.client({2});
    ASSERT_EQ(VYK_ContinuousScan(5), VYK_SUCCESS);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_OVERRUN, 1, kBound));
    std::unique_lock lock(core::driverState().mutex);
    ASSERT_TRUE(core::driverState().scanFinished.wait_for(
        lock, kBound, [] { return !core::driverState().sequencerRunning; }));
    lock.unlock();
    const auto overruns = rig.fake->postedOf(VYK_MSG_OVERRUN);
    ASSERT_EQ(overruns.size(), 1u);
    EXPECT_EQ(overruns[0].wParam, 2u);
    EXPECT_EQ(rig.fake->postedOf(VYK_MSG_BUFFER_FULL).size(), 1u);
}

TEST(BoardSetsTest, ASilentBoardTimesOutAfterOneRestart)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
    rig.board->setNoInterrupt(true);
    auto client = rig.client({0});
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    EXPECT_EQ(rig.board->armCount(), 1);
    ASSERT_EQ(rig.fake->fireTimers(), 1);
    EXPECT_GT(rig.board->armCount(), 1) << "the first expiry restarts the channel";
    ASSERT_EQ(rig.fake->fireTimers(), 1);
    EXPECT_EQ(rig.fake->postedOf(VYK_MSG_TIMEOUT).size(), 1u);
    EXPECT_TRUE(rig.idle());
}

TEST(BoardSetsTest, ALateInterruptStillDeliversTheScan)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
    rig.board->setLateInterrupt(true);
    auto client = rig.client({0});
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    EXPECT_EQ(rig.board->releaseLateInterrupts(), 1);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
    EXPECT_EQ(client->buffers[0][500], static_cast<float>(SimulatedBoard::pixelValue(0, 500)));
}

TEST(BoardSetsTest, AMissingTriggerEndsTheScanAfterTheTriggerTimeout)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
    auto client = rig.client({0});
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().trigTimeoutMs = 200;
    }
    client->record.triggerMode = 1;
    ASSERT_EQ(VYK_ParamSet(&client->record), 0);
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    EXPECT_EQ(rig.fake->postedOf(VYK_MSG_TIMEOUT).size(), 1u);
    EXPECT_EQ(rig.board->armCount(), 0);
    EXPECT_TRUE(rig.idle());
    // With the trigger present the scan goes on.
    rig.board->setTriggerInput(true);
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
}

TEST(BoardSetsTest, CadrelRotatorSplitsFourChannels)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_CADRELPCI, BoardKind::CadrelPci, true);
    auto client = rig.client({0, 1, 2, 3});
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().cadrelPciPlus = true;
    }
    VYK_EnableMultichannelSpectra(256 + 3);
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_BUFFER_FULL, 4, kBound));
    for (int channel = 0; channel < 4; ++channel) {
        for (int p : {2, 777, 2047}) {
            SCOPED_TRACE(testing::Message() << "channel " << channel << " pixel " << p);
            EXPECT_EQ(
                client->buffers[static_cast<std::size_t>(channel)][static_cast<std::size_t>(p)],
                static_cast<float>(SimulatedBoard::pixelValue(channel, p)));
        }
    }
}

TEST(BoardSetsTest, CadrelAnalogAndDigitalOutputs)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_CADRELPCI, BoardKind::CadrelPci);
    rig.board->clearWrites();
    EXPECT_EQ(CadrelPCI_AnalogOut(2, 100), 2);
    EXPECT_TRUE(rig.board->writes().empty()) << "channel 2 writes nothing";
    EXPECT_EQ(CadrelPCI_AnalogOut(1, 0x1234), 0);
    EXPECT_EQ(CadrelPCI_WriteDIO(0x12, 0x34), 0);
    rig.board->setDigitalInput(0xBEEF);
    EXPECT_EQ(CadrelPCI_ReadDIO(), 0xBEEF);
    EXPECT_EQ(rig.board->writes(),
              (std::vector<PortWrite>{{1, 24, 2, 0x1234}, {1, 20, 2, 0x1234}}));
}

// A trigger that never comes is waited for without end only while nobody asks the scan
// to end: VYK_Stop and VYK_UnRegister end the wait (the trigger time-out is off here).
TEST(BoardSetsTest, StopAndUnregisterEndATriggerWait)
{
    struct Case
    {
        const char* name;
        void (*end)();
    };
    const Case cases[] = {
        {"stop", [] { VYK_Stop(5); }},
        {"unregister", [] { VYK_UnRegister(5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
        auto client = rig.client({0});
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().trigTimeoutMs = 0;
        }
        client->record.triggerMode = 1;
        ASSERT_EQ(VYK_ParamSet(&client->record), 0);
        const std::uint32_t before = rig.fake->timeMs();
        auto scan = std::async(std::launch::async, [] { return VYK_SingleScan(5); });
        // The wait polls the status port in 1 ms steps of the fake clock.
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        while (rig.fake->timeMs() - before < 20 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_GE(rig.fake->timeMs() - before, 20u) << "the scan is not waiting for its trigger";
        c.end();
        const bool ended = scan.wait_for(kBound) == std::future_status::ready;
        if (!ended)
            rig.board->setTriggerInput(true); // let the scan go before the rig is torn down
        ASSERT_TRUE(ended) << "the trigger wait went on";
        EXPECT_EQ(rig.board->armCount(), 0);
        EXPECT_TRUE(rig.idle());
    }
}

// The board raises its interrupt once the period programmed into its timing counter has
// passed, not at the moment it is armed.
TEST(SimulatedBoardTest, TheInterruptComesAfterTheProgrammedPeriod)
{
    struct Case
    {
        const char* name;
        BoardKind kind;
        std::vector<PortWrite> timing;
        PortWrite arm;
        std::uint32_t periodMs;
    };
    // clang-format off
    const Case cases[] = {
        {"Istrel: clock divisor, counter 2 in ms", BoardKind::Brontel,
         {{0, 3, 1, 0x3E}, {0, 0, 1, 4}, {0, 0, 1, 0}, {0, 3, 1, 0xBE}, {0, 2, 1, 60}, {0, 2, 1, 0}},
         {0, 4, 1, 0x43}, 60},
        {"Gavrel: counter 0 a rate, counter 2 the flash", BoardKind::Dovrin,
         {{0, 3, 1, 0x3E}, {0, 0, 1, 200}, {0, 0, 1, 0}, {0, 3, 1, 0xBE}, {0, 2, 1, 0}, {0, 2, 1, 32}},
         {0, 4, 1, 0x41}, 50},
        {"CadrelPCI register 4", BoardKind::CadrelPci, {{1, 4, 2, 40}}, {1, 8, 2, 0x41}, 40},
        {"DAQ700 Istrel counter 2", BoardKind::Daq700,
         {{0, 11, 1, 0xB6}, {0, 10, 1, 45}, {0, 10, 1, 0}}, {0, 4, 1, 0x08}, 45},
        {"DAQ700 Gavrel counter 1", BoardKind::Daq700,
         {{0, 11, 1, 0x7E}, {0, 9, 1, 25}, {0, 9, 1, 0}, {0, 11, 1, 0xBE}, {0, 10, 1, 0}, {0, 10, 1, 9}},
         {0, 4, 1, 0x08}, 50},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedBoard board(c.kind);
        for (const PortWrite& w : c.timing)
            board.writePort(w.range, w.offset, w.width, w.value);
        EXPECT_EQ(board.programmedPeriodMs(), c.periodMs);
        const auto armed = std::chrono::steady_clock::now();
        board.writePort(c.arm.range, c.arm.offset, c.arm.width, c.arm.value);
        // Not before its period, however late this thread comes to wait for it.
        ASSERT_EQ(board.waitInterrupt(10000), platform::portio::InterruptWait::Interrupt);
        EXPECT_GE(std::chrono::steady_clock::now() - armed, std::chrono::milliseconds(c.periodMs))
            << "the interrupt came at once";
        EXPECT_EQ(board.waitInterrupt(1), platform::portio::InterruptWait::Timeout)
            << "one arming, one interrupt";
    }
    // A wake ends a wait for a pending interrupt early.
    SimulatedBoard board(BoardKind::CadrelPci);
    board.writePort(1, 4, 2, 5000);
    board.writePort(1, 8, 2, 0x41);
    auto waiter = std::async(std::launch::async, [&] { return board.waitInterrupt(20000); });
    while (waiter.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        board.wakeInterruptWaiter();
        if (waiter.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready)
            break;
    }
    EXPECT_EQ(waiter.get(), platform::portio::InterruptWait::Timeout);
}

// The multiplexer register of the ISA boards and the CadrelPCI rotator registers as
// VYK_EnableMultichannelSpectra and VYK_DisableMultichannelSpectra program them.
TEST(BoardSetsTest, MultichannelSpectraProgramTheMultiplexer)
{
    struct Case
    {
        const char* name;
        int adc;
        BoardKind kind;
        bool pciPlus;
        std::vector<std::uint16_t> calls; // 0xFFFF: disable
        std::vector<PortWrite> expected;
        std::size_t boxes;
    };
    const std::uint32_t special = (1 * 4096 & 0xFFFF) | (259 & 0xE7) | 0x10;
    const Case cases[] = {
        {"Brontel",
         VYK_ADC_BRONTEL,
         BoardKind::Brontel,
         false,
         {1, 7, 12, 0xFFFF, 0},
         {{0, 7, 1, 9}, {0, 7, 1, 15}, {0, 7, 1, 15}, {0, 7, 1, 0}, {0, 7, 1, 0}},
         0},
        {"Fornic", VYK_ADC_FORNICPC104, BoardKind::Fornic, false, {3}, {{0, 7, 1, 11}}, 0},
        {"CadrelPCI normal",
         VYK_ADC_CADRELPCI,
         BoardKind::CadrelPci,
         false,
         {2, 0xFFFF},
         {{1, 0, 2, 8}, {1, 14, 2, 10}, {1, 0, 2, 4}, {1, 14, 2, 0}},
         0},
        {"CadrelPCI special not supported",
         VYK_ADC_CADRELPCI,
         BoardKind::CadrelPci,
         false,
         {259},
         {{1, 0, 2, 8}, {1, 14, 2, 11}},
         1},
        {"CadrelPCI special twice",
         VYK_ADC_CADRELPCI,
         BoardKind::CadrelPci,
         true,
         {259, 259},
         {{1, 0, 2, 32}, {1, 14, 2, special}},
         0},
        {"DAQ700", VYK_ADC_DAQ700, BoardKind::Daq700, false, {3, 0xFFFF}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(VYK_SPEC_ISTREL, c.adc, c.kind, c.pciPlus);
        {
            std::lock_guard lock(core::driverState().mutex);
            core::driverState().cadrelPciPlus = c.pciPlus;
            core::driverState().messagesEnabled = true;
        }
        rig.board->clearWrites();
        const std::size_t boxesBefore = rig.fake->boxes().size();
        for (std::uint16_t v : c.calls) {
            if (v == 0xFFFF)
                VYK_DisableMultichannelSpectra();
            else
                VYK_EnableMultichannelSpectra(v);
        }
        EXPECT_EQ(rig.board->writes(), c.expected);
        ASSERT_EQ(rig.fake->boxes().size() - boxesBefore, c.boxes);
        if (c.boxes != 0) {
            EXPECT_EQ(rig.fake->boxes().back().caption, "Error: Mode Not Supported");
            std::lock_guard lock(core::driverState().mutex);
            EXPECT_EQ(core::driverState().multichannelMode, 1);
            EXPECT_EQ(core::driverState().multichannelCount, 3);
        }
        VYK_DisableMultichannelSpectra();
    }
}

// Two channels interleaved through the Brontel multiplexer: the board's stream starts
// with the last channel, and each channel gets its own samples at their own indices.
TEST(BoardSetsTest, InterleavedChannelsAreSplitAfterTheScan)
{
    Rig rig(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL, BoardKind::Brontel);
    // Channel 0 is acquired; channel 1 lends its buffer for the split.
    TestClient client5(5, 105, {0});
    auto* client = &client5;
    client->record.channelBuffers[1] = client->buffers[1].data();
    ASSERT_EQ(VYK_Register(&client->record), 0);
    ASSERT_EQ(VYK_ParamSet(&client->record), 0);
    VYK_EnableMultichannelSpectra(1);
    ASSERT_EQ(VYK_SingleScan(5), VYK_SUCCESS);
    ASSERT_TRUE(rig.fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, kBound));
    for (int p : {3, 1001, 2045}) {
        SCOPED_TRACE(p);
        EXPECT_EQ(client->buffers[0][static_cast<std::size_t>(p)],
                  static_cast<float>(SimulatedBoard::pixelValue(0, p)));
        EXPECT_EQ(client->buffers[1][static_cast<std::size_t>(p - 1)],
                  static_cast<float>(SimulatedBoard::pixelValue(1, p - 1)));
    }
    // Between two own samples a channel gets their mean.
    EXPECT_EQ(client->buffers[1][1001], (client->buffers[1][1000] + client->buffers[1][1002]) / 2);
    VYK_DisableMultichannelSpectra();
}

TEST(BoardSetsTest, D3StateIsStatusBit3OfTheBoard)
{
    struct Case
    {
        const char* name;
        int adc;
        BoardKind kind;
        bool hasInput;
    };
    for (const Case& c : {Case{"Brontel", VYK_ADC_BRONTEL, BoardKind::Brontel, true},
                          Case{"Dovrin", VYK_ADC_DOVRIN, BoardKind::Dovrin, true},
                          Case{"Fornic", VYK_ADC_FORNICPC104, BoardKind::Fornic, true},
                          Case{"CadrelPCI", VYK_ADC_CADRELPCI, BoardKind::CadrelPci, true},
                          Case{"DAQ700", VYK_ADC_DAQ700, BoardKind::Daq700, false}}) {
        SCOPED_TRACE(c.name);
        Rig rig(VYK_SPEC_ISTREL, c.adc, c.kind);
        EXPECT_EQ(VYK_GetD3State(), 0);
        rig.board->setTriggerInput(true);
        EXPECT_EQ(VYK_GetD3State(), c.hasInput ? 1 : 0);
    }
}

TEST(BoardSetsTest, ConnectingWithoutABackendSaysWhy)
{
    setBoardDeviceName("NoSuchBoard");
    auto fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL);
    if (connectBoard() == VYK_SUCCESS) {
        disconnectBoard();
        GTEST_SKIP() << "raw port I/O is permitted here";
    }
    EXPECT_FALSE(lastBoardError().empty());
    EXPECT_FALSE(boardConnected());
    core::detachDriver();
}

} // namespace
} // namespace driver::boards
