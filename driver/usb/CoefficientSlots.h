#pragma once

#include "driver/include/vykdrv32.h"

// The wavelength, stray-light and non-linearity coefficients of the Pavik, Solvi and Xandel
// kept in the open device's info slots: 0 the serial, 1 to 4 the wavelength coefficients, 5
// the stray-light constant, 6 to 13 the non-linearity coefficients, 14 the non-linearity
// order, numbers as locale-free text. Called on the caller's thread; the transport locks.
namespace driver::usb {

// Reads the record; a record whose wavelength coefficients `calibrated` refuses reads as the
// unset record (pixel numbers, serial "NOT SET"). 0 when the device is not open or a slot
// could not be read (the caller's record is then unchanged), else 1.
int readCoefficientSlots(CoefficientsRecord* record,
                         bool (*calibrated)(const CoefficientsRecord& record));
// Writes every slot of the record; 0 at the first slot that could not be written.
int writeCoefficientSlots(const CoefficientsRecord* record);

// The stored strings of the other info slots: read into the caller's 16-byte field (cut and
// terminated), or written (cut to a slot's length). 0 without an open device, a text or a
// slot that answers, else 1.
int readStoredStringSlot(int32_t slot, char* text);
int writeStoredStringSlot(int32_t slot, const char* text);

} // namespace driver::usb
