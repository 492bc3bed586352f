#include "sim/usb/SimulatedUsbSpectrometer.h"

#include "driver/usb/UsbModelIds.h"
#include "sim/usb/SimDeviceIo.h"

#include <algorithm>
#include <cstring>

namespace sim::usb {

SimulatedUsbSpectrometer::SimulatedUsbSpectrometer(SimIdentity identity)
    : SimUsbDevice(kCommandEndpoint), m_identity(std::move(identity))
{
    m_infoSlots[0] = m_identity.serial.substr(0, 15);
}

std::vector<std::uint8_t> SimulatedUsbSpectrometer::endpoints() const
{
    if (!m_identity.makerInterface)
        return {kCommandEndpoint, kSpectrumEndpoint, 0x84, 0x85};
    return {kCommandEndpoint, kSpectrumEndpoint, kSpareEndpoint, kReplyEndpoint};
}

platform::usb::DeviceDescriptorBytes SimulatedUsbSpectrometer::deviceDescriptor() const
{
    platform::usb::DeviceDescriptorBytes d{};
    d[0] = 18;
    d[1] = 1;
    d[2] = 0x00;
    d[3] = 0x02;
    d[7] = 64;
    d[8] = std::uint8_t(m_identity.vendorId & 0xFF);
    d[9] = std::uint8_t(m_identity.vendorId >> 8);
    d[10] = std::uint8_t(m_identity.productId & 0xFF);
    d[11] = std::uint8_t(m_identity.productId >> 8);
    d[17] = 1;
    return d;
}

int SimulatedUsbSpectrometer::stringDescriptor(std::uint8_t index, std::uint16_t language,
                                               std::span<std::uint8_t> out)
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged || language == m_refusedLanguage || index != 1)
        return -1;
    const std::string& text = m_identity.firmware;
    std::vector<std::uint8_t> d;
    d.push_back(static_cast<std::uint8_t>(std::min<std::size_t>(2 + 2 * text.size(), 254)));
    d.push_back(3);
    for (char c : text) {
        if (d.size() + 2 > 254)
            break;
        d.push_back(static_cast<std::uint8_t>(c));
        d.push_back(0);
    }
    const std::size_t n = std::min(out.size(), d.size());
    std::memcpy(out.data(), d.data(), n);
    return static_cast<int>(n);
}

std::uint16_t SimulatedUsbSpectrometer::patternPixel(std::size_t index)
{
    return static_cast<std::uint16_t>((index * 5 + 100) & 0x0FFF);
}

std::array<std::uint8_t, 4097>
SimulatedUsbSpectrometer::packBlock(std::span<const std::uint16_t> pixels, std::uint8_t sync)
{
    std::array<std::uint8_t, 4097> block{};
    for (std::size_t i = 0; i < std::min<std::size_t>(pixels.size(), kPixels); ++i) {
        const std::size_t packet = i / 64;
        const std::size_t j = i % 64;
        block[packet * 128 + j] = static_cast<std::uint8_t>(pixels[i] & 0xFF);
        block[packet * 128 + 64 + j] = static_cast<std::uint8_t>(pixels[i] >> 8);
    }
    block[4096] = sync;
    return block;
}

SimUsbDevice::Queue* SimulatedUsbSpectrometer::inQueueLocked(std::uint8_t endpoint)
{
    if (endpoint == kSpectrumEndpoint)
        return &m_spectrumQueue;
    if (endpoint == kReplyEndpoint && m_identity.makerInterface)
        return &m_replyQueue;
    return nullptr;
}

bool SimulatedUsbSpectrometer::heldLocked(std::uint8_t endpoint) const
{
    return m_holdSpectra && endpoint == kSpectrumEndpoint;
}

void SimulatedUsbSpectrometer::replyLocked(std::vector<std::uint8_t> reply)
{
    if (m_shortReplies > 0) {
        --m_shortReplies;
        reply.resize(reply.size() / 2);
    }
    m_replyQueue.push_back(std::move(reply));
}

void SimulatedUsbSpectrometer::queueSpectrumLocked(std::vector<std::uint8_t> unit)
{
    m_spectrumQueue.push_back(std::move(unit));
}

bool SimulatedUsbSpectrometer::takeDroppedSyncLocked()
{
    if (m_dropSync <= 0)
        return false;
    --m_dropSync;
    return true;
}

void SimulatedUsbSpectrometer::queueBlockLocked()
{
    std::array<std::uint16_t, kPixels> pixels{};
    for (std::size_t i = 0; i < kPixels; ++i)
        pixels[i] = patternPixel(i);
    if (m_dropSync > 0) {
        --m_dropSync;
        // The free-running device lost a block's last byte: what arrives is a block
        // without its sync byte, and the next block follows in the stream.
        auto bad = packBlock(pixels, 0x00);
        m_spectrumQueue.emplace_back(bad.begin(), bad.end());
    }
    auto block = packBlock(pixels);
    m_spectrumQueue.emplace_back(block.begin(), block.end());
}

void SimulatedUsbSpectrometer::handleCommandLocked(std::span<const std::uint8_t> b)
{
    if (b.empty() || handleModelCommandLocked(b))
        return;
    auto at = [&](std::size_t i) -> std::uint8_t { return i < b.size() ? b[i] : 0; };
    const auto value16 = static_cast<std::uint16_t>(at(1) | (at(2) << 8));
    switch (b[0]) {
    case 0x01: // initialise: forget replies nobody collected
        m_replyQueue.clear();
        break;
    case 0x02:
        m_integrationMs = value16;
        break;
    case 0x05: {
        std::vector<std::uint8_t> reply(17, 0);
        reply[0] = 0x05;
        reply[1] = at(1);
        const std::string text = m_infoSlots.count(at(1)) ? m_infoSlots[at(1)] : std::string();
        std::memcpy(reply.data() + 2, text.data(), std::min<std::size_t>(text.size(), 15));
        replyLocked(std::move(reply));
        break;
    }
    case 0x06:
    case 0x24: {
        std::string text;
        for (std::size_t i = 2; i < std::min<std::size_t>(b.size(), 17) && b[i]; ++i)
            text.push_back(static_cast<char>(b[i]));
        (b[0] == 0x06 ? m_infoSlots : m_pluginSlots)[at(1)] = text;
        break;
    }
    case 0x08: {
        std::vector<std::uint8_t> reply(16, 0);
        reply[0] = 0x08;
        std::memcpy(reply.data() + 1, m_identity.serial.data(),
                    std::min<std::size_t>(m_identity.serial.size(), 15));
        replyLocked(std::move(reply));
        break;
    }
    case 0x09:
        ++m_requests;
        queueBlockLocked();
        break;
    case 0x0C:
        replyLocked(std::vector<std::uint8_t>(m_plugins.begin(), m_plugins.end()));
        break;
    case 0x20: {
        const std::uint32_t raw =
            m_temperatureRaws[std::min(m_temperatureIndex, m_temperatureRaws.size() - 1)];
        ++m_temperatureIndex;
        replyLocked({std::uint8_t(raw), std::uint8_t(raw >> 8), std::uint8_t(raw >> 16),
                     std::uint8_t(raw >> 24)});
        break;
    }
    case 0x23: {
        std::vector<std::uint8_t> reply(17, 0);
        reply[0] = 0x23;
        reply[1] = at(1);
        const std::string text = m_pluginSlots.count(at(1)) ? m_pluginSlots[at(1)] : std::string();
        std::memcpy(reply.data() + 2, text.data(), std::min<std::size_t>(text.size(), 15));
        replyLocked(std::move(reply));
        break;
    }
    case 0x27:
        ++m_commits;
        break;
    case 0x40:
        if (at(1) < 4)
            m_pots[at(1)] = at(2);
        break;
    case 0x42:
        replyLocked(std::vector<std::uint8_t>(m_pots.begin(), m_pots.end()));
        break;
    case 0x60: {
        const std::size_t length = std::min<std::size_t>(at(2), 60);
        std::vector<std::uint8_t> reply(length + 4, 0);
        reply[0] = 0x60;
        reply[1] = at(1);
        reply[2] = static_cast<std::uint8_t>(length);
        reply[3] = i2cStatus();
        for (std::size_t i = 0; i < length; ++i)
            reply[4 + i] = m_i2c[(at(1) + i) & 0xFF];
        replyLocked(std::move(reply));
        break;
    }
    case 0x61: {
        const std::size_t length = std::min<std::size_t>(at(2), 60);
        for (std::size_t i = 0; i < length; ++i)
            m_i2c[(at(1) + i) & 0xFF] = at(3 + i);
        replyLocked({0x61, at(1), static_cast<std::uint8_t>(length), i2cStatus()});
        break;
    }
    case 0x6D: {
        std::vector<std::uint8_t> reply(61, 0);
        const std::size_t offset = value16;
        if (m_floatFailures > 0) {
            --m_floatFailures;
            reply[0] = 1;
        } else if (offset + 60 <= m_floatMemory.size()) {
            std::memcpy(reply.data() + 1, m_floatMemory.data() + offset, 60);
        } else {
            reply[0] = 2;
        }
        replyLocked(std::move(reply));
        break;
    }
    case 0x6E: {
        const std::size_t offset = value16;
        std::uint8_t status = 0;
        if (m_floatFailures > 0) {
            --m_floatFailures;
            status = 1;
        } else if (offset + 60 <= m_floatMemory.size() && b.size() >= 63) {
            std::memcpy(m_floatMemory.data() + offset, b.data() + 3, 60);
        } else {
            status = 2;
        }
        replyLocked({status, 0, 0, 0});
        break;
    }
    case 0x03: // the lamp (strobe) output: 2 on, 0 off
        m_lamp = at(1);
        break;
    default: // 0x0A, 0x0E, 0x21, 0x25, 0x41: settings without a reply
        break;
    }
}

void SimulatedUsbSpectrometer::dropNextSyncBytes(int count)
{
    std::lock_guard lock(m_mutex);
    m_dropSync = count;
}

void SimulatedUsbSpectrometer::shortenNextReplies(int count)
{
    std::lock_guard lock(m_mutex);
    m_shortReplies = count;
}

void SimulatedUsbSpectrometer::refuseLanguage(std::uint16_t language)
{
    std::lock_guard lock(m_mutex);
    m_refusedLanguage = language;
}

void SimulatedUsbSpectrometer::holdSpectra(bool on)
{
    std::lock_guard lock(m_mutex);
    m_holdSpectra = on;
    wakeReadersLocked();
}

int SimulatedUsbSpectrometer::spectrumRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int SimulatedUsbSpectrometer::lampOutput() const
{
    std::lock_guard lock(m_mutex);
    return m_lamp;
}

int SimulatedUsbSpectrometer::integrationMs() const
{
    std::lock_guard lock(m_mutex);
    return m_integrationMs;
}

void SimulatedUsbSpectrometer::setTemperatureRaw(std::vector<std::uint32_t> raws)
{
    std::lock_guard lock(m_mutex);
    if (raws.empty())
        raws.push_back(0);
    m_temperatureRaws = std::move(raws);
    m_temperatureIndex = 0;
}

void SimulatedUsbSpectrometer::setPluginList(std::array<std::uint8_t, 7> list)
{
    std::lock_guard lock(m_mutex);
    m_plugins = list;
}

std::array<std::uint8_t, 4> SimulatedUsbSpectrometer::pots() const
{
    std::lock_guard lock(m_mutex);
    return m_pots;
}

std::string SimulatedUsbSpectrometer::infoSlot(int slot) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_infoSlots.find(slot);
    return it == m_infoSlots.end() ? std::string() : it->second;
}

void SimulatedUsbSpectrometer::setInfoSlot(int slot, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_infoSlots[slot] = text.substr(0, 15);
}

std::string SimulatedUsbSpectrometer::pluginSlot(int slot) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_pluginSlots.find(slot);
    return it == m_pluginSlots.end() ? std::string() : it->second;
}

int SimulatedUsbSpectrometer::commits() const
{
    std::lock_guard lock(m_mutex);
    return m_commits;
}

std::vector<std::uint8_t> SimulatedUsbSpectrometer::floatMemory() const
{
    std::lock_guard lock(m_mutex);
    return m_floatMemory;
}

void SimulatedUsbSpectrometer::setFloatStatusFailures(int count)
{
    std::lock_guard lock(m_mutex);
    m_floatFailures = count;
}

void SimUsbBackend::add(std::shared_ptr<SimulatedUsbSpectrometer> device)
{
    std::lock_guard lock(m_mutex);
    m_devices.push_back(std::move(device));
}

int SimUsbBackend::deviceCount()
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_devices.begin(), m_devices.end(),
                                          [](const auto& d) { return d->plugged(); }));
}

std::unique_ptr<platform::usb::UsbDeviceIo> SimUsbBackend::open(int index)
{
    std::lock_guard lock(m_mutex);
    for (const auto& device : m_devices) {
        if (!device->plugged())
            continue;
        if (index-- == 0)
            return std::make_unique<SimDeviceIo<SimulatedUsbSpectrometer>>(device);
    }
    return nullptr;
}

SimIdentity pavikIdentity(const std::string& serial, const std::string& firmware)
{
    return {driver::usb::kDefaultVendorId, driver::usb::kDefaultPavikProductId, serial, firmware,
            true};
}

SimIdentity solviIdentity(const std::string& serial, const std::string& firmware)
{
    return {driver::usb::kDefaultVendorId, driver::usb::kDefaultSolviProductId, serial, firmware,
            true};
}

} // namespace sim::usb
