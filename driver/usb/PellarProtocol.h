#pragma once

#include "driver/usb/UsbProtocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The command protocol of the Pellar system: pure functions over bytes. The Pellar rides on
// the EZ-USB pipes of the other models (commands on pipe 0, blocks on pipe 1, replies on
// pipe 3) but sends blocks of its own layout: 2 x pixel count bytes of little-endian
// 16-bit pixel words, then the sync byte 0x69.
namespace driver::usb {

// Commands of the Pellar (first byte of each packet on the command pipe).
enum PellarCommand : std::uint8_t
{
    kPellarInit = 0x01,
    kPellarIntegration = 0x02,
    kPellarStrobe = 0x03,
    kPellarSerial = 0x08,
    kPellarRequestSpectrum = 0x09,
    kPellarQueryInfo = 0x0F,
};

inline constexpr std::size_t kPellarInfoReplyBytes = 16;
inline constexpr std::size_t kPellarSerialReplyBytes = 16;
// The library's spectra are 2048-float arrays: a larger pixel count reported by a device
// is cut to this.
inline constexpr std::size_t kPellarMaxPixels = 2048;

// The reply to 0x0F: word 1 (bytes 0 and 1, big-endian) is the pixel count, word 2 (bytes
// 2 and 3, big-endian) and bytes 4 to 8 are the device's own.
struct PellarInfo
{
    std::uint16_t pixelCount = 0;
    std::uint16_t word2 = 0;
    std::array<std::uint8_t, 5> bytes{};
};

// The information record of a 16-byte reply; nothing when the reply is shorter.
std::optional<PellarInfo> decodePellarInfo(std::span<const std::uint8_t> reply);
// The 16-byte reply a device sends for `info` (the simulator's encoder; inline, so that
// the simulators reuse it without linking the driver).
inline std::array<std::uint8_t, kPellarInfoReplyBytes> encodePellarInfo(const PellarInfo& info)
{
    std::array<std::uint8_t, kPellarInfoReplyBytes> reply{};
    reply[0] = static_cast<std::uint8_t>(info.pixelCount >> 8);
    reply[1] = static_cast<std::uint8_t>(info.pixelCount & 0xFF);
    reply[2] = static_cast<std::uint8_t>(info.word2 >> 8);
    reply[3] = static_cast<std::uint8_t>(info.word2 & 0xFF);
    for (std::size_t i = 0; i < info.bytes.size(); ++i)
        reply[4 + i] = info.bytes[i];
    return reply;
}

// The pixel count the library works with: the reported one, at most 2048.
std::size_t clampPellarPixelCount(std::uint16_t reported);

// Bytes of one block for a pixel count: 2 x pixels + 1.
constexpr std::size_t pellarBlockBytes(std::size_t pixels)
{
    return 2 * pixels + 1;
}

// Decodes a block of `pixels` pixel words: the first min(pixels, out.size()) of them go
// to `out`, which is untouched unless Ok. A block of another length than 2 x pixels + 1
// is Truncated, one whose last byte is not 0x69 BadSync.
DecodeStatus decodePellarBlock(std::span<const std::uint8_t> block, std::size_t pixels,
                               std::span<std::uint16_t> out);
// The block a device sends for these pixels (the simulator's encoder, inline as above).
inline std::vector<std::uint8_t> encodePellarBlock(std::span<const std::uint16_t> pixels,
                                                   std::uint8_t sync = kSyncByte)
{
    std::vector<std::uint8_t> block;
    block.reserve(pellarBlockBytes(pixels.size()));
    for (std::uint16_t p : pixels) {
        block.push_back(static_cast<std::uint8_t>(p & 0xFF));
        block.push_back(static_cast<std::uint8_t>(p >> 8));
    }
    block.push_back(sync);
    return block;
}

// Command with a 16-bit little-endian value (integration time, strobe enable).
std::array<std::uint8_t, 3> encodePellarCommand16(PellarCommand command, std::uint16_t value);

// The settling wait after a new integration time t (ms): t x 12 / divisor for t above 24,
// else 25 ms.
std::uint32_t pellarIntegrationSettleMs(int integrationMs, int divisor);

// Electrical dark of the Pellar's even and odd pixels. From the first 14 pixels the 7 even
// and the 7 odd ones each give (sum - largest - smallest) / 5; each carried level moves a
// quarter of the way to its estimate; the even level is then subtracted from every even
// pixel and the odd level from every odd pixel. A span of fewer than 14 pixels is left
// as it is.
void correctPellarDark(std::span<float> pixels, float& evenLevel, float& oddLevel);

} // namespace driver::usb
