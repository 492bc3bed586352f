#pragma once

#include <cstdint>

// Connection of the EZ-USB A/D types (Pavik, Solvi, BrontelUSB, Xandel, Pellar) for the
// core's ConnectHardware and serial selection. Called on the client's thread without the
// scheduler mutex held.
namespace driver::usb {

// True for the A/D types this back-end connects.
bool isUsbAdcType(std::uint16_t adcType);

// Releases the transport, then looks for the configured serial; when it is not attached
// (after telling the user), takes the first device of the model. VYK_SUCCESS with the
// hardware marked connected (the operation set opens the device at its first scan), or
// VYK_NOT_INITIALISED when no device of the model answers.
int16_t connectUsbHardware(std::uint16_t adcType);

// Uses the device with `serial`: 1 when it is the current one or was found (kept as the
// current serial, the device reopened at the next scan); 0 when no device has it.
int setCurrentUsbSerialNumber(const char* serial);

} // namespace driver::usb
