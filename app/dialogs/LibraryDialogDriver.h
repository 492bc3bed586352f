#pragma once

#include "app/dialogs/SpectrometerSheetNeighbours.h"

class DriverApi;
class DriverLibrary;
class SpectrumViewDriver;

namespace app::dialogs {

// The dialogs' driver calls on the program's driver binding: the USB serial and integration
// calls through DriverApi, the cooler and fan through the view's driver, and the rest
// (identify, BrontelUSB coefficients, the Trevan family) looked up by name in the bound
// library. On another binding (a test's) the looked-up calls answer 0. GUI thread.
class LibraryDialogDriver : public DialogDriver
{
public:
    LibraryDialogDriver(DriverApi& driver, SpectrumViewDriver& viewDriver);

    int32_t VYK_GetIntegrationTime() override;
    std::string VYK_GetCurrentUSBSerialNumber() override;
    int16_t VYK_SetCurrentUSBSerialNumber(const std::string& serial) override;
    int32_t identify(const char* exportName, int32_t deviceIndex, std::string& serial) override;
    int32_t BrontelUSB_GetCoefficients(BrontelUSBCoefficientsRecord& record) override;
    int32_t BrontelUSB_SetCoefficients(const BrontelUSBCoefficientsRecord& record) override;
    int16_t Xandel_EnableCooler(int16_t enable) override;
    int16_t Xandel_EnableFan(int16_t enable) override;
    int16_t Ulmar_SetFanEnable(int16_t enable) override;
    int16_t Ulmar_SetTECEnable(int16_t enable) override;
    int32_t Trevan_GetSingleStrobeHigh() override;
    int32_t Trevan_SetSingleStrobeHigh(int32_t count) override;
    int32_t Trevan_GetSingleStrobeLow() override;
    int32_t Trevan_SetSingleStrobeLow(int32_t count) override;
    double Trevan_GetSingleStrobeHighTime() override;
    double Trevan_GetSingleStrobeLowTime() override;
    int32_t Trevan_GetContinuousStrobeBase() override;
    int32_t Trevan_SetContinuousStrobeBase(int32_t divisor) override;
    int32_t Trevan_GetContinuousStrobeClock() override;
    int32_t Trevan_SetContinuousStrobeClock(int32_t divisor) override;
    double Trevan_GetContinuousStrobeBaseTime() override;
    double Trevan_GetContinuousStrobeTime() override;
    int32_t Trevan_GetHardwareTriggerDelay() override;
    int32_t Trevan_SetHardwareTriggerDelay(int32_t count) override;
    double Trevan_GetHardwareTriggerDelayTime() override;
    int32_t Trevan_GetGPIOPinMux(int32_t pin) override;
    int32_t Trevan_SetGPIOMuxAlt(int32_t pin) override;
    int32_t Trevan_SetGPIOMuxReg(int32_t pin) override;
    int16_t Trevan_GetGPIOPinIO(int32_t pin) override;
    int32_t Trevan_SetGPIOPinOutput(int32_t pin) override;
    int32_t Trevan_SetGPIOPinInput(int32_t pin) override;
    int16_t Trevan_GetGPIOPinData(int32_t pin) override;
    int32_t Trevan_SetGPIOPinData(int32_t pin, int32_t level) override;
    int16_t Trevan_GetGPIODataReg() override;
    int32_t Trevan_SetAnalogOutput(int32_t count) override;
    int32_t Trevan_ReadAnalogInput() override;

private:
    // Calls the library's export `name` as R(Args...), or answers fallback without it.
    template <typename R, typename... Args>
    R callExport(const char* name, R fallback, Args... args);

    DriverApi& m_driver;
    SpectrumViewDriver& m_viewDriver;
    DriverLibrary* m_library;
};

} // namespace app::dialogs
