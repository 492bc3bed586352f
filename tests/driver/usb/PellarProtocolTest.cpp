#include "driver/usb/PellarProtocol.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace driver::usb {
namespace {

TEST(PellarProtocolTest, InformationReplyIsBigEndianWordsThenBytes)
{
    const std::array<std::uint8_t, 16> reply{0x01, 0x00, 0xAB, 0xCD, 9, 8, 7, 6, 5, 0xEE};
    const auto info = decodePellarInfo(reply);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pixelCount, 256);
    EXPECT_EQ(info->word2, 0xABCD);
    EXPECT_EQ(info->bytes, (std::array<std::uint8_t, 5>{9, 8, 7, 6, 5}));
    EXPECT_EQ(encodePellarInfo(*info)[0], 0x01);
    EXPECT_EQ(decodePellarInfo(std::span(reply).first(15)), std::nullopt);
}

TEST(PellarProtocolTest, ReportedPixelCountIsClampedToTheArrays)
{
    const struct
    {
        std::uint16_t reported;
        std::size_t used;
    } cases[] = {{0, 0}, {256, 256}, {2048, 2048}, {2049, 2048}, {0xFFFF, 2048}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reported);
        EXPECT_EQ(clampPellarPixelCount(c.reported), c.used);
    }
}

TEST(PellarProtocolTest, BlocksAreLittleEndianWordsWithTheSyncByteLast)
{
    const std::vector<std::uint16_t> pixels{0x1234, 0xFFFF, 0x0000, 0x8001};
    const auto block = encodePellarBlock(pixels);
    EXPECT_EQ(block, (std::vector<std::uint8_t>{0x34, 0x12, 0xFF, 0xFF, 0, 0, 0x01, 0x80, 0x69}));

    struct Case
    {
        std::string name;
        std::vector<std::uint8_t> bytes;
        DecodeStatus status;
    };
    const auto badSync = encodePellarBlock(pixels, 0x68);
    std::vector<std::uint8_t> longer{0x00};
    longer.insert(longer.end(), block.begin(), block.end());
    const Case cases[] = {
        {"good", block, DecodeStatus::Ok},
        {"bad sync", badSync, DecodeStatus::BadSync},
        {"one word short", std::vector<std::uint8_t>(block.begin() + 2, block.end()),
         DecodeStatus::Truncated},
        {"one byte long", longer, DecodeStatus::Truncated},
        {"empty", {}, DecodeStatus::Truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<std::uint16_t, 4> out{7, 7, 7, 7};
        EXPECT_EQ(decodePellarBlock(c.bytes, pixels.size(), out), c.status);
        if (c.status == DecodeStatus::Ok) {
            EXPECT_TRUE(std::equal(out.begin(), out.end(), pixels.begin()));
        } else {
            EXPECT_EQ(out, (std::array<std::uint16_t, 4>{7, 7, 7, 7})) << "touched on failure";
        }
    }
}

TEST(PellarProtocolTest, ABlockLongerThanTheArrayFillsOnlyTheArray)
{
    std::vector<std::uint16_t> pixels(3000);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint16_t>(i);
    const auto block = encodePellarBlock(pixels);
    std::vector<std::uint16_t> out(kPellarMaxPixels + 1, 0xBEEF);
    EXPECT_EQ(decodePellarBlock(block, pixels.size(), std::span(out).first(kPellarMaxPixels)),
              DecodeStatus::Ok);
    EXPECT_EQ(out[kPellarMaxPixels - 1], kPellarMaxPixels - 1);
    EXPECT_EQ(out[kPellarMaxPixels], 0xBEEF);
}

TEST(PellarProtocolTest, CommandsAndSettlingWait)
{
    EXPECT_EQ(encodePellarCommand16(kPellarIntegration, 0x1170),
              (std::array<std::uint8_t, 3>{0x02, 0x70, 0x11}));
    EXPECT_EQ(encodePellarCommand16(kPellarStrobe, 1), (std::array<std::uint8_t, 3>{0x03, 1, 0}));
    EXPECT_EQ(pellarIntegrationSettleMs(24, 10), 25u);
    EXPECT_EQ(pellarIntegrationSettleMs(3, 10), 25u);
    EXPECT_EQ(pellarIntegrationSettleMs(25, 10), 30u);
    EXPECT_EQ(pellarIntegrationSettleMs(1000, 10), 1200u);
}

TEST(PellarProtocolTest, DarkLevelsDropTheExtremesAndMoveAQuarterOfTheWay)
{
    // Even pixels 10, 12, ... with one outlier each way; odd pixels 100 + outliers.
    std::vector<float> pixels(20, 0.0f);
    const float even[7] = {10, 11, 12, 13, 14, 1000, -1000};
    const float odd[7] = {100, 101, 102, 103, 104, 0, 5000};
    for (int k = 0; k < 7; ++k) {
        pixels[2 * k] = even[k];
        pixels[2 * k + 1] = odd[k];
    }
    pixels[18] = 50.0f;
    pixels[19] = 60.0f;
    float evenLevel = 4.0f;
    float oddLevel = 8.0f;
    correctPellarDark(pixels, evenLevel, oddLevel);
    // (sum - max - min) / 5 = 12 and 102; a quarter of the way from 4 and 8.
    EXPECT_FLOAT_EQ(evenLevel, 12.0f * 0.25f + 4.0f * 0.75f);
    EXPECT_FLOAT_EQ(oddLevel, 102.0f * 0.25f + 8.0f * 0.75f);
    EXPECT_FLOAT_EQ(pixels[0], 10.0f - evenLevel);
    EXPECT_FLOAT_EQ(pixels[1], 100.0f - oddLevel);
    EXPECT_FLOAT_EQ(pixels[18], 50.0f - evenLevel);
    EXPECT_FLOAT_EQ(pixels[19], 60.0f - oddLevel);

    std::vector<float> few(13, 1.0f);
    correctPellarDark(few, evenLevel, oddLevel);
    EXPECT_EQ(few, std::vector<float>(13, 1.0f));
}

} // namespace
} // namespace driver::usb
