// The configuration exports: VYK_ConfigEx, the getters and setters of the configuration,
// VYK_GetIntegrationTime, VYK_GetDriverVersion and VYK_GetScanTimes.
#include "driver/core/DriverConfig.h"
#include "driver/core/DriverStartup.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/core/NoHardwareOperationSet.h"

#include <algorithm>
#include <cstring>

namespace driver::core {
namespace {

int16_t configureEx(int16_t spectrometerType, int16_t adcType, int16_t irq, int16_t baseAddress,
                    int16_t serialPort, int16_t pciCardId)
{
    if (spectrometerType == 0 && adcType == 0 && irq == 0 && baseAddress == 0 && serialPort == 0 &&
        pciCardId == 0)
        return ShowSetupDialog(true);
    DriverState& state = driverState();
    {
        std::lock_guard lock(state.mutex);
        state.spectrometerType = static_cast<std::uint16_t>(spectrometerType);
        const auto adc = static_cast<std::uint16_t>(adcType);
        // The Java-driven models keep their open device: no reconnection for the same type.
        if ((state.adcType == VYK_ADC_TREVAN || state.adcType == VYK_ADC_SOLVIPLUS ||
             state.adcType == VYK_ADC_ULMARADC) &&
            state.adcType == adc)
            return static_cast<int16_t>(adc);
        state.adcType = adc == 3 || adc == 5 ? std::uint16_t{VYK_ADC_SERIAL} : adc;
        if (irq >= 1 && irq <= 15)
            state.irq = irq;
        if ((baseAddress & 0xF) == 0)
            state.baseAddress = static_cast<std::uint16_t>(baseAddress);
        if (serialPort >= 1 && serialPort <= 16)
            state.serialPort = serialPort;
        if (pciCardId >= 0 && pciCardId <= 15)
            state.pciCardId = pciCardId;
        state.reopen = true;
    }
    return ShowSetupDialog(false);
}

template <class Result, class Read> Result readState(const char* name, Read&& read)
{
    return guardExport<Result>(name, Result{}, [&] {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        return static_cast<Result>(read(state));
    });
}

template <class Write> void writeState(const char* name, Write&& write)
{
    guardExportVoid(name, [&] {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        write(state);
    });
}

int16_t driverVersion(char* buffer, int32_t length)
{
    if (!buffer || length <= 0)
        return 0;
    std::memset(buffer, 0, static_cast<std::size_t>(length));
    const std::string version = libraryVersionText("FileVersion");
    if (version.empty())
        return 0;
    const std::size_t copy = std::min(version.size(), static_cast<std::size_t>(length - 1));
    std::memcpy(buffer, version.data(), copy);
    return 1;
}

} // namespace
} // namespace driver::core

using driver::core::DriverState;
using driver::core::guardExport;
using driver::core::readState;
using driver::core::writeState;

VYK_API int16_t VYK_ConfigEx(int16_t spectrometerType, int16_t adcType, int16_t irq,
                             int16_t baseAddress, int16_t serialPort, int16_t pciCardId)
{
    return guardExport<int16_t>("VYK_ConfigEx", 0, [&] {
        return driver::core::configureEx(spectrometerType, adcType, irq, baseAddress, serialPort,
                                         pciCardId);
    });
}

VYK_API uint16_t VYK_GetSpectrometerType(void)
{
    return readState<uint16_t>("VYK_GetSpectrometerType",
                               [](DriverState& s) { return s.spectrometerType; });
}

VYK_API uint16_t VYK_GetADCType(void)
{
    return readState<uint16_t>("VYK_GetADCType", [](DriverState& s) { return s.adcType; });
}

VYK_API int16_t VYK_GetBaseAddress(void)
{
    return readState<int16_t>("VYK_GetBaseAddress", [](DriverState& s) { return s.baseAddress; });
}

VYK_API int16_t VYK_GetIRQ(void)
{
    return readState<int16_t>("VYK_GetIRQ", [](DriverState& s) { return s.irq; });
}

VYK_API int16_t VYK_GetSerialPort(void)
{
    return readState<int16_t>("VYK_GetSerialPort", [](DriverState& s) { return s.serialPort; });
}

VYK_API int16_t VYK_GetPCICardID(void)
{
    return readState<int16_t>("VYK_GetPCICardID", [](DriverState& s) { return s.pciCardId; });
}

VYK_API int16_t VYK_GetNIDAQCardID(void)
{
    return readState<int16_t>("VYK_GetNIDAQCardID", [](DriverState& s) { return s.daqCardId; });
}

VYK_API int32_t VYK_GetTrigTimeout(void)
{
    return readState<int32_t>("VYK_GetTrigTimeout", [](DriverState& s) { return s.trigTimeoutMs; });
}

VYK_API void VYK_SetTrigTimeout(int32_t timeoutMs)
{
    writeState("VYK_SetTrigTimeout", [&](DriverState& s) { s.trigTimeoutMs = timeoutMs; });
}

VYK_API void VYK_EnableDriverMessages(int16_t enable)
{
    writeState("VYK_EnableDriverMessages",
               [&](DriverState& s) { s.messagesEnabled = enable != 0; });
}

VYK_API void VYK_SetAutonullingEnabled(int16_t enable)
{
    writeState("VYK_SetAutonullingEnabled",
               [&](DriverState& s) { s.autonullingEnabled = enable != 0; });
}

VYK_API int16_t VYK_GetAutonullingEnabled(void)
{
    return readState<int16_t>("VYK_GetAutonullingEnabled",
                              [](DriverState& s) { return s.autonullingEnabled ? 1 : 0; });
}

VYK_API int16_t VYK_GetNumberOfPixels(void)
{
    return readState<int16_t>("VYK_GetNumberOfPixels", [](DriverState& s) {
        return s.adcType == VYK_ADC_ULMARADC ? 1024 : s.pixelCount;
    });
}

VYK_API int32_t VYK_GetIntegrationTime(void)
{
    return readState<int32_t>("VYK_GetIntegrationTime", [](DriverState& s) {
        // The synthetic source has no converter clock: its exposure is the period itself.
        if (s.ops.StartChannel == driver::core::NoHardwareStartChannel)
            return static_cast<int32_t>(s.appliedPeriodMs);
        return driver::core::integrationTimeFor(s.spectrometerType, s.adcType, s.appliedPeriodMs);
    });
}

VYK_API int32_t VYK_GetMaximumScopeModeIntensity(void)
{
    return readState<int32_t>("VYK_GetMaximumScopeModeIntensity", [](DriverState& s) {
        return driver::core::maximumScopeModeIntensity(s.adcType);
    });
}

VYK_API int16_t VYK_GetDriverVersion(char* buffer, int32_t length)
{
    return guardExport<int16_t>("VYK_GetDriverVersion", 0,
                                [&] { return driver::core::driverVersion(buffer, length); });
}

VYK_API void VYK_GetScanTimes(uint32_t* times)
{
    driver::core::guardExportVoid("VYK_GetScanTimes", [&] {
        if (!times)
            return;
        DriverState& state = driver::core::driverState();
        std::lock_guard lock(state.mutex);
        std::memcpy(times, state.scanTimes.data(), sizeof(uint32_t) * state.scanTimes.size());
    });
}
