#include "driver/usb/UsbProtocol.h"

#include "sim/usb/SimulatedUsbSpectrometer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace driver::usb {
namespace {

using sim::usb::SimulatedUsbSpectrometer;

std::array<std::uint16_t, kBlockPixels> patternPixels()
{
    std::array<std::uint16_t, kBlockPixels> pixels{};
    for (std::size_t i = 0; i < kBlockPixels; ++i)
        pixels[i] = static_cast<std::uint16_t>((i * 37 + 11) & 0x0FFF);
    return pixels;
}

TEST(UsbBlockTest, UnpacksWhatTheDevicePacks)
{
    const auto pixels = patternPixels();
    const auto block = SimulatedUsbSpectrometer::packBlock(pixels);
    std::array<std::uint16_t, kBlockPixels> out{};
    ASSERT_EQ(unpackSpectrumBlock(block, out), DecodeStatus::Ok);
    EXPECT_EQ(out, pixels);
}

TEST(UsbBlockTest, LayoutIsLowBytesThenHighBytesPerPacketAndHighNibbleDropped)
{
    std::vector<std::uint8_t> block(kBlockBytes, 0);
    block[0] = 0x34;      // pixel 0 low
    block[64] = 0xF2;     // pixel 0 high: the upper four bits are dropped
    block[128 + 63] = 1;  // pixel 127 low
    block[128 + 127] = 8; // pixel 127 high
    block[4096] = kSyncByte;
    std::array<std::uint16_t, kBlockPixels> out{};
    ASSERT_EQ(unpackSpectrumBlock(block, out), DecodeStatus::Ok);
    EXPECT_EQ(out[0], 0x234);
    EXPECT_EQ(out[127], 0x801);
    EXPECT_EQ(out[1], 0);
}

TEST(UsbBlockTest, RefusedBlocksLeaveThePixelsUntouched)
{
    const auto pixels = patternPixels();
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        DecodeStatus status;
    };
    const auto good = SimulatedUsbSpectrometer::packBlock(pixels);
    const auto badSync = SimulatedUsbSpectrometer::packBlock(pixels, 0x68);
    const std::vector<Case> cases = {
        {"empty", {}, DecodeStatus::Truncated},
        {"one byte short", std::vector<std::uint8_t>(good.begin(), good.end() - 1),
         DecodeStatus::Truncated},
        {"wrong sync byte", std::vector<std::uint8_t>(badSync.begin(), badSync.end()),
         DecodeStatus::BadSync},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<std::uint16_t, kBlockPixels> out{};
        out.fill(0xBEEF);
        EXPECT_EQ(unpackSpectrumBlock(c.bytes, out), c.status);
        EXPECT_EQ(out[0], 0xBEEF);
        EXPECT_EQ(out[2047], 0xBEEF);
    }
}

TEST(UsbProtocolTest, FirmwareVersions)
{
    const struct
    {
        const char* text;
        std::uint32_t version;
    } cases[] = {
        {"Pavik 2.41.3", 2041003}, {"Solvi 1.2.0", 1002000}, {"Pavik 2.50.1 beta", 2050001},
        {"Pavik2.41.3", 0},        {"Pavik 2.41", 0},        {"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseFirmwareVersion(c.text), c.version);
    }
}

TEST(UsbProtocolTest, StringDescriptors)
{
    auto descriptor = [](std::size_t declared, std::size_t units) {
        std::vector<std::uint8_t> d{static_cast<std::uint8_t>(declared), 3};
        for (std::size_t i = 0; i < units; ++i) {
            d.push_back(static_cast<std::uint8_t>('a' + i % 26));
            d.push_back(0);
        }
        return d;
    };
    const struct
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t maxChars;
        std::string text;
    } cases[] = {
        {"length byte 2", descriptor(2, 5), 128, ""},
        {"three units", descriptor(8, 3), 128, "abc"},
        {"long descriptor is cut at 128", descriptor(255, 150), 128, std::string()},
        {"cut to a 31-character field", descriptor(255, 150), 31, std::string()},
        {"declared longer than received", descriptor(40, 2), 128, "ab"},
        {"one byte", {5}, 128, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = decodeStringDescriptor(c.bytes, c.maxChars);
        if (c.text.empty() && c.bytes.size() > 200)
            EXPECT_EQ(text.size(), std::min<std::size_t>(c.maxChars, 126));
        else
            EXPECT_EQ(text, c.text);
    }
}

TEST(UsbProtocolTest, RecognitionNeedsFourPipesAndEndpointSeven)
{
    const struct
    {
        const char* name;
        std::vector<std::uint8_t> endpoints;
        bool recognised;
    } cases[] = {
        {"maker's pipes", {0x01, 0x82, 0x86, 0x87}, true},
        {"endpoint 7 out", {0x07, 0x82, 0x86, 0x88}, true},
        {"no endpoint 7", {0x01, 0x82, 0x84, 0x85}, false},
        {"three pipes", {0x01, 0x82, 0x87}, false},
        {"five pipes", {0x01, 0x82, 0x86, 0x87, 0x08}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isMakerInterface(c.endpoints), c.recognised);
    }
}

TEST(UsbProtocolTest, PacketsAndReplies)
{
    EXPECT_EQ(encodeCommand16(0x02, 64000), (std::array<std::uint8_t, 3>{0x02, 0x00, 0xFA}));
    const auto slot = encodeSlotWrite(0x06, 3, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(slot[0], 0x06);
    EXPECT_EQ(slot[1], 3);
    EXPECT_EQ(std::string(slot.begin() + 2, slot.end()), "ABCDEFGHIJKLMNO");
    const auto shortSlot = encodeSlotWrite(0x24, 1, "1.5");
    EXPECT_EQ(shortSlot[5], 0);

    std::vector<std::uint8_t> serial(16, 0);
    serial[0] = 0x08;
    for (int i = 1; i < 16; ++i)
        serial[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('A' + i);
    EXPECT_EQ(decodeSerialReply(serial), "BCDEFGHIJKLMNOP");
    EXPECT_EQ(decodeSerialReply(std::vector<std::uint8_t>{8}), "");

    std::vector<std::uint8_t> reply(17, 0);
    reply[2] = 'x';
    reply[3] = 'y';
    EXPECT_EQ(decodeSlotReply(reply), "xy");
    reply.pop_back();
    EXPECT_EQ(decodeSlotReply(reply), "");
}

TEST(UsbProtocolTest, BoundedCopiesAndSettleTimes)
{
    char field[16];
    std::memset(field, 'z', sizeof field);
    copyBounded(field, sizeof field, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012"); // 29 characters
    EXPECT_EQ(std::string(field), "ABCDEFGHIJKLMNO");

    const struct
    {
        int oldMs, newMs, divisor;
        std::uint32_t waitMs;
    } cases[] = {{0, 10, 10, 35},
                 {29, 3, 10, 35},
                 {30, 3, 10, 36},
                 {100, 1000, 10, 1200},
                 {1000, 3, 10, 1200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newMs);
        EXPECT_EQ(integrationSettleMs(c.oldMs, c.newMs, c.divisor), c.waitMs);
    }
}

} // namespace
} // namespace driver::usb
