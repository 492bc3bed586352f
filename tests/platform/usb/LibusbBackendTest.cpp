#include "platform/usb/LibusbBackend.h"

#include "platform/usb/EzusbDriver.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/platform/usb/FakeLibusb.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace platform::usb::test {
namespace {

using sim::usb::SimIdentity;
using sim::usb::SimulatedUsbSpectrometer;

constexpr std::uint16_t kVendor = 0x3A7C;
constexpr std::uint16_t kProduct = 0x5101;

std::shared_ptr<SimulatedUsbSpectrometer> simNamed(const std::string& serial,
                                                   std::uint16_t product = kProduct)
{
    return std::make_shared<SimulatedUsbSpectrometer>(
        SimIdentity{kVendor, product, serial, "Pavik 2.50.1", true});
}

class LibusbBackendTest : public ::testing::Test
{
protected:
    void SetUp() override { FakeLibusb::instance().reset(); }
    void TearDown() override
    {
        // Every list, configuration and handle the backend took was given back.
        EXPECT_EQ(FakeLibusb::instance().listsOut(), 0);
        EXPECT_EQ(FakeLibusb::instance().configsOut(), 0);
        FakeLibusb::instance().reset();
    }
    static std::shared_ptr<UsbBackend> backend()
    {
        static const LibusbApi api = FakeLibusb::api();
        return makeLibusbBackend(api, {{kVendor, kProduct}, {kVendor, 0x5102}});
    }
    // The firmware text a device reports, to tell devices apart.
    static std::string serialAt(EzusbDriver& driver, int index)
    {
        const auto handle = driver.open("Ezusb-" + std::to_string(index));
        if (handle == EzusbDriver::kInvalidHandle)
            return "<none>";
        const std::array<std::uint8_t, 2> query{0x08, 0x00};
        EXPECT_TRUE(driver.bulkWrite(handle, 0, query, 100));
        std::array<std::uint8_t, 16> reply{};
        const auto got = driver.bulkRead(handle, 3, reply, 100);
        driver.close(handle);
        if (!got || *got != 16)
            return "<no reply>";
        return std::string(reinterpret_cast<const char*>(reply.data() + 1));
    }
};

TEST_F(LibusbBackendTest, DevicesAreNamedInBusAndPortOrderAndOthersAreSkipped)
{
    FakeLibusb& fake = FakeLibusb::instance();
    fake.add({2, {1}, simNamed("B2P1"), false, false});
    fake.add({1, {3, 1}, simNamed("B1P31"), false, false});
    fake.add({1, {2}, simNamed("OTHER", 0x9999), false, false});
    fake.add({1, {2}, simNamed("B1P2", 0x5102), false, false});
    fake.add({1, {3}, simNamed("B1P3"), false, false});
    auto be = backend();
    ASSERT_NE(be, nullptr);
    EzusbDriver driver(be);
    EXPECT_EQ(be->deviceCount(), 4);
    const std::vector<std::string> expected = {"B1P2", "B1P3", "B1P31", "B2P1", "<none>"};
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(serialAt(driver, i), expected[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(fake.openHandles(), 0);
}

TEST_F(LibusbBackendTest, PipesAreTheEndpointsOfInterfaceZero)
{
    auto sim = simNamed("P1");
    FakeLibusb::instance().add({1, {1}, sim, false, false});
    EzusbDriver driver(backend());
    const auto handle = driver.open("\\\\.\\Ezusb-0");
    ASSERT_NE(handle, EzusbDriver::kInvalidHandle);
    EXPECT_EQ(driver.pipes(handle), (std::vector<std::uint8_t>{0x01, 0x82, 0x86, 0x87}));
    const auto descriptor = driver.deviceDescriptor(handle);
    ASSERT_TRUE(descriptor);
    EXPECT_EQ((*descriptor)[8] | (*descriptor)[9] << 8, kVendor);
    EXPECT_EQ((*descriptor)[10] | (*descriptor)[11] << 8, kProduct);

    const std::array<std::uint8_t, 3> command{0x02, 0x0A, 0x00};
    EXPECT_TRUE(driver.bulkWrite(handle, 0, command, 100));
    ASSERT_EQ(sim->log().size(), 1u);
    EXPECT_EQ(sim->log()[0].bytes, std::vector<std::uint8_t>(command.begin(), command.end()));
    EXPECT_EQ(sim->integrationMs(), 10);

    struct Case
    {
        const char* name;
        int pipe;
        bool write;
    };
    const Case refused[] = {{"write on an IN pipe", 3, true},
                            {"read on the OUT pipe", 0, false},
                            {"pipe beyond the list", 4, false},
                            {"negative pipe", -1, true}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        std::array<std::uint8_t, 4> buffer{};
        if (c.write)
            EXPECT_FALSE(driver.bulkWrite(handle, c.pipe, buffer, 100));
        else
            EXPECT_FALSE(driver.bulkRead(handle, c.pipe, buffer, 100));
    }

    // String descriptor 1 through a control transfer.
    std::array<std::uint8_t, 64> text{};
    const int got = driver.stringDescriptor(handle, 1, 0x0409, text);
    EXPECT_EQ(got, 2 + 2 * 12);
    EXPECT_EQ(text[2], 'P');
    EXPECT_TRUE(driver.resetPipe(handle, 1));
    driver.close(handle);
    EXPECT_EQ(FakeLibusb::instance().openHandles(), 0);
}

TEST_F(LibusbBackendTest, TransferResultsAreMapped)
{
    auto sim = simNamed("P1");
    FakeLibusb::instance().add({1, {1}, sim, false, false});
    EzusbDriver driver(backend());
    const auto handle = driver.open("Ezusb-0");
    ASSERT_NE(handle, EzusbDriver::kInvalidHandle);
    const std::array<std::uint8_t, 2> query{0x08, 0x00};
    std::array<std::uint8_t, 16> reply{};

    // A failed transfer fails the write.
    sim->failNextTransfers(1);
    EXPECT_FALSE(driver.bulkWrite(handle, 0, query, 100));
    // Nothing to read: the bounded read ends with a failure.
    EXPECT_FALSE(driver.bulkRead(handle, 3, reply, 20));
    // A short reply is a short read, not a failure.
    sim->shortenNextReplies(1);
    EXPECT_TRUE(driver.bulkWrite(handle, 0, query, 100));
    EXPECT_EQ(driver.bulkRead(handle, 3, reply, 100), std::optional<std::size_t>(8));
    // An unplugged device fails every transfer and leaves the list; the old handle stays
    // dead after the replug, a new one works.
    sim->unplug();
    EXPECT_FALSE(driver.bulkWrite(handle, 0, query, 100));
    EXPECT_FALSE(driver.resetPipe(handle, 1));
    EXPECT_EQ(driver.open("Ezusb-0"), EzusbDriver::kInvalidHandle);
    sim->replug();
    EXPECT_FALSE(driver.bulkWrite(handle, 0, query, 100));
    const auto again = driver.open("Ezusb-0");
    ASSERT_NE(again, EzusbDriver::kInvalidHandle);
    EXPECT_TRUE(driver.bulkWrite(again, 0, query, 100));
    driver.close(again);
    driver.close(handle);
}

TEST_F(LibusbBackendTest, AnAbortEndsAReadWithoutTimeOut)
{
    auto sim = simNamed("P1");
    FakeLibusb::instance().add({1, {1}, sim, false, false});
    EzusbDriver driver(backend());
    const auto handle = driver.open("Ezusb-0");
    std::array<std::uint8_t, 64> buffer{};
    int polls = 0;
    // The cancel check runs between read slices; the third check answers stop.
    const auto got = driver.bulkRead(handle, 1, buffer, 0, [&] { return ++polls >= 3; });
    EXPECT_FALSE(got);
    EXPECT_EQ(polls, 3);
    driver.close(handle);
}

TEST_F(LibusbBackendTest, DevicesThatCannotBeOpenedOrClaimedAreNotOpened)
{
    FakeLibusb::instance().add({1, {1}, simNamed("P1"), true, false});
    FakeLibusb::instance().add({1, {2}, simNamed("P2"), false, true});
    EzusbDriver driver(backend());
    EXPECT_EQ(driver.open("Ezusb-0"), EzusbDriver::kInvalidHandle);
    EXPECT_EQ(driver.open("Ezusb-1"), EzusbDriver::kInvalidHandle);
    EXPECT_EQ(FakeLibusb::instance().openHandles(), 0);
}

TEST(EzusbNameTest, OnlyEzusbNamesParse)
{
    const struct
    {
        const char* name;
        int index;
    } cases[] = {{"Ezusb-0", 0},   {"\\\\.\\Ezusb-12", 12}, {"Ezusb-", -1},
                 {"Ezusb-1x", -1}, {"ezusb-1", -1},         {"Ezusb--1", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ezusbIndexFromName(c.name), c.index);
    }
}

} // namespace
} // namespace platform::usb::test
