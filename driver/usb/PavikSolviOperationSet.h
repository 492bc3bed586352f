#pragma once

#include "driver/core/OperationSet.h"

#include <cstdint>

// The operation set of the Pavik and Solvi spectrometers: channel 0 acquired inside
// StartChannel over the EZ-USB transport, one spectrum request per scan to average.
namespace driver::usb {

core::OperationSet PavikSolviOperationSet();
// Makes the set available to the selector under "PavikSolviOperationSet" (idempotent).
void registerPavikSolviOperationSet();

core::ChannelStart PavikSolviStartChannel(RegistrationRecord* record);
int16_t PavikSolviProgramIntegration(RegistrationRecord* record);
int16_t PavikSolviProgramFrequency(RegistrationRecord* record);
int16_t PavikSolviResetAndApplyTiming(RegistrationRecord* record);
void PavikSolviShutdownHardware();

// Opens the device on demand for an export: when it is not OK and no handle is open,
// requests a re-open and runs ResetAndApplyTiming with a scratch record. The scratch
// record's status afterwards (0 when nothing had to be done).
int openOnDemand();

// Identification of a device index for a product id: its serial into `text` (16 bytes)
// and 1; `notText` and 0 when the device is not recognised; 0 otherwise.
int identifyDevice(int index, char* text, std::uint16_t productId, const char* notText);

// Forgets the per-process state of the set (tests and library start).
void resetPavikSolviState();
// Forgets the Pavik exports' temperature, coefficient and Mavrin state (tests).
void resetPavikExportState();

} // namespace driver::usb
