#include "sim/usb/SimulatedXandel.h"

#include "driver/usb/UsbModelIds.h"

#include <algorithm>

namespace sim::usb {

SimulatedXandel::SimulatedXandel(SimIdentity identity, std::size_t pixels)
    : SimulatedUsbSpectrometer(std::move(identity)), m_pixels(std::min<std::size_t>(pixels, 512))
{}

std::uint16_t SimulatedXandel::xandelPixel(std::size_t index)
{
    return static_cast<std::uint16_t>(index * 97 + 1000);
}

bool SimulatedXandel::handleModelCommandLocked(std::span<const std::uint8_t> b)
{
    auto at = [&](std::size_t i) -> std::uint8_t { return i < b.size() ? b[i] : 0; };
    switch (b[0]) {
    case 0x02: // big-endian, unlike the other models
        setIntegrationLocked((at(1) << 8) | at(2));
        return true;
    case 0x0B:
        m_cooler = at(1) != 0;
        return true;
    case 0x0C:
        m_highGain = at(1) != 0;
        return true;
    case 0x0D:
        m_fan = at(1) != 0;
        return true;
    case 0x10:
        m_scalar = at(1);
        return true;
    case 0x3E:
        m_temperatures[3] = static_cast<std::uint16_t>((at(2) << 8) | at(3));
        return true;
    case 0x3F: {
        std::vector<std::uint8_t> reply(14, 0);
        reply[0] = 0x3F;
        for (std::size_t w = 0; w < 6; ++w) {
            reply[2 + 2 * w] = static_cast<std::uint8_t>(m_temperatures[w] >> 8);
            reply[3 + 2 * w] = static_cast<std::uint8_t>(m_temperatures[w] & 0xFF);
        }
        replyLocked(std::move(reply));
        return true;
    }
    case 0xFE:
        replyLocked({m_status.begin(), m_status.end()});
        return true;
    default:
        return false;
    }
}

void SimulatedXandel::queueBlockLocked()
{
    std::vector<std::uint8_t> block(2 * m_pixels + 1, 0);
    for (std::size_t i = 0; i < m_pixels; ++i) {
        const auto wire = static_cast<std::uint16_t>(xandelPixel(i) ^ 0x8000);
        block[(i / 64) * 128 + i % 64] = static_cast<std::uint8_t>(wire & 0xFF);
        block[(i / 64) * 128 + 64 + i % 64] = static_cast<std::uint8_t>(wire >> 8);
    }
    block.back() = 0x69;
    if (takeDroppedSyncLocked()) {
        // The block went out without its sync byte; idle bytes follow for the host's
        // drain (65 reads of 64 bytes), and the next request gets a whole block again.
        block.back() = 0x00;
        queueSpectrumLocked(std::move(block));
        queueSpectrumLocked(std::vector<std::uint8_t>(65 * 64, 0x69));
        return;
    }
    queueSpectrumLocked(std::move(block));
}

bool SimulatedXandel::cooler() const
{
    std::lock_guard lock(m_mutex);
    return m_cooler;
}

bool SimulatedXandel::highGain() const
{
    std::lock_guard lock(m_mutex);
    return m_highGain;
}

bool SimulatedXandel::fan() const
{
    std::lock_guard lock(m_mutex);
    return m_fan;
}

int SimulatedXandel::scalar() const
{
    std::lock_guard lock(m_mutex);
    return m_scalar;
}

std::int16_t SimulatedXandel::setPointTenths() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::int16_t>(m_temperatures[3]);
}

void SimulatedXandel::setTemperatureWords(std::array<std::uint16_t, 6> words)
{
    std::lock_guard lock(m_mutex);
    m_temperatures = words;
}

void SimulatedXandel::setStatusReply(std::array<std::uint8_t, 16> reply)
{
    std::lock_guard lock(m_mutex);
    m_status = reply;
}

SimIdentity wessorIdentity(const std::string& serial, const std::string& firmware)
{
    return {driver::usb::kDefaultVendorId, driver::usb::kDefaultWessorProductId, serial, firmware,
            true};
}

SimIdentity velkoIdentity(const std::string& serial, const std::string& firmware)
{
    return {driver::usb::kDefaultVendorId, driver::usb::kDefaultVelkoProductId, serial, firmware,
            true};
}

} // namespace sim::usb
