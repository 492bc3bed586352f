#pragma once

#include <array>
#include <cstdint>
#include <span>

// The BrontelUSB converter's own commands and replies: pure functions over bytes.
namespace driver::usb::brontel {

inline constexpr std::uint8_t kInputChannel = 0x0B;  // + 16-bit: the A/D input to convert
inline constexpr std::uint8_t kFlashDelay = 0x0C;    // value (at most 255), 0
inline constexpr std::uint8_t kLemmikSetup = 0x0D;   // + 16-bit 90 after each open
inline constexpr std::uint8_t kDacInitialize = 0x50; // the single byte
inline constexpr std::uint8_t kDacRead = 0x51;       // channel; 3-byte reply
inline constexpr std::uint8_t kDacWrite = 0x52;      // channel, value high, value low

inline constexpr int kDacStatusChannel = 99;
inline constexpr std::uint16_t kLemmikSetupValue = 90;
inline constexpr int kChannels = 8;
inline constexpr int kCoefficientSlots = 2 + 4 * kChannels; // serial, count, 8 x 4 floats

// 0x51 and the channel (0 for the status channel 99).
std::array<std::uint8_t, 2> encodeDacRead(int channel);
// 0x52, channel, value high, value low.
std::array<std::uint8_t, 4> encodeDacWrite(int channel, int value);
// The status channel: byte 1 x 256 + byte 2; other channels the 12-bit value.
int decodeDacValue(int channel, std::span<const std::uint8_t, 3> reply);

} // namespace driver::usb::brontel
