#pragma once

#include "platform/usb/LibusbBackend.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::usb::test {

// A fake of the libusb subset the backend uses, with simulated spectrometers behind it.
// Devices sit at a bus and port path; an unplugged simulator is not listed, and a handle
// opened before an unplug answers "no device" for good. Counts what is acquired and
// released so that tests can see leaks. One instance per process (the table holds plain
// functions).
class FakeLibusb
{
public:
    struct Device
    {
        std::uint8_t bus = 1;
        std::vector<std::uint8_t> ports;
        std::shared_ptr<sim::usb::SimulatedUsbSpectrometer> sim;
        bool openFails = false;
        bool claimFails = false;
    };

    static FakeLibusb& instance()
    {
        static FakeLibusb fake;
        return fake;
    }

    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_devices.clear();
        m_handles.clear();
        m_configs.clear();
        m_listsOut = 0;
    }

    void add(Device device)
    {
        std::lock_guard lock(m_mutex);
        m_devices.push_back(std::make_unique<Device>(std::move(device)));
    }

    int openHandles()
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_handles.size());
    }

    int configsOut()
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_configs.size());
    }

    int listsOut()
    {
        std::lock_guard lock(m_mutex);
        return m_listsOut;
    }

    static LibusbApi api()
    {
        LibusbApi a;
        a.init = [](libusb_context** context) {
            *context = reinterpret_cast<libusb_context*>(&instance());
            return 0;
        };
        a.exit = [](libusb_context*) {};
        a.getDeviceList = [](libusb_context*, libusb_device*** list) -> ssize_t {
            FakeLibusb& f = instance();
            std::lock_guard lock(f.m_mutex);
            auto* out = new libusb_device*[f.m_devices.size() + 1];
            ssize_t n = 0;
            for (auto& device : f.m_devices) {
                if (device->sim->plugged())
                    out[n++] = reinterpret_cast<libusb_device*>(device.get());
            }
            out[n] = nullptr;
            *list = out;
            ++f.m_listsOut;
            return n;
        };
        a.freeDeviceList = [](libusb_device** list, int) {
            FakeLibusb& f = instance();
            std::lock_guard lock(f.m_mutex);
            --f.m_listsOut;
            delete[] list;
        };
        a.getDeviceDescriptor = [](libusb_device* device, libusb_device_descriptor* out) {
            const auto raw = dev(device)->sim->deviceDescriptor();
            std::memset(out, 0, sizeof *out);
            out->bLength = raw[0];
            out->bDescriptorType = raw[1];
            out->idVendor = static_cast<std::uint16_t>(raw[8] | raw[9] << 8);
            out->idProduct = static_cast<std::uint16_t>(raw[10] | raw[11] << 8);
            out->bNumConfigurations = raw[17];
            return 0;
        };
        a.getBusNumber = [](libusb_device* device) { return dev(device)->bus; };
        a.getPortNumbers = [](libusb_device* device, std::uint8_t* ports, int length) {
            const auto& p = dev(device)->ports;
            if (static_cast<int>(p.size()) > length)
                return int{LIBUSB_ERROR_OVERFLOW};
            std::copy(p.begin(), p.end(), ports);
            return static_cast<int>(p.size());
        };
        a.open = [](libusb_device* device, libusb_device_handle** handle) {
            Device* d = dev(device);
            if (d->openFails)
                return int{LIBUSB_ERROR_ACCESS};
            FakeLibusb& f = instance();
            std::lock_guard lock(f.m_mutex);
            auto h = std::make_unique<Handle>(Handle{d, d->sim->plugGeneration()});
            *handle = reinterpret_cast<libusb_device_handle*>(h.get());
            f.m_handles.emplace(h.get(), std::move(h));
            return 0;
        };
        a.close = [](libusb_device_handle* handle) {
            FakeLibusb& f = instance();
            std::lock_guard lock(f.m_mutex);
            f.m_handles.erase(reinterpret_cast<Handle*>(handle));
        };
        a.setAutoDetachKernelDriver = [](libusb_device_handle*, int) { return 0; };
        a.claimInterface = [](libusb_device_handle* handle, int) {
            return hnd(handle)->device->claimFails ? int{LIBUSB_ERROR_BUSY} : 0;
        };
        a.releaseInterface = [](libusb_device_handle*, int) { return 0; };
        a.getActiveConfigDescriptor = [](libusb_device* device, libusb_config_descriptor** out) {
            auto config = std::make_unique<Config>();
            const auto endpoints = dev(device)->sim->endpoints();
            for (auto address : endpoints) {
                libusb_endpoint_descriptor e{};
                e.bEndpointAddress = address;
                e.bmAttributes = LIBUSB_TRANSFER_TYPE_BULK;
                config->endpoints.push_back(e);
            }
            config->alt.bNumEndpoints = static_cast<std::uint8_t>(config->endpoints.size());
            config->alt.endpoint = config->endpoints.data();
            config->iface.altsetting = &config->alt;
            config->iface.num_altsetting = 1;
            config->config.bNumInterfaces = 1;
            config->config.interface = &config->iface;
            *out = &config->config;
            FakeLibusb& f = instance();
            std::lock_guard lock(f.m_mutex);
            f.m_configs.emplace(*out, std::move(config));
            return 0;
        };
        a.freeConfigDescriptor = [](libusb_config_descriptor* config) {
            FakeLibusb& f = instance();
            std::lock_guard lock(f.m_mutex);
            f.m_configs.erase(config);
        };
        a.controlTransfer = [](libusb_device_handle* handle, std::uint8_t, std::uint8_t request,
                               std::uint16_t value, std::uint16_t index, unsigned char* data,
                               std::uint16_t length, unsigned) {
            Handle* h = hnd(handle);
            if (!alive(h))
                return int{LIBUSB_ERROR_NO_DEVICE};
            if (request != 0x06 || (value >> 8) != LIBUSB_DT_STRING)
                return int{LIBUSB_ERROR_PIPE};
            const int got = h->device->sim->stringDescriptor(static_cast<std::uint8_t>(value),
                                                             index, {data, length});
            return got < 0 ? int{LIBUSB_ERROR_PIPE} : got;
        };
        a.bulkTransfer = [](libusb_device_handle* handle, unsigned char endpoint,
                            unsigned char* data, int length, int* transferred, unsigned timeoutMs) {
            Handle* h = hnd(handle);
            *transferred = 0;
            if (!alive(h))
                return int{LIBUSB_ERROR_NO_DEVICE};
            const auto result = h->device->sim->transfer(
                endpoint, {data, static_cast<std::size_t>(length)}, timeoutMs);
            *transferred = static_cast<int>(result.bytes);
            switch (result.status) {
            case TransferStatus::Ok:
                return 0;
            case TransferStatus::Timeout:
                return int{LIBUSB_ERROR_TIMEOUT};
            case TransferStatus::NoDevice:
                return int{LIBUSB_ERROR_NO_DEVICE};
            case TransferStatus::Stall:
                return int{LIBUSB_ERROR_PIPE};
            default:
                return int{LIBUSB_ERROR_IO};
            }
        };
        a.clearHalt = [](libusb_device_handle* handle, unsigned char endpoint) {
            Handle* h = hnd(handle);
            return alive(h) && h->device->sim->clearHalt(endpoint) ? 0
                                                                   : int{LIBUSB_ERROR_NO_DEVICE};
        };
        return a;
    }

private:
    struct Handle
    {
        Device* device;
        std::uint32_t generation;
    };
    struct Config
    {
        libusb_config_descriptor config{};
        libusb_interface iface{};
        libusb_interface_descriptor alt{};
        std::vector<libusb_endpoint_descriptor> endpoints;
    };

    static Device* dev(libusb_device* device) { return reinterpret_cast<Device*>(device); }
    static Handle* hnd(libusb_device_handle* handle) { return reinterpret_cast<Handle*>(handle); }
    static bool alive(const Handle* h)
    {
        return h->device->sim->plugged() && h->device->sim->plugGeneration() == h->generation;
    }

    std::mutex m_mutex;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::map<Handle*, std::unique_ptr<Handle>> m_handles;
    std::map<libusb_config_descriptor*, std::unique_ptr<Config>> m_configs;
    int m_listsOut = 0;
};

} // namespace platform::usb::test
