#include "platform/usb/LibusbBackend.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <type_traits>

namespace platform::usb {
namespace {

struct Candidate
{
    libusb_device* device = nullptr;
    std::array<std::uint8_t, 8> path{}; // bus, then port numbers
    int pathLength = 0;
};

class LibusbDeviceIo final : public UsbDeviceIo
{
public:
    LibusbDeviceIo(const LibusbApi& api, libusb_device_handle* handle,
                   std::vector<std::uint8_t> endpoints, DeviceDescriptorBytes descriptor)
        : m_api(api), m_handle(handle), m_endpoints(std::move(endpoints)), m_descriptor(descriptor)
    {}
    ~LibusbDeviceIo() override
    {
        m_api.releaseInterface(m_handle, 0);
        m_api.close(m_handle);
    }

    std::vector<std::uint8_t> endpoints() override { return m_endpoints; }
    std::optional<DeviceDescriptorBytes> deviceDescriptor() override { return m_descriptor; }

    int stringDescriptor(std::uint8_t index, std::uint16_t language,
                         std::span<std::uint8_t> out) override
    {
        constexpr std::uint8_t kGetDescriptor = 0x06;
        constexpr std::uint8_t kDeviceToHost = 0x80;
        const auto length = static_cast<std::uint16_t>(std::min<std::size_t>(out.size(), 255));
        const int result =
            m_api.controlTransfer(m_handle, kDeviceToHost, kGetDescriptor,
                                  static_cast<std::uint16_t>((LIBUSB_DT_STRING << 8) | index),
                                  language, out.data(), length, 1000);
        return result < 0 ? -1 : result;
    }

    TransferResult bulkTransfer(std::uint8_t endpoint, std::span<std::uint8_t> data,
                                unsigned timeoutMs) override
    {
        int moved = 0;
        const int result = m_api.bulkTransfer(m_handle, endpoint, data.data(),
                                              static_cast<int>(data.size()), &moved, timeoutMs);
        TransferResult out;
        out.bytes = moved > 0 ? static_cast<std::size_t>(moved) : 0;
        switch (result) {
        case LIBUSB_SUCCESS:
            out.status = TransferStatus::Ok;
            break;
        case LIBUSB_ERROR_TIMEOUT:
            out.status = TransferStatus::Timeout;
            break;
        case LIBUSB_ERROR_NO_DEVICE:
            out.status = TransferStatus::NoDevice;
            break;
        case LIBUSB_ERROR_PIPE:
            out.status = TransferStatus::Stall;
            break;
        default:
            out.status = TransferStatus::Error;
            break;
        }
        return out;
    }

    bool clearHalt(std::uint8_t endpoint) override
    {
        return m_api.clearHalt(m_handle, endpoint) == LIBUSB_SUCCESS;
    }

private:
    const LibusbApi& m_api;
    libusb_device_handle* m_handle;
    std::vector<std::uint8_t> m_endpoints;
    DeviceDescriptorBytes m_descriptor;
};

class LibusbBackend final : public UsbBackend
{
public:
    LibusbBackend(const LibusbApi& api, libusb_context* context, std::vector<UsbId> ids)
        : m_api(api), m_context(context), m_ids(std::move(ids))
    {}
    ~LibusbBackend() override { m_api.exit(m_context); }

    int deviceCount() override
    {
        std::lock_guard lock(m_mutex);
        return withDevices([](std::vector<Candidate>& found) { return int(found.size()); });
    }

    std::unique_ptr<UsbDeviceIo> open(int index) override
    {
        std::lock_guard lock(m_mutex);
        return withDevices([&](std::vector<Candidate>& found) -> std::unique_ptr<UsbDeviceIo> {
            if (index < 0 || static_cast<std::size_t>(index) >= found.size())
                return nullptr;
            return openDevice(found[static_cast<std::size_t>(index)].device);
        });
    }

private:
    // Lists the matching devices sorted by bus and port path and hands them to `use`
    // while the list (and so every device reference) is alive.
    template <class Use> std::invoke_result_t<Use, std::vector<Candidate>&> withDevices(Use&& use)
    {
        libusb_device** list = nullptr;
        const ssize_t count = m_api.getDeviceList(m_context, &list);
        std::vector<Candidate> found;
        for (ssize_t i = 0; i < count; ++i) {
            libusb_device_descriptor descriptor{};
            if (m_api.getDeviceDescriptor(list[i], &descriptor) != LIBUSB_SUCCESS)
                continue;
            const bool wanted = std::any_of(m_ids.begin(), m_ids.end(), [&](const UsbId& id) {
                return id.vendorId == descriptor.idVendor && id.productId == descriptor.idProduct;
            });
            if (!wanted)
                continue;
            Candidate candidate;
            candidate.device = list[i];
            candidate.path[0] = m_api.getBusNumber(list[i]);
            const int ports = m_api.getPortNumbers(list[i], candidate.path.data() + 1,
                                                   int(candidate.path.size()) - 1);
            candidate.pathLength = 1 + std::max(ports, 0);
            found.push_back(candidate);
        }
        std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
            return std::lexicographical_compare(a.path.begin(), a.path.begin() + a.pathLength,
                                                b.path.begin(), b.path.begin() + b.pathLength);
        });
        auto result = use(found);
        if (list)
            m_api.freeDeviceList(list, 1);
        return result;
    }

    std::unique_ptr<UsbDeviceIo> openDevice(libusb_device* device)
    {
        libusb_device_descriptor descriptor{};
        if (m_api.getDeviceDescriptor(device, &descriptor) != LIBUSB_SUCCESS)
            return nullptr;
        std::vector<std::uint8_t> endpoints;
        libusb_config_descriptor* config = nullptr;
        if (m_api.getActiveConfigDescriptor(device, &config) != LIBUSB_SUCCESS || !config)
            return nullptr;
        if (config->bNumInterfaces >= 1 && config->interface[0].num_altsetting >= 1) {
            const libusb_interface_descriptor& alt = config->interface[0].altsetting[0];
            for (int e = 0; e < alt.bNumEndpoints; ++e)
                endpoints.push_back(alt.endpoint[e].bEndpointAddress);
        }
        m_api.freeConfigDescriptor(config);

        libusb_device_handle* handle = nullptr;
        if (m_api.open(device, &handle) != LIBUSB_SUCCESS || !handle)
            return nullptr;
        m_api.setAutoDetachKernelDriver(handle, 1);
        if (m_api.claimInterface(handle, 0) != LIBUSB_SUCCESS) {
            m_api.close(handle);
            return nullptr;
        }
        // The descriptor as it travels on the wire (little-endian words).
        DeviceDescriptorBytes raw{};
        raw[0] = descriptor.bLength;
        raw[1] = descriptor.bDescriptorType;
        raw[2] = std::uint8_t(descriptor.bcdUSB & 0xFF);
        raw[3] = std::uint8_t(descriptor.bcdUSB >> 8);
        raw[4] = descriptor.bDeviceClass;
        raw[5] = descriptor.bDeviceSubClass;
        raw[6] = descriptor.bDeviceProtocol;
        raw[7] = descriptor.bMaxPacketSize0;
        raw[8] = std::uint8_t(descriptor.idVendor & 0xFF);
        raw[9] = std::uint8_t(descriptor.idVendor >> 8);
        raw[10] = std::uint8_t(descriptor.idProduct & 0xFF);
        raw[11] = std::uint8_t(descriptor.idProduct >> 8);
        raw[12] = std::uint8_t(descriptor.bcdDevice & 0xFF);
        raw[13] = std::uint8_t(descriptor.bcdDevice >> 8);
        raw[14] = descriptor.iManufacturer;
        raw[15] = descriptor.iProduct;
        raw[16] = descriptor.iSerialNumber;
        raw[17] = descriptor.bNumConfigurations;
        return std::make_unique<LibusbDeviceIo>(m_api, handle, std::move(endpoints), raw);
    }

    const LibusbApi m_api;
    libusb_context* m_context;
    std::vector<UsbId> m_ids;
    std::mutex m_mutex; // one enumeration or open at a time
};

} // namespace

LibusbApi realLibusbApi()
{
    LibusbApi api;
    api.init = libusb_init;
    api.exit = libusb_exit;
    api.getDeviceList = libusb_get_device_list;
    api.freeDeviceList = libusb_free_device_list;
    api.getDeviceDescriptor = libusb_get_device_descriptor;
    api.getBusNumber = libusb_get_bus_number;
    api.getPortNumbers = libusb_get_port_numbers;
    api.open = libusb_open;
    api.close = libusb_close;
    api.setAutoDetachKernelDriver = libusb_set_auto_detach_kernel_driver;
    api.claimInterface = libusb_claim_interface;
    api.releaseInterface = libusb_release_interface;
    api.getActiveConfigDescriptor = libusb_get_active_config_descriptor;
    api.freeConfigDescriptor = libusb_free_config_descriptor;
    api.controlTransfer = libusb_control_transfer;
    api.bulkTransfer = libusb_bulk_transfer;
    api.clearHalt = libusb_clear_halt;
    return api;
}

std::shared_ptr<UsbBackend> makeLibusbBackend(const LibusbApi& api, std::vector<UsbId> ids)
{
    libusb_context* context = nullptr;
    if (api.init(&context) != LIBUSB_SUCCESS)
        return nullptr;
    return std::make_shared<LibusbBackend>(api, context, std::move(ids));
}

} // namespace platform::usb
