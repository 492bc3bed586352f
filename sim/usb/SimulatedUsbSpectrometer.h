#pragma once

#include "platform/usb/UsbBackend.h"
#include "sim/usb/SimUsbDevice.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace sim::usb {

// Who the simulated device says it is.
struct SimIdentity
{
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string serial;         // answered to the serial-number query (at most 15 characters)
    std::string firmware;       // string descriptor 1, e.g. "Pavik 2.41.3"
    bool makerInterface = true; // false: 4 pipes without endpoint 7
};

// The device side of the EZ-USB spectrometers' command protocol, byte for byte: commands
// arrive on endpoint 0x01 (pipe 0), spectrum blocks leave on 0x82 (pipe 1), replies on
// 0x87 (pipe 3); 0x86 (pipe 2) carries nothing. Faults can be injected. Thread-safe.
class SimulatedUsbSpectrometer : public SimUsbDevice
{
public:
    static constexpr std::uint8_t kCommandEndpoint = 0x01;
    static constexpr std::uint8_t kSpectrumEndpoint = 0x82;
    static constexpr std::uint8_t kSpareEndpoint = 0x86;
    static constexpr std::uint8_t kReplyEndpoint = 0x87;
    static constexpr std::size_t kPixels = 2048;

    explicit SimulatedUsbSpectrometer(SimIdentity identity);
    ~SimulatedUsbSpectrometer() override = default;

    // Host side, as the USB backends see it.
    std::vector<std::uint8_t> endpoints() const;
    platform::usb::DeviceDescriptorBytes deviceDescriptor() const;
    int stringDescriptor(std::uint8_t index, std::uint16_t language, std::span<std::uint8_t> out);

    // The pixel the simulator sends at each position (12 bits).
    static std::uint16_t patternPixel(std::size_t index);
    // Packs pixels into a block as the device does.
    static std::array<std::uint8_t, 4097> packBlock(std::span<const std::uint16_t> pixels,
                                                    std::uint8_t sync = 0x69);

    // Faults (the transfer failures and unplugging are the bus's).
    void dropNextSyncBytes(int count);           // next blocks lose their sync byte
    void shortenNextReplies(int count);          // next query replies come half-length
    void refuseLanguage(std::uint16_t language); // string requests in it fail
    // While on, spectrum reads find no block (a trigger that never comes).
    void holdSpectra(bool on);

    // Device state for tests.
    int spectrumRequests() const;
    int integrationMs() const;
    // The last lamp command's value (2 on, 0 off); -1 before any.
    int lampOutput() const;
    void setTemperatureRaw(std::vector<std::uint32_t> raws); // answered in turn, last repeats
    void setPluginList(std::array<std::uint8_t, 7> list);
    std::array<std::uint8_t, 4> pots() const;
    std::string infoSlot(int slot) const;
    void setInfoSlot(int slot, const std::string& text);
    std::string pluginSlot(int slot) const;
    int commits() const;
    std::vector<std::uint8_t> floatMemory() const;
    void setFloatStatusFailures(int count); // next float chunks answer status 1
    std::uint8_t i2cStatus() const { return 0x5A; }

protected:
    // Models with commands of their own answer them here first (true: handled).
    virtual bool handleModelCommandLocked(std::span<const std::uint8_t>) { return false; }
    // Queues the reply to a spectrum request.
    virtual void queueBlockLocked();
    void replyLocked(std::vector<std::uint8_t> reply);
    void queueSpectrumLocked(std::vector<std::uint8_t> unit);
    // Whether the next block loses its sync byte (counts the fault down).
    bool takeDroppedSyncLocked();
    void setIntegrationLocked(int ms) { m_integrationMs = ms; }

private:
    void handleCommandLocked(std::span<const std::uint8_t> bytes) final;
    Queue* inQueueLocked(std::uint8_t endpoint) final;
    bool heldLocked(std::uint8_t endpoint) const final;

    SimIdentity m_identity;
    int m_dropSync = 0;
    bool m_holdSpectra = false;
    int m_shortReplies = 0;
    int m_floatFailures = 0;
    std::uint16_t m_refusedLanguage = 0xFFFF;
    bool m_plugged = true;
    int m_requests = 0;
    int m_integrationMs = 0;
    int m_lamp = -1;
    std::vector<std::uint32_t> m_temperatureRaws{1000};
    std::size_t m_temperatureIndex = 0;
    std::array<std::uint8_t, 7> m_plugins{2, 0, 0, 0, 0, 0, 0};
    std::array<std::uint8_t, 4> m_pots{};
    std::map<int, std::string> m_infoSlots;
    std::map<int, std::string> m_pluginSlots;
    int m_commits = 0;
    std::vector<std::uint8_t> m_floatMemory = std::vector<std::uint8_t>(8192);
    std::array<std::uint8_t, 256> m_i2c{};
};

// A backend of simulated devices, listed in the order added; an unplugged device is not
// listed, and a device opened before an unplug stays dead after the replug.
class SimUsbBackend final : public platform::usb::UsbBackend
{
public:
    void add(std::shared_ptr<SimulatedUsbSpectrometer> device);
    int deviceCount() override;
    std::unique_ptr<platform::usb::UsbDeviceIo> open(int index) override;

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<SimulatedUsbSpectrometer>> m_devices;
};

// An identity of a model with the default ids of the driver's configuration.
SimIdentity pavikIdentity(const std::string& serial, const std::string& firmware = "Pavik 2.50.1");
SimIdentity solviIdentity(const std::string& serial, const std::string& firmware = "Solvi 1.2.0");

} // namespace sim::usb
