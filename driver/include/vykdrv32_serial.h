/* VYKDRV32: the serial A/D converter family (KAL_).
 *
 * Results are 16-bit: 1 done (or the value asked for), 0 no ACK, no reply or not
 * initialised, -1 port not open, -2 no scan within the time-out, -4 a stored scan without
 * its header mark, -5 a scan is under way, -6 needs the hidden mode, -7 a bad frame after
 * the retries, -8 a wrong checksum after the retries, -9 not supported by this converter
 * type, -9999 argument out of range. Any thread; commands run one at a time. */
#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_SERIAL_H
#define VYKDRV32_SERIAL_H

#include <stdint.h>

/* Pixel mode: low byte the form (0 all pixels, 1 and 2 every n-th, 3 a range first, last,
 * step, 4 a list of count pixel numbers); high byte 0 to 3 passed to the converter (1 and 3
 * compressed frames). */
typedef struct KalPixelMode
{
    uint16_t mode;
    uint16_t args[81];
    uint16_t count;
} KalPixelMode;

/* Opens the converter on COM port 1 to 9 and probes its type; 1 done, 0 failed or already
 * initialised. */
VYK_API int16_t KAL_Init(int16_t port, int16_t baudIndex);
/* Returns the converter to 9600 baud, sends close mode 1 to 3 (0 none) and closes the port. */
VYK_API int16_t KAL_Close(int16_t mode);
/* Moves the link to another COM port at the kept baud index. */
VYK_API int16_t KAL_SetSerialPort(int16_t port);
/* Switches converter and port to baud index 0 (2400) to 6 (115200) by the two-step handshake. */
VYK_API int16_t KAL_SetBaudRate(int16_t index);
/* Probes the converter type: 0, or 1 to 3. */
VYK_API int16_t KAL_DetermineSerialADCType(void);
/* Scans the converter adds per scan. */
VYK_API int16_t KAL_SetScansToAdd(uint16_t scans);
/* Boxcar width of the converter. */
VYK_API int16_t KAL_SetBoxcarWidth(uint16_t width);
/* Dumps the fast memory. */
VYK_API int16_t KAL_DumpFastMemory(void);
/* Moves the slow-memory read position. */
VYK_API int16_t KAL_ChangeSlowReadPointer(uint16_t position);
/* A/D rate of the converter. */
VYK_API int16_t KAL_SetADCRate(uint16_t rate);
/* 1: compressed scan frames. */
VYK_API int16_t KAL_SetCompressedMode(uint16_t mode);
/* Spectrometer channel. */
VYK_API int16_t KAL_SetSpectrometerChannel(uint16_t channel);
/* Integration time, ms. */
VYK_API int16_t KAL_SetIntegrationTime(uint16_t ms);
/* Strobe enable. */
VYK_API int16_t KAL_SetStrobeEnable(uint16_t enable);
/* Clears memory 0 to 2 (the ACK comes after 7 s). */
VYK_API int16_t KAL_ClearMemory(uint16_t memory);
/* Scan mode. */
VYK_API int16_t KAL_SetScanMode(uint16_t mode);
/* Scans to store in converter memory. */
VYK_API int16_t KAL_SetNumberOfScansToStore(uint16_t scans);
/* Confirms a received scan (0 or 1). */
VYK_API int16_t KAL_ScanReceivedOK(uint16_t ok);
/* Pixel mode and its arguments (lists of at most 81 pixels). */
VYK_API int16_t KAL_SetPixelMode(const KalPixelMode* record);
/* Resets the converter. */
VYK_API int16_t KAL_Reset(void);
/* External trigger mode. */
VYK_API int16_t KAL_SetExternalTrigger(uint16_t mode);
/* Free slow-memory blocks. */
VYK_API int16_t KAL_GetSlowMemoryAvailable(void);
/* Scans stored in memory 1 or 2. */
VYK_API int16_t KAL_GetNumberOfScansInMemory(uint16_t memory);
/* Free fast-memory blocks. */
VYK_API int16_t KAL_GetFastMemoryAvailable(void);
/* Clears slow-memory blocks (hidden mode). */
VYK_API int16_t KAL_ClearSlowMemory(uint16_t first, uint16_t last);
/* Toggles the debug mode (hidden mode). */
VYK_API int16_t KAL_ToggleDebugMode(void);
/* Toggles the debug print mode (hidden mode). */
VYK_API int16_t KAL_ToggleDebugPrintMode(void);
/* Flash delay (above 255 sent as 255). */
VYK_API int16_t KAL_SetFlashDelay(uint16_t delay);
/* Correlated double sampling of the Lemmik detector. */
VYK_API int16_t KAL_SetLemmikCDSMode(uint16_t mode);
/* 1: scan frames carry a sum. */
VYK_API int16_t KAL_SetChecksumMode(uint16_t mode);
/* Converter error word. */
VYK_API int16_t KAL_GetError(void);
/* 256 data bytes and a 16-byte trailer of a slow-memory block. */
VYK_API int16_t KAL_ReadSlowMemory(uint16_t high, uint16_t low, uint8_t* data, uint8_t* trailer);
/* Integration counter. */
VYK_API int16_t KAL_GetIntegrationCounter(void);
/* Firmware version. */
VYK_API int16_t KAL_GetVersion(void);
/* Stores a text in a converter slot. */
VYK_API int16_t KAL_SetStoredString(uint16_t slot, const char* text);
/* Fills 15 bytes with a slot's text (not terminated when it has 15 characters). */
VYK_API int16_t KAL_GetStoredString(uint16_t slot, char* text);
VYK_API int16_t KAL_GetScansToAdd(void);
VYK_API int16_t KAL_GetBoxcarWidth(void);
VYK_API int16_t KAL_GetADCRate(void);
VYK_API int16_t KAL_GetSpectrometerChannel(void);
VYK_API int16_t KAL_GetIntegrationTime(void);
VYK_API int16_t KAL_GetStrobeEnable(void);
VYK_API int16_t KAL_GetBaudRate(void);
VYK_API int16_t KAL_GetScanMode(void);
VYK_API int16_t KAL_GetNumberOfScansToStore(void);
VYK_API int16_t KAL_GetPixelMode(void);
VYK_API int16_t KAL_GetExternalTrigger(void);
VYK_API int16_t KAL_GetCompressedMode(void);
VYK_API int16_t KAL_GetChecksumMode(void);
VYK_API int16_t KAL_GetLemmikCDSMode(void);
VYK_API int16_t KAL_GetNumberOfBadMemoryBlocks(void);
VYK_API int16_t KAL_GetDebugMode(void);
VYK_API int16_t KAL_GetPrintDebugMode(void);
/* Reads the pixel mode and its arguments back. */
VYK_API int16_t KAL_GetFullPixelMode(KalPixelMode* record);
/* Enters the hidden service mode with its access code. */
VYK_API int16_t KAL_EnterDoubleSecretMode(int16_t code);
/* Every-n-th frames: 1 interpolates the skipped pixels, 0 packs the received ones. */
VYK_API int16_t KAL_SetInterpolateMissingPixels(int16_t on);
VYK_API int16_t KAL_GetInterpolateMissingPixels(void);
/* Raman mode: scan time-outs eight times longer. */
VYK_API int16_t KAL_SetRamanMode(int16_t on);
VYK_API int16_t KAL_GetRamanMode(void);
/* Stores a number as text ("%e"). */
VYK_API int16_t KAL_SetStoredFloat(uint16_t slot, float value);
/* Reads a stored number. */
VYK_API int16_t KAL_GetStoredFloat(uint16_t slot, float* value);
/* Stores an integer as text ("%d"). */
VYK_API int16_t KAL_SetStoredInt(uint16_t slot, int32_t value);
/* Reads a stored integer. */
VYK_API int16_t KAL_GetStoredInt(uint16_t slot, int32_t* value);
/* Not available: shows a message; 1 for memory 1 or 2. */
VYK_API int16_t KAL_ReadoutScansInMemory(int16_t memory);
/* Not available: shows a message; 1. */
VYK_API int16_t KAL_EnableISR(void);
/* One scan into a buffer of 2136 words (pixels from word 88). */
VYK_API int16_t KAL_Scan(uint16_t* buffer);
/* Reads one stored scan of memory 0 to 2 into a buffer of 2136 words. */
VYK_API int16_t KAL_ReadoutOneScan(uint16_t memory, uint16_t* buffer);
/* Averages a number of scans into 2048 floats. */
VYK_API int16_t KAL_ScanWithAverage(uint16_t* buffer, int16_t scans, float* average);

/* The converter settings of the driver's configuration: the baud index and compressed mode
 * as KAL_SetBaudRate, KAL_GetBaudRate, KAL_SetCompressedMode and KAL_GetCompressedMode;
 * the pixel resolution (every n-th pixel; 0 or above 500 becomes 1) is kept in the
 * configuration and sent with the converter's present pixel mode. */
VYK_API int16_t VYK_SetKaldrisBaudRate(int16_t index);
VYK_API int16_t VYK_GetKaldrisBaudRate(void);
VYK_API int16_t VYK_SetKaldrisCompressedMode(uint16_t mode);
VYK_API int16_t VYK_GetKaldrisCompressedMode(void);
VYK_API int16_t VYK_SetKaldrisPixelResolution(int16_t resolution);
/* The first argument of the converter's pixel mode. */
VYK_API int16_t VYK_GetKaldrisPixelResolution(void);

#endif
