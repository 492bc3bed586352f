#include "platform/portio/DriverXDevice.h"
#include "platform/portio/PciResources.h"
#include "platform/portio/RawPortIo.h"
#include "platform/portio/TransferList.h"
#include "sim/boards/SimulatedBoard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>

namespace platform::portio {
namespace {

using sim::boards::BoardKind;
using sim::boards::SimulatedBoard;

std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

TEST(TransferListTest, EncodesHeaderEntriesAndExtraArea)
{
    TransferList list(1, 3, 8);
    ASSERT_TRUE(list.appendWrite(4, 2, 0x1234));
    ASSERT_TRUE(list.appendRead(6, 1));
    ASSERT_TRUE(list.appendBoard(2, 2));
    EXPECT_FALSE(list.appendBoard4()) << "a full list refuses more entries";
    EXPECT_FALSE(TransferList(0, 1, 0).appendRead(0, 3)) << "width 3 does not exist";
    list.extra()[0] = 0xAB;
    const auto bytes = list.encode(7);
    ASSERT_EQ(bytes.size(), 48u + 3 * 32 + 8);
    const struct
    {
        std::size_t at;
        std::uint32_t word;
    } cases[] = {{0, 7},  {4, 0x40000}, {8, 1},    {12, 3},    {16, 3},      {20, 1},
                 {32, 8}, {36, 8},      {48, 194}, {52, 4},    {56, 0x1234}, {80, 129},
                 {84, 6}, {112, 226},   {116, 2},  {144, 0xAB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        EXPECT_EQ(wordAt(bytes, c.at), c.word);
    }
}

struct OpenedDevice
{
    std::shared_ptr<SimulatedBoard> board = std::make_shared<SimulatedBoard>(BoardKind::Brontel);
    std::atomic<int> handled{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::unique_ptr<DriverXDevice> device;

    OpenedDevice()
    {
        registerDeviceBackend(kDefaultDeviceName, board);
        device = std::make_unique<DriverXDevice>([this] {
            // The handler's own port I/O takes the device lock again.
            device->writePortByte(4, 0);
            {
                std::lock_guard lock(mutex);
                ++handled;
            }
            changed.notify_all();
        });
    }
    ~OpenedDevice()
    {
        device.reset();
        unregisterDeviceBackend(kDefaultDeviceName);
    }
    bool waitHandled(int count)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return handled >= count; });
    }
};

TEST(DriverXDeviceTest, NullNameOpensTheDefaultDeviceAndListsRunInOrder)
{
    OpenedDevice d;
    ASSERT_TRUE(d.device->open(nullptr)) << d.device->lastError();
    int slot = -1;
    ASSERT_TRUE(d.device->registerPortRange(0x300, 16, &slot));
    EXPECT_EQ(slot, 0);
    TransferList list(0, 3, 0);
    std::uint32_t copied = 0xFFFF;
    list.appendWrite(7, 1, 9);
    list.appendRead(5, 1); // no copy address: the value stays in the list
    list.appendRead(5, 1, &copied);
    d.board->setTriggerInput(true);
    ASSERT_TRUE(d.device->runTransferList(list));
    EXPECT_EQ(list.entries()[1].words[1], 8u);
    EXPECT_EQ(copied, 8u);
    EXPECT_EQ(d.board->writes(), (std::vector<sim::boards::PortWrite>{{0, 7, 1, 9}}));
    TransferList empty(0, 2, 0);
    EXPECT_TRUE(d.device->runTransferList(empty));
    TransferList unmapped(5, 1, 0);
    unmapped.appendWrite(0, 1, 0);
    EXPECT_FALSE(d.device->runTransferList(unmapped)) << "range 5 was never mapped";
}

TEST(DriverXDeviceTest, InterruptThreadCallsTheHandlerAndStopsWithinItsBound)
{
    OpenedDevice d;
    ASSERT_TRUE(d.device->open("_Default30"));
    ASSERT_TRUE(d.device->registerPortRange(0x300, 16, nullptr));
    ASSERT_TRUE(d.device->connectInterrupt(7));
    ASSERT_TRUE(d.device->startInterruptThread());
    d.device->writePortByte(4, 0x41); // arm: the board interrupts
    ASSERT_TRUE(d.waitHandled(1));
    d.device->writePortByte(4, 0x41);
    ASSERT_TRUE(d.waitHandled(2));
    const auto before = std::chrono::steady_clock::now();
    d.device->stopInterruptThread();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(d.device->interruptThreadRunning());
}

// The work after the handler (killing a timer whose callback does port I/O) runs with the
// device lock released: another thread's port I/O gets through while it waits.
TEST(DriverXDeviceTest, TheAfterHandlerRunsWithoutTheDeviceLock)
{
    auto board = std::make_shared<SimulatedBoard>(BoardKind::Brontel);
    registerDeviceBackend(kDefaultDeviceName, board);
    std::promise<bool> otherThreadGotThrough;
    std::atomic<bool> done{false};
    std::unique_ptr<DriverXDevice> device;
    device = std::make_unique<DriverXDevice>(
        [&] { device->writePortByte(4, 0); },
        [&] {
            if (done.exchange(true))
                return;
            // As a timer callback would: port I/O on another thread, waited for here.
            auto other = std::async(std::launch::async, [&] { return device->readPortByte(5); });
            otherThreadGotThrough.set_value(other.wait_for(std::chrono::seconds(5)) ==
                                            std::future_status::ready);
        });
    ASSERT_TRUE(device->open(nullptr));
    ASSERT_TRUE(device->registerPortRange(0x300, 16, nullptr));
    ASSERT_TRUE(device->connectInterrupt(7));
    ASSERT_TRUE(device->startInterruptThread());
    device->writePortByte(4, 0x41);
    auto result = otherThreadGotThrough.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(result.get());
    device.reset();
    unregisterDeviceBackend(kDefaultDeviceName);
}

TEST(DriverXDeviceTest, BlockReadsReturnTheFifoInOrder)
{
    OpenedDevice d;
    ASSERT_TRUE(d.device->open(nullptr));
    ASSERT_TRUE(d.device->registerPortRange(0x300, 16, nullptr));
    d.device->writePortByte(4, 0x41);
    std::vector<std::uint8_t> bytes(8);
    ASSERT_TRUE(d.device->readPortBlock(0, 6, 2, bytes));
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const int sample = bytes[2 * k] | (bytes[2 * k + 1] << 8);
        EXPECT_EQ(sample & 0xFFF, SimulatedBoard::pixelValue(0, k + 1));
    }
}

TEST(RawPortIoTest, OpensOnlyWithTheRightsAndSaysWhyNot)
{
    RawPortIo raw;
    std::string error;
    if (raw.open(error)) {
        GTEST_SKIP() << "this user may do raw port I/O";
    }
    EXPECT_NE(error.find("not permitted"), std::string::npos) << error;
    DriverXDevice device([] {});
    EXPECT_FALSE(device.open("NoSuchBoard"));
    EXPECT_NE(device.lastError().find("NoSuchBoard"), std::string::npos);
}

TEST(PciResourcesTest, ReadsPortAndMemoryRangesAndTheIrq)
{
    const std::filesystem::path root =
        std::filesystem::path(std::getenv("HARLUNE_TEST_DIR") ? std::getenv("HARLUNE_TEST_DIR")
                                                              : ".") /
        "pci";
    const auto card = root / "0000:03:00.0";
    std::filesystem::create_directories(card);
    std::ofstream(card / "resource") << "0x00000000f7e00000 0x00000000f7e0007f 0x0000000000040200\n"
                                        "0x000000000000e000 0x000000000000e07f 0x0000000000040101\n"
                                        "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
                                        "garbage line\n";
    std::ofstream(card / "irq") << "17\n";
    std::ofstream(card / "vendor") << "0x10b5\n";
    std::ofstream(card / "device") << "0x9050\n";
    const auto resources = readPciResources(card.string());
    ASSERT_TRUE(resources);
    ASSERT_EQ(resources->portRanges.size(), 1u);
    EXPECT_EQ(resources->portRanges[0].start, 0xE000u);
    EXPECT_EQ(resources->portRanges[0].length, 0x80u);
    ASSERT_EQ(resources->memoryRanges.size(), 1u);
    EXPECT_EQ(resources->irqs, std::vector<int>{17});
    EXPECT_EQ(findPciDevices(root.string(), 0x10b5, 0x9050).size(), 1u);
    EXPECT_TRUE(findPciDevices(root.string(), 0x10b5, 0x9051).empty());
    EXPECT_FALSE(readPciResources((root / "missing").string()));
}

} // namespace
} // namespace platform::portio
