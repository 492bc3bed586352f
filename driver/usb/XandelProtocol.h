#pragma once

#include "driver/include/vykdrv32.h"
#include "driver/usb/UsbProtocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The Xandel interface's own commands and replies: pure functions over bytes. Its
// integration and set-point values are big-endian, unlike the other EZ-USB models'.
namespace driver::usb::xandel {

inline constexpr std::uint8_t kCooler = 0x0B;
inline constexpr std::uint8_t kHighGain = 0x0C;
inline constexpr std::uint8_t kFan = 0x0D;
inline constexpr std::uint8_t kIntegrationScalar = 0x10;
inline constexpr std::uint8_t kSetPoint = 0x3E;
inline constexpr std::uint8_t kTemperatures = 0x3F;
inline constexpr std::uint8_t kStatus = 0xFE;

inline constexpr std::size_t kStatusReplyBytes = 16;
inline constexpr std::size_t kTemperatureReplyBytes = 14;
inline constexpr std::size_t kWessorPixels = 512;
inline constexpr std::size_t kVelkoPixels = 256;
// The longest block: 2 x 512 pixels and the sync byte.
inline constexpr std::size_t kMaxBlockBytes = 2 * kWessorPixels + 1;

// The block of `pixels` pixels: 2 x pixels + 1 bytes.
constexpr std::size_t blockBytes(std::size_t pixels)
{
    return 2 * pixels + 1;
}

// 0x02, value high, value low: 0 and below go as 1, 65536 and above as 0xFFFF.
std::array<std::uint8_t, 3> encodeIntegration(long long ms);
// 0x3E, 0, value high, value low, 0, 0: the truncated tenths of a degree, big-endian.
std::array<std::uint8_t, 6> encodeSetPoint(float celsius);

// Unpacks a block of `pixels` pixels: packets of 128 bytes (64 low bytes, then 64 high
// bytes), the sync byte last; pixel = (high x 256 + low) XOR 0x8000, and pixel 0 = 0. The
// whole array is cleared first, so pixels beyond the detector's count are 0. Untouched
// unless Ok.
DecodeStatus unpackBlock(std::span<const std::uint8_t> block, std::size_t pixels,
                         std::span<std::uint16_t, kBlockPixels> out);

// The 16-byte status reply.
XandelStatus decodeStatus(std::span<const std::uint8_t, kStatusReplyBytes> reply);
// The 14-byte temperature reply: words from bytes 2 and 3, 4 and 5 ... 12 and 13.
XandelTemperatureStatus
decodeTemperatures(std::span<const std::uint8_t, kTemperatureReplyBytes> reply);

} // namespace driver::usb::xandel
