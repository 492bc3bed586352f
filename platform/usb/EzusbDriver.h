#pragma once

#include "platform/usb/UsbBackend.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform::usb {

// Stands in for the general-purpose EZ-USB kernel driver: devices are named "Ezusb-%d"
// (the backend's matching devices in bus/port order), a handle names an open device, and
// pipe indices are positions in the endpoint list of interface 0. Thread-safe: any thread
// may call; transfers on one handle run concurrently with abortPipe from another thread.
class EzusbDriver
{
public:
    using Handle = std::intptr_t;
    static constexpr Handle kInvalidHandle = -1;
    // A long read is done in slices of this length so that an abort or a cancel is seen.
    static constexpr unsigned kReadSliceMs = 50;

    explicit EzusbDriver(std::shared_ptr<UsbBackend> backend);

    // Opens "Ezusb-<n>" (a leading "\\\\.\\" is accepted); kInvalidHandle when there is
    // no such device or it cannot be opened.
    Handle open(const std::string& name);
    void close(Handle handle);
    bool isOpen(Handle handle);

    // Endpoint addresses of the pipes (interface information).
    std::optional<std::vector<std::uint8_t>> pipes(Handle handle);
    std::optional<DeviceDescriptorBytes> deviceDescriptor(Handle handle);
    // The raw string descriptor into `out`; byte count or -1.
    int stringDescriptor(Handle handle, std::uint8_t index, std::uint16_t language,
                         std::span<std::uint8_t> out);

    // Sends all bytes on the pipe; false on any failure or a short write.
    bool bulkWrite(Handle handle, int pipe, std::span<const std::uint8_t> data, unsigned timeoutMs);
    // Reads up to data.size() bytes. timeoutMs 0 waits without bound until data arrives,
    // the pipe is aborted or `cancel` answers true. The byte count, or nothing on failure.
    std::optional<std::size_t> bulkRead(Handle handle, int pipe, std::span<std::uint8_t> data,
                                        unsigned timeoutMs,
                                        const std::function<bool()>& cancel = {});
    // Clears the pipe's halt; false on failure.
    bool resetPipe(Handle handle, int pipe);
    // Ends any read waiting on the pipe; false when the handle or pipe is unknown.
    bool abortPipe(Handle handle, int pipe);

private:
    struct OpenDevice
    {
        std::unique_ptr<UsbDeviceIo> io;
        std::vector<std::uint8_t> endpoints;
        std::atomic<std::uint32_t> abortEpoch{0};
    };
    std::shared_ptr<OpenDevice> find(Handle handle);
    static std::optional<std::uint8_t> endpointOf(const OpenDevice& device, int pipe);

    std::shared_ptr<UsbBackend> m_backend;
    std::mutex m_mutex; // guards m_devices and m_nextHandle
    std::map<Handle, std::shared_ptr<OpenDevice>> m_devices;
    Handle m_nextHandle = 1;
};

// Parses "Ezusb-<n>" (with or without the "\\\\.\\" prefix); the index or -1.
int ezusbIndexFromName(const std::string& name);

} // namespace platform::usb
