/* VYKDRV32: the Java-driven models (Trevan, SolviPlus, Ulmar, PavikPlus, Quarn).
 *
 * Each hardware feature is one body exported under the Trevan word and again, as an alias
 * of the same body, under the other models' words; the call goes to whichever model's
 * driver class is loaded. Feature exports wait while a scan runs. With no driver loaded,
 * or a bad argument, they return 0 (0.0). Text buffers receive at most
 * VYK_JAVA_TEXT_BYTES bytes including the terminating zero (VYK_JAVA_SLOT_BYTES for the
 * stored-string slots). Any thread. Included by vykdrv32.h. */
#include "driver/include/vykdrv32.h" /* first: this family comes in its place there */
#ifndef VYKDRV32_JAVA_H
#define VYKDRV32_JAVA_H

#define VYK_JAVA_TEXT_BYTES 64
#define VYK_JAVA_SLOT_BYTES 16

/* Device list of the IdentifyAll exports: 64 slots; slot i describes device index i. */
#define VYK_JAVA_DEVICE_SLOTS 64
typedef struct JavaDeviceSlot
{
    int32_t found;   /* 1 when a device answers at this index */
    char serial[32]; /* zero-terminated */
} JavaDeviceSlot;
VYK_STATIC_ASSERT(sizeof(JavaDeviceSlot) == 36, "JavaDeviceSlot size");

/* The feature bodies, as X(result, word, parameters, arguments). Ulmar exports the first
 * list only; SolviPlus, PavikPlus and Quarn both. */
#define VYK_JAVA_FEATURES_ALL(X)                                                                   \
    X(double, GetBoardTemperature, (void), ())                                                     \
    X(int32_t, SetPowerDown, (int32_t flag), (flag))                                               \
    X(int32_t, WriteI2C, (uint8_t address, uint8_t count, const uint8_t* bytes),                   \
      (address, count, bytes))                                                                     \
    X(int32_t, ReadI2C, (uint8_t address, uint8_t count, uint8_t * buffer),                        \
      (address, count, buffer))                                                                    \
    X(int32_t, WriteSPI, (int32_t count, const uint8_t* bytes), (count, bytes))                    \
    X(int32_t, ReadSPI, (int32_t count, uint8_t * buffer), (count, buffer))                        \
    X(int32_t, ReadAnalogInput, (void), ())                                                        \
    X(int32_t, SetAnalogOutput, (int32_t count), (count))                                          \
    X(int32_t, SetAnalogOutputVoltage, (double volts), (volts))                                    \
    X(double, ReadAnalogInputVoltage, (void), ())                                                  \
    X(int32_t, GetPSOCVersion, (char* text), (text))                                               \
    X(int32_t, GetFPGAFirmwareVersion, (char* text), (text))                                       \
    X(int32_t, WriteFPGA, (uint8_t reg, int32_t value), (reg, value))                              \
    X(int32_t, ReadFPGA, (uint8_t reg), (reg))                                                     \
    X(int32_t, GetMasterClockDivisor, (void), ())                                                  \
    X(int32_t, SetMasterClockDivisor, (int32_t value), (value))                                    \
    X(int32_t, GetContinuousStrobeBase, (void), ())                                                \
    X(int32_t, SetContinuousStrobeBase, (int32_t value), (value))                                  \
    X(int32_t, GetContinuousStrobeClock, (void), ())                                               \
    X(int32_t, SetContinuousStrobeClock, (int32_t value), (value))                                 \
    X(int16_t, GetIntegrationTimeBaseClock, (void), ())                                            \
    X(int32_t, SetIntegrationTimeBaseClock, (int32_t value), (value))                              \
    X(int32_t, GetIntegrationClockTimer, (void), ())                                               \
    X(int32_t, SetIntegrationClockTimer, (int32_t value), (value))                                 \
    X(int32_t, GetShutterClock, (void), ())                                                        \
    X(int32_t, SetShutterClock, (int32_t value), (value))                                          \
    X(int32_t, GetSingleStrobeHigh, (void), ())                                                    \
    X(int32_t, SetSingleStrobeHigh, (int32_t value), (value))                                      \
    X(int32_t, GetSingleStrobeLow, (void), ())                                                     \
    X(int32_t, SetSingleStrobeLow, (int32_t value), (value))                                       \
    X(int16_t, GetStrobeEnableFPGA, (void), ())                                                    \
    X(int32_t, SetStrobeEnableFPGA, (int32_t value), (value))                                      \
    X(int16_t, GetGPIOMux, (void), ())                                                             \
    X(int32_t, SetGPIOMux, (int32_t value), (value))                                               \
    X(int32_t, SetGPIOMuxReg, (int32_t value), (value))                                            \
    X(int32_t, SetGPIOMuxAlt, (int32_t value), (value))                                            \
    X(int32_t, GetGPIOPinMux, (int32_t pin), (pin))                                                \
    X(int16_t, GetGPIOIO, (void), ())                                                              \
    X(int16_t, GetGPIOPinIO, (int32_t pin), (pin))                                                 \
    X(int32_t, SetGPIOPinIO, (int32_t pin, int32_t direction), (pin, direction))                   \
    X(int32_t, SetGPIOPinOutput, (int32_t pin), (pin))                                             \
    X(int32_t, SetGPIOPinInput, (int32_t pin), (pin))                                              \
    X(int16_t, GetGPIODataReg, (void), ())                                                         \
    X(int32_t, SetGPIODataReg, (int32_t value), (value))                                           \
    X(int16_t, GetGPIOPinData, (int32_t pin), (pin))                                               \
    X(int32_t, SetGPIOPinData, (int32_t pin, int32_t level), (pin, level))                         \
    X(double, GetMasterClockTime, (void), ())                                                      \
    X(double, GetIntegrationClockTime, (void), ())                                                 \
    X(double, GetContinuousStrobeBaseTime, (void), ())                                             \
    X(double, GetContinuousStrobeTime, (void), ())                                                 \
    X(double, GetSingleStrobeHighTime, (void), ())                                                 \
    X(double, GetSingleStrobeLowTime, (void), ())

#define VYK_JAVA_FEATURES_NOT_ULMAR(X)                                                             \
    X(int32_t, GetHardwareTriggerDelay, (void), ())                                                \
    X(int32_t, SetHardwareTriggerDelay, (int32_t value), (value))                                  \
    X(double, GetHardwareTriggerDelayTime, (void), ())                                             \
    X(int16_t, GetHardwareTriggerMode, (void), ())                                                 \
    X(int32_t, SetHardwareTriggerMode, (int32_t value), (value))                                   \
    X(int32_t, SetGPIOIO, (int32_t value), (value))

/* The autonulling bodies of PavikPlus, which Quarn also exports. */
#define VYK_JAVA_AUTONULLING(X)                                                                    \
    X(int32_t, GetLastAutonullingStatusValue, (void), ())                                          \
    X(int32_t, GetLastAutonullingDarkValue, (void), ())                                            \
    X(double, GetAutonullingSaturationValue, (void), ())

/* The common exports of each model, as X(model). */
#define VYK_JAVA_MODELS(X) X(Trevan) X(SolviPlus) X(Ulmar) X(PavikPlus) X(Quarn)

#define VYK_JAVA_DECLARE_TREVAN(result, word, params, args) VYK_API result Trevan_##word params;
#define VYK_JAVA_DECLARE_SOLVIPLUS(result, word, params, args)                                     \
    VYK_API result SolviPlus_##word params;
#define VYK_JAVA_DECLARE_ULMAR(result, word, params, args) VYK_API result Ulmar_##word params;
#define VYK_JAVA_DECLARE_PAVIKPLUS(result, word, params, args)                                     \
    VYK_API result PavikPlus_##word params;
#define VYK_JAVA_DECLARE_QUARN(result, word, params, args) VYK_API result Quarn_##word params;

VYK_JAVA_FEATURES_ALL(VYK_JAVA_DECLARE_TREVAN)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_DECLARE_TREVAN)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_DECLARE_SOLVIPLUS)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_DECLARE_SOLVIPLUS)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_DECLARE_ULMAR)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_DECLARE_PAVIKPLUS)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_DECLARE_PAVIKPLUS)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_DECLARE_QUARN)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_DECLARE_QUARN)
VYK_JAVA_AUTONULLING(VYK_JAVA_DECLARE_PAVIKPLUS)
VYK_JAVA_AUTONULLING(VYK_JAVA_DECLARE_QUARN)

/* The coefficients record of the USB spectrometers (72 bytes: serial, four wavelength
 * coefficients, stray light, eight non-linearity coefficients, non-linearity order). */
struct CoefficientsRecord;

/* Common exports: coefficients, stored strings, identification, firmware. */
#define VYK_JAVA_DECLARE_COMMON(model)                                                             \
    VYK_API int32_t model##_GetCoefficients(struct CoefficientsRecord* record);                    \
    VYK_API int32_t model##_SetCoefficients(const struct CoefficientsRecord* record);              \
    VYK_API int32_t model##_Identify##model(int32_t deviceIndex, char* serial);                    \
    VYK_API int32_t model##_GetFirmwareVersion(char* text);                                        \
    VYK_API int32_t model##_SetStoredString(int32_t slot, const char* text);                       \
    VYK_API int32_t model##_GetStoredString(int32_t slot, char* text);                             \
    VYK_API int32_t VYK_IdentifyAll##model(JavaDeviceSlot* list);
VYK_JAVA_MODELS(VYK_JAVA_DECLARE_COMMON)

/* Ulmar's own features. */
VYK_API double Ulmar_GetMainBoardTemperature(void);
VYK_API double Ulmar_GetDetectorBoardTemperature(void);
VYK_API double Ulmar_GetTECTemperature(void);
VYK_API int32_t Ulmar_SetFanEnable(int32_t flag);
VYK_API int32_t Ulmar_SetTECEnable(int32_t flag);
VYK_API int32_t Ulmar_SetTECSetPoint(double celsius);

/* Quarn's own features; the O2 probe coefficients are 17 floats. */
VYK_API double Quarn_GetExternalTemperatureCelsius(void);
VYK_API float Quarn_GetTemperatureCoefficient(int32_t index);
VYK_API int32_t Quarn_SetTemperatureCoefficients(float first, float second);
VYK_API int32_t Quarn_GetO2ProbeCalibrationCoefficients(float* coefficients);
VYK_API int32_t Quarn_SetO2ProbeCalibrationCoefficients(const float* coefficients);
VYK_API int32_t Quarn_GetMavrinModulation(void);
VYK_API int32_t Quarn_SetMavrinModulation(int32_t value);
VYK_API int32_t Quarn_SetMavrinDa(int32_t value);
/* 1 lamp on, 0 off; other values: 0 without sending. */
VYK_API int32_t Quarn_Norrel_LampEnable(int32_t flag);

#endif
