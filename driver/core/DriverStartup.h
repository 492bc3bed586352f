#pragma once

#include <cstdint>

namespace driver::core {

// Brings the state to that of a freshly started library: registration table of 8 cleared
// records, buffers, current channel -1, the 1 ms timer period (or no timers), start-up
// flags 0x14. With `readConfiguration` it then reads "VYKDRV.INI" and connects the
// configured hardware, or runs the set-up dialog when the file is not marked initialised:
// that is what the first export call does. Tests call it without for a bare start.
void attachDriver(bool readConfiguration = false);

// Stops the worker thread (joined, or abandoned after its bound), leaves the hardware
// quiet, switches multichannel mode off, writes "VYKDRV.INI", disconnects, kills a pending
// watchdog and ends the timer period. Runs at unload and at process exit; a later export
// call starts the library again.
void detachDriver();

// Connects the configured hardware; selects the operation set first. A/D type none gives
// the synthetic channel; types whose back-end is not built connect nothing.
int16_t ConnectHardware();
void DisconnectHardware();

// Stores the types (3 and 5 as the serial A/D), the IRQ when 1 to 15 and the base address
// when its low four bits are 0, then connects; all four 0 runs the set-up dialog first.
int16_t configure(std::int16_t spectrometerType, std::int16_t adcType, std::int16_t irq,
                  std::int16_t baseAddress);

// The dialog step: runs the set-up dialog when `show` (Cancel: 2), then connects unless a
// board is already connected on the configured IRQ, and marks the library configured.
int16_t ShowSetupDialog(bool show);

} // namespace driver::core
