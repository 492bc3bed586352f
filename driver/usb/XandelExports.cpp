// The Xandel exports: identification, coefficients, stored strings, cooler, fan, gain,
// integration-time scalar, status and temperatures.

#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32.h"
#include "driver/usb/CoefficientSlots.h"
#include "driver/usb/InfoSlotText.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbTransport.h"
#include "driver/usb/XandelOperationSet.h"
#include "driver/usb/XandelProtocol.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <string>

namespace driver::usb {
namespace {

constexpr std::uint32_t kFirmwareTemperatures = 1002000; // 1.2.0
constexpr std::size_t kXandelFirmwareText = 32;

std::atomic<int> g_integrationScalar{0};

// Near-infrared calibrations may start at 0 nm; a first coefficient of 0 is unset.
bool xandelCalibrated(const CoefficientsRecord& record)
{
    return record.wavelength[0] >= 0.0f && record.wavelength[1] != 0.0f;
}

int xandelGetCoefficients(CoefficientsRecord* record)
{
    return readCoefficientSlots(record, xandelCalibrated);
}

int xandelSetCoefficients(const CoefficientsRecord* record)
{
    return writeCoefficientSlots(record);
}

int sendFlag(std::uint8_t command, int32_t flag)
{
    if (!deviceOk())
        return 0;
    const std::array<std::uint8_t, 2> bytes{command, static_cast<std::uint8_t>(flag != 0 ? 1 : 0)};
    return sendCommand(bytes) ? 1 : 0;
}

int getStatus(XandelStatus* status)
{
    if (!status || !deviceOk())
        return 0;
    const std::array<std::uint8_t, 2> command{xandel::kStatus, 0x00};
    std::array<std::uint8_t, xandel::kStatusReplyBytes> reply{};
    if (!query(command, reply))
        return 0;
    *status = xandel::decodeStatus(reply);
    return 1;
}

int xandelFirmwareText(char* text)
{
    if (!text)
        return 0;
    const int status = xandelOpenOnDemand();
    if (status >= 10 && status <= 13)
        return 0;
    if (!deviceOk() || deviceHandle() == kNoHandle) {
        copyBounded(text, kXandelFirmwareText, "Pavik not opened");
        return 1;
    }
    const auto descriptor = readStringDescriptor(deviceHandle(), 1, kXandelFirmwareText - 1);
    copyBounded(text, kXandelFirmwareText,
                descriptor ? *descriptor : std::string("Pavik not active"));
    return 1;
}

// The checks of the scalar, temperature and set-point exports.
bool temperatureReady()
{
    {
        auto& state = core::driverState();
        std::lock_guard lock(state.mutex);
        if (state.adcType != VYK_ADC_XANDEL)
            return false;
    }
    return deviceOk() && firmwareVersion() >= kFirmwareTemperatures;
}

int setIntegrationScalar(int32_t scalar)
{
    if (!temperatureReady())
        return 0;
    g_integrationScalar = scalar;
    const std::array<std::uint8_t, 2> bytes{xandel::kIntegrationScalar,
                                            static_cast<std::uint8_t>(scalar == 1 ? 1 : 0)};
    return sendCommand(bytes) ? 1 : 0;
}

std::optional<XandelTemperatureStatus> temperatures()
{
    if (!temperatureReady())
        return std::nullopt;
    const std::array<std::uint8_t, 2> command{xandel::kTemperatures, 0x00};
    std::array<std::uint8_t, xandel::kTemperatureReplyBytes> reply{};
    if (!query(command, reply))
        return std::nullopt;
    return xandel::decodeTemperatures(reply);
}

int setTecSetPoint(float celsius)
{
    if (!temperatureReady())
        return 0;
    return sendCommand(xandel::encodeSetPoint(celsius)) ? 1 : 0;
}

// A word of the temperature status in degrees Celsius; 0.0 when it cannot be read.
float temperatureWord(std::size_t word, bool isSigned)
{
    const auto t = temperatures();
    if (!t)
        return 0.0f;
    const std::uint16_t raw = t->words[word];
    const int tenths = isSigned ? static_cast<std::int16_t>(raw) : raw;
    return static_cast<float>(tenths) / 10.0f;
}

int xandelIdentify(int32_t deviceIndex, char* text, bool wessor)
{
    char found[16] = {};
    const int result = wessor ? identifyDevice(deviceIndex, found, wessorProductId(), "NOT Wessor")
                              : identifyDevice(deviceIndex, found, velkoProductId(), "NOT Velko");
    if (text)
        copyBounded(text, 16, found);
    return result;
}

} // namespace

void resetXandelExportState()
{
    g_integrationScalar = 0;
}

} // namespace driver::usb

using driver::core::guardExport;
namespace usb = driver::usb;

VYK_API int32_t Xandel_IdentifyWessor(int32_t deviceIndex, char* text)
{
    return guardExport<int32_t>("Xandel_IdentifyWessor", 0,
                                [&] { return usb::xandelIdentify(deviceIndex, text, true); });
}

VYK_API int32_t Xandel_IdentifyVelko(int32_t deviceIndex, char* text)
{
    return guardExport<int32_t>("Xandel_IdentifyVelko", 0,
                                [&] { return usb::xandelIdentify(deviceIndex, text, false); });
}

VYK_API int32_t Xandel_GetCoefficients(CoefficientsRecord* record)
{
    return guardExport<int32_t>("Xandel_GetCoefficients", 0,
                                [&] { return usb::xandelGetCoefficients(record); });
}

VYK_API int32_t Xandel_SetCoefficients(const CoefficientsRecord* record)
{
    return guardExport<int32_t>("Xandel_SetCoefficients", 0,
                                [&] { return usb::xandelSetCoefficients(record); });
}

VYK_API int32_t Xandel_SetStoredString(int32_t slot, const char* text)
{
    return guardExport<int32_t>("Xandel_SetStoredString", 0,
                                [&] { return usb::writeStoredStringSlot(slot, text); });
}

VYK_API int32_t Xandel_GetStoredString(int32_t slot, char* text)
{
    return guardExport<int32_t>("Xandel_GetStoredString", 0,
                                [&] { return usb::readStoredStringSlot(slot, text); });
}

VYK_API int32_t Xandel_EnableCooler(int32_t flag)
{
    return guardExport<int32_t>("Xandel_EnableCooler", 0,
                                [&] { return usb::sendFlag(usb::xandel::kCooler, flag); });
}

VYK_API int32_t Xandel_EnableHighGain(int32_t flag)
{
    return guardExport<int32_t>("Xandel_EnableHighGain", 0,
                                [&] { return usb::sendFlag(usb::xandel::kHighGain, flag); });
}

VYK_API int32_t Xandel_EnableFan(int32_t flag)
{
    return guardExport<int32_t>("Xandel_EnableFan", 0,
                                [&] { return usb::sendFlag(usb::xandel::kFan, flag); });
}

VYK_API int32_t Xandel_GetStatus(XandelStatus* status)
{
    return guardExport<int32_t>("Xandel_GetStatus", 0, [&] { return usb::getStatus(status); });
}

VYK_API int32_t Xandel_GetFirmwareVersion(char* text)
{
    return guardExport<int32_t>("Xandel_GetFirmwareVersion", 0,
                                [&] { return usb::xandelFirmwareText(text); });
}

VYK_API int32_t Xandel_SetIntegrationTimeScalar(int32_t scalar)
{
    return guardExport<int32_t>("Xandel_SetIntegrationTimeScalar", 0,
                                [&] { return usb::setIntegrationScalar(scalar); });
}

VYK_API int32_t Xandel_GetIntegrationTimeScalar(void)
{
    return guardExport<int32_t>("Xandel_GetIntegrationTimeScalar", 0,
                                [] { return usb::g_integrationScalar.load(); });
}

VYK_API int32_t Xandel_GetTemperatureStatus(XandelTemperatureStatus* status)
{
    return guardExport<int32_t>("Xandel_GetTemperatureStatus", 0, [&]() -> int32_t {
        if (!status)
            return 0;
        const auto t = usb::temperatures();
        if (!t)
            return 0;
        *status = *t;
        return 1;
    });
}

VYK_API int32_t Xandel_SetTECSetPoint(float celsius)
{
    return guardExport<int32_t>("Xandel_SetTECSetPoint", 0,
                                [&] { return usb::setTecSetPoint(celsius); });
}

VYK_API float Xandel_GetTECSetPoint(void)
{
    return guardExport<float>("Xandel_GetTECSetPoint", 0.0f,
                              [] { return usb::temperatureWord(3, true); });
}

VYK_API float Xandel_GetTECTemperature(void)
{
    return guardExport<float>("Xandel_GetTECTemperature", 0.0f,
                              [] { return usb::temperatureWord(1, true); });
}

VYK_API float Xandel_GetBoardTemperature(void)
{
    return guardExport<float>("Xandel_GetBoardTemperature", 0.0f,
                              [] { return usb::temperatureWord(0, false); });
}
