#include "driver/usb/PellarProtocol.h"

#include <algorithm>

namespace driver::usb {

std::optional<PellarInfo> decodePellarInfo(std::span<const std::uint8_t> reply)
{
    if (reply.size() < kPellarInfoReplyBytes)
        return std::nullopt;
    PellarInfo info;
    info.pixelCount = static_cast<std::uint16_t>((reply[0] << 8) | reply[1]);
    info.word2 = static_cast<std::uint16_t>((reply[2] << 8) | reply[3]);
    std::copy_n(reply.begin() + 4, info.bytes.size(), info.bytes.begin());
    return info;
}

std::size_t clampPellarPixelCount(std::uint16_t reported)
{
    return std::min<std::size_t>(reported, kPellarMaxPixels);
}

DecodeStatus decodePellarBlock(std::span<const std::uint8_t> block, std::size_t pixels,
                               std::span<std::uint16_t> out)
{
    if (block.size() != pellarBlockBytes(pixels))
        return DecodeStatus::Truncated;
    if (block.back() != kSyncByte)
        return DecodeStatus::BadSync;
    for (std::size_t k = 0; k < std::min(pixels, out.size()); ++k)
        out[k] = static_cast<std::uint16_t>(block[2 * k] | (block[2 * k + 1] << 8));
    return DecodeStatus::Ok;
}

std::array<std::uint8_t, 3> encodePellarCommand16(PellarCommand command, std::uint16_t value)
{
    return encodeCommand16(command, value);
}

std::uint32_t pellarIntegrationSettleMs(int integrationMs, int divisor)
{
    if (integrationMs <= 24)
        return 25;
    return static_cast<std::uint32_t>(integrationMs) * 12u /
           static_cast<std::uint32_t>(std::max(divisor, 1));
}

void correctPellarDark(std::span<float> pixels, float& evenLevel, float& oddLevel)
{
    constexpr std::size_t kDarkPixels = 14;
    if (pixels.size() < kDarkPixels)
        return;
    auto estimate = [&](std::size_t first) {
        float sum = 0.0f;
        float low = pixels[first];
        float high = pixels[first];
        for (std::size_t i = first; i < kDarkPixels; i += 2) {
            sum += pixels[i];
            low = std::min(low, pixels[i]);
            high = std::max(high, pixels[i]);
        }
        return (sum - high - low) / 5.0f;
    };
    evenLevel = estimate(0) * 0.25f + evenLevel * 0.75f;
    oddLevel = estimate(1) * 0.25f + oddLevel * 0.75f;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] -= (i % 2 == 0) ? evenLevel : oddLevel;
}

} // namespace driver::usb
