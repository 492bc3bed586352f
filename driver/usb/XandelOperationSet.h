#pragma once

#include "driver/core/OperationSet.h"

#include <cstddef>
#include <cstdint>

// The operation set of the Xandel interface (`XandelOperationSet`, keys 1035 Wessor and
// 1291 Velko): channel 0 acquired inside StartChannel in the interface's own block layout.
// Slots run on the scanning thread or the caller's, without the scheduler mutex held.
namespace driver::usb {

core::OperationSet XandelOperationSet();
// Makes the set available to the selector (idempotent).
void registerXandelOperationSet();

core::ChannelStart XandelStartChannel(RegistrationRecord* record);
void XandelAdvanceSequencer();
int16_t XandelProgramFrequency(RegistrationRecord* record);
int16_t XandelResetAndApplyTiming(RegistrationRecord* record);
void XandelShutdownHardware();

// Opens the device on demand for an export. The scratch record's status afterwards.
int xandelOpenOnDemand();

// The configured product ids of the two detectors. The Wessor's is the Pellar system's
// too, so each identifies the other's device.
std::uint16_t wessorProductId();
std::uint16_t velkoProductId();

// The detector's pixel count for the configured spectrometer type (Wessor 512, else 256).
std::size_t xandelPixelCount();

// Forgets the per-process state of the set (tests and library start).
void resetXandelState();
// Forgets the integration-time scalar the exports keep (tests).
void resetXandelExportState();

} // namespace driver::usb
