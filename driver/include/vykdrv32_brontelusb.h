#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_BRONTELUSB_H
#define VYKDRV32_BRONTELUSB_H

/* Exports of the BrontelUSB A/D converter: coefficients of its eight channels, firmware,
 * identification and the on-board DAC. Included by vykdrv32.h. Any thread may call; a call
 * waits, bounded, while a scan is using the device. Results: 1 done, 0 not done. */

/* Wavelength coefficients of the eight channels, kept in the converter (148 bytes). */
typedef struct BrontelUSBCoefficientsRecord
{
    char serial[16];        /* zero-terminated */
    int32_t count;          /* kept by the converter; only its low byte is stored */
    float wavelength[8][4]; /* per channel: intercept, first, second, third coefficient */
} BrontelUSBCoefficientsRecord;

VYK_STATIC_ASSERT(offsetof(BrontelUSBCoefficientsRecord, count) == 16,
                  "BrontelUSBCoefficientsRecord.count");
VYK_STATIC_ASSERT(offsetof(BrontelUSBCoefficientsRecord, wavelength) == 20,
                  "BrontelUSBCoefficientsRecord.wavelength");
VYK_STATIC_ASSERT(sizeof(BrontelUSBCoefficientsRecord) == 148, "BrontelUSBCoefficientsRecord size");

VYK_API int32_t BrontelUSB_GetCoefficients(BrontelUSBCoefficientsRecord* record);
VYK_API int32_t BrontelUSB_SetCoefficients(const BrontelUSBCoefficientsRecord* record);
/* text: at least 32 bytes; opens the device when needed. */
VYK_API int32_t BrontelUSB_GetFirmwareVersion(char* text);
/* text: at least 16 bytes: the device's serial, or "NOT Brontel-USB". */
VYK_API int32_t BrontelUSB_IdentifyBrontelUSB(int32_t deviceIndex, char* text);
/* The DAC needs firmware 1.10.0 or later. */
VYK_API int32_t BrontelUSB_DAC_Initialize(void);
/* channel 99 reads the DAC's status word; other channels their 12-bit value; 0 on failure. */
VYK_API int32_t BrontelUSB_DAC_ReadValue(int32_t channel);
VYK_API int32_t BrontelUSB_DAC_WriteValue(int32_t channel, int32_t value);

#endif
