/* VYKDRV32: the driver library's C interface.
 *
 * Usable from C and C++. Every function may be called from any thread; the driver
 * serialises its state internally. Results are the short DriverReturnCode values below.
 * Records keep their documented field order and widths, except that pointers are native
 * and window handles are 32-bit ids of platform/win. */
#ifndef VYKDRV32_H
#define VYKDRV32_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define VYK_EXTERN_C extern "C"
#else
#define VYK_EXTERN_C
#endif

/* Every exported function of the library is declared with VYK_API. */
#define VYK_API VYK_EXTERN_C __attribute__((visibility("default")))

/* DriverReturnCode */
#define VYK_SUCCESS 0
#define VYK_HARDWARE_TIMEOUT 2
#define VYK_BUSY 3
#define VYK_ABORTED 4
#define VYK_NO_BUFFER_OR_RECORD 5
#define VYK_MISSING_ARGUMENT 6
#define VYK_DECLINED 7
#define VYK_NOT_INITIALISED 8
#define VYK_STATUS_XANDEL_NOT_OPENED 10
#define VYK_STATUS_PAVIK_NOT_OPENED 11
#define VYK_STATUS_BRONTELUSB_NOT_OPENED 12
#define VYK_STATUS_SOLVI_NOT_OPENED 13
#define VYK_INTERRUPT_NOT_INSTALLED 999

/* DriverMessage: window messages posted to the record's window. */
#define VYK_MSG_STATUS 0x464        /* wParam 0, lParam the record */
#define VYK_MSG_BUFFER_FULL 0x465   /* wParam channel, lParam the record */
#define VYK_MSG_TIMEOUT 0x466       /* wParam channel (0 from the watchdog) */
#define VYK_MSG_OVERRUN 0x467       /* wParam channel */
#define VYK_MSG_ABORTED 0x468       /* wParam channel */
#define VYK_MSG_DATA_VALIDITY 0x4C8 /* wParam 0 valid again, 1 invalid */

/* ChannelBufferState */
#define VYK_BUFFER_EMPTY 1
#define VYK_BUFFER_FULL 3
#define VYK_BUFFER_NOT_IN_USE 4
#define VYK_BUFFER_ABORTED 6

/* RegistrationRecord flags */
#define VYK_FLAG_SINGLE_QUEUED 0x1
#define VYK_FLAG_CONTINUOUS_QUEUED 0x2
#define VYK_FLAG_STATUS_MESSAGES 0x4

/* SpectrometerType */
#define VYK_SPEC_GAVREL 0
#define VYK_SPEC_ISTRELBT 256
#define VYK_SPEC_ISTREL 512
#define VYK_SPEC_LEMMIK 768
#define VYK_SPEC_WESSOR 1024
#define VYK_SPEC_VELKO 1280
#define VYK_SPEC_JOLVAR 1536
#define VYK_SPEC_ULMAR 1792
#define VYK_SPEC_PELLAR 0xFD00

/* AdcType */
#define VYK_ADC_DOVRIN 0
#define VYK_ADC_DAQ700 1
#define VYK_ADC_BRONTEL 2
#define VYK_ADC_PAVIK 4
#define VYK_ADC_CADRELPCI 6
#define VYK_ADC_BRONTELUSB 7
#define VYK_ADC_SERIAL 8
#define VYK_ADC_SOLVI 9
#define VYK_ADC_FORNICPC104 10
#define VYK_ADC_XANDEL 11
#define VYK_ADC_TREVAN 12
#define VYK_ADC_SOLVIPLUS 13
#define VYK_ADC_ULMARADC 14
#define VYK_ADC_PAVIKPLUS 15
#define VYK_ADC_QUARN 16
#define VYK_ADC_PELLAR 253
#define VYK_ADC_NONE 255

#define VYK_CHANNELS 8

/* The per-client acquisition record. The client fills it and lends the driver its eight
 * channel buffers (at least 2048 floats each, and at least the hardware's pixel count). */
typedef struct RegistrationRecord
{
    int16_t size; /* written by the client; not checked */
    int16_t reserved;
    int16_t command; /* VYK_ParamSet: 1 set-up dialog, 2 toggle status messages */
    int16_t status;  /* 0 ready, 10 to 13 the USB device could not be opened */
    int16_t flags;   /* VYK_FLAG_... */
    int16_t flashDelay;
    uint16_t integration;    /* ms; a scan frequency in Hz for the Gavrel type */
    int16_t boxcarHalfWidth; /* pixels on each side */
    int16_t scansToAverage;
    int16_t scanCounter;
    int16_t channelEnables[8]; /* non-zero = acquire */
    int16_t bufferStates[8];   /* ChannelBufferState */
    int32_t timingDirty;
    int32_t continueOnOverrun;
    int32_t continuous;
    int32_t triggerWord;
    int32_t strobeFlashSelect;
    int32_t correctForDark;
    int32_t triggerMode;
    uint32_t window;      /* platform/win window handle that receives the messages */
    uint32_t instanceKey; /* identifies the client; 0 never names a record */
    float* channelBuffers[8];
    int32_t microsecondFlag;
    int32_t microsecondIntegrationTime;
    int32_t lastAutonullingStatus;
    int32_t lastAutonullingDarkValue;
} RegistrationRecord;

/* The layout is an interface format: fixed offsets, native pointers. */
#ifdef __cplusplus
#define VYK_STATIC_ASSERT static_assert
#else
#define VYK_STATIC_ASSERT _Static_assert
#endif
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, size) == 0, "RegistrationRecord.size");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, command) == 4, "RegistrationRecord.command");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, status) == 6, "RegistrationRecord.status");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, flags) == 8, "RegistrationRecord.flags");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, flashDelay) == 10, "RegistrationRecord.flashDelay");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, integration) == 12,
                  "RegistrationRecord.integration");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, boxcarHalfWidth) == 14,
                  "RegistrationRecord.boxcarHalfWidth");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, scansToAverage) == 16,
                  "RegistrationRecord.scansToAverage");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, scanCounter) == 18,
                  "RegistrationRecord.scanCounter");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, channelEnables) == 20,
                  "RegistrationRecord.channelEnables");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, bufferStates) == 36,
                  "RegistrationRecord.bufferStates");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, timingDirty) == 52,
                  "RegistrationRecord.timingDirty");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, continueOnOverrun) == 56,
                  "RegistrationRecord.continueOnOverrun");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, continuous) == 60, "RegistrationRecord.continuous");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, triggerWord) == 64,
                  "RegistrationRecord.triggerWord");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, strobeFlashSelect) == 68,
                  "RegistrationRecord.strobeFlashSelect");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, correctForDark) == 72,
                  "RegistrationRecord.correctForDark");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, triggerMode) == 76,
                  "RegistrationRecord.triggerMode");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, window) == 80, "RegistrationRecord.window");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, instanceKey) == 84,
                  "RegistrationRecord.instanceKey");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, channelBuffers) == 88,
                  "RegistrationRecord.channelBuffers");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, microsecondFlag) == 152,
                  "RegistrationRecord.microsecondFlag");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, microsecondIntegrationTime) == 156,
                  "RegistrationRecord.microsecondIntegrationTime");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, lastAutonullingStatus) == 160,
                  "RegistrationRecord.lastAutonullingStatus");
VYK_STATIC_ASSERT(offsetof(RegistrationRecord, lastAutonullingDarkValue) == 164,
                  "RegistrationRecord.lastAutonullingDarkValue");
VYK_STATIC_ASSERT(sizeof(RegistrationRecord) == 168, "RegistrationRecord size");

/* Registration and parameters. */
VYK_API int16_t VYK_Register(RegistrationRecord* record);
VYK_API RegistrationRecord* VYK_UnRegister(uint32_t instanceKey);
VYK_API int16_t VYK_ParamSet(RegistrationRecord* record);
VYK_API int16_t VYK_Stat(RegistrationRecord* record);
VYK_API int16_t VYK_BufferEmpty(uint32_t instanceKey, int16_t channel);

/* Scans. With the no-hardware set a scan runs in the caller's thread, pumping its
 * messages; VYK_ContinuousScan then returns only once the scan is stopped. */
VYK_API int16_t VYK_SingleScan(uint32_t instanceKey);
VYK_API int16_t VYK_ContinuousScan(uint32_t instanceKey);
VYK_API int16_t VYK_Stop(uint32_t instanceKey);

/* Corrections per channel 0 to 7 (other channels are ignored). */
VYK_API void VYK_SetNLCoefs(int16_t channel, const float* coefficients); /* 8 floats */
VYK_API void VYK_EnableNLCorrection(int16_t channel, int16_t enable);
VYK_API void VYK_SetSLCoef(int16_t channel, float constant);
VYK_API void VYK_EnableSLCorrection(int16_t channel, int16_t enable);

/* Multichannel spectra: v below 256 interleaved with channels 0 to v, else whole channels
 * 0 to v mod 256; 0 disables. */
VYK_API int16_t VYK_EnableMultichannelSpectra(uint16_t v);
VYK_API void VYK_DisableMultichannelSpectra(void);

/* Configuration: spectrometer and A/D type, IRQ and base address; all four 0 shows the
 * set-up dialog. */
VYK_API int16_t VYK_Config(int16_t spectrometerType, int16_t adcType, int16_t irq,
                           int16_t baseAddress);

/* Caller's block of VYK_DoScan (32812 bytes). */
typedef struct DoScanBlock
{
    int16_t mode; /* 9 test ramps, 1 set-up dialog, other values scan */
    int16_t flashDelay;
    int16_t integration;
    int16_t boxcarHalfWidth;
    int16_t scansToAverage;
    int16_t channelEnables[4]; /* the four channels of the group */
    int16_t strobeFlashSelect;
    int16_t correctForDark;
    int16_t triggerMode;
    int16_t channelGroup; /* 1: channels 4 to 7; other values: channels 0 to 3 */
    int16_t reserved;
    float spectra[4][2048]; /* output */
    int32_t microsecondFlag;
    int32_t microsecondIntegrationTime;
    int32_t output1; /* written as 0 */
    int32_t output2; /* written as 0 */
} DoScanBlock;

VYK_STATIC_ASSERT(offsetof(DoScanBlock, channelEnables) == 10, "DoScanBlock.channelEnables");
VYK_STATIC_ASSERT(offsetof(DoScanBlock, channelGroup) == 24, "DoScanBlock.channelGroup");
VYK_STATIC_ASSERT(offsetof(DoScanBlock, spectra) == 28, "DoScanBlock.spectra");
VYK_STATIC_ASSERT(offsetof(DoScanBlock, microsecondFlag) == 32796, "DoScanBlock.microsecondFlag");
VYK_STATIC_ASSERT(offsetof(DoScanBlock, output2) == 32808, "DoScanBlock.output2");
VYK_STATIC_ASSERT(sizeof(DoScanBlock) == 32812, "DoScanBlock size");

/* Caller's block of VYK_FullScan; each enabled channel's buffer holds the pixel count. */
typedef struct FullScanBlock
{
    int16_t mode; /* 9 test ramps, 1 set-up dialog */
    int16_t flashDelay;
    int16_t integration;
    int16_t boxcarHalfWidth;
    int16_t scansToAverage;
    int16_t strobeFlashSelect;
    int16_t correctForDark;
    int16_t triggerMode;
    int16_t channelEnables[8];
    float* channelBuffers[8];
    int32_t microsecondFlag;
    int32_t microsecondIntegrationTime;
    int32_t output1; /* written as 0 */
    int32_t output2; /* written as 0 */
} FullScanBlock;

VYK_STATIC_ASSERT(offsetof(FullScanBlock, channelEnables) == 16, "FullScanBlock.channelEnables");
VYK_STATIC_ASSERT(offsetof(FullScanBlock, channelBuffers) == 32, "FullScanBlock.channelBuffers");
VYK_STATIC_ASSERT(offsetof(FullScanBlock, microsecondFlag) == 96, "FullScanBlock.microsecondFlag");
VYK_STATIC_ASSERT(sizeof(FullScanBlock) == 112, "FullScanBlock size");

/* Caller's block of VYK_Flexible_Acquisition (32872 bytes); per channel 0 to 3. */
typedef struct FlexibleAcquisitionBlock
{
    int16_t mode; /* 9 test ramps, 1 set-up dialog */
    int16_t flashDelay[4];
    int16_t integration[4];
    int16_t boxcarHalfWidth[4];
    int16_t scansToAverage[4];
    int16_t enable[4]; /* acquired only when exactly 1 */
    int16_t strobeFlashSelect[4];
    int16_t correctForDark[4];
    int16_t triggerMode[4];
    int16_t channelGroup;
    int16_t result[4];
    float spectra[4][2048];
    int32_t microsecondFlag;
    int32_t microsecondIntegrationTime[4];
    int32_t output1;
    int32_t output2;
} FlexibleAcquisitionBlock;

VYK_STATIC_ASSERT(offsetof(FlexibleAcquisitionBlock, enable) == 34, "Flexible.enable");
VYK_STATIC_ASSERT(offsetof(FlexibleAcquisitionBlock, channelGroup) == 66, "Flexible.channelGroup");
VYK_STATIC_ASSERT(offsetof(FlexibleAcquisitionBlock, result) == 68, "Flexible.result");
VYK_STATIC_ASSERT(offsetof(FlexibleAcquisitionBlock, spectra) == 76, "Flexible.spectra");
VYK_STATIC_ASSERT(offsetof(FlexibleAcquisitionBlock, microsecondFlag) == 32844,
                  "Flexible.microsecondFlag");
VYK_STATIC_ASSERT(offsetof(FlexibleAcquisitionBlock, output2) == 32868, "Flexible.output2");
VYK_STATIC_ASSERT(sizeof(FlexibleAcquisitionBlock) == 32872, "FlexibleAcquisitionBlock size");

/* Caller's block of VYK_InitDriverForLV (60 bytes). */
typedef struct PollingSetupBlock
{
    int32_t channelEnables[8]; /* only the low 16 bits count */
    int16_t scansToAverage;
    int16_t reserved1;
    int16_t boxcarHalfWidth;
    int16_t reserved2;
    int16_t integration;
    int16_t reserved3;
    int32_t triggerMode;
    int16_t flashDelay;
    int16_t reserved4;
    int32_t triggerWord;
    int32_t window;
} PollingSetupBlock;

VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, scansToAverage) == 32, "Polling.scansToAverage");
VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, boxcarHalfWidth) == 36, "Polling.boxcarHalfWidth");
VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, integration) == 40, "Polling.integration");
VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, triggerMode) == 44, "Polling.triggerMode");
VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, flashDelay) == 48, "Polling.flashDelay");
VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, triggerWord) == 52, "Polling.triggerWord");
VYK_STATIC_ASSERT(offsetof(PollingSetupBlock, window) == 56, "Polling.window");
VYK_STATIC_ASSERT(sizeof(PollingSetupBlock) == 60, "PollingSetupBlock size");

/* Configuration with serial port (1 to 16) and PCI card (0 to 15); all six 0 shows the
 * set-up dialog. */
VYK_API int16_t VYK_ConfigEx(int16_t spectrometerType, int16_t adcType, int16_t irq,
                             int16_t baseAddress, int16_t serialPort, int16_t pciCardId);
VYK_API uint16_t VYK_GetSpectrometerType(void);
VYK_API uint16_t VYK_GetADCType(void);
VYK_API int16_t VYK_GetBaseAddress(void);
VYK_API int16_t VYK_GetIRQ(void);
VYK_API int16_t VYK_GetSerialPort(void);
VYK_API int16_t VYK_GetPCICardID(void);
VYK_API int16_t VYK_GetNIDAQCardID(void);
VYK_API int32_t VYK_GetTrigTimeout(void);
VYK_API void VYK_SetTrigTimeout(int32_t timeoutMs);
VYK_API void VYK_EnableDriverMessages(int16_t enable);
VYK_API void VYK_SetAutonullingEnabled(int16_t enable);
VYK_API int16_t VYK_GetAutonullingEnabled(void);
VYK_API int16_t VYK_GetNumberOfPixels(void);
/* The integration time in the unit of the hardware's timing value. */
VYK_API int32_t VYK_GetIntegrationTime(void);
VYK_API int32_t VYK_GetMaximumScopeModeIntensity(void);
/* Copies the library's file version (at most length - 1 characters); 0 without one. */
VYK_API int16_t VYK_GetDriverVersion(char* buffer, int32_t length);
/* Copies the 11 scan time stamps (ms). */
VYK_API void VYK_GetScanTimes(uint32_t* times);

/* Blocking scans: they return when the scan is over (or failed). */
VYK_API int16_t VYK_DoScan(DoScanBlock* block);
/* 13 int16 fields of DoScanBlock; output 4 x 2048 floats. */
VYK_API int16_t VYK_DoScan_Array(const int16_t* fields, float* output);
VYK_API int16_t VYK_DoScan_Array_Long(const int32_t* fields, float* output);
VYK_API int16_t VYK_Flexible_Acquisition(FlexibleAcquisitionBlock* block);
VYK_API int16_t VYK_FullScan(FullScanBlock* block);

/* A scan run on the acquisition worker thread: the worker's handle value (non-zero), 0
 * when the key is unknown or no thread can be had; board types scan at once and return
 * VYK_SingleScan's code. */
VYK_API intptr_t VYK_SingleScan_Thread(uint32_t instanceKey);
/* Non-zero while the worker runs a scan or has been asked to. */
VYK_API int32_t VYK_AcquisitionThreadActive(void);

/* Polling interface without a window. */
VYK_API int16_t VYK_InitDriverForLV(const PollingSetupBlock* block);
VYK_API int16_t VYK_SingleScanForLV(void);
/* Copies the pixel count of floats of the channel named by the int16 at byte 8 of
 * `channelBlock` and marks that buffer empty. */
VYK_API int16_t VYK_GetSpectraForLV(float* destination, const void* channelBlock);

/* Forwarders to the connected A/D type's back-end; types without one give the neutral
 * answers noted. The strobe goes to the USB models' lamp command, the serial converter,
 * the Java driver or the Pellar; the other calls to the Pavik's accessory (Pavik, Solvi)
 * or the Java driver (Trevan, SolviPlus, PavikPlus, Quarn). The Pavik keeps 18 oxygen-probe
 * coefficients, the Java driver 17; VYK_GetTemperatureCoefficients answers 0 from the Java
 * driver and the Pavik's own result (1 read) from the Pavik. */
VYK_API int16_t VYK_StrobeEnable(int16_t flag); /* 0 or 1 is kept as the strobe state */
VYK_API int16_t VYK_IstrelStrobeEnable(int16_t flag);
VYK_API float VYK_GetExternalTemperatureCelsius(void);                       /* -1.0 */
VYK_API int16_t VYK_GetTemperatureCoefficients(float* first, float* second); /* non-zero */
VYK_API int16_t VYK_SetTemperatureCoefficients(float first, float second);
VYK_API int16_t VYK_GetO2ProbeCalibrationCoefficients(float* coefficients);
VYK_API int16_t VYK_SetO2ProbeCalibrationCoefficients(const float* coefficients); /* -1 */
VYK_API int16_t VYK_GetMavrinModulation(void);
VYK_API int16_t VYK_SetMavrinModulation(int16_t modulation);
VYK_API int16_t VYK_SetMavrinDa(int16_t value); /* -1 */

/* The USB device in use, by serial number: 1 when the library now uses it, else 0. */
VYK_API int16_t VYK_SetCurrentUSBSerialNumber(const char* serial);
VYK_API int16_t VYK_SetCurrentPavikSerialNumber(const char* serial);
VYK_API int16_t VYK_SetCurrentBrontelUSBSerialNumber(const char* serial);
/* Clears the first 16 bytes of the buffer and copies the current serial into them. */
VYK_API void VYK_GetCurrentUSBSerialNumber(char* buffer);
VYK_API void VYK_GetCurrentPavikSerialNumber(char* buffer);
VYK_API void VYK_GetCurrentBrontelUSBSerialNumber(char* buffer);
VYK_API void VYK_SetLastUSBScanValid(int16_t flag);
/* Device lists: 64 slots of a 32-bit found flag and a 32-byte serial (2304 bytes). */
VYK_API void VYK_IdentifyAllPavik(void* list);
VYK_API void VYK_IdentifyAllBrontelUSB(void* list);
VYK_API void VYK_IdentifyAllSolvi(void* list);
VYK_API void VYK_IdentifyAllWessor(void* list);
VYK_API void VYK_IdentifyAllVelko(void* list);

/* Aliases with the same arguments and results. */
VYK_API int16_t SS_Register(RegistrationRecord* record);
VYK_API RegistrationRecord* SS_UnRegister(uint32_t instanceKey);
VYK_API int16_t SS_ParamSet(RegistrationRecord* record);
VYK_API int16_t SS_Stat(RegistrationRecord* record);
VYK_API int16_t SS_SingleScan(uint32_t instanceKey);
VYK_API int16_t SS_ContinuousScan(uint32_t instanceKey);
VYK_API int16_t SS_Stop(uint32_t instanceKey);
VYK_API int16_t SS_BufferEmpty(uint32_t instanceKey, int16_t channel);
VYK_API int16_t SS_DoScan(DoScanBlock* block);
VYK_API int16_t SS_Config(int16_t spectrometerType, int16_t adcType, int16_t irq,
                          int16_t baseAddress);

#include "driver/include/vykdrv32_boards.h"
#include "driver/include/vykdrv32_brontelusb.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/include/vykdrv32_pellar.h"
#include "driver/include/vykdrv32_serial.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/include/vykdrv32_xandel.h"

/* After every family: the twins and wrappers of all of them. */
// clang-format off
#include "driver/include/vykdrv32_forms.h"
// clang-format on

#endif
