#include "sim/usb/SimulatedBrontelUsb.h"

#include "driver/usb/UsbModelIds.h"

namespace sim::usb {

SimulatedBrontelUsb::SimulatedBrontelUsb(SimIdentity identity)
    : SimulatedUsbSpectrometer(std::move(identity))
{}

std::uint16_t SimulatedBrontelUsb::inputPixel(int input, std::size_t index)
{
    return static_cast<std::uint16_t>((patternPixel(index) + 16 * (input & 0xFF)) & 0x0FFF);
}

bool SimulatedBrontelUsb::handleModelCommandLocked(std::span<const std::uint8_t> b)
{
    auto at = [&](std::size_t i) -> std::uint8_t { return i < b.size() ? b[i] : 0; };
    switch (b[0]) {
    case 0x01:
        // The converter restarts its frame and sends one block, which the host drains;
        // the common handling of the command follows.
        queueBlockLocked();
        return false;
    case 0x0B:
        m_input = at(1) | (at(2) << 8);
        return true;
    case 0x0C:
        m_flashDelay = at(1);
        return true;
    case 0x0D:
        m_lemmikSetup = at(1) | (at(2) << 8);
        return true;
    case 0x50:
        m_dacInitialised = true;
        return true;
    case 0x51: {
        // Channel 0 shares its reply with the status word: the status in the top bits,
        // the value in the low twelve. Other channels carry noise in the top bits.
        const int channel = at(1) & 7;
        const std::uint16_t top = channel == 0 ? (m_dacFitted ? 0xC000 : 0x0000) : 0xF000;
        const auto word = static_cast<std::uint16_t>(top | (m_dac[channel] & 0x0FFF));
        replyLocked(
            {0x51, static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)});
        return true;
    }
    case 0x52:
        m_dac[at(1) & 7] = static_cast<std::uint16_t>(((at(2) << 8) | at(3)) & 0x0FFF);
        return true;
    default:
        return false;
    }
}

void SimulatedBrontelUsb::queueBlockLocked()
{
    std::array<std::uint16_t, kPixels> pixels{};
    for (std::size_t i = 0; i < kPixels; ++i)
        pixels[i] = inputPixel(m_input, i);
    // A block that lost its sync byte is followed by nothing: the host's initialise
    // brings the next whole block.
    auto block = packBlock(pixels, takeDroppedSyncLocked() ? 0x00 : 0x69);
    queueSpectrumLocked({block.begin(), block.end()});
}

void SimulatedBrontelUsb::setDacFitted(bool fitted)
{
    std::lock_guard lock(m_mutex);
    m_dacFitted = fitted;
}

std::uint16_t SimulatedBrontelUsb::dacValue(int channel) const
{
    std::lock_guard lock(m_mutex);
    return m_dac[static_cast<std::size_t>(channel & 7)];
}

bool SimulatedBrontelUsb::dacInitialised() const
{
    std::lock_guard lock(m_mutex);
    return m_dacInitialised;
}

int SimulatedBrontelUsb::input() const
{
    std::lock_guard lock(m_mutex);
    return m_input;
}

int SimulatedBrontelUsb::flashDelay() const
{
    std::lock_guard lock(m_mutex);
    return m_flashDelay;
}

int SimulatedBrontelUsb::lemmikSetup() const
{
    std::lock_guard lock(m_mutex);
    return m_lemmikSetup;
}

SimIdentity brontelUsbIdentity(const std::string& serial, const std::string& firmware)
{
    return {driver::usb::kDefaultVendorId, driver::usb::kDefaultBrontelUsbProductId, serial,
            firmware, true};
}

} // namespace sim::usb
