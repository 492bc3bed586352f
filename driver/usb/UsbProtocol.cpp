#include "driver/usb/UsbProtocol.h"

#include <algorithm>
#include <cstring>

namespace driver::usb {

std::array<std::uint8_t, 3> encodeCommand16(std::uint8_t command, std::uint16_t value)
{
    return {command, static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8)};
}

std::array<std::uint8_t, kInfoSlotPacket> encodeSlotWrite(std::uint8_t command, std::uint8_t slot,
                                                          std::string_view text)
{
    std::array<std::uint8_t, kInfoSlotPacket> packet{};
    packet[0] = command;
    packet[1] = slot;
    const std::size_t n = std::min(text.size(), kInfoSlotChars);
    for (std::size_t i = 0; i < n && text[i] != '\0'; ++i)
        packet[2 + i] = static_cast<std::uint8_t>(text[i]);
    return packet;
}

DecodeStatus unpackSpectrumBlock(std::span<const std::uint8_t> block,
                                 std::span<std::uint16_t, kBlockPixels> pixels)
{
    if (block.size() < kBlockBytes)
        return DecodeStatus::Truncated;
    if (block[kBlockBytes - 1] != kSyncByte)
        return DecodeStatus::BadSync;
    for (std::size_t packet = 0; packet < 32; ++packet) {
        const std::uint8_t* p = block.data() + packet * 128;
        std::uint16_t* out = pixels.data() + packet * 64;
        for (std::size_t j = 0; j < 64; ++j)
            out[j] = static_cast<std::uint16_t>(((p[64 + j] << 8) & 0x0FFF) | p[j]);
    }
    return DecodeStatus::Ok;
}

namespace {

std::string textUntilNul(std::span<const std::uint8_t> bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b == 0)
            break;
        text.push_back(static_cast<char>(b));
    }
    return text;
}

} // namespace

std::string decodeSerialReply(std::span<const std::uint8_t> reply)
{
    if (reply.size() < 2)
        return {};
    return textUntilNul(reply.subspan(1, std::min<std::size_t>(reply.size() - 1, 15)));
}

std::string decodeSlotReply(std::span<const std::uint8_t> reply)
{
    if (reply.size() < kInfoSlotPacket)
        return {};
    return textUntilNul(reply.subspan(2, kInfoSlotChars));
}

std::string decodeStringDescriptor(std::span<const std::uint8_t> descriptor, std::size_t maxChars)
{
    if (descriptor.size() < 2)
        return {};
    const std::size_t declared = descriptor[0] / 2;
    std::size_t units = declared > 0 ? declared - 1 : 0;
    units = std::min({units, maxChars, (descriptor.size() - 2) / 2});
    std::string text;
    for (std::size_t i = 0; i < units; ++i)
        text.push_back(static_cast<char>(descriptor[2 + 2 * i]));
    // A NUL inside the descriptor would end the C text there anyway.
    if (const auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

namespace {

std::uint16_t leadingNumber(std::string_view text)
{
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
        if (value > 0xFFFFFFu / 10)
            break;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::uint32_t parseFirmwareVersion(std::string_view text)
{
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos)
        return 0;
    const std::string_view rest = text.substr(blank + 1);
    const auto dot1 = rest.find('.');
    if (dot1 == std::string_view::npos)
        return 0;
    const auto dot2 = rest.find('.', dot1 + 1);
    if (dot2 == std::string_view::npos)
        return 0;
    return std::uint32_t{leadingNumber(rest)} * 1000000u +
           std::uint32_t{leadingNumber(rest.substr(dot1 + 1))} * 1000u +
           leadingNumber(rest.substr(dot2 + 1));
}

bool isMakerInterface(std::span<const std::uint8_t> endpoints)
{
    if (endpoints.size() != 4)
        return false;
    return std::any_of(endpoints.begin(), endpoints.end(),
                       [](std::uint8_t address) { return (address & 0x0F) == 7; });
}

void copyBounded(char* field, std::size_t capacity, std::string_view text)
{
    if (!field || capacity == 0)
        return;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

std::uint32_t integrationSettleMs(int oldMs, int newMs, int divisor)
{
    const int m = std::max(oldMs, newMs);
    if (m < 30)
        return 35;
    if (divisor <= 0)
        divisor = 10;
    return static_cast<std::uint32_t>((m / divisor) * 12);
}

} // namespace driver::usb
