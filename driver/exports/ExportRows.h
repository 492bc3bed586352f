#pragma once

// The one table of the library's secondary export forms. Every plain export that has a
// `_stdcall` twin is a row X(result, name, (parameters), (arguments)); every `_LVD`
// wrapper that only forwards is a row L(result, wrapper, target, (parameters),
// (arguments)). Twins.cpp generates the function bodies from these rows and
// ExportForms.cpp the name lists, so a name cannot be exported without being listed.
//
// Linux x86-64 has one calling convention: a twin is a plain forward of its export.
//
// Decorated twins: ELF reads "@" in a symbol name as a version, so the three twins whose
// Windows names carry the argument bytes after "@" are spelt with "_" in its place:
// "_Ulmar_WriteFPGA_stdcall_8", "_Pavik_I2C_Read_stdcall_12", "_Pavik_I2C_Write_stdcall_12".
//
// A family adds its rows here in a block of its own (and its block to the lists at the
// end), beside the plain exports it declares in driver/include/vykdrv32_<family>.h.

#include "driver/include/vykdrv32.h"

// Driver core: registration, scans, corrections, multichannel spectra, configuration.
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
    X(int16_t, VYK_Config, (int16_t type, int16_t adc, int16_t irq, int16_t base),                 \
      (type, adc, irq, base))

#define VYK_LVD_ROWS_CORE(L)                                                                       \
    L(int16_t, VYK_CFG_LVD, VYK_Config, (int16_t type, int16_t adc, int16_t irq, int16_t base),    \
      (type, adc, irq, base))                                                                      \
    L(int16_t, VYK_EMS_LVD, VYK_EnableMultichannelSpectra, (uint16_t v), (v))                      \
    L(void, VYK_DMS_LVD, VYK_DisableMultichannelSpectra, (void), ())                               \
    L(void, VYK_SNLC_LVD, VYK_SetNLCoefs, (int16_t channel, const float* coefficients),            \
      (channel, coefficients))                                                                     \
    L(void, VYK_SSLC_LVD, VYK_SetSLCoef, (int16_t channel, float constant), (channel, constant))   \
    L(void, VYK_ENLC_LVD, VYK_EnableNLCorrection, (int16_t channel, int16_t enable),               \
      (channel, enable))                                                                           \
    L(void, VYK_ESLC_LVD, VYK_EnableSLCorrection, (int16_t channel, int16_t enable),               \
      (channel, enable))

// The plain core exports without a twin.
#define VYK_PLAIN_ONLY_CORE                                                                        \
    "SS_Register", "SS_UnRegister", "SS_ParamSet", "SS_Stat", "SS_SingleScan",                     \
        "SS_ContinuousScan", "SS_Stop", "SS_BufferEmpty", "SS_Config"

// CadrelPCI card.
#define VYK_TWIN_ROWS_BOARDS(X)                                                                    \
    X(int16_t, CadrelPCI_WriteDIO, (uint8_t highByte, uint8_t lowByte), (highByte, lowByte))       \
    X(uint16_t, CadrelPCI_ReadDIO, (void), ())                                                     \
    X(int16_t, CadrelPCI_AnalogOut, (int16_t channel, uint16_t value), (channel, value))           \
    X(int16_t, CadrelPCI_IsPCIPlus, (void), ())

#define VYK_PLAIN_ONLY_BOARDS "Shutdown_CadrelPCI_Istrel"

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

// Twins spelt with their argument bytes (see above), keyed by the plain export.
#define VYK_DECORATED_TWINS(D) D(Ulmar_WriteFPGA, _Ulmar_WriteFPGA_stdcall_8)

// The lists of all families landed so far. The library's full set has 562 plain exports,
// 527 twins and 103 wrappers; the families without rows yet are USB (Pavik, Solvi,
// BrontelUSB, Xandel, Pellar), the serial A/D converter and the start-up, configuration
// and blocking-call exports of the core.
#define VYK_TWIN_ROWS(X) VYK_TWIN_ROWS_CORE(X) VYK_TWIN_ROWS_BOARDS(X)
#define VYK_LVD_ROWS(L) VYK_LVD_ROWS_CORE(L)
#define VYK_PLAIN_ONLY VYK_PLAIN_ONLY_CORE, VYK_PLAIN_ONLY_BOARDS, VYK_PLAIN_ONLY_JAVA
