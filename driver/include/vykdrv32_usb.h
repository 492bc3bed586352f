#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_USB_H
#define VYKDRV32_USB_H

/* Exports of the EZ-USB spectrometers (Pavik, Solvi) and the raw USB calls. Included by
 * vykdrv32.h. Every call may be made from any thread; an accessory call waits, bounded,
 * while a scan is using the device. */

/* Wavelength and correction coefficients kept in the spectrometer (72 bytes). */
typedef struct CoefficientsRecord
{
    char serial[16];     /* zero-terminated */
    float wavelength[4]; /* intercept, first, second, third coefficient */
    float strayLight;
    float nonLinearity[8]; /* orders 0 to 7 */
    int32_t nonLinearityOrder;
} CoefficientsRecord;

VYK_STATIC_ASSERT(offsetof(CoefficientsRecord, wavelength) == 16, "CoefficientsRecord.wavelength");
VYK_STATIC_ASSERT(offsetof(CoefficientsRecord, strayLight) == 32, "CoefficientsRecord.strayLight");
VYK_STATIC_ASSERT(offsetof(CoefficientsRecord, nonLinearity) == 36,
                  "CoefficientsRecord.nonLinearity");
VYK_STATIC_ASSERT(offsetof(CoefficientsRecord, nonLinearityOrder) == 68,
                  "CoefficientsRecord.nonLinearityOrder");
VYK_STATIC_ASSERT(sizeof(CoefficientsRecord) == 72, "CoefficientsRecord size");

/* The accessory float memory: values, then the count in use (1 to 2048). */
typedef struct PavikFloatArray
{
    float values[2048];
    int32_t count;
} PavikFloatArray;

VYK_STATIC_ASSERT(offsetof(PavikFloatArray, count) == 8192, "PavikFloatArray.count");

/* Raw USB: 1 done, 0 failed or no device open. With a Java-driven A/D type configured the
 * bulk transfers go to the Java driver and return its answer (0 when it is not loaded). */
VYK_API int32_t VYK_USB_ResetAllPipes(void);
VYK_API int32_t USBGEN_BulkOut(int32_t pipe, int32_t length, const uint8_t* buffer);
VYK_API int32_t USBGEN_BulkIn(int32_t pipe, int32_t length, uint8_t* buffer);
/* Text of a string descriptor into text (at least 129 bytes). */
VYK_API int32_t USB_GetStringDescriptor(intptr_t device, int32_t index, char* text);

VYK_API int32_t Pavik_GetCoefficients(CoefficientsRecord* record);
VYK_API int32_t Solvi_GetCoefficients(CoefficientsRecord* record);
VYK_API int32_t Pavik_SetCoefficients(const CoefficientsRecord* record);
VYK_API int32_t Solvi_SetCoefficients(const CoefficientsRecord* record);
/* text: at least 18 bytes; at most 15 characters are read or written. */
VYK_API int32_t Pavik_GetStoredString(int32_t slot, char* text);
VYK_API int32_t Solvi_GetStoredString(int32_t slot, char* text);
VYK_API int32_t Pavik_SetStoredString(int32_t slot, const char* text);
VYK_API int32_t Solvi_SetStoredString(int32_t slot, const char* text);
/* text: at least 32 bytes. */
VYK_API int32_t Pavik_GetFirmwareVersion(char* text);
VYK_API int32_t Solvi_GetFirmwareVersion(char* text);
/* text: at least 16 bytes. */
VYK_API int32_t Pavik_IdentifyPavik(int32_t deviceIndex, char* text);
VYK_API int32_t Solvi_IdentifySolvi(int32_t deviceIndex, char* text);

VYK_API float Pavik_GetTemperature(void);
VYK_API int32_t Pavik_GetTemperatureCoefficients(float* gain, float* offset);
VYK_API int32_t Pavik_SetTemperatureCoefficients(float gain, float offset);
VYK_API int32_t Pavik_GetO2CalibrationCoefficients(float* coefficients); /* 18 floats */
VYK_API int32_t Pavik_SetO2CalibrationCoefficients(const float* coefficients);
VYK_API int32_t Pavik_SetMavrinModulation(int32_t modulation);
VYK_API int32_t Pavik_GetMavrinModulation(void);
VYK_API int32_t Pavik_SetMavrinDA(int32_t value);
VYK_API int32_t Pavik_IsPluginDetected(uint8_t pluginId);
VYK_API int32_t Pavik_I2C_Read(uint8_t address, int32_t length, uint8_t* buffer);
VYK_API int32_t Pavik_I2C_Write(uint8_t address, int32_t length, const uint8_t* bytes);
VYK_API int32_t Pavik_ReadFloatArray(PavikFloatArray* array);
VYK_API int32_t Pavik_WriteFloatArray(const PavikFloatArray* array);

VYK_API int32_t USBNorrel_WritePotValue(int32_t pot, int32_t value);
VYK_API int32_t USBNorrel_ReadPotValues(uint8_t* pots); /* 4 bytes */
VYK_API int32_t Pavik_Norrel_StoreCurrentPotValues(void);
VYK_API int32_t Pavik_Norrel_LampOn(int32_t on);
VYK_API int32_t Pavik_Norrel_SetVisLampOn(int32_t on);
VYK_API int32_t Pavik_Norrel_SetVisLampIntensity(int32_t value);
VYK_API int32_t Pavik_Norrel_SetUVLampIntensity(int32_t value);
VYK_API int32_t Pavik_Norrel_GetVisLampIntensity(void);
VYK_API int32_t Pavik_Norrel_GetUVLampIntensity(void);
VYK_API int32_t Pavik_Norrel_GetVisLampOn(void);
VYK_API int32_t Pavik_Norrel_GetLampOn(void);
VYK_API int32_t Pavik_Norrel_SetShutterOpened(int32_t open);

#endif
