#pragma once

#include "platform/usb/UsbBackend.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace sim::usb {

// The device side of the Pellar system, byte for byte: commands arrive on endpoint 0x01
// (pipe 0); a spectrum request (0x09 0x00) queues one block of 2 x pixel count + 1 bytes
// (little-endian pixel words, then 0x69) on 0x82 (pipe 1); the serial (0x08 0x00) and the
// information query (0x0F 0x00) are answered with 16 bytes on 0x87 (pipe 3). Initialise
// (0x01 0x00) drops whatever the host has not collected. Faults can be injected.
// Thread-safe.
class SimulatedPellar : public SimUsbDevice
{
public:
    static constexpr std::uint8_t kCommandEndpoint = 0x01;
    static constexpr std::uint8_t kSpectrumEndpoint = 0x82;
    static constexpr std::uint8_t kSpareEndpoint = 0x86;
    static constexpr std::uint8_t kReplyEndpoint = 0x87;

    // A Pellar with the configuration's default ids, reporting `pixels` pixels.
    explicit SimulatedPellar(std::string serial, std::uint16_t pixels = 256);

    // Host side, as the USB backends see it.
    std::vector<std::uint8_t> endpoints() const;
    platform::usb::DeviceDescriptorBytes deviceDescriptor() const;
    int stringDescriptor(std::uint8_t index, std::uint16_t language, std::span<std::uint8_t> out);

    // The pixel the device sends at each position of block `block` (counted from 0).
    static std::uint16_t patternPixel(std::size_t index, int block);

    // What the device says of itself.
    void setReportedPixels(std::uint16_t pixels); // word 1 of the information reply
    void setInformation(std::uint16_t word2, std::array<std::uint8_t, 5> bytes);
    void setProductId(std::uint16_t productId);
    // Blocks carry these pixels (in turn, the last repeating) instead of the pattern.
    void setSpectra(std::vector<std::vector<std::uint16_t>> spectra);

    // Faults (the transfer failures and unplugging are the bus's).
    void dropNextSyncBytes(int count); // next blocks end with 0x00 instead of 0x69
    void shortenNextBlocks(int count); // next blocks lose their last pixel word

    // Device state for tests.
    int spectrumRequests() const;
    int initialisations() const;
    int integrationMs() const;
    int strobe() const;

private:
    void handleCommandLocked(std::span<const std::uint8_t> bytes) final;
    Queue* inQueueLocked(std::uint8_t endpoint) final;
    void queueBlockLocked();

    std::string m_serial;
    std::uint16_t m_productId;
    std::vector<std::vector<std::uint16_t>> m_spectra;
    std::uint16_t m_pixels;
    std::uint16_t m_word2 = 0x0102;
    std::array<std::uint8_t, 5> m_infoBytes{3, 4, 5, 6, 7};
    int m_dropSync = 0;
    int m_shortBlocks = 0;
    int m_requests = 0;
    int m_inits = 0;
    int m_integrationMs = 0;
    int m_strobe = -1;
};

// Simulated Pellars listed beside simulated EZ-USB spectrometers, in the order added; an
// unplugged device is not listed, and a device opened before an unplug stays dead after
// the replug.
class SimPellarBackend final : public platform::usb::UsbBackend
{
public:
    void add(std::shared_ptr<SimulatedPellar> device);
    void add(std::shared_ptr<SimulatedUsbSpectrometer> device);
    int deviceCount() override;
    std::unique_ptr<platform::usb::UsbDeviceIo> open(int index) override;

private:
    struct Entry
    {
        std::shared_ptr<SimulatedPellar> pellar;
        std::shared_ptr<SimulatedUsbSpectrometer> other;
        bool plugged() const { return pellar ? pellar->plugged() : other->plugged(); }
    };
    std::mutex m_mutex;
    std::vector<Entry> m_devices;
};

} // namespace sim::usb
