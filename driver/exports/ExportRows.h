#pragma once

// The one table of the library's secondary export forms. Every plain export that has a
// `_stdcall` twin is a row X(result, name, (parameters), (arguments)); every `_LVD`
// wrapper that only forwards is a row L(result, wrapper, target, (parameters),
// (arguments)); every coefficient wrapper pair is a row C(...) (see
// VYK_COEFFICIENT_ROWS). Twins.cpp generates the function bodies from these rows,
// ExportForms.cpp the name lists and vykdrv32_forms.h the declarations, so a name cannot
// be exported without being listed. The file defines macros only; the types its rows
// name come from vykdrv32.h and the family headers.
//
// Linux x86-64 has one calling convention: a twin is a plain forward of its export.
//
// Decorated twins: ELF reads "@" in a symbol name as a version, so the three twins whose
// Windows names carry the argument bytes after "@" are spelt with "_" in its place:
// "_Ulmar_WriteFPGA_stdcall_8", "_Pavik_I2C_Read_stdcall_12", "_Pavik_I2C_Write_stdcall_12".
//
// A family adds its rows here in a block of its own (and its block to the lists at the
// end), beside the plain exports it declares in driver/include/vykdrv32_<family>.h.

// Driver core: registration, scans, corrections, multichannel spectra, configuration,
// start-up, blocking and threaded scans, forwarders to the back-ends.
#define VYK_TWIN_ROWS_CORE(X)                                                                      \
    X(int16_t, VYK_Register, (RegistrationRecord * record), (record))                              \
    X(RegistrationRecord*, VYK_UnRegister, (uint32_t instanceKey), (instanceKey))                  \
    X(int16_t, VYK_ParamSet, (RegistrationRecord * record), (record))                              \
    X(int16_t, VYK_Stat, (RegistrationRecord * record), (record))                                  \
    X(int16_t, VYK_BufferEmpty, (uint32_t instanceKey, int16_t channel), (instanceKey, channel))   \
    X(int16_t, VYK_SingleScan, (uint32_t instanceKey), (instanceKey))                              \
    X(int16_t, VYK_ContinuousScan, (uint32_t instanceKey), (instanceKey))                          \
    X(int16_t, VYK_Stop, (uint32_t instanceKey), (instanceKey))                                    \
    X(void, VYK_SetNLCoefs, (int16_t channel, const float* coefficients), (channel, coefficients)) \
    X(void, VYK_EnableNLCorrection, (int16_t channel, int16_t enable), (channel, enable))          \
    X(void, VYK_SetSLCoef, (int16_t channel, float constant), (channel, constant))                 \
    X(void, VYK_EnableSLCorrection, (int16_t channel, int16_t enable), (channel, enable))          \
    X(int16_t, VYK_EnableMultichannelSpectra, (uint16_t v), (v))                                   \
    X(void, VYK_DisableMultichannelSpectra, (void), ())                                            \
    X(int16_t, VYK_Config,                                                                         \
      (int16_t spectrometerType, int16_t adcType, int16_t irq, int16_t baseAddress),               \
      (spectrometerType, adcType, irq, baseAddress))                                               \
    X(int16_t, VYK_ConfigEx,                                                                       \
      (int16_t spectrometerType, int16_t adcType, int16_t irq, int16_t baseAddress,                \
       int16_t serialPort, int16_t pciCardId),                                                     \
      (spectrometerType, adcType, irq, baseAddress, serialPort, pciCardId))                        \
    X(uint16_t, VYK_GetSpectrometerType, (void), ())                                               \
    X(uint16_t, VYK_GetADCType, (void), ())                                                        \
    X(int16_t, VYK_GetBaseAddress, (void), ())                                                     \
    X(int16_t, VYK_GetIRQ, (void), ())                                                             \
    X(int16_t, VYK_GetSerialPort, (void), ())                                                      \
    X(int16_t, VYK_GetPCICardID, (void), ())                                                       \
    X(int16_t, VYK_GetNIDAQCardID, (void), ())                                                     \
    X(int32_t, VYK_GetTrigTimeout, (void), ())                                                     \
    X(void, VYK_SetTrigTimeout, (int32_t timeoutMs), (timeoutMs))                                  \
    X(void, VYK_EnableDriverMessages, (int16_t enable), (enable))                                  \
    X(void, VYK_SetAutonullingEnabled, (int16_t enable), (enable))                                 \
    X(int16_t, VYK_GetAutonullingEnabled, (void), ())                                              \
    X(int16_t, VYK_GetNumberOfPixels, (void), ())                                                  \
    X(int32_t, VYK_GetIntegrationTime, (void), ())                                                 \
    X(int32_t, VYK_GetMaximumScopeModeIntensity, (void), ())                                       \
    X(int16_t, VYK_GetDriverVersion, (char* buffer, int32_t length), (buffer, length))             \
    X(void, VYK_GetScanTimes, (uint32_t * times), (times))                                         \
    X(int16_t, VYK_DoScan, (DoScanBlock * block), (block))                                         \
    X(int16_t, VYK_DoScan_Array, (const int16_t* fields, float* output), (fields, output))         \
    X(int16_t, VYK_DoScan_Array_Long, (const int32_t* fields, float* output), (fields, output))    \
    X(int16_t, VYK_Flexible_Acquisition, (FlexibleAcquisitionBlock * block), (block))              \
    X(int16_t, VYK_FullScan, (FullScanBlock * block), (block))                                     \
    X(intptr_t, VYK_SingleScan_Thread, (uint32_t instanceKey), (instanceKey))                      \
    X(int16_t, VYK_StrobeEnable, (int16_t flag), (flag))                                           \
    X(int16_t, VYK_IstrelStrobeEnable, (int16_t flag), (flag))                                     \
    X(float, VYK_GetExternalTemperatureCelsius, (void), ())                                        \
    X(int16_t, VYK_GetTemperatureCoefficients, (float* first, float* second), (first, second))     \
    X(int16_t, VYK_SetTemperatureCoefficients, (float first, float second), (first, second))       \
    X(int16_t, VYK_GetO2ProbeCalibrationCoefficients, (float* coefficients), (coefficients))       \
    X(int16_t, VYK_SetO2ProbeCalibrationCoefficients, (const float* coefficients), (coefficients)) \
    X(int16_t, VYK_GetMavrinModulation, (void), ())                                                \
    X(int16_t, VYK_SetMavrinModulation, (int16_t modulation), (modulation))                        \
    X(int16_t, VYK_SetMavrinDa, (int16_t value), (value))                                          \
    X(int16_t, VYK_SetCurrentUSBSerialNumber, (const char* serial), (serial))                      \
    X(int16_t, VYK_SetCurrentPavikSerialNumber, (const char* serial), (serial))                    \
    X(void, VYK_GetCurrentUSBSerialNumber, (char* buffer), (buffer))                               \
    X(void, VYK_GetCurrentPavikSerialNumber, (char* buffer), (buffer))                             \
    X(void, VYK_IdentifyAllPavik, (void* list), (list))                                            \
    X(void, VYK_IdentifyAllBrontelUSB, (void* list), (list))                                       \
    X(void, VYK_IdentifyAllSolvi, (void* list), (list))                                            \
    X(void, VYK_IdentifyAllWessor, (void* list), (list))                                           \
    X(void, VYK_IdentifyAllVelko, (void* list), (list))                                            \
    X(int16_t, VYK_SetKaldrisBaudRate, (int16_t index), (index))                                   \
    X(int16_t, VYK_GetKaldrisBaudRate, (void), ())                                                 \
    X(int16_t, VYK_SetKaldrisCompressedMode, (uint16_t mode), (mode))                              \
    X(int16_t, VYK_GetKaldrisCompressedMode, (void), ())                                           \
    X(int16_t, VYK_SetKaldrisPixelResolution, (int16_t resolution), (resolution))                  \
    X(int16_t, VYK_GetKaldrisPixelResolution, (void), ())                                          \
    X(int16_t, VYK_GetD3State, (void), ())

#define VYK_LVD_ROWS_CORE(L)                                                                       \
    L(int16_t, VYK_CFGEX_LVD, VYK_ConfigEx,                                                        \
      (int16_t spectrometerType, int16_t adcType, int16_t irq, int16_t baseAddress,                \
       int16_t serialPort, int16_t pciCardId),                                                     \
      (spectrometerType, adcType, irq, baseAddress, serialPort, pciCardId))                        \
    L(int16_t, VYK_CFG_LVD, VYK_Config,                                                            \
      (int16_t spectrometerType, int16_t adcType, int16_t irq, int16_t baseAddress),               \
      (spectrometerType, adcType, irq, baseAddress))                                               \
    L(void, VYK_DMS_LVD, VYK_DisableMultichannelSpectra, (void), ())                               \
    L(int16_t, VYK_EMS_LVD, VYK_EnableMultichannelSpectra, (uint16_t v), (v))                      \
    L(void, VYK_ENLC_LVD, VYK_EnableNLCorrection, (int16_t channel, int16_t enable),               \
      (channel, enable))                                                                           \
    L(void, VYK_ESLC_LVD, VYK_EnableSLCorrection, (int16_t channel, int16_t enable),               \
      (channel, enable))                                                                           \
    L(uint16_t, VYK_GAT_LVD, VYK_GetADCType, (void), ())                                           \
    L(int16_t, VYK_GBA_LVD, VYK_GetBaseAddress, (void), ())                                        \
    L(void, VYK_GCUSBSN_LVD, VYK_GetCurrentUSBSerialNumber, (char* buffer), (buffer))              \
    L(int16_t, VYK_GDV_LVD, VYK_GetDriverVersion, (char* buffer, int32_t length),                  \
      (buffer, length))                                                                            \
    L(int32_t, VYK_GIT_LVD, VYK_GetIntegrationTime, (void), ())                                    \
    L(int16_t, VYK_GI_LVD, VYK_GetIRQ, (void), ())                                                 \
    L(int16_t, VYK_GNP_LVD, VYK_GetNumberOfPixels, (void), ())                                     \
    L(uint16_t, VYK_GST_LVD, VYK_GetSpectrometerType, (void), ())                                  \
    L(int16_t, VYK_KAL_GBR_LVD, VYK_GetKaldrisBaudRate, (void), ())                                \
    L(int16_t, VYK_KAL_GCM_LVD, VYK_GetKaldrisCompressedMode, (void), ())                          \
    L(int16_t, VYK_KAL_GPR_LVD, VYK_GetKaldrisPixelResolution, (void), ())                         \
    L(int16_t, VYK_KAL_SBR_LVD, VYK_SetKaldrisBaudRate, (int16_t index), (index))                  \
    L(int16_t, VYK_KAL_SCM_LVD, VYK_SetKaldrisCompressedMode, (uint16_t mode), (mode))             \
    L(int16_t, VYK_KAL_SPR_LVD, VYK_SetKaldrisPixelResolution, (int16_t resolution), (resolution)) \
    L(int16_t, VYK_SCUSBSN_LVD, VYK_SetCurrentUSBSerialNumber, (const char* serial), (serial))     \
    L(int16_t, VYK_SE_LVD, VYK_IstrelStrobeEnable, (int16_t flag), (flag))                         \
    L(void, VYK_SNLC_LVD, VYK_SetNLCoefs, (int16_t channel, const float* coefficients),            \
      (channel, coefficients))                                                                     \
    L(void, VYK_SSLC_LVD, VYK_SetSLCoef, (int16_t channel, float constant), (channel, constant))

// The plain core exports without a twin.
#define VYK_PLAIN_ONLY_CORE                                                                        \
    "SS_Register", "SS_UnRegister", "SS_ParamSet", "SS_Stat", "SS_SingleScan",                     \
        "SS_ContinuousScan", "SS_Stop", "SS_BufferEmpty", "SS_DoScan", "SS_Config",                \
        "VYK_AcquisitionThreadActive", "VYK_InitDriverForLV", "VYK_SingleScanForLV",               \
        "VYK_GetSpectraForLV", "VYK_SetLastUSBScanValid", "VYK_GetCurrentBrontelUSBSerialNumber",  \
        "VYK_SetCurrentBrontelUSBSerialNumber"

// CadrelPCI card.
#define VYK_TWIN_ROWS_BOARDS(X)                                                                    \
    X(int16_t, CadrelPCI_WriteDIO, (uint8_t highByte, uint8_t lowByte), (highByte, lowByte))       \
    X(uint16_t, CadrelPCI_ReadDIO, (void), ())                                                     \
    X(int16_t, CadrelPCI_AnalogOut, (int16_t channel, uint16_t value), (channel, value))           \
    X(int16_t, CadrelPCI_IsPCIPlus, (void), ())

#define VYK_PLAIN_ONLY_BOARDS "Shutdown_CadrelPCI_Istrel"

// The serial A/D converter: every KAL_ export and its short-named wrapper.
#define VYK_TWIN_ROWS_SERIAL(X)                                                                    \
    X(int16_t, KAL_Init, (int16_t port, int16_t baudIndex), (port, baudIndex))                     \
    X(int16_t, KAL_Close, (int16_t mode), (mode))                                                  \
    X(int16_t, KAL_SetSerialPort, (int16_t port), (port))                                          \
    X(int16_t, KAL_SetBaudRate, (int16_t index), (index))                                          \
    X(int16_t, KAL_DetermineSerialADCType, (void), ())                                             \
    X(int16_t, KAL_SetScansToAdd, (uint16_t scans), (scans))                                       \
    X(int16_t, KAL_SetBoxcarWidth, (uint16_t width), (width))                                      \
    X(int16_t, KAL_DumpFastMemory, (void), ())                                                     \
    X(int16_t, KAL_ChangeSlowReadPointer, (uint16_t position), (position))                         \
    X(int16_t, KAL_SetADCRate, (uint16_t rate), (rate))                                            \
    X(int16_t, KAL_SetCompressedMode, (uint16_t mode), (mode))                                     \
    X(int16_t, KAL_SetSpectrometerChannel, (uint16_t channel), (channel))                          \
    X(int16_t, KAL_SetIntegrationTime, (uint16_t ms), (ms))                                        \
    X(int16_t, KAL_SetStrobeEnable, (uint16_t enable), (enable))                                   \
    X(int16_t, KAL_ClearMemory, (uint16_t memory), (memory))                                       \
    X(int16_t, KAL_SetScanMode, (uint16_t mode), (mode))                                           \
    X(int16_t, KAL_SetNumberOfScansToStore, (uint16_t scans), (scans))                             \
    X(int16_t, KAL_ScanReceivedOK, (uint16_t ok), (ok))                                            \
    X(int16_t, KAL_SetPixelMode, (const KalPixelMode* record), (record))                           \
    X(int16_t, KAL_Reset, (void), ())                                                              \
    X(int16_t, KAL_SetExternalTrigger, (uint16_t mode), (mode))                                    \
    X(int16_t, KAL_GetSlowMemoryAvailable, (void), ())                                             \
    X(int16_t, KAL_GetNumberOfScansInMemory, (uint16_t memory), (memory))                          \
    X(int16_t, KAL_GetFastMemoryAvailable, (void), ())                                             \
    X(int16_t, KAL_ClearSlowMemory, (uint16_t first, uint16_t last), (first, last))                \
    X(int16_t, KAL_ToggleDebugMode, (void), ())                                                    \
    X(int16_t, KAL_ToggleDebugPrintMode, (void), ())                                               \
    X(int16_t, KAL_SetFlashDelay, (uint16_t delay), (delay))                                       \
    X(int16_t, KAL_SetLemmikCDSMode, (uint16_t mode), (mode))                                      \
    X(int16_t, KAL_SetChecksumMode, (uint16_t mode), (mode))                                       \
    X(int16_t, KAL_GetError, (void), ())                                                           \
    X(int16_t, KAL_ReadSlowMemory,                                                                 \
      (uint16_t high, uint16_t low, uint8_t * data, uint8_t * trailer),                            \
      (high, low, data, trailer))                                                                  \
    X(int16_t, KAL_GetIntegrationCounter, (void), ())                                              \
    X(int16_t, KAL_GetVersion, (void), ())                                                         \
    X(int16_t, KAL_SetStoredString, (uint16_t slot, const char* text), (slot, text))               \
    X(int16_t, KAL_GetStoredString, (uint16_t slot, char* text), (slot, text))                     \
    X(int16_t, KAL_GetScansToAdd, (void), ())                                                      \
    X(int16_t, KAL_GetBoxcarWidth, (void), ())                                                     \
    X(int16_t, KAL_GetADCRate, (void), ())                                                         \
    X(int16_t, KAL_GetSpectrometerChannel, (void), ())                                             \
    X(int16_t, KAL_GetIntegrationTime, (void), ())                                                 \
    X(int16_t, KAL_GetStrobeEnable, (void), ())                                                    \
    X(int16_t, KAL_GetBaudRate, (void), ())                                                        \
    X(int16_t, KAL_GetScanMode, (void), ())                                                        \
    X(int16_t, KAL_GetNumberOfScansToStore, (void), ())                                            \
    X(int16_t, KAL_GetPixelMode, (void), ())                                                       \
    X(int16_t, KAL_GetExternalTrigger, (void), ())                                                 \
    X(int16_t, KAL_GetCompressedMode, (void), ())                                                  \
    X(int16_t, KAL_GetChecksumMode, (void), ())                                                    \
    X(int16_t, KAL_GetLemmikCDSMode, (void), ())                                                   \
    X(int16_t, KAL_GetNumberOfBadMemoryBlocks, (void), ())                                         \
    X(int16_t, KAL_GetDebugMode, (void), ())                                                       \
    X(int16_t, KAL_GetPrintDebugMode, (void), ())                                                  \
    X(int16_t, KAL_GetFullPixelMode, (KalPixelMode * record), (record))                            \
    X(int16_t, KAL_EnterDoubleSecretMode, (int16_t code), (code))                                  \
    X(int16_t, KAL_SetInterpolateMissingPixels, (int16_t on), (on))                                \
    X(int16_t, KAL_GetInterpolateMissingPixels, (void), ())                                        \
    X(int16_t, KAL_SetRamanMode, (int16_t on), (on))                                               \
    X(int16_t, KAL_GetRamanMode, (void), ())                                                       \
    X(int16_t, KAL_SetStoredFloat, (uint16_t slot, float value), (slot, value))                    \
    X(int16_t, KAL_GetStoredFloat, (uint16_t slot, float* value), (slot, value))                   \
    X(int16_t, KAL_SetStoredInt, (uint16_t slot, int32_t value), (slot, value))                    \
    X(int16_t, KAL_GetStoredInt, (uint16_t slot, int32_t * value), (slot, value))                  \
    X(int16_t, KAL_ReadoutScansInMemory, (int16_t memory), (memory))                               \
    X(int16_t, KAL_EnableISR, (void), ())                                                          \
    X(int16_t, KAL_Scan, (uint16_t * buffer), (buffer))                                            \
    X(int16_t, KAL_ReadoutOneScan, (uint16_t memory, uint16_t * buffer), (memory, buffer))         \
    X(int16_t, KAL_ScanWithAverage, (uint16_t * buffer, int16_t scans, float* average),            \
      (buffer, scans, average))

#define VYK_LVD_ROWS_SERIAL(L)                                                                     \
    L(int16_t, KAL_CL_LVD, KAL_Close, (int16_t mode), (mode))                                      \
    L(int16_t, KAL_CM_LVD, KAL_ClearMemory, (uint16_t memory), (memory))                           \
    L(int16_t, KAL_DFM_LVD, KAL_DumpFastMemory, (void), ())                                        \
    L(int16_t, KAL_EDSM_LVD, KAL_EnterDoubleSecretMode, (int16_t code), (code))                    \
    L(int16_t, KAL_GADR_LVD, KAL_GetADCRate, (void), ())                                           \
    L(int16_t, KAL_GBR_LVD, KAL_GetBaudRate, (void), ())                                           \
    L(int16_t, KAL_GBW_LVD, KAL_GetBoxcarWidth, (void), ())                                        \
    L(int16_t, KAL_GCDS_LVD, KAL_GetLemmikCDSMode, (void), ())                                     \
    L(int16_t, KAL_GCM_LVD, KAL_GetCompressedMode, (void), ())                                     \
    L(int16_t, KAL_GCSM_LVD, KAL_GetChecksumMode, (void), ())                                      \
    L(int16_t, KAL_GET_LVD, KAL_GetExternalTrigger, (void), ())                                    \
    L(int16_t, KAL_GE_LVD, KAL_GetError, (void), ())                                               \
    L(int16_t, KAL_GFMA_LVD, KAL_GetFastMemoryAvailable, (void), ())                               \
    L(int16_t, KAL_GFPM_LVD, KAL_GetFullPixelMode, (KalPixelMode * record), (record))              \
    L(int16_t, KAL_GIC_LVD, KAL_GetIntegrationCounter, (void), ())                                 \
    L(int16_t, KAL_GIMP_LVD, KAL_GetInterpolateMissingPixels, (void), ())                          \
    L(int16_t, KAL_GIT_LVD, KAL_GetIntegrationTime, (void), ())                                    \
    L(int16_t, KAL_GNSIM_LVD, KAL_GetNumberOfScansInMemory, (uint16_t memory), (memory))           \
    L(int16_t, KAL_GNSTS_LVD, KAL_GetNumberOfScansToStore, (void), ())                             \
    L(int16_t, KAL_GPM_LVD, KAL_GetPixelMode, (void), ())                                          \
    L(int16_t, KAL_GSC_LVD, KAL_GetSpectrometerChannel, (void), ())                                \
    L(int16_t, KAL_GSE_LVD, KAL_GetStrobeEnable, (void), ())                                       \
    L(int16_t, KAL_GSF_LVD, KAL_GetStoredFloat, (uint16_t slot, float* value), (slot, value))      \
    L(int16_t, KAL_GSI_LVD, KAL_GetStoredInt, (uint16_t slot, int32_t * value), (slot, value))     \
    L(int16_t, KAL_GSMA_LVD, KAL_GetSlowMemoryAvailable, (void), ())                               \
    L(int16_t, KAL_GSM_LVD, KAL_GetScanMode, (void), ())                                           \
    L(int16_t, KAL_GSS_LVD, KAL_GetStoredString, (uint16_t slot, char* text), (slot, text))        \
    L(int16_t, KAL_GSTA_LVD, KAL_GetScansToAdd, (void), ())                                        \
    L(int16_t, KAL_GV_LVD, KAL_GetVersion, (void), ())                                             \
    L(int16_t, KAL_IN_LVD, KAL_Init, (int16_t port, int16_t baudIndex), (port, baudIndex))         \
    L(int16_t, KAL_KALR_LVD, KAL_SetADCRate, (uint16_t rate), (rate))                              \
    L(int16_t, KAL_ROOS_LVD, KAL_ReadoutOneScan, (uint16_t memory, uint16_t * buffer),             \
      (memory, buffer))                                                                            \
    L(int16_t, KAL_RSIM_LVD, KAL_ReadoutScansInMemory, (int16_t memory), (memory))                 \
    L(int16_t, KAL_RT_LVD, KAL_Reset, (void), ())                                                  \
    L(int16_t, KAL_SBR_LVD, KAL_SetBaudRate, (int16_t index), (index))                             \
    L(int16_t, KAL_SBW_LVD, KAL_SetBoxcarWidth, (uint16_t width), (width))                         \
    L(int16_t, KAL_SCDS_LVD, KAL_SetLemmikCDSMode, (uint16_t mode), (mode))                        \
    L(int16_t, KAL_SCM_LVD, KAL_SetCompressedMode, (uint16_t mode), (mode))                        \
    L(int16_t, KAL_SCSM_LVD, KAL_SetChecksumMode, (uint16_t mode), (mode))                         \
    L(int16_t, KAL_SC_LVD, KAL_Scan, (uint16_t * buffer), (buffer))                                \
    L(int16_t, KAL_SET_LVD, KAL_SetExternalTrigger, (uint16_t mode), (mode))                       \
    L(int16_t, KAL_SIMP_LVD, KAL_SetInterpolateMissingPixels, (int16_t on), (on))                  \
    L(int16_t, KAL_SIT_LVD, KAL_SetIntegrationTime, (uint16_t ms), (ms))                           \
    L(int16_t, KAL_SNSTS_LVD, KAL_SetNumberOfScansToStore, (uint16_t scans), (scans))              \
    L(int16_t, KAL_SPM_LVD, KAL_SetPixelMode, (const KalPixelMode* record), (record))              \
    L(int16_t, KAL_SROK_LVD, KAL_ScanReceivedOK, (uint16_t ok), (ok))                              \
    L(int16_t, KAL_SSC_LVD, KAL_SetSpectrometerChannel, (uint16_t channel), (channel))             \
    L(int16_t, KAL_SSE_LVD, KAL_SetStrobeEnable, (uint16_t enable), (enable))                      \
    L(int16_t, KAL_SSF_LVD, KAL_SetStoredFloat, (uint16_t slot, float value), (slot, value))       \
    L(int16_t, KAL_SSI_LVD, KAL_SetStoredInt, (uint16_t slot, int32_t value), (slot, value))       \
    L(int16_t, KAL_SSM_LVD, KAL_SetScanMode, (uint16_t mode), (mode))                              \
    L(int16_t, KAL_SSP_LVD, KAL_SetSerialPort, (int16_t port), (port))                             \
    L(int16_t, KAL_SSS_LVD, KAL_SetStoredString, (uint16_t slot, const char* text), (slot, text))  \
    L(int16_t, KAL_SSTA_LVD, KAL_SetScansToAdd, (uint16_t scans), (scans))                         \
    L(int16_t, KAL_SWA_LVD, KAL_ScanWithAverage,                                                   \
      (uint16_t * buffer, int16_t scans, float* average), (buffer, scans, average))

// EZ-USB transport and the Pavik and Solvi families (the two I2C twins are decorated).
#define VYK_TWIN_ROWS_USB(X)                                                                       \
    X(int32_t, USBGEN_BulkOut, (int32_t pipe, int32_t length, const uint8_t* buffer),              \
      (pipe, length, buffer))                                                                      \
    X(int32_t, USBGEN_BulkIn, (int32_t pipe, int32_t length, uint8_t * buffer),                    \
      (pipe, length, buffer))                                                                      \
    X(int32_t, Pavik_GetCoefficients, (CoefficientsRecord * record), (record))                     \
    X(int32_t, Solvi_GetCoefficients, (CoefficientsRecord * record), (record))                     \
    X(int32_t, Pavik_SetCoefficients, (const CoefficientsRecord* record), (record))                \
    X(int32_t, Solvi_SetCoefficients, (const CoefficientsRecord* record), (record))                \
    X(int32_t, Pavik_GetStoredString, (int32_t slot, char* text), (slot, text))                    \
    X(int32_t, Solvi_GetStoredString, (int32_t slot, char* text), (slot, text))                    \
    X(int32_t, Pavik_SetStoredString, (int32_t slot, const char* text), (slot, text))              \
    X(int32_t, Solvi_SetStoredString, (int32_t slot, const char* text), (slot, text))              \
    X(int32_t, Pavik_GetFirmwareVersion, (char* text), (text))                                     \
    X(int32_t, Solvi_GetFirmwareVersion, (char* text), (text))                                     \
    X(int32_t, Pavik_IdentifyPavik, (int32_t deviceIndex, char* text), (deviceIndex, text))        \
    X(int32_t, Solvi_IdentifySolvi, (int32_t deviceIndex, char* text), (deviceIndex, text))        \
    X(float, Pavik_GetTemperature, (void), ())                                                     \
    X(int32_t, Pavik_GetTemperatureCoefficients, (float* gain, float* offset), (gain, offset))     \
    X(int32_t, Pavik_SetTemperatureCoefficients, (float gain, float offset), (gain, offset))       \
    X(int32_t, Pavik_GetO2CalibrationCoefficients, (float* coefficients), (coefficients))          \
    X(int32_t, Pavik_SetO2CalibrationCoefficients, (const float* coefficients), (coefficients))    \
    X(int32_t, Pavik_SetMavrinModulation, (int32_t modulation), (modulation))                      \
    X(int32_t, Pavik_GetMavrinModulation, (void), ())                                              \
    X(int32_t, Pavik_SetMavrinDA, (int32_t value), (value))                                        \
    X(int32_t, Pavik_IsPluginDetected, (uint8_t pluginId), (pluginId))                             \
    X(int32_t, Pavik_I2C_Read, (uint8_t address, int32_t length, uint8_t * buffer),                \
      (address, length, buffer))                                                                   \
    X(int32_t, Pavik_I2C_Write, (uint8_t address, int32_t length, const uint8_t* bytes),           \
      (address, length, bytes))                                                                    \
    X(int32_t, Pavik_Norrel_StoreCurrentPotValues, (void), ())                                     \
    X(int32_t, Pavik_Norrel_LampOn, (int32_t on), (on))                                            \
    X(int32_t, Pavik_Norrel_SetVisLampOn, (int32_t on), (on))                                      \
    X(int32_t, Pavik_Norrel_SetVisLampIntensity, (int32_t value), (value))                         \
    X(int32_t, Pavik_Norrel_SetUVLampIntensity, (int32_t value), (value))                          \
    X(int32_t, Pavik_Norrel_GetVisLampIntensity, (void), ())                                       \
    X(int32_t, Pavik_Norrel_GetUVLampIntensity, (void), ())                                        \
    X(int32_t, Pavik_Norrel_SetShutterOpened, (int32_t open), (open))

#define VYK_LVD_ROWS_USB(L)                                                                        \
    L(int32_t, USB_GFV_LVD, Pavik_GetFirmwareVersion, (char* text), (text))                        \
    L(int32_t, USB_ISolvi_LVD, Solvi_IdentifySolvi, (int32_t deviceIndex, char* text),             \
      (deviceIndex, text))                                                                         \
    L(int32_t, USB_IU_LVD, Pavik_IdentifyPavik, (int32_t deviceIndex, char* text),                 \
      (deviceIndex, text))

#define VYK_PLAIN_ONLY_USB                                                                         \
    "VYK_USB_ResetAllPipes", "USB_GetStringDescriptor", "Pavik_I2C_Read", "Pavik_I2C_Write",       \
        "Pavik_Norrel_GetLampOn", "Pavik_Norrel_GetVisLampOn", "Pavik_ReadFloatArray",             \
        "Pavik_WriteFloatArray", "USBNorrel_ReadPotValues", "USBNorrel_WritePotValue"

// Java-driven models: every feature body under each model's word (Ulmar's WriteFPGA twin
// is the decorated one), the common exports and the models' own features.
#define VYK_JAVA_TWIN_TREVAN(r, w, p, a) VYK_TWIN_ROW(r, Trevan_##w, p, a)
#define VYK_JAVA_TWIN_SOLVIPLUS(r, w, p, a) VYK_TWIN_ROW(r, SolviPlus_##w, p, a)
#define VYK_JAVA_TWIN_ULMAR(r, w, p, a) VYK_TWIN_ROW(r, Ulmar_##w, p, a)
#define VYK_JAVA_TWIN_PAVIKPLUS(r, w, p, a) VYK_TWIN_ROW(r, PavikPlus_##w, p, a)
#define VYK_JAVA_TWIN_QUARN(r, w, p, a) VYK_TWIN_ROW(r, Quarn_##w, p, a)
#define VYK_JAVA_TWIN_COMMON(model)                                                                \
    VYK_TWIN_ROW(int32_t, model##_GetCoefficients, (struct CoefficientsRecord * record), (record)) \
    VYK_TWIN_ROW(int32_t, model##_SetCoefficients, (const struct CoefficientsRecord* record),      \
                 (record))                                                                         \
    VYK_TWIN_ROW(int32_t, model##_Identify##model, (int32_t deviceIndex, char* serial),            \
                 (deviceIndex, serial))                                                            \
    VYK_TWIN_ROW(int32_t, model##_GetFirmwareVersion, (char* text), (text))                        \
    VYK_TWIN_ROW(int32_t, model##_SetStoredString, (int32_t slot, const char* text), (slot, text)) \
    VYK_TWIN_ROW(int32_t, model##_GetStoredString, (int32_t slot, char* text), (slot, text))       \
    VYK_TWIN_ROW(int32_t, VYK_IdentifyAll##model, (JavaDeviceSlot * list), (list))

// Expands the Java rows through VYK_TWIN_ROW, which the including file defines.
#define VYK_TWIN_ROWS_JAVA                                                                         \
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_TWIN_TREVAN)                                                    \
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_TWIN_TREVAN)                                              \
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_TWIN_SOLVIPLUS)                                                 \
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_TWIN_SOLVIPLUS)                                           \
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_TWIN_ULMAR)                                                     \
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_TWIN_PAVIKPLUS)                                                 \
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_TWIN_PAVIKPLUS)                                           \
    VYK_JAVA_AUTONULLING(VYK_JAVA_TWIN_PAVIKPLUS)                                                  \
    VYK_JAVA_FEATURES_ALL(VYK_JAVA_TWIN_QUARN)                                                     \
    VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_TWIN_QUARN)                                               \
    VYK_JAVA_AUTONULLING(VYK_JAVA_TWIN_QUARN)                                                      \
    VYK_JAVA_MODELS(VYK_JAVA_TWIN_COMMON)                                                          \
    VYK_TWIN_ROW(double, Ulmar_GetMainBoardTemperature, (void), ())                                \
    VYK_TWIN_ROW(double, Ulmar_GetDetectorBoardTemperature, (void), ())                            \
    VYK_TWIN_ROW(double, Ulmar_GetTECTemperature, (void), ())                                      \
    VYK_TWIN_ROW(int32_t, Ulmar_SetFanEnable, (int32_t flag), (flag))                              \
    VYK_TWIN_ROW(int32_t, Ulmar_SetTECEnable, (int32_t flag), (flag))                              \
    VYK_TWIN_ROW(int32_t, Ulmar_SetTECSetPoint, (double celsius), (celsius))                       \
    VYK_TWIN_ROW(int32_t, Quarn_Norrel_LampEnable, (int32_t flag), (flag))

#define VYK_PLAIN_ONLY_JAVA                                                                        \
    "Ulmar_WriteFPGA", "Quarn_GetExternalTemperatureCelsius", "Quarn_GetTemperatureCoefficient",   \
        "Quarn_SetTemperatureCoefficients", "Quarn_GetO2ProbeCalibrationCoefficients",             \
        "Quarn_SetO2ProbeCalibrationCoefficients", "Quarn_GetMavrinModulation",                    \
        "Quarn_SetMavrinModulation", "Quarn_SetMavrinDa"

// Pellar system: its one export has no twin.
#define VYK_PLAIN_ONLY_PELLAR "Pellar_IdentifyPellar"

// BrontelUSB converter and Xandel interface.
#define VYK_TWIN_ROWS_BRONTELUSB_XANDEL(X)                                                         \
    X(int32_t, BrontelUSB_GetCoefficients, (BrontelUSBCoefficientsRecord * record), (record))      \
    X(int32_t, BrontelUSB_SetCoefficients, (const BrontelUSBCoefficientsRecord* record), (record)) \
    X(int32_t, BrontelUSB_GetFirmwareVersion, (char* text), (text))                                \
    X(int32_t, BrontelUSB_IdentifyBrontelUSB, (int32_t deviceIndex, char* text),                   \
      (deviceIndex, text))                                                                         \
    X(int32_t, BrontelUSB_DAC_Initialize, (void), ())                                              \
    X(int32_t, BrontelUSB_DAC_ReadValue, (int32_t channel), (channel))                             \
    X(int32_t, BrontelUSB_DAC_WriteValue, (int32_t channel, int32_t value), (channel, value))      \
    X(int32_t, Xandel_IdentifyWessor, (int32_t deviceIndex, char* text), (deviceIndex, text))      \
    X(int32_t, Xandel_IdentifyVelko, (int32_t deviceIndex, char* text), (deviceIndex, text))       \
    X(int32_t, Xandel_GetCoefficients, (CoefficientsRecord * record), (record))                    \
    X(int32_t, Xandel_SetCoefficients, (const CoefficientsRecord* record), (record))               \
    X(int32_t, Xandel_SetStoredString, (int32_t slot, const char* text), (slot, text))             \
    X(int32_t, Xandel_GetStoredString, (int32_t slot, char* text), (slot, text))                   \
    X(int32_t, Xandel_EnableCooler, (int32_t flag), (flag))                                        \
    X(int32_t, Xandel_EnableHighGain, (int32_t flag), (flag))                                      \
    X(int32_t, Xandel_EnableFan, (int32_t flag), (flag))                                           \
    X(int32_t, Xandel_GetStatus, (XandelStatus * status), (status))                                \
    X(int32_t, Xandel_GetFirmwareVersion, (char* text), (text))                                    \
    X(int32_t, Xandel_SetIntegrationTimeScalar, (int32_t scalar), (scalar))                        \
    X(int32_t, Xandel_GetIntegrationTimeScalar, (void), ())                                        \
    X(int32_t, Xandel_SetTECSetPoint, (float celsius), (celsius))                                  \
    X(float, Xandel_GetTECSetPoint, (void), ())                                                    \
    X(float, Xandel_GetTECTemperature, (void), ())                                                 \
    X(float, Xandel_GetBoardTemperature, (void), ())

#define VYK_LVD_ROWS_BRONTELUSB_XANDEL(L)                                                          \
    L(int32_t, Xandel_GetStatus_LVD, Xandel_GetStatus, (XandelStatus * status), (status))

#define VYK_PLAIN_ONLY_BRONTELUSB_XANDEL "Xandel_GetTemperatureStatus"

// Twins spelt with their argument bytes (see above), keyed by the plain export.
#define VYK_DECORATED_TWINS(D)                                                                     \
    D(Ulmar_WriteFPGA, _Ulmar_WriteFPGA_stdcall_8)                                                 \
    D(Pavik_I2C_Read, _Pavik_I2C_Read_stdcall_12)                                                  \
    D(Pavik_I2C_Write, _Pavik_I2C_Write_stdcall_12)

// Coefficient wrappers: C(get, set, getWrapper, setWrapper, Record, Value, Last). Instead of
// the family's coefficient record they take the serial-number text, the record's 32-bit
// words between the serial and the last field as an array of Value, and a pointer to the
// last 32-bit field (of type Last). A family whose record is not CoefficientsRecord names
// its own; the serial is always the first 16 bytes. The wrappers are LabVIEW-shaped: C
// calling convention, no twins.
#define VYK_COEFFICIENT_ROWS_USB(C)                                                                \
    C(Pavik_GetCoefficients, Pavik_SetCoefficients, USB_GC_LVD, USB_SC_LVD, CoefficientsRecord,    \
      float, int32_t)                                                                              \
    C(Solvi_GetCoefficients, Solvi_SetCoefficients, Solvi_GetCoefficients_LVD,                     \
      Solvi_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)
#define VYK_COEFFICIENT_ROWS_JAVA(C)                                                               \
    C(Trevan_GetCoefficients, Trevan_SetCoefficients, Trevan_GetCoefficients_LVD,                  \
      Trevan_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)                              \
    C(SolviPlus_GetCoefficients, SolviPlus_SetCoefficients, SolviPlus_GetCoefficients_LVD,         \
      SolviPlus_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)                           \
    C(Ulmar_GetCoefficients, Ulmar_SetCoefficients, Ulmar_GetCoefficients_LVD,                     \
      Ulmar_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)                               \
    C(PavikPlus_GetCoefficients, PavikPlus_SetCoefficients, PavikPlus_GetCoefficients_LVD,         \
      PavikPlus_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)                           \
    C(Quarn_GetCoefficients, Quarn_SetCoefficients, Quarn_GetCoefficients_LVD,                     \
      Quarn_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)

// The BrontelUSB record carries the converter's count and 31 coefficients as its words
// (all taken as float), the last coefficient of channel 7 on its own.
#define VYK_COEFFICIENT_ROWS_BRONTELUSB_XANDEL(C)                                                  \
    C(BrontelUSB_GetCoefficients, BrontelUSB_SetCoefficients, BrontelUSB_GetCoefficients_LVD,      \
      BrontelUSB_SetCoefficients_LVD, BrontelUSBCoefficientsRecord, float, float)                  \
    C(Xandel_GetCoefficients, Xandel_SetCoefficients, Xandel_GetCoefficients_LVD,                  \
      Xandel_SetCoefficients_LVD, CoefficientsRecord, float, int32_t)

// The lists of all families landed so far. The library's full set has 562 plain exports,
// 527 twins and 103 wrappers; every family has its rows.
#define VYK_TWIN_ROWS(X)                                                                           \
    VYK_TWIN_ROWS_CORE(X)                                                                          \
    VYK_TWIN_ROWS_BOARDS(X)                                                                        \
    VYK_TWIN_ROWS_SERIAL(X) VYK_TWIN_ROWS_USB(X) VYK_TWIN_ROWS_BRONTELUSB_XANDEL(X)
#define VYK_LVD_ROWS(L)                                                                            \
    VYK_LVD_ROWS_CORE(L)                                                                           \
    VYK_LVD_ROWS_SERIAL(L) VYK_LVD_ROWS_USB(L) VYK_LVD_ROWS_BRONTELUSB_XANDEL(L)
#define VYK_COEFFICIENT_ROWS(C)                                                                    \
    VYK_COEFFICIENT_ROWS_USB(C)                                                                    \
    VYK_COEFFICIENT_ROWS_JAVA(C) VYK_COEFFICIENT_ROWS_BRONTELUSB_XANDEL(C)
#define VYK_PLAIN_ONLY                                                                             \
    VYK_PLAIN_ONLY_CORE, VYK_PLAIN_ONLY_BOARDS, VYK_PLAIN_ONLY_USB, VYK_PLAIN_ONLY_JAVA,           \
        VYK_PLAIN_ONLY_PELLAR, VYK_PLAIN_ONLY_BRONTELUSB_XANDEL
