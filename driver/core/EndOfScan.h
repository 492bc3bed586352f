#pragma once

#include "driver/include/vykdrv32.h"

#include <cstdint>

namespace driver::core {

// End-of-scan routines per spectrometer type (the EndOfScan slot). Each runs once per
// finished scan on the thread that finished it, works on the current record, fills the
// client's enabled channel buffers and posts 0x465 per channel. Called without the
// scheduler mutex held.
void EndOfScanGavrel(RegistrationRecord* record);
void EndOfScanIstrelBT(RegistrationRecord* record);
void EndOfScanIstrel(RegistrationRecord* record);
void EndOfScanLemmik(RegistrationRecord* record);
void EndOfScanNir(RegistrationRecord* record);
void EndOfScanJolvar(RegistrationRecord* record);
void EndOfScanUlmar(RegistrationRecord* record);

// Whether `endOfScan` (one of the routines above) divides the channel buffers by the scans
// to average on this A/D type, so that a channel adds each scan to the buffer; false for the
// routines and types whose acquisition averages, and for any other routine.
bool EndOfScanAverages(void (*endOfScan)(RegistrationRecord*), std::uint16_t adcType);

} // namespace driver::core
