#include "platform/usb/EzusbDriver.h"

#include <charconv>
#include <string_view>

namespace platform::usb {

int ezusbIndexFromName(const std::string& name)
{
    std::string_view text = name;
    constexpr std::string_view kPrefix = "\\\\.\\";
    if (text.starts_with(kPrefix))
        text.remove_prefix(kPrefix.size());
    constexpr std::string_view kBase = "Ezusb-";
    if (!text.starts_with(kBase))
        return -1;
    text.remove_prefix(kBase.size());
    int index = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty() || index < 0)
        return -1;
    return index;
}

EzusbDriver::EzusbDriver(std::shared_ptr<UsbBackend> backend) : m_backend(std::move(backend)) {}

EzusbDriver::Handle EzusbDriver::open(const std::string& name)
{
    const int index = ezusbIndexFromName(name);
    if (index < 0 || !m_backend)
        return kInvalidHandle;
    if (index >= m_backend->deviceCount())
        return kInvalidHandle;
    auto io = m_backend->open(index);
    if (!io)
        return kInvalidHandle;
    auto device = std::make_shared<OpenDevice>();
    device->endpoints = io->endpoints();
    device->io = std::move(io);
    std::lock_guard lock(m_mutex);
    const Handle handle = m_nextHandle++;
    m_devices.emplace(handle, std::move(device));
    return handle;
}

void EzusbDriver::close(Handle handle)
{
    std::shared_ptr<OpenDevice> device;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_devices.find(handle);
        if (it == m_devices.end())
            return;
        device = std::move(it->second);
        m_devices.erase(it);
    }
    // A read in flight on another thread sees the abort and lets go of its reference.
    device->abortEpoch.fetch_add(1);
}

bool EzusbDriver::isOpen(Handle handle)
{
    return find(handle) != nullptr;
}

std::shared_ptr<EzusbDriver::OpenDevice> EzusbDriver::find(Handle handle)
{
    std::lock_guard lock(m_mutex);
    auto it = m_devices.find(handle);
    return it == m_devices.end() ? nullptr : it->second;
}

std::optional<std::uint8_t> EzusbDriver::endpointOf(const OpenDevice& device, int pipe)
{
    if (pipe < 0 || static_cast<std::size_t>(pipe) >= device.endpoints.size())
        return std::nullopt;
    return device.endpoints[static_cast<std::size_t>(pipe)];
}

std::optional<std::vector<std::uint8_t>> EzusbDriver::pipes(Handle handle)
{
    auto device = find(handle);
    if (!device)
        return std::nullopt;
    return device->endpoints;
}

std::optional<DeviceDescriptorBytes> EzusbDriver::deviceDescriptor(Handle handle)
{
    auto device = find(handle);
    if (!device)
        return std::nullopt;
    return device->io->deviceDescriptor();
}

int EzusbDriver::stringDescriptor(Handle handle, std::uint8_t index, std::uint16_t language,
                                  std::span<std::uint8_t> out)
{
    auto device = find(handle);
    if (!device)
        return -1;
    return device->io->stringDescriptor(index, language, out);
}

bool EzusbDriver::bulkWrite(Handle handle, int pipe, std::span<const std::uint8_t> data,
                            unsigned timeoutMs)
{
    auto device = find(handle);
    if (!device)
        return false;
    const auto endpoint = endpointOf(*device, pipe);
    if (!endpoint || (*endpoint & 0x80) != 0)
        return false;
    // The backend interface takes a mutable span for both directions; an OUT transfer
    // only reads it.
    std::span<std::uint8_t> bytes(const_cast<std::uint8_t*>(data.data()), data.size());
    const TransferResult result =
        device->io->bulkTransfer(*endpoint, bytes, timeoutMs == 0 ? 1000 : timeoutMs);
    return result.status == TransferStatus::Ok && result.bytes == data.size();
}

std::optional<std::size_t> EzusbDriver::bulkRead(Handle handle, int pipe,
                                                 std::span<std::uint8_t> data, unsigned timeoutMs,
                                                 const std::function<bool()>& cancel)
{
    auto device = find(handle);
    if (!device)
        return std::nullopt;
    const auto endpoint = endpointOf(*device, pipe);
    if (!endpoint || (*endpoint & 0x80) == 0)
        return std::nullopt;
    const std::uint32_t epoch = device->abortEpoch.load();
    unsigned waitedMs = 0;
    for (;;) {
        const unsigned slice =
            timeoutMs == 0 ? kReadSliceMs : std::min(kReadSliceMs, timeoutMs - waitedMs);
        const TransferResult result = device->io->bulkTransfer(*endpoint, data, slice);
        if (result.status == TransferStatus::Ok)
            return result.bytes;
        // A slice that timed out with part of the data is a short read: the device sent
        // what it had, so the transfer is over.
        if (result.status != TransferStatus::Timeout || result.bytes != 0)
            return result.status == TransferStatus::Timeout ? std::optional(result.bytes)
                                                            : std::nullopt;
        waitedMs += slice;
        if (device->abortEpoch.load() != epoch || (cancel && cancel()))
            return std::nullopt;
        if (timeoutMs != 0 && waitedMs >= timeoutMs)
            return std::nullopt;
    }
}

bool EzusbDriver::resetPipe(Handle handle, int pipe)
{
    auto device = find(handle);
    if (!device)
        return false;
    const auto endpoint = endpointOf(*device, pipe);
    return endpoint && device->io->clearHalt(*endpoint);
}

bool EzusbDriver::abortPipe(Handle handle, int pipe)
{
    auto device = find(handle);
    if (!device || !endpointOf(*device, pipe))
        return false;
    device->abortEpoch.fetch_add(1);
    return true;
}

} // namespace platform::usb
