#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace driver::java {

// Which driver classes bind a method.
enum class JavaBinding
{
    All,      // every driver class
    Ulmar,    // only the Ulmar class
    NotUlmar, // every class but the Ulmar class
};

// The Java methods the library calls, in binding order.
enum class JavaMethod : int
{
    openSpectrometer,
    setIntegrationTime,
    setStrobeEnableFlag, // setStrobeEnable (Z)V
    setContinuousStrobeClock,
    setExternalTriggerMode,
    setSpectrometerChannel,
    scan,
    getAccumulator,
    closeSpectrometer,
    getCoefficient,
    setCoefficient,
    getSerialNumber,
    sendData,
    getData,
    getStringDescriptor,
    getDeviceIndex,
    setPowerDown,
    setI2C,
    getI2C,
    setSPI,
    getSPI,
    setPSOC,
    getPSOC,
    getPSOCVersion,
    setFPGA,
    getFPGA,
    setMasterClockDivisor,
    getMasterClockDivisor,
    getFPGAFirmware,
    setContinuousStrobeBase,
    getContinuousStrobeBase,
    setContinuousStrobeClockFeature, // the same method, bound a second time
    getContinuousStrobeClock,
    setIntegrationTimeBaseClock,
    getIntegrationTimeBaseClock,
    setIntegrationClockTimer,
    getIntegrationClockTimer,
    setShutterClock,
    getShutterClock,
    setSingleStrobeHigh,
    getSingleStrobeHigh,
    setSingleStrobeLow,
    getSingleStrobeLow,
    getStrobeEnable,
    setStrobeEnable, // setStrobeEnable (I)V
    getGPIOMux,
    setGPIOMux,
    setGPIOMuxReg,
    setGPIOMuxAlt,
    getGPIOPinMux,
    getGPIOIO,
    setGPIOIO,
    getGPIOPinIO,
    setGPIOPinIO,
    setGPIOPinOutput,
    setGPIOPinInput,
    setGPIODataReg,
    getGPIODataReg,
    setGPIOPinData,
    getGPIOPinData,
    getLastAutonullingStatusValue,
    getLastAutonullingDarkValue,
    getAutonullingSaturationValue,
    getExternalTemperatureCelsius,
    getTemperatureCoefficient,
    setTemperatureCoefficients,
    getO2ProbeCalibrationCoefficients,
    setO2ProbeCalibrationCoefficients,
    getMavrinModulation,
    setMavrinModulation,
    setMavrinDa,
    getMainBoardTemperature,
    getDetectorBoardTemperature,
    setFanEnable,
    setTECEnable,
    setTECSetPoint,
    getTECTemperature,
    getBoardTemperature,
    setHardwareTriggerDelay,
    getHardwareTriggerDelay,
    setHarewareTriggerMode,
    getHardwareTriggerMode,
    count_
};

inline constexpr int kJavaMethodCount = static_cast<int>(JavaMethod::count_);

// One row of the method table: the Java name and JNI signature, and who binds it.
struct JavaMethodRow
{
    JavaMethod method;
    const char* name;
    const char* signature;
    JavaBinding binding;
    bool virtualCall; // called as an ordinary method rather than non-virtually
};

// The method table in binding order (row i describes JavaMethod i).
std::span<const JavaMethodRow> javaMethodRows();
const JavaMethodRow& javaMethodRow(JavaMethod method);
// Whether the class (by its path) binds the method.
bool classBindsMethod(std::string_view classPath, JavaMethod method);
bool isUlmarClass(std::string_view classPath);

// One argument of a call. The method's signature says which field is used.
struct JavaArg
{
    std::int64_t integer = 0; // I, S, B, Z
    double real = 0.0;        // D, F
    std::string_view text;    // Ljava/lang/String;
    std::span<const std::uint8_t> bytes;
    std::span<const double> doubles;
};

inline JavaArg argInt(std::int64_t value)
{
    JavaArg arg;
    arg.integer = value;
    return arg;
}
inline JavaArg argReal(double value)
{
    JavaArg arg;
    arg.real = value;
    return arg;
}
inline JavaArg argText(std::string_view text)
{
    JavaArg arg;
    arg.text = text;
    return arg;
}
inline JavaArg argBytes(std::span<const std::uint8_t> bytes)
{
    JavaArg arg;
    arg.bytes = bytes;
    return arg;
}
inline JavaArg argDoubles(std::span<const double> doubles)
{
    JavaArg arg;
    arg.doubles = doubles;
    return arg;
}

// The result of a call; the method's return type says which field holds it.
struct JavaValue
{
    std::int64_t integer = 0; // I, S, B, Z
    double real = 0.0;        // D, F
    bool isNull = false;      // a null String or array
    std::string text;
    std::vector<std::uint8_t> bytes;
    std::vector<double> doubles;
};

} // namespace driver::java
