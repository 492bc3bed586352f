#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_XANDEL_H
#define VYKDRV32_XANDEL_H

/* Exports of the Xandel interface (Wessor and Velko near-infrared spectrometers): cooler,
 * fan, gain, integration-time scalar, status and temperatures, coefficients and stored
 * strings. Included by vykdrv32.h after vykdrv32_usb.h. Any thread may call; a call waits,
 * bounded, while a scan is using the device. Results: 1 done, 0 not done. */

/* The interface's status reply, field by field (the meanings are the interface's). */
typedef struct XandelStatus
{
    int32_t field1; /* reply bytes 0 and 1, big-endian */
    int32_t field2; /* reply bytes 2 and 3, big-endian */
    int32_t field3; /* reply byte 4 not 0 */
    uint8_t field4; /* reply byte 5 */
    int32_t field5; /* reply bytes 6 to 10, each not 0 */
    int32_t field6;
    int32_t field7;
    int32_t field8;
    int32_t field9;
    uint8_t field10; /* reply byte 11 */
    int32_t field11; /* reply byte 12 not 0 */
    int32_t field12; /* bit 0 of reply byte 13 */
    int32_t field13; /* bit 1 of reply byte 13 */
} XandelStatus;

VYK_STATIC_ASSERT(offsetof(XandelStatus, field4) == 12, "XandelStatus.field4");
VYK_STATIC_ASSERT(offsetof(XandelStatus, field5) == 16, "XandelStatus.field5");
VYK_STATIC_ASSERT(offsetof(XandelStatus, field10) == 36, "XandelStatus.field10");
VYK_STATIC_ASSERT(offsetof(XandelStatus, field11) == 40, "XandelStatus.field11");
VYK_STATIC_ASSERT(sizeof(XandelStatus) == 52, "XandelStatus size");

/* Six words of tenths of a degree Celsius: 0 board, 1 cooler (signed), 3 cooler set point;
 * words 2, 4 and 5 as the interface sends them. */
typedef struct XandelTemperatureStatus
{
    uint16_t words[6];
} XandelTemperatureStatus;

VYK_STATIC_ASSERT(sizeof(XandelTemperatureStatus) == 12, "XandelTemperatureStatus size");

/* text: at least 16 bytes: the device's serial, or "NOT Wessor" / "NOT Velko". */
VYK_API int32_t Xandel_IdentifyWessor(int32_t deviceIndex, char* text);
VYK_API int32_t Xandel_IdentifyVelko(int32_t deviceIndex, char* text);
VYK_API int32_t Xandel_GetCoefficients(CoefficientsRecord* record);
VYK_API int32_t Xandel_SetCoefficients(const CoefficientsRecord* record);
/* text: at least 18 bytes; at most 15 characters are read or written. */
VYK_API int32_t Xandel_SetStoredString(int32_t slot, const char* text);
VYK_API int32_t Xandel_GetStoredString(int32_t slot, char* text);
/* flag: any non-zero value switches on. */
VYK_API int32_t Xandel_EnableCooler(int32_t flag);
VYK_API int32_t Xandel_EnableHighGain(int32_t flag);
VYK_API int32_t Xandel_EnableFan(int32_t flag);
VYK_API int32_t Xandel_GetStatus(XandelStatus* status);
/* text: at least 32 bytes; opens the device when needed. */
VYK_API int32_t Xandel_GetFirmwareVersion(char* text);
/* The scalar, the temperatures and the set point need firmware 1.2.0 or later. */
VYK_API int32_t Xandel_SetIntegrationTimeScalar(int32_t scalar);
VYK_API int32_t Xandel_GetIntegrationTimeScalar(void);
VYK_API int32_t Xandel_GetTemperatureStatus(XandelTemperatureStatus* status);
VYK_API int32_t Xandel_SetTECSetPoint(float celsius);
/* Degrees Celsius; 0.0 when the temperatures cannot be read. */
VYK_API float Xandel_GetTECSetPoint(void);
VYK_API float Xandel_GetTECTemperature(void);
VYK_API float Xandel_GetBoardTemperature(void);

#endif
