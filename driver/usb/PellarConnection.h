#pragma once

#include <cstdint>

// Connection of the Pellar system for the core's ConnectHardware and serial selection.
// Called on the client's thread without the scheduler mutex held.
namespace driver::usb {

// Opens the Pellar with the configured serial (the first device that opens when none is
// configured), initialises it and queries its information. When none opens, tells the
// user and takes the first device that identifies as a Pellar. VYK_SUCCESS with the
// hardware marked connected, or VYK_NOT_INITIALISED when no Pellar answers.
int16_t connectPellarHardware();

// Uses the Pellar with `serial`: 1 when it was found and opened (kept as the current
// serial); 0 when no device has it.
int setCurrentPellarSerialNumber(const char* serial);

// Pellar_IdentifyPellar: the serial of a Pellar (or Wessor-on-Xandel, which shares its
// product id) at the index into `text` (16 bytes) and 1; "NOT Pellar" and 0 for a device
// that is not the maker's; 0 otherwise.
int identifyPellar(int index, char* text);

} // namespace driver::usb
