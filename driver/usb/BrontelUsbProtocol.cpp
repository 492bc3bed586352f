#include "driver/usb/BrontelUsbProtocol.h"

namespace driver::usb::brontel {

std::array<std::uint8_t, 2> encodeDacRead(int channel)
{
    return {kDacRead, static_cast<std::uint8_t>(channel == kDacStatusChannel ? 0 : channel)};
}

std::array<std::uint8_t, 4> encodeDacWrite(int channel, int value)
{
    return {kDacWrite, static_cast<std::uint8_t>(channel), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value & 0xFF)};
}

int decodeDacValue(int channel, std::span<const std::uint8_t, 3> reply)
{
    if (channel == kDacStatusChannel)
        return reply[1] * 256 + reply[2];
    // The converter's upper four bits are not part of the value.
    return ((reply[1] * 256) & 0x0FFF) + reply[2];
}

} // namespace driver::usb::brontel
