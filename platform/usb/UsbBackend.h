#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace platform::usb {

// How one bulk transfer ended.
enum class TransferStatus
{
    Ok,
    Timeout,  // nothing (or not everything) arrived within the time-out
    NoDevice, // the device was unplugged
    Stall,    // the endpoint stalled
    Error,    // any other failure
};

struct TransferResult
{
    TransferStatus status = TransferStatus::Error;
    std::size_t bytes = 0; // bytes moved, also on a time-out
};

// The 18-byte standard device descriptor.
using DeviceDescriptorBytes = std::array<std::uint8_t, 18>;

// One opened USB device: the endpoints of its interface 0 and the transfers on them.
// Implemented over libusb, by the simulators of sim/ and by test fakes. Calls on one
// device come from one thread at a time (the EZ-USB layer serialises them per pipe user).
class UsbDeviceIo
{
public:
    virtual ~UsbDeviceIo() = default;
    // Endpoint addresses of interface 0 in descriptor order (bit 7 set: IN).
    virtual std::vector<std::uint8_t> endpoints() = 0;
    virtual std::optional<DeviceDescriptorBytes> deviceDescriptor() = 0;
    // The raw string descriptor (length byte, type byte, UTF-16LE units) copied into
    // `out`; the byte count, or -1 when the request failed.
    virtual int stringDescriptor(std::uint8_t index, std::uint16_t language,
                                 std::span<std::uint8_t> out) = 0;
    // A bulk transfer in the endpoint's direction (IN fills `data`, OUT sends it).
    virtual TransferResult bulkTransfer(std::uint8_t endpoint, std::span<std::uint8_t> data,
                                        unsigned timeoutMs) = 0;
    // Clears a halt on the endpoint; false on failure.
    virtual bool clearHalt(std::uint8_t endpoint) = 0;
};

// The matching devices of the system in bus/port order. Thread-safe.
class UsbBackend
{
public:
    virtual ~UsbBackend() = default;
    // Re-enumerates and returns the number of matching devices.
    virtual int deviceCount() = 0;
    // Opens the device at that position of the last enumeration; null when it cannot.
    virtual std::unique_ptr<UsbDeviceIo> open(int index) = 0;
};

} // namespace platform::usb
