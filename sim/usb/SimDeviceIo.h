#pragma once

#include "platform/usb/UsbBackend.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace sim::usb {

// An opened simulated device as the USB backends see it; dead once its device was unplugged,
// even after a replug (a real handle does not survive one either). Device is any simulated
// model with the host-side calls and plug state.
template <class Device> class SimDeviceIo final : public platform::usb::UsbDeviceIo
{
public:
    explicit SimDeviceIo(std::shared_ptr<Device> device)
        : m_device(std::move(device)), m_generation(m_device->plugGeneration())
    {}
    std::vector<std::uint8_t> endpoints() override { return m_device->endpoints(); }
    std::optional<platform::usb::DeviceDescriptorBytes> deviceDescriptor() override
    {
        if (!alive())
            return std::nullopt;
        return m_device->deviceDescriptor();
    }
    int stringDescriptor(std::uint8_t index, std::uint16_t language,
                         std::span<std::uint8_t> out) override
    {
        return alive() ? m_device->stringDescriptor(index, language, out) : -1;
    }
    platform::usb::TransferResult bulkTransfer(std::uint8_t endpoint, std::span<std::uint8_t> data,
                                               unsigned timeoutMs) override
    {
        if (!alive())
            return {platform::usb::TransferStatus::NoDevice, 0};
        return m_device->transfer(endpoint, data, timeoutMs);
    }
    bool clearHalt(std::uint8_t endpoint) override
    {
        return alive() && m_device->clearHalt(endpoint);
    }

private:
    bool alive() const { return m_device->plugged() && m_device->plugGeneration() == m_generation; }

    std::shared_ptr<Device> m_device;
    std::uint32_t m_generation;
};

} // namespace sim::usb
