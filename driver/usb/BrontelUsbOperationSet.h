#pragma once

#include "driver/core/OperationSet.h"

#include <cstdint>

// The operation sets of the BrontelUSB converter: `IstrelBrontelUSBOperationSet` (key 519)
// and `LemmikBrontelUSBOperationSet` (key 775). Unlike the Pavik's, they acquire every
// enabled channel, selecting the converter's input before each one. Slots run on the
// scanning thread or the caller's, without the scheduler mutex held.
namespace driver::usb {

core::OperationSet IstrelBrontelUSBOperationSet();
core::OperationSet LemmikBrontelUSBOperationSet();
// Makes both sets available to the selector (idempotent).
void registerBrontelUsbOperationSets();

core::ChannelStart IstrelBrontelUSBStartChannel(RegistrationRecord* record);
core::ChannelStart LemmikBrontelUSBStartChannel(RegistrationRecord* record);
void BrontelUSBAdvanceSequencer();
int16_t BrontelUSBProgramIntegration(RegistrationRecord* record);
int16_t IstrelBrontelUSBProgramFrequency(RegistrationRecord* record);
int16_t LemmikBrontelUSBProgramFrequency(RegistrationRecord* record);
int16_t IstrelBrontelUSBResetAndApplyTiming(RegistrationRecord* record);
int16_t LemmikBrontelUSBResetAndApplyTiming(RegistrationRecord* record);
void BrontelUSBShutdownHardware();

// Opens the device on demand for an export through the selected set's ResetAndApplyTiming
// (the Istrel set's when another is selected). The scratch record's status afterwards.
int brontelUsbOpenOnDemand();

// The configured BrontelUSB product id.
std::uint16_t brontelUsbProductId();

// Forgets the per-process state of the sets and the DAC (tests and library start).
void resetBrontelUsbState();
void resetBrontelUsbDacState();

} // namespace driver::usb
