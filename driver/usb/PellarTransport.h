#pragma once

#include "driver/usb/PellarProtocol.h"
#include "driver/usb/UsbTransport.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

// The Pellar system's own transport over the EZ-USB stand-in: a device handle of its own
// beside the shared transport's, blocks of 2 x pixel count + 1 bytes, and averaging in
// the library. Transfer failures are shown in boxes captioned "Pellar USB Error" whatever
// the driver-message switch says; on a driver thread such a box never blocks (the
// platform's message-box hook shows it later). Any thread may call; the device state is
// kept in atomics and guarded fields, and no lock is held across a transfer.
namespace driver::usb {

inline constexpr const char* kPellarErrorCaption = "Pellar USB Error";
inline constexpr int kMaxPellarIndex = 127;

// The device the hardware connection opened for the operation set (kNoHandle: none).
Handle pellarHandle();
void setPellarHandle(Handle handle);
// The pixel count of the last information reply (at most 2048; 0 before one arrived).
std::size_t pellarPixelCount();
// The last information record.
PellarInfo pellarInfo();
// The integration time last sent (0: none since the device was opened).
int lastPellarIntegration();
void setLastPellarIntegration(int ms);
// Forgets the handle (without closing it), the pixel count and the information (tests).
void resetPellarTransport();

// Opens "\\\\.\\Ezusb-<index>"; the handle or kNoHandle.
Handle OpenPellarByIndex(int index);
// Indices 0 to 127: with an empty `wanted` the first index that opens, else the first
// whose serial equals it; -1 when none.
int FindPellarBySerial(const std::string& wanted);
// FindPellarBySerial, then OpenPellarByIndex; the handle or kNoHandle.
Handle OpenPellarBySerial(const std::string& wanted);
// Sends 0x01 0x00; when that succeeds, QueryPellarInfo. The write's result (1 or 0).
int InitPellarDevice(Handle handle);
// Sends 0x0F 0x00 and reads the 16-byte information reply; keeps the record and the
// (clamped) pixel count. 1 when a whole reply arrived.
int QueryPellarInfo(Handle handle);
int SetPellarIntegration(Handle handle, std::uint16_t ms);
int PellarStrobeEnable(Handle handle, std::uint16_t value);
// Sends 0x09 0x00; a failure shows "Request Spectrum Failed".
int RequestPellarSpectrum(Handle handle);
// Reads one block into `pixels`; the number of pixel words handed on (the pixel count).
// A block of the wrong length or without the sync byte re-initialises the device; 0 then
// and on any failure.
int ReadPellarBlock(Handle handle, std::span<std::uint16_t, kPellarMaxPixels> pixels,
                    const std::function<bool()>& cancel = {});

// What an acquisition brought.
struct PellarAcquisition
{
    int lastRequest = 0; // the last spectrum request's result
    int added = 0;       // blocks summed into the average
};

// Zeroes `buffer`, requests and reads `scans` blocks and averages the good ones (a
// failed request or block is left out of the sum and out of the divisor). With no good
// block the buffer stays zero. Stops early when `cancel` answers true.
PellarAcquisition AcquirePellar(Handle handle, int scans, std::span<float, kPellarMaxPixels> buffer,
                                const std::function<bool()>& cancel = {});
void ClosePellarDevice(Handle handle);

// The device's serial number (command 0x08, reply bytes 1 to 15); empty on failure.
std::string ReadPellarSerial(Handle handle);

} // namespace driver::usb
