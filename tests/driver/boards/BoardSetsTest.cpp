#include "driver/boards/BoardCommon.h"
#include "driver/boards/BoardConnection.h"
#include "driver/core/DriverState.h"
#include "platform/portio/DriverXDevice.h"
#include "sim/boards/SimulatedBoard.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <gtest/gtest.h>

#include <chrono>

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
