// The feature bodies of the Java-driven models, exported under the Trevan word, and the
// other models' names for them as aliases of the same bodies.
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace driver::java {
namespace {

// One count of the 48 MHz master clock, in seconds.
constexpr double kMasterClockSeconds = 1.0 / 48e6;
// The analog output: 0 to 511 counts over 0 to 5 V.
constexpr double kAnalogOutputCountsPerVolt = 102.4;
constexpr int kAnalogOutputMaxCount = 511;
// The analog input: one count is 5/8192 V.
constexpr double kAnalogInputVoltsPerCount = 5.0 / 8192.0;
constexpr int kO2Coefficients = 17;

bool trevanInRange(long long value, long long low, long long high)
{
    return value >= low && value <= high;
}

bool isPin(int pin)
{
    return trevanInRange(pin, 0, 9);
}

// A setter: wait for the scan, check, call; 1 when the call went through.
template <class Check>
int32_t setter(const char* name, JavaMethod method, Check check,
               std::initializer_list<JavaArg> args)
{
    return core::guardExport(name, int32_t{0}, [&]() -> int32_t {
        WaitWhileHardwareBusy();
        if (!check())
            return 0;
        return callJava(method, args) ? 1 : 0;
    });
}

int32_t setIn(const char* name, JavaMethod method, int32_t value, int32_t low, int32_t high)
{
    return setter(name, method, [&] { return trevanInRange(value, low, high); }, {argInt(value)});
}

// An integer getter: the Java result converted to the export's type, 0 on failure.
template <class Result>
Result getInteger(const char* name, JavaMethod method, std::initializer_list<JavaArg> args = {},
                  bool argumentsValid = true)
{
    return core::guardExport(name, Result{0}, [&]() -> Result {
        WaitWhileHardwareBusy();
        if (!argumentsValid)
            return 0;
        auto value = callJava(method, args);
        return value ? static_cast<Result>(value->integer) : Result{0};
    });
}

double getReal(const char* name, JavaMethod method, std::initializer_list<JavaArg> args = {})
{
    return core::guardExport(name, 0.0, [&]() -> double {
        WaitWhileHardwareBusy();
        auto value = callJava(method, args);
        return value ? value->real : 0.0;
    });
}

int32_t getText(const char* name, JavaMethod method, char* text)
{
    return core::guardExport(name, int32_t{0}, [&]() -> int32_t {
        WaitWhileHardwareBusy();
        if (!text)
            return 0;
        auto value = callJava(method);
        if (!value || value->isNull)
            return 0;
        copyText(value->text, text, VYK_JAVA_TEXT_BYTES);
        return 1;
    });
}

// Reads `count` bytes through a method that returns a Java byte array.
int32_t readBytes(const char* name, JavaMethod method, int count, std::uint8_t* buffer,
                  std::initializer_list<JavaArg> args)
{
    return core::guardExport(name, int32_t{0}, [&]() -> int32_t {
        WaitWhileHardwareBusy();
        if (count < 0 || (count > 0 && !buffer))
            return 0;
        auto value = callJava(method, args);
        if (!value)
            return 0;
        // Copy what the driver returned, at most the count the caller's buffer holds.
        const std::size_t n =
            std::min(static_cast<std::size_t>(count), value->isNull ? 0 : value->bytes.size());
        std::copy_n(value->bytes.begin(), n, buffer);
        return 1;
    });
}

} // namespace
} // namespace driver::java

using driver::java::argBytes;
using driver::java::argDoubles;
using driver::java::argInt;
using driver::java::argReal;
using driver::java::JavaMethod;
namespace dj = driver::java;

VYK_API double Trevan_GetBoardTemperature(void)
{
    return dj::getReal("Trevan_GetBoardTemperature", JavaMethod::getBoardTemperature);
}

VYK_API int32_t Trevan_SetPowerDown(int32_t flag)
{
    return dj::setter("Trevan_SetPowerDown", JavaMethod::setPowerDown, [] { return true; },
                      {argInt(flag & 0xFF)});
}

VYK_API int32_t Trevan_WriteI2C(uint8_t address, uint8_t count, const uint8_t* bytes)
{
    return driver::core::guardExport("Trevan_WriteI2C", int32_t{0}, [&]() -> int32_t {
        dj::WaitWhileHardwareBusy();
        if (count > 0 && !bytes)
            return 0;
        auto value =
            dj::callJava(JavaMethod::setI2C,
                         {argInt(static_cast<int8_t>(address)), argInt(static_cast<int8_t>(count)),
                          argBytes(std::span<const uint8_t>(bytes, count))});
        return value ? static_cast<int32_t>(value->integer) : 0;
    });
}

VYK_API int32_t Trevan_ReadI2C(uint8_t address, uint8_t count, uint8_t* buffer)
{
    return dj::readBytes(
        "Trevan_ReadI2C", JavaMethod::getI2C, count, buffer,
        {argInt(static_cast<int8_t>(address)), argInt(static_cast<int8_t>(count))});
}

VYK_API int32_t Trevan_WriteSPI(int32_t count, const uint8_t* bytes)
{
    const bool valid = count >= 0 && (count == 0 || bytes);
    const std::span<const uint8_t> data(bytes, valid ? static_cast<std::size_t>(count) : 0);
    return dj::setter("Trevan_WriteSPI", JavaMethod::setSPI, [&] { return valid; },
                      {argInt(count), argBytes(data)});
}

VYK_API int32_t Trevan_ReadSPI(int32_t count, uint8_t* buffer)
{
    return dj::readBytes("Trevan_ReadSPI", JavaMethod::getSPI, count, buffer, {argInt(count)});
}

VYK_API int32_t Trevan_ReadAnalogInput(void)
{
    return dj::getInteger<int32_t>("Trevan_ReadAnalogInput", JavaMethod::getPSOC);
}

VYK_API int32_t Trevan_SetAnalogOutput(int32_t count)
{
    return dj::setIn("Trevan_SetAnalogOutput", JavaMethod::setPSOC, count, 0,
                     dj::kAnalogOutputMaxCount);
}

VYK_API int32_t Trevan_SetAnalogOutputVoltage(double volts)
{
    if (!(volts >= 0.0 && volts <= 5.0))
        return driver::core::guardExport("Trevan_SetAnalogOutputVoltage", int32_t{0}, [] {
            dj::WaitWhileHardwareBusy();
            return int32_t{0};
        });
    // 5 V would be count 512, one past the top of the range: it sets the top count.
    const int count = std::min(static_cast<int>(volts * dj::kAnalogOutputCountsPerVolt),
                               dj::kAnalogOutputMaxCount);
    return Trevan_SetAnalogOutput(count);
}

VYK_API double Trevan_ReadAnalogInputVoltage(void)
{
    return Trevan_ReadAnalogInput() * dj::kAnalogInputVoltsPerCount;
}

VYK_API int32_t Trevan_GetPSOCVersion(char* text)
{
    return dj::getText("Trevan_GetPSOCVersion", JavaMethod::getPSOCVersion, text);
}

VYK_API int32_t Trevan_GetFPGAFirmwareVersion(char* text)
{
    return dj::getText("Trevan_GetFPGAFirmwareVersion", JavaMethod::getFPGAFirmware, text);
}

VYK_API int32_t Trevan_WriteFPGA(uint8_t reg, int32_t value)
{
    return dj::setter("Trevan_WriteFPGA", JavaMethod::setFPGA, [] { return true; },
                      {argInt(static_cast<int8_t>(reg)), argInt(value)});
}

VYK_API int32_t Trevan_ReadFPGA(uint8_t reg)
{
    return dj::getInteger<int32_t>("Trevan_ReadFPGA", JavaMethod::getFPGA,
                                   {argInt(static_cast<int8_t>(reg))});
}

#define VYK_JAVA_COUNT_PAIR(word, getMethod, setMethod, Result, high)                              \
    VYK_API Result Trevan_Get##word(void)                                                          \
    {                                                                                              \
        return dj::getInteger<Result>("Trevan_Get" #word, JavaMethod::getMethod);                  \
    }                                                                                              \
    VYK_API int32_t Trevan_Set##word(int32_t value)                                                \
    {                                                                                              \
        return dj::setIn("Trevan_Set" #word, JavaMethod::setMethod, value, 0, high);               \
    }

VYK_JAVA_COUNT_PAIR(MasterClockDivisor, getMasterClockDivisor, setMasterClockDivisor, int32_t,
                    65535)
VYK_JAVA_COUNT_PAIR(ContinuousStrobeBase, getContinuousStrobeBase, setContinuousStrobeBase, int32_t,
                    65535)
VYK_JAVA_COUNT_PAIR(ContinuousStrobeClock, getContinuousStrobeClock,
                    setContinuousStrobeClockFeature, int32_t, 65535)
VYK_JAVA_COUNT_PAIR(IntegrationTimeBaseClock, getIntegrationTimeBaseClock,
                    setIntegrationTimeBaseClock, int16_t, 4095)
VYK_JAVA_COUNT_PAIR(IntegrationClockTimer, getIntegrationClockTimer, setIntegrationClockTimer,
                    int32_t, 0x7FFFFFFF)
VYK_JAVA_COUNT_PAIR(ShutterClock, getShutterClock, setShutterClock, int32_t, 4095)
VYK_JAVA_COUNT_PAIR(HardwareTriggerDelay, getHardwareTriggerDelay, setHardwareTriggerDelay, int32_t,
                    65535)
VYK_JAVA_COUNT_PAIR(HardwareTriggerMode, getHardwareTriggerMode, setHarewareTriggerMode, int16_t, 2)
VYK_JAVA_COUNT_PAIR(SingleStrobeHigh, getSingleStrobeHigh, setSingleStrobeHigh, int32_t, 65535)
VYK_JAVA_COUNT_PAIR(SingleStrobeLow, getSingleStrobeLow, setSingleStrobeLow, int32_t, 65535)
VYK_JAVA_COUNT_PAIR(StrobeEnableFPGA, getStrobeEnable, setStrobeEnable, int16_t, 1)
VYK_JAVA_COUNT_PAIR(GPIOMux, getGPIOMux, setGPIOMux, int16_t, 1023)
VYK_JAVA_COUNT_PAIR(GPIODataReg, getGPIODataReg, setGPIODataReg, int16_t, 1)
#undef VYK_JAVA_COUNT_PAIR

VYK_API int32_t Trevan_SetGPIOMuxReg(int32_t value)
{
    return dj::setIn("Trevan_SetGPIOMuxReg", JavaMethod::setGPIOMuxReg, value, 0, 1023);
}

VYK_API int32_t Trevan_SetGPIOMuxAlt(int32_t value)
{
    return dj::setIn("Trevan_SetGPIOMuxAlt", JavaMethod::setGPIOMuxAlt, value, 0, 1023);
}

VYK_API int32_t Trevan_GetGPIOPinMux(int32_t pin)
{
    return dj::getInteger<int32_t>("Trevan_GetGPIOPinMux", JavaMethod::getGPIOPinMux, {argInt(pin)},
                                   dj::isPin(pin));
}

VYK_API int16_t Trevan_GetGPIOIO(void)
{
    return dj::getInteger<int16_t>("Trevan_GetGPIOIO", JavaMethod::getGPIOIO);
}

VYK_API int32_t Trevan_SetGPIOIO(int32_t value)
{
    return dj::setter("Trevan_SetGPIOIO", JavaMethod::setGPIOIO, [] { return true; },
                      {argInt(static_cast<int16_t>(value))});
}

VYK_API int16_t Trevan_GetGPIOPinIO(int32_t pin)
{
    return dj::getInteger<int16_t>("Trevan_GetGPIOPinIO", JavaMethod::getGPIOPinIO, {argInt(pin)},
                                   dj::isPin(pin));
}

VYK_API int32_t Trevan_SetGPIOPinIO(int32_t pin, int32_t direction)
{
    return dj::setter("Trevan_SetGPIOPinIO", JavaMethod::setGPIOPinIO,
                      [&] { return dj::isPin(pin) && dj::trevanInRange(direction, 0, 1); },
                      {argInt(pin), argInt(direction)});
}

VYK_API int32_t Trevan_SetGPIOPinOutput(int32_t pin)
{
    return dj::setIn("Trevan_SetGPIOPinOutput", JavaMethod::setGPIOPinOutput, pin, 0, 9);
}

VYK_API int32_t Trevan_SetGPIOPinInput(int32_t pin)
{
    return dj::setIn("Trevan_SetGPIOPinInput", JavaMethod::setGPIOPinInput, pin, 0, 9);
}

VYK_API int16_t Trevan_GetGPIOPinData(int32_t pin)
{
    return dj::getInteger<int16_t>("Trevan_GetGPIOPinData", JavaMethod::getGPIOPinData,
                                   {argInt(pin)}, dj::isPin(pin));
}

VYK_API int32_t Trevan_SetGPIOPinData(int32_t pin, int32_t level)
{
    return dj::setter("Trevan_SetGPIOPinData", JavaMethod::setGPIOPinData,
                      [&] { return dj::isPin(pin) && dj::trevanInRange(level, 0, 1); },
                      {argInt(pin), argInt(level)});
}

VYK_API double Trevan_GetMasterClockTime(void)
{
    return Trevan_GetMasterClockDivisor() * dj::kMasterClockSeconds;
}

VYK_API double Trevan_GetIntegrationClockTime(void)
{
    const double timer = Trevan_GetIntegrationClockTimer();
    return timer * Trevan_GetIntegrationTimeBaseClock() * dj::kMasterClockSeconds;
}

VYK_API double Trevan_GetContinuousStrobeBaseTime(void)
{
    return Trevan_GetContinuousStrobeBase() * dj::kMasterClockSeconds;
}

VYK_API double Trevan_GetContinuousStrobeTime(void)
{
    return Trevan_GetContinuousStrobeBaseTime() * Trevan_GetContinuousStrobeClock();
}

VYK_API double Trevan_GetHardwareTriggerDelayTime(void)
{
    return Trevan_GetHardwareTriggerDelay() * dj::kMasterClockSeconds;
}

VYK_API double Trevan_GetSingleStrobeHighTime(void)
{
    return Trevan_GetSingleStrobeHigh() * Trevan_GetMasterClockTime();
}

VYK_API double Trevan_GetSingleStrobeLowTime(void)
{
    return Trevan_GetSingleStrobeLow() * Trevan_GetMasterClockTime();
}

// Autonulling values of PavikPlus and Quarn.
VYK_API int32_t PavikPlus_GetLastAutonullingStatusValue(void)
{
    return dj::getInteger<int32_t>("PavikPlus_GetLastAutonullingStatusValue",
                                   JavaMethod::getLastAutonullingStatusValue);
}

VYK_API int32_t PavikPlus_GetLastAutonullingDarkValue(void)
{
    return dj::getInteger<int32_t>("PavikPlus_GetLastAutonullingDarkValue",
                                   JavaMethod::getLastAutonullingDarkValue);
}

VYK_API double PavikPlus_GetAutonullingSaturationValue(void)
{
    return dj::getReal("PavikPlus_GetAutonullingSaturationValue",
                       JavaMethod::getAutonullingSaturationValue);
}

// Ulmar's own features.
VYK_API double Ulmar_GetMainBoardTemperature(void)
{
    return dj::getReal("Ulmar_GetMainBoardTemperature", JavaMethod::getMainBoardTemperature);
}

VYK_API double Ulmar_GetDetectorBoardTemperature(void)
{
    return dj::getReal("Ulmar_GetDetectorBoardTemperature",
                       JavaMethod::getDetectorBoardTemperature);
}

VYK_API double Ulmar_GetTECTemperature(void)
{
    return dj::getReal("Ulmar_GetTECTemperature", JavaMethod::getTECTemperature);
}

VYK_API int32_t Ulmar_SetFanEnable(int32_t flag)
{
    return dj::setter("Ulmar_SetFanEnable", JavaMethod::setFanEnable, [] { return true; },
                      {argInt(flag & 0xFF)});
}

VYK_API int32_t Ulmar_SetTECEnable(int32_t flag)
{
    return dj::setter("Ulmar_SetTECEnable", JavaMethod::setTECEnable, [] { return true; },
                      {argInt(flag & 0xFF)});
}

VYK_API int32_t Ulmar_SetTECSetPoint(double celsius)
{
    return dj::setter("Ulmar_SetTECSetPoint", JavaMethod::setTECSetPoint,
                      [&] { return std::isfinite(celsius); }, {argReal(celsius)});
}

// Quarn's own features.
VYK_API double Quarn_GetExternalTemperatureCelsius(void)
{
    return dj::getReal("Quarn_GetExternalTemperatureCelsius",
                       JavaMethod::getExternalTemperatureCelsius);
}

VYK_API float Quarn_GetTemperatureCoefficient(int32_t index)
{
    return static_cast<float>(dj::getReal("Quarn_GetTemperatureCoefficient",
                                          JavaMethod::getTemperatureCoefficient, {argInt(index)}));
}

VYK_API int32_t Quarn_SetTemperatureCoefficients(float first, float second)
{
    return dj::setter("Quarn_SetTemperatureCoefficients", JavaMethod::setTemperatureCoefficients,
                      [] { return true; }, {argReal(first), argReal(second)});
}

VYK_API int32_t Quarn_GetO2ProbeCalibrationCoefficients(float* coefficients)
{
    return driver::core::guardExport(
        "Quarn_GetO2ProbeCalibrationCoefficients", int32_t{0}, [&]() -> int32_t {
            dj::WaitWhileHardwareBusy();
            if (!coefficients)
                return 0;
            auto value = dj::callJava(JavaMethod::getO2ProbeCalibrationCoefficients);
            if (!value || value->isNull)
                return 0;
            const std::size_t n = std::min<std::size_t>(dj::kO2Coefficients, value->doubles.size());
            std::fill_n(coefficients, dj::kO2Coefficients, 0.0f);
            for (std::size_t i = 0; i < n; ++i)
                coefficients[i] = static_cast<float>(value->doubles[i]);
            return 1;
        });
}

VYK_API int32_t Quarn_SetO2ProbeCalibrationCoefficients(const float* coefficients)
{
    double values[dj::kO2Coefficients] = {};
    if (coefficients) {
        for (int i = 0; i < dj::kO2Coefficients; ++i)
            values[i] = coefficients[i];
    }
    return dj::setter("Quarn_SetO2ProbeCalibrationCoefficients",
                      JavaMethod::setO2ProbeCalibrationCoefficients,
                      [&] { return coefficients != nullptr; }, {argDoubles(values)});
}

VYK_API int32_t Quarn_GetMavrinModulation(void)
{
    return dj::getInteger<int32_t>("Quarn_GetMavrinModulation", JavaMethod::getMavrinModulation);
}

VYK_API int32_t Quarn_SetMavrinModulation(int32_t value)
{
    return dj::setter("Quarn_SetMavrinModulation", JavaMethod::setMavrinModulation,
                      [] { return true; }, {argInt(value)});
}

VYK_API int32_t Quarn_SetMavrinDa(int32_t value)
{
    return dj::setter("Quarn_SetMavrinDa", JavaMethod::setMavrinDa, [] { return true; },
                      {argInt(value)});
}

// The other models' names: aliases of the bodies above, so each adds no check of its own.
#define VYK_JAVA_ALIAS(model, from, result, word, params)                                          \
    extern "C" __attribute__((visibility("default"))) result model##_##word params                 \
        __attribute__((alias(#from "_" #word)));
#define VYK_JAVA_ALIAS_SOLVIPLUS(result, word, params, args)                                       \
    VYK_JAVA_ALIAS(SolviPlus, Trevan, result, word, params)
#define VYK_JAVA_ALIAS_ULMAR(result, word, params, args)                                           \
    VYK_JAVA_ALIAS(Ulmar, Trevan, result, word, params)
#define VYK_JAVA_ALIAS_PAVIKPLUS(result, word, params, args)                                       \
    VYK_JAVA_ALIAS(PavikPlus, Trevan, result, word, params)
#define VYK_JAVA_ALIAS_QUARN(result, word, params, args)                                           \
    VYK_JAVA_ALIAS(Quarn, Trevan, result, word, params)
#define VYK_JAVA_ALIAS_QUARN_AUTONULLING(result, word, params, args)                               \
    VYK_JAVA_ALIAS(Quarn, PavikPlus, result, word, params)

VYK_JAVA_FEATURES_ALL(VYK_JAVA_ALIAS_SOLVIPLUS)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_ALIAS_SOLVIPLUS)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_ALIAS_ULMAR)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_ALIAS_PAVIKPLUS)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_ALIAS_PAVIKPLUS)
VYK_JAVA_FEATURES_ALL(VYK_JAVA_ALIAS_QUARN)
VYK_JAVA_FEATURES_NOT_ULMAR(VYK_JAVA_ALIAS_QUARN)
VYK_JAVA_AUTONULLING(VYK_JAVA_ALIAS_QUARN_AUTONULLING)
