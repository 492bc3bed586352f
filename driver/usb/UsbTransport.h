#pragma once

#include "driver/usb/UsbProtocol.h"
#include "platform/usb/EzusbDriver.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

// The process-wide EZ-USB transport: one open device, its command senders, replies and
// spectrum blocks. Every transfer and every command with its reply runs under the
// device lock, so the worker's scans and the GUI thread's accessory exports never
// interleave on the device. Any thread may call.
namespace driver::usb {

using Handle = platform::usb::EzusbDriver::Handle;
inline constexpr Handle kNoHandle = platform::usb::EzusbDriver::kInvalidHandle;
inline constexpr int kMaxDeviceIndex = 63;

// Installs the backend the transport uses (tests: simulated devices). Null goes back to
// libusb with the ids of "VYKDRV.INI". Closes any open device.
void setUsbBackend(std::shared_ptr<platform::usb::UsbBackend> backend);
// The stand-in kernel driver over the current backend.
platform::usb::EzusbDriver& ezusbDriver();

// The configured vendor id and the product id under `productKey` of section [USB] of
// "VYKDRV.INI" (defaults in UsbModelIds.h).
std::uint16_t configuredVendorId();
std::uint16_t configuredProductId(const char* productKey, std::uint16_t fallback);

// "\\\\.\\Ezusb-<index>".
std::string devicePathFor(int index);

// Context state.
bool deviceOk();
void setDeviceOk(bool ok);
Handle deviceHandle();
int currentDeviceIndex();
std::uint32_t firmwareVersion();
std::string currentSerial();
std::string configuredSerial();
void clearCurrentSerial();
// Copies the serial (at most 15 characters) into the configured and current serial.
void StoreCurrentUSBSerialNumber(const char* serial);
void RequestHardwareReinit();
bool reinitRequested();
void clearReinit();
int lastIntegrationSent();
void setLastIntegrationSent(int ms);

// Buffers and the device file.
int AllocateUsbBuffers();
void FreeUsbBuffers();
bool OpenUsbDevice(int index);
void CloseUsbDevice();

// Device search: the index 0..63 whose serial equals `wanted`; with an empty `wanted`
// the first recognised device whose serial does not begin with "Ezusb" (its serial is
// written to `wanted`). -1 when none.
int FindEzusbDeviceBySerial(std::string& wanted);
// Recognition by the pipe list (4 pipes, endpoint number 7).
bool isRecognised(Handle handle);
// The device descriptor's vendor and product id.
std::optional<std::pair<std::uint16_t, std::uint16_t>> deviceIds(Handle handle);

// Commands on an explicit handle (identification, search) or on the open device.
std::string ReadUsbSerialNumber(Handle handle);
int ReadInfoSlot(Handle handle, int slot, std::string& text);
int WriteInfoSlot(Handle handle, int slot, const std::string& text);

// The string descriptor as text (at most maxChars); language 0x001B, then 0x0409.
std::optional<std::string> readStringDescriptor(Handle handle, std::uint8_t index,
                                                std::size_t maxChars);
// Parses string descriptor 1 of the open device; 0 when unknown.
std::uint32_t QueryFirmwareVersion();

// Sends bytes on the command pipe of the open device (nothing unless OK); a failure
// clears device OK and writes `debugText` when given.
bool sendCommand(std::span<const std::uint8_t> bytes, const char* debugText = nullptr);
bool sendCommand16(std::uint8_t command, std::uint16_t value, const char* debugText);
bool BulkWriteInitTarget();
bool BulkWriteLampTarget(int enable);
// Sends a query and reads its reply from the reply pipe (after waitMs, on the injected
// clock). The bytes read, or nothing; a short reply is refused unless `allowShort`.
std::optional<std::size_t> query(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> reply,
                                 std::uint32_t waitMs = 0, bool allowShort = false);

// Requests, reads and unpacks one spectrum block. `timeoutMs` 0 waits without bound
// until `cancel` answers true. True when the pixels hold a new block.
bool ReadUsbSpectrum(unsigned timeoutMs, const std::function<bool()>& cancel = {});
// Requests one block of another layout (block.size() bytes, sync byte last) and reads it
// into `block` under one hold of the device lock. The bytes read, or nothing: a failed
// request or read clears device OK and writes its debug text. Waits as ReadUsbSpectrum.
std::optional<std::size_t> requestUsbBlock(std::span<std::uint8_t> block, unsigned timeoutMs,
                                           const std::function<bool()>& cancel,
                                           const char* readFailureText);
// The last unpacked block (the scan thread's).
std::span<const std::uint16_t, kBlockPixels> unpackedPixels();

int ResetUsbPipe(Handle handle, int pipe);
void ResetUsbPipes();
int USB_SyncTargetDevice();
// Sets the re-initialise flag when the device is lost and found again by serial.
void UsbDeviceRecheck();

// Raw transfers of the open device (device OK required); a failed transfer clears OK.
bool rawBulkWrite(int pipe, std::span<const std::uint8_t> bytes);
std::optional<std::size_t> rawBulkRead(int pipe, std::span<std::uint8_t> bytes);
// Resets and aborts pipes 0 to 3 of the open device; the last abort's result.
int resetAllPipes();

// The longest an export waits for the device while a scan holds it.
std::uint32_t exportLockWaitMs();

} // namespace driver::usb
