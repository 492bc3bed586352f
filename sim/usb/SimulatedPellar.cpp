#include "sim/usb/SimulatedPellar.h"

#include "driver/usb/PellarProtocol.h"
#include "driver/usb/UsbModelIds.h"
#include "sim/usb/SimDeviceIo.h"

#include <algorithm>
#include <cstring>

namespace sim::usb {

SimulatedPellar::SimulatedPellar(std::string serial, std::uint16_t pixels)
    : SimUsbDevice(kCommandEndpoint), m_serial(std::move(serial)),
      m_productId(driver::usb::kDefaultPellarProductId), m_pixels(pixels)
{}

std::vector<std::uint8_t> SimulatedPellar::endpoints() const
{
    return {kCommandEndpoint, kSpectrumEndpoint, kSpareEndpoint, kReplyEndpoint};
}

platform::usb::DeviceDescriptorBytes SimulatedPellar::deviceDescriptor() const
{
    std::lock_guard lock(m_mutex);
    platform::usb::DeviceDescriptorBytes d{};
    d[0] = 18;
    d[1] = 1;
    d[3] = 0x02;
    d[7] = 64;
    d[8] = static_cast<std::uint8_t>(driver::usb::kDefaultVendorId & 0xFF);
    d[9] = static_cast<std::uint8_t>(driver::usb::kDefaultVendorId >> 8);
    d[10] = static_cast<std::uint8_t>(m_productId & 0xFF);
    d[11] = static_cast<std::uint8_t>(m_productId >> 8);
    d[17] = 1;
    return d;
}

int SimulatedPellar::stringDescriptor(std::uint8_t, std::uint16_t, std::span<std::uint8_t>)
{
    return -1; // the Pellar has no string descriptors
}

std::uint16_t SimulatedPellar::patternPixel(std::size_t index, int block)
{
    // Full 16-bit words, so that the high byte's upper bits are exercised too.
    return static_cast<std::uint16_t>(index * 97 + 1000 + static_cast<std::size_t>(block) * 300);
}

SimUsbDevice::Queue* SimulatedPellar::inQueueLocked(std::uint8_t endpoint)
{
    if (endpoint == kSpectrumEndpoint)
        return &m_spectrumQueue;
    if (endpoint == kReplyEndpoint)
        return &m_replyQueue;
    return nullptr;
}

void SimulatedPellar::queueBlockLocked()
{
    const int block = m_requests++;
    std::vector<std::uint16_t> pixels(m_pixels);
    if (m_spectra.empty()) {
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = patternPixel(i, block);
    } else {
        const auto& spectrum =
            m_spectra[std::min(static_cast<std::size_t>(block), m_spectra.size() - 1)];
        std::copy_n(spectrum.begin(), std::min(spectrum.size(), pixels.size()), pixels.begin());
    }
    std::uint8_t sync = driver::usb::kSyncByte;
    if (m_dropSync > 0) {
        --m_dropSync;
        sync = 0x00;
    }
    auto bytes = driver::usb::encodePellarBlock(pixels, sync);
    if (m_shortBlocks > 0 && bytes.size() >= 3) {
        --m_shortBlocks;
        // The last pixel word went missing: the block ends one word early, sync included.
        bytes.erase(bytes.end() - 3, bytes.end() - 1);
    }
    m_spectrumQueue.push_back(std::move(bytes));
}

void SimulatedPellar::handleCommandLocked(std::span<const std::uint8_t> b)
{
    if (b.empty())
        return;
    auto at = [&](std::size_t i) -> std::uint8_t { return i < b.size() ? b[i] : 0; };
    const auto value16 = static_cast<std::uint16_t>(at(1) | (at(2) << 8));
    switch (b[0]) {
    case driver::usb::kPellarInit:
        ++m_inits;
        m_replyQueue.clear();
        m_spectrumQueue.clear();
        break;
    case driver::usb::kPellarIntegration:
        m_integrationMs = value16;
        break;
    case driver::usb::kPellarStrobe:
        m_strobe = value16;
        break;
    case driver::usb::kPellarSerial: {
        std::vector<std::uint8_t> reply(driver::usb::kPellarSerialReplyBytes, 0);
        reply[0] = driver::usb::kPellarSerial;
        std::memcpy(reply.data() + 1, m_serial.data(), std::min<std::size_t>(m_serial.size(), 15));
        m_replyQueue.push_back(std::move(reply));
        break;
    }
    case driver::usb::kPellarRequestSpectrum:
        queueBlockLocked();
        break;
    case driver::usb::kPellarQueryInfo: {
        const auto reply = driver::usb::encodePellarInfo({m_pixels, m_word2, m_infoBytes});
        m_replyQueue.emplace_back(reply.begin(), reply.end());
        break;
    }
    default:
        break;
    }
}

void SimulatedPellar::setReportedPixels(std::uint16_t pixels)
{
    std::lock_guard lock(m_mutex);
    m_pixels = pixels;
}

void SimulatedPellar::setInformation(std::uint16_t word2, std::array<std::uint8_t, 5> bytes)
{
    std::lock_guard lock(m_mutex);
    m_word2 = word2;
    m_infoBytes = bytes;
}

void SimulatedPellar::setProductId(std::uint16_t productId)
{
    std::lock_guard lock(m_mutex);
    m_productId = productId;
}

void SimulatedPellar::setSpectra(std::vector<std::vector<std::uint16_t>> spectra)
{
    std::lock_guard lock(m_mutex);
    m_spectra = std::move(spectra);
    m_requests = 0;
}

void SimulatedPellar::dropNextSyncBytes(int count)
{
    std::lock_guard lock(m_mutex);
    m_dropSync = count;
}

void SimulatedPellar::shortenNextBlocks(int count)
{
    std::lock_guard lock(m_mutex);
    m_shortBlocks = count;
}

int SimulatedPellar::spectrumRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

int SimulatedPellar::initialisations() const
{
    std::lock_guard lock(m_mutex);
    return m_inits;
}

int SimulatedPellar::integrationMs() const
{
    std::lock_guard lock(m_mutex);
    return m_integrationMs;
}

int SimulatedPellar::strobe() const
{
    std::lock_guard lock(m_mutex);
    return m_strobe;
}

void SimPellarBackend::add(std::shared_ptr<SimulatedPellar> device)
{
    std::lock_guard lock(m_mutex);
    m_devices.push_back({std::move(device), nullptr});
}

void SimPellarBackend::add(std::shared_ptr<SimulatedUsbSpectrometer> device)
{
    std::lock_guard lock(m_mutex);
    m_devices.push_back({nullptr, std::move(device)});
}

int SimPellarBackend::deviceCount()
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_devices.begin(), m_devices.end(),
                                          [](const Entry& e) { return e.plugged(); }));
}

std::unique_ptr<platform::usb::UsbDeviceIo> SimPellarBackend::open(int index)
{
    std::lock_guard lock(m_mutex);
    for (const Entry& entry : m_devices) {
        if (!entry.plugged())
            continue;
        if (index-- != 0)
            continue;
        if (entry.pellar)
            return std::make_unique<SimDeviceIo<SimulatedPellar>>(entry.pellar);
        return std::make_unique<SimDeviceIo<SimulatedUsbSpectrometer>>(entry.other);
    }
    return nullptr;
}

} // namespace sim::usb
