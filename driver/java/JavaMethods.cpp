#include "driver/java/JavaMethods.h"

namespace driver::java {
namespace {

using B = JavaBinding;
using M = JavaMethod;

constexpr JavaMethodRow kJavaMethodRows[] = {
    {M::openSpectrometer, "openSpectrometer", "(I)I", B::All, false},
    {M::setIntegrationTime, "setIntegrationTime", "(I)V", B::All, false},
    {M::setStrobeEnableFlag, "setStrobeEnable", "(Z)V", B::All, false},
    {M::setContinuousStrobeClock, "setContinuousStrobeClock", "(I)V", B::All, false},
    {M::setExternalTriggerMode, "setExternalTriggerMode", "(I)V", B::All, false},
    {M::setSpectrometerChannel, "setSpectrometerChannel", "(S)V", B::All, false},
    {M::scan, "scan", "(I)V", B::All, false},
    {M::getAccumulator, "getAccumulator", "()[D", B::All, false},
    {M::closeSpectrometer, "closeSpectrometer", "()V", B::All, false},
    {M::getCoefficient, "getCoefficient", "(I)Ljava/lang/String;", B::All, false},
    {M::setCoefficient, "setCoefficient", "(ILjava/lang/String;)V", B::All, false},
    {M::getSerialNumber, "getSerialNumber", "()Ljava/lang/String;", B::All, false},
    {M::sendData, "sendData", "(I[BI)I", B::All, false},
    {M::getData, "getData", "(I[BI)I", B::All, false},
    {M::getStringDescriptor, "getStringDescriptor", "(I)Ljava/lang/String;", B::All, false},
    {M::getDeviceIndex, "getDeviceIndex", "()I", B::All, false},
    {M::setPowerDown, "setPowerDown", "(Z)V", B::All, false},
    {M::setI2C, "setI2C", "(BB[B)I", B::All, false},
    {M::getI2C, "getI2C", "(BB)[B", B::All, false},
    {M::setSPI, "setSPI", "(I[B)V", B::All, false},
    {M::getSPI, "getSPI", "(I)[B", B::All, false},
    {M::setPSOC, "setPSOC", "(I)V", B::All, false},
    {M::getPSOC, "getPSOC", "()I", B::All, false},
    {M::getPSOCVersion, "getPSOCVersion", "()Ljava/lang/String;", B::All, false},
    {M::setFPGA, "setFPGA", "(BI)V", B::All, false},
    {M::getFPGA, "getFPGA", "(B)I", B::All, false},
    {M::setMasterClockDivisor, "setMasterClockDivisor", "(I)V", B::All, false},
    {M::getMasterClockDivisor, "getMasterClockDivisor", "()I", B::All, false},
    {M::getFPGAFirmware, "getFPGAFirmware", "()Ljava/lang/String;", B::All, false},
    {M::setContinuousStrobeBase, "setContinuousStrobeBase", "(I)V", B::All, false},
    {M::getContinuousStrobeBase, "getContinuousStrobeBase", "()I", B::All, false},
    {M::setContinuousStrobeClockFeature, "setContinuousStrobeClock", "(I)V", B::All, false},
    {M::getContinuousStrobeClock, "getContinuousStrobeClock", "()I", B::All, false},
    {M::setIntegrationTimeBaseClock, "setIntegrationTimeBaseClock", "(I)V", B::All, false},
    {M::getIntegrationTimeBaseClock, "getIntegrationTimeBaseClock", "()I", B::All, false},
    {M::setIntegrationClockTimer, "setIntegrationClockTimer", "(I)V", B::All, false},
    {M::getIntegrationClockTimer, "getIntegrationClockTimer", "()I", B::All, false},
    {M::setShutterClock, "setShutterClock", "(I)V", B::All, false},
    {M::getShutterClock, "getShutterClock", "()I", B::All, false},
    {M::setSingleStrobeHigh, "setSingleStrobeHigh", "(I)V", B::All, false},
    {M::getSingleStrobeHigh, "getSingleStrobeHigh", "()I", B::All, false},
    {M::setSingleStrobeLow, "setSingleStrobeLow", "(I)V", B::All, false},
    {M::getSingleStrobeLow, "getSingleStrobeLow", "()I", B::All, false},
    {M::getStrobeEnable, "getStrobeEnable", "()I", B::All, false},
    {M::setStrobeEnable, "setStrobeEnable", "(I)V", B::All, false},
    {M::getGPIOMux, "getGPIOMux", "()S", B::All, false},
    {M::setGPIOMux, "setGPIOMux", "(I)V", B::All, false},
    {M::setGPIOMuxReg, "setGPIOMuxReg", "(I)V", B::All, false},
    {M::setGPIOMuxAlt, "setGPIOMuxAlt", "(I)V", B::All, false},
    {M::getGPIOPinMux, "getGPIOPinMux", "(I)I", B::All, false},
    {M::getGPIOIO, "getGPIOIO", "()S", B::All, false},
    {M::setGPIOIO, "setGPIOIO", "(I)V", B::All, false},
    {M::getGPIOPinIO, "getGPIOPinIO", "(I)S", B::All, false},
    {M::setGPIOPinIO, "setGPIOPinIO", "(II)V", B::All, false},
    {M::setGPIOPinOutput, "setGPIOPinOutput", "(I)V", B::All, false},
    {M::setGPIOPinInput, "setGPIOPinInput", "(I)V", B::All, false},
    {M::setGPIODataReg, "setGPIODataReg", "(I)V", B::All, false},
    {M::getGPIODataReg, "getGPIODataReg", "()S", B::All, false},
    {M::setGPIOPinData, "setGPIOPinData", "(II)V", B::All, false},
    {M::getGPIOPinData, "getGPIOPinData", "(I)S", B::All, false},
    {M::getLastAutonullingStatusValue, "getLastAutonullingStatusValue", "()I", B::All, true},
    {M::getLastAutonullingDarkValue, "getLastAutonullingDarkValue", "()I", B::All, true},
    {M::getAutonullingSaturationValue, "getAutonullingSaturationValue", "()D", B::All, true},
    {M::getExternalTemperatureCelsius, "getExternalTemperatureCelsius", "()D", B::All, false},
    {M::getTemperatureCoefficient, "getTemperatureCoefficient", "(I)F", B::All, false},
    {M::setTemperatureCoefficients, "setTemperatureCoefficients", "(FF)V", B::All, false},
    {M::getO2ProbeCalibrationCoefficients, "getO2ProbeCalibrationCoefficients", "()[D", B::All,
     false},
    {M::setO2ProbeCalibrationCoefficients, "setO2ProbeCalibrationCoefficients", "([D)V", B::All,
     false},
    {M::getMavrinModulation, "getMavrinModulation", "()I", B::All, false},
    {M::setMavrinModulation, "setMavrinModulation", "(I)V", B::All, false},
    {M::setMavrinDa, "setMavrinDa", "(I)V", B::All, false},
    {M::getMainBoardTemperature, "getMainBoardTemperature", "()D", B::Ulmar, false},
    {M::getDetectorBoardTemperature, "getDetectorBoardTemperature", "()D", B::Ulmar, false},
    {M::setFanEnable, "setFanEnable", "(Z)V", B::Ulmar, false},
    {M::setTECEnable, "setTECEnable", "(Z)V", B::Ulmar, false},
    {M::setTECSetPoint, "setTECSetPoint", "(D)V", B::Ulmar, false},
    {M::getTECTemperature, "getTECTemperature", "()D", B::Ulmar, false},
    {M::getBoardTemperature, "getBoardTemperature", "()D", B::NotUlmar, false},
    {M::setHardwareTriggerDelay, "setHardwareTriggerDelay", "(I)V", B::NotUlmar, false},
    {M::getHardwareTriggerDelay, "getHardwareTriggerDelay", "()I", B::NotUlmar, false},
    {M::setHarewareTriggerMode, "setHarewareTriggerMode", "(I)V", B::NotUlmar, false},
    {M::getHardwareTriggerMode, "getHardwareTriggerMode", "()I", B::NotUlmar, false},
};

static_assert(std::size(kJavaMethodRows) == static_cast<std::size_t>(kJavaMethodCount));

constexpr bool rowsInOrder()
{
    for (std::size_t i = 0; i < std::size(kJavaMethodRows); ++i) {
        if (static_cast<std::size_t>(kJavaMethodRows[i].method) != i)
            return false;
    }
    return true;
}
static_assert(rowsInOrder(), "the method table follows the JavaMethod order");

} // namespace

std::span<const JavaMethodRow> javaMethodRows()
{
    return kJavaMethodRows;
}

const JavaMethodRow& javaMethodRow(JavaMethod method)
{
    return kJavaMethodRows[static_cast<std::size_t>(method)];
}

bool isUlmarClass(std::string_view classPath)
{
    return classPath == "com/varnholt/tarnwick/ulmar/Ulmar";
}

bool classBindsMethod(std::string_view classPath, JavaMethod method)
{
    switch (javaMethodRow(method).binding) {
    case JavaBinding::All:
        return true;
    case JavaBinding::Ulmar:
        return isUlmarClass(classPath);
    case JavaBinding::NotUlmar:
        return !isUlmarClass(classPath);
    }
    return false;
}

} // namespace driver::java
