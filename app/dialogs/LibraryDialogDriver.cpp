#include "app/dialogs/LibraryDialogDriver.h"

#include "app/shell/DriverApi.h"
#include "app/shell/DriverLibrary.h"
#include "app/spectrum/SpectrumViewHost.h"

namespace app::dialogs {

LibraryDialogDriver::LibraryDialogDriver(DriverApi& driver, SpectrumViewDriver& viewDriver)
    : m_driver(driver), m_viewDriver(viewDriver), m_library(dynamic_cast<DriverLibrary*>(&driver))
{}

template <typename R, typename... Args>
R LibraryDialogDriver::callExport(const char* name, R fallback, Args... args)
{
    if (m_library == nullptr)
        return fallback;
    void* address = m_library->symbol(name);
    if (address == nullptr)
        return fallback;
    return reinterpret_cast<R (*)(Args...)>(address)(args...);
}

int32_t LibraryDialogDriver::VYK_GetIntegrationTime()
{
    return m_driver.VYK_GetIntegrationTime();
}

std::string LibraryDialogDriver::VYK_GetCurrentUSBSerialNumber()
{
    return m_driver.VYK_GetCurrentUSBSerialNumber();
}

int16_t LibraryDialogDriver::VYK_SetCurrentUSBSerialNumber(const std::string& serial)
{
    return m_driver.VYK_SetCurrentUSBSerialNumber(serial);
}

int32_t LibraryDialogDriver::identify(const char* exportName, int32_t deviceIndex,
                                      std::string& serial)
{
    if (exportName == nullptr || deviceIndex < 0 || deviceIndex > 31)
        return 0;
    // Room beyond any serial a driver writes; the text is cut at its terminator.
    char text[256] = {};
    const int32_t result = callExport<int32_t>(exportName, 0, deviceIndex, text);
    text[sizeof text - 1] = '\0';
    serial = text;
    return result;
}

int32_t LibraryDialogDriver::BrontelUSB_GetCoefficients(BrontelUSBCoefficientsRecord& record)
{
    return callExport<int32_t>("BrontelUSB_GetCoefficients", 0, &record);
}

int32_t LibraryDialogDriver::BrontelUSB_SetCoefficients(const BrontelUSBCoefficientsRecord& record)
{
    return callExport<int32_t>("BrontelUSB_SetCoefficients", 0, &record);
}

int16_t LibraryDialogDriver::Xandel_EnableCooler(int16_t enable)
{
    return m_viewDriver.Xandel_EnableCooler(enable);
}

int16_t LibraryDialogDriver::Xandel_EnableFan(int16_t enable)
{
    return m_viewDriver.Xandel_EnableFan(enable);
}

int16_t LibraryDialogDriver::Ulmar_SetFanEnable(int16_t enable)
{
    return m_viewDriver.Ulmar_SetFanEnable(enable);
}

int16_t LibraryDialogDriver::Ulmar_SetTECEnable(int16_t enable)
{
    return m_viewDriver.Ulmar_SetTECEnable(enable);
}

int32_t LibraryDialogDriver::Trevan_GetSingleStrobeHigh()
{
    return callExport<int32_t>("Trevan_GetSingleStrobeHigh", int32_t{0});
}

int32_t LibraryDialogDriver::Trevan_SetSingleStrobeHigh(int32_t count)
{
    return callExport<int32_t>("Trevan_SetSingleStrobeHigh", int32_t{0}, count);
}

int32_t LibraryDialogDriver::Trevan_GetSingleStrobeLow()
{
    return callExport<int32_t>("Trevan_GetSingleStrobeLow", int32_t{0});
}

int32_t LibraryDialogDriver::Trevan_SetSingleStrobeLow(int32_t count)
{
    return callExport<int32_t>("Trevan_SetSingleStrobeLow", int32_t{0}, count);
}

double LibraryDialogDriver::Trevan_GetSingleStrobeHighTime()
{
    return callExport<double>("Trevan_GetSingleStrobeHighTime", 0.0);
}

double LibraryDialogDriver::Trevan_GetSingleStrobeLowTime()
{
    return callExport<double>("Trevan_GetSingleStrobeLowTime", 0.0);
}

int32_t LibraryDialogDriver::Trevan_GetContinuousStrobeBase()
{
    return callExport<int32_t>("Trevan_GetContinuousStrobeBase", int32_t{0});
}

int32_t LibraryDialogDriver::Trevan_SetContinuousStrobeBase(int32_t divisor)
{
    return callExport<int32_t>("Trevan_SetContinuousStrobeBase", int32_t{0}, divisor);
}

int32_t LibraryDialogDriver::Trevan_GetContinuousStrobeClock()
{
    return callExport<int32_t>("Trevan_GetContinuousStrobeClock", int32_t{0});
}

int32_t LibraryDialogDriver::Trevan_SetContinuousStrobeClock(int32_t divisor)
{
    return callExport<int32_t>("Trevan_SetContinuousStrobeClock", int32_t{0}, divisor);
}

double LibraryDialogDriver::Trevan_GetContinuousStrobeBaseTime()
{
    return callExport<double>("Trevan_GetContinuousStrobeBaseTime", 0.0);
}

double LibraryDialogDriver::Trevan_GetContinuousStrobeTime()
{
    return callExport<double>("Trevan_GetContinuousStrobeTime", 0.0);
}

int32_t LibraryDialogDriver::Trevan_GetHardwareTriggerDelay()
{
    return callExport<int32_t>("Trevan_GetHardwareTriggerDelay", int32_t{0});
}

int32_t LibraryDialogDriver::Trevan_SetHardwareTriggerDelay(int32_t count)
{
    return callExport<int32_t>("Trevan_SetHardwareTriggerDelay", int32_t{0}, count);
}

double LibraryDialogDriver::Trevan_GetHardwareTriggerDelayTime()
{
    return callExport<double>("Trevan_GetHardwareTriggerDelayTime", 0.0);
}

int32_t LibraryDialogDriver::Trevan_GetGPIOPinMux(int32_t pin)
{
    return callExport<int32_t>("Trevan_GetGPIOPinMux", int32_t{0}, pin);
}

int32_t LibraryDialogDriver::Trevan_SetGPIOMuxAlt(int32_t pin)
{
    return callExport<int32_t>("Trevan_SetGPIOMuxAlt", int32_t{0}, pin);
}

int32_t LibraryDialogDriver::Trevan_SetGPIOMuxReg(int32_t pin)
{
    return callExport<int32_t>("Trevan_SetGPIOMuxReg", int32_t{0}, pin);
}

int16_t LibraryDialogDriver::Trevan_GetGPIOPinIO(int32_t pin)
{
    return callExport<int16_t>("Trevan_GetGPIOPinIO", int16_t{0}, pin);
}

int32_t LibraryDialogDriver::Trevan_SetGPIOPinOutput(int32_t pin)
{
    return callExport<int32_t>("Trevan_SetGPIOPinOutput", int32_t{0}, pin);
}

int32_t LibraryDialogDriver::Trevan_SetGPIOPinInput(int32_t pin)
{
    return callExport<int32_t>("Trevan_SetGPIOPinInput", int32_t{0}, pin);
}

int16_t LibraryDialogDriver::Trevan_GetGPIOPinData(int32_t pin)
{
    return callExport<int16_t>("Trevan_GetGPIOPinData", int16_t{0}, pin);
}

int32_t LibraryDialogDriver::Trevan_SetGPIOPinData(int32_t pin, int32_t level)
{
    return callExport<int32_t>("Trevan_SetGPIOPinData", int32_t{0}, pin, level);
}

int16_t LibraryDialogDriver::Trevan_GetGPIODataReg()
{
    return callExport<int16_t>("Trevan_GetGPIODataReg", int16_t{0});
}

int32_t LibraryDialogDriver::Trevan_SetAnalogOutput(int32_t count)
{
    return callExport<int32_t>("Trevan_SetAnalogOutput", int32_t{0}, count);
}

int32_t LibraryDialogDriver::Trevan_ReadAnalogInput()
{
    return callExport<int32_t>("Trevan_ReadAnalogInput", int32_t{0});
}

} // namespace app::dialogs
