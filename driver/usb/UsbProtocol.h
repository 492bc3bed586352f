#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The command protocol of the EZ-USB spectrometers: pure functions over bytes.
namespace driver::usb {

// Pipe indices of interface 0.
inline constexpr int kCommandPipe = 0;  // bulk OUT: every command packet
inline constexpr int kSpectrumPipe = 1; // bulk IN: spectrum blocks
inline constexpr int kSparePipe = 2;    // only ever reset
inline constexpr int kReplyPipe = 3;    // bulk IN: replies to queries

// Spectrum block: 32 packets of 128 bytes (64 low bytes, then 64 high bytes of 64
// pixels), then one sync byte.
inline constexpr std::size_t kBlockBytes = 4097;
inline constexpr std::size_t kBlockPixels = 2048;
inline constexpr std::uint8_t kSyncByte = 0x69;
// Resynchronisation drains more than a whole block in 64-byte reads.
inline constexpr std::size_t kDrainReadBytes = 64;
inline constexpr int kDrainReads = 65;

inline constexpr std::size_t kInfoSlotChars = 15;
inline constexpr std::size_t kInfoSlotPacket = 17;
inline constexpr std::size_t kSerialReplyBytes = 16;
inline constexpr std::size_t kPluginListBytes = 7;

// Command bytes.
enum Command : std::uint8_t
{
    kInit = 0x01,
    kIntegration = 0x02,
    kLamp = 0x03,
    kReadInfoSlot = 0x05,
    kWriteInfoSlot = 0x06,
    kQuerySerial = 0x08,
    kRequestSpectrum = 0x09,
    kTriggerMode = 0x0A,
    kPluginList = 0x0C,
    kFlashDelay = 0x0E,
    kReadTemperature = 0x20,
    kMavrinModulation = 0x21,
    kReadPluginSlot = 0x23,
    kWritePluginSlot = 0x24,
    kMavrinDa = 0x25,
    kCommitPluginSlots = 0x27,
    kNorrelWritePot = 0x40,
    kNorrelStorePots = 0x41,
    kNorrelReadPots = 0x42,
    kI2cRead = 0x60,
    kI2cWrite = 0x61,
    kReadFloats = 0x6D,
    kWriteFloats = 0x6E,
};

// Why a reply was refused.
enum class DecodeStatus
{
    Ok,
    Truncated, // fewer bytes than the layout needs
    BadSync,   // the block's last byte is not the sync byte
};

// Command, value low byte, value high byte.
std::array<std::uint8_t, 3> encodeCommand16(std::uint8_t command, std::uint16_t value);
// A slot write (0x06 or 0x24): command, slot, the first 15 characters zero-padded.
std::array<std::uint8_t, kInfoSlotPacket> encodeSlotWrite(std::uint8_t command, std::uint8_t slot,
                                                          std::string_view text);

// Unpacks a block into 2048 12-bit pixels; the pixels are untouched unless Ok.
DecodeStatus unpackSpectrumBlock(std::span<const std::uint8_t> block,
                                 std::span<std::uint16_t, kBlockPixels> pixels);

// Reply bytes 1 to 15 of the serial-number query, up to the first NUL.
std::string decodeSerialReply(std::span<const std::uint8_t> reply);
// Reply bytes 2 to 16 of a slot read, up to the first NUL; empty when truncated.
std::string decodeSlotReply(std::span<const std::uint8_t> reply);

// A string descriptor as plain text: the low byte of each UTF-16 unit, at most
// (length byte / 2 - 1) units, at most `maxChars` and never beyond the bytes present.
std::string decodeStringDescriptor(std::span<const std::uint8_t> descriptor, std::size_t maxChars);

// "<name> <major>.<minor>.<patch>..." to major * 1000000 + minor * 1000 + patch (each
// part taken as 16-bit); 0 without a blank or with fewer than two points.
std::uint32_t parseFirmwareVersion(std::string_view text);

// The maker's devices report exactly 4 pipes, one of them on endpoint number 7.
bool isMakerInterface(std::span<const std::uint8_t> endpoints);

// Copies at most capacity - 1 characters and a NUL into a fixed field (nothing when the
// capacity is 0).
void copyBounded(char* field, std::size_t capacity, std::string_view text);

// The integration command's settling wait: 35 ms below 30 ms, else (m / divisor) * 12 ms
// where m is the longer of the old and new integration time.
std::uint32_t integrationSettleMs(int oldMs, int newMs, int divisor);

} // namespace driver::usb
