#pragma once

#include "driver/core/OperationSet.h"

#include <cstdint>

// The operation set of the Pellar system: each enabled channel is acquired and averaged
// inside StartChannel over the Pellar transport, and the set brings its own end of scan.
// The slots run on the scanning thread (the caller's, the worker or the timer thread)
// without the scheduler mutex held.
namespace driver::usb {

core::OperationSet PellarOperationSet();
// Makes the set available to the selector under "PellarOperationSet" (idempotent).
void registerPellarOperationSet();

core::ChannelStart PellarStartChannel(RegistrationRecord* record);
int16_t PellarProgramFrequency(RegistrationRecord* record);
int16_t PellarResetAndApplyTiming(RegistrationRecord* record);
// Hands the unpacked 12-bit pixels of the shared transport to the current record's
// channel buffer (pixels 2 to 2047), or flags an overrun when the buffer is still full.
void PellarChannelComplete(int channel, bool add);
// Non-linearity, dark level, stray light, boxcar, then the client's notification.
void PellarEndOfScan(RegistrationRecord* record);
void PellarShutdownHardware();

// Forgets the validity of the last scan (tests and library start).
void resetPellarSetState();

} // namespace driver::usb
