#include "driver/usb/XandelProtocol.h"

#include <algorithm>
#include <cmath>

namespace driver::usb::xandel {
namespace {

std::uint16_t bigEndian(std::uint8_t high, std::uint8_t low)
{
    return static_cast<std::uint16_t>((high << 8) | low);
}

} // namespace

std::array<std::uint8_t, 3> encodeIntegration(long long ms)
{
    const auto value = static_cast<std::uint16_t>(std::clamp<long long>(ms, 1, 0xFFFF));
    return {kIntegration, static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value & 0xFF)};
}

std::array<std::uint8_t, 6> encodeSetPoint(float celsius)
{
    const double tenths = std::isfinite(celsius) ? std::trunc(double(celsius) * 10.0) : 0.0;
    const auto word = static_cast<std::uint16_t>(
        static_cast<std::int16_t>(std::clamp(tenths, -32768.0, 32767.0)));
    return {kSetPoint,
            0x00,
            static_cast<std::uint8_t>(word >> 8),
            static_cast<std::uint8_t>(word & 0xFF),
            0x00,
            0x00};
}

DecodeStatus unpackBlock(std::span<const std::uint8_t> block, std::size_t pixels,
                         std::span<std::uint16_t, kBlockPixels> out)
{
    pixels = std::min(pixels, kBlockPixels);
    const std::size_t bytes = blockBytes(pixels);
    if (block.size() < bytes)
        return DecodeStatus::Truncated;
    if (block[bytes - 1] != kSyncByte)
        return DecodeStatus::BadSync;
    std::fill(out.begin(), out.end(), std::uint16_t{0});
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::size_t packet = i / 64;
        const std::size_t j = i % 64;
        const std::uint16_t raw = bigEndian(block[packet * 128 + 64 + j], block[packet * 128 + j]);
        out[i] = static_cast<std::uint16_t>(raw ^ 0x8000);
    }
    // The first pixel carries no light.
    out[0] = 0;
    return DecodeStatus::Ok;
}

XandelStatus decodeStatus(std::span<const std::uint8_t, kStatusReplyBytes> r)
{
    XandelStatus s{};
    s.field1 = bigEndian(r[0], r[1]);
    s.field2 = bigEndian(r[2], r[3]);
    s.field3 = r[4] != 0;
    s.field4 = r[5];
    s.field5 = r[6] != 0;
    s.field6 = r[7] != 0;
    s.field7 = r[8] != 0;
    s.field8 = r[9] != 0;
    s.field9 = r[10] != 0;
    s.field10 = r[11];
    s.field11 = r[12] != 0;
    s.field12 = r[13] & 1;
    s.field13 = (r[13] >> 1) & 1;
    return s;
}

XandelTemperatureStatus decodeTemperatures(std::span<const std::uint8_t, kTemperatureReplyBytes> r)
{
    XandelTemperatureStatus t{};
    for (std::size_t w = 0; w < 6; ++w)
        t.words[w] = bigEndian(r[2 + 2 * w], r[3 + 2 * w]);
    return t;
}

} // namespace driver::usb::xandel
