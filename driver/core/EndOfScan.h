#pragma once

#include "driver/include/vykdrv32.h"

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

} // namespace driver::core
