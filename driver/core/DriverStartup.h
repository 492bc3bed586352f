#pragma once

#include <cstdint>

namespace driver::core {

// Brings the state to that of a freshly started library: registration table of 8 cleared
// records, buffers, current channel -1, the 1 ms timer period (or no timers), start-up
// flags 0x14. The first export call runs it once; tests call it for a fresh start.
void attachDriver();

// Kills a pending watchdog and ends the timer period.
void detachDriver();

// Connects the configured hardware; selects the operation set first. A/D type none gives
// the synthetic channel; types whose back-end is not built connect nothing.
int16_t ConnectHardware();
void DisconnectHardware();

// Stores the types (3 and 5 as the serial A/D), the IRQ when 1 to 15 and the base address
// when its low four bits are 0, then connects; all four 0 runs the set-up dialog first.
int16_t configure(std::int16_t spectrometerType, std::int16_t adcType, std::int16_t irq,
                  std::int16_t baseAddress);

} // namespace driver::core
