// The exports that forward to the back-end of the connected A/D type (strobe, temperature,
// oxygen probe, light source), the USB device choice and the device lists. A type without
// the feature gets the export's neutral answer.
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/include/vykdrv32_brontelusb.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/include/vykdrv32_serial.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/include/vykdrv32_xandel.h"
#include "driver/java/JavaBridge.h"
#include "driver/java/JavaConnection.h"
#include "driver/java/JavaModels.h"
#include "driver/usb/PellarTransport.h"
#include "driver/usb/UsbConnection.h"
#include "driver/usb/UsbTransport.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace driver::core {
namespace {

// Device list of the IdentifyAll exports of the USB models (the Java-driven models have
// theirs with their back-end): 64 slots of a 32-bit found flag and a 32-byte
// serial string.
constexpr std::size_t kDeviceSlots = 64;
constexpr std::size_t kDeviceSlotBytes = 36;
constexpr std::size_t kDeviceListBytes = kDeviceSlots * kDeviceSlotBytes;

// Where the strobe enable of each A/D type goes.
enum class StrobeBackend
{
    EzUsb,     // the lamp command of Pavik, Solvi, BrontelUSB and Xandel
    SerialAdc, // the converter's strobe command
    Java,      // the Java driver's strobe flag
    Pellar,
    None,
};

StrobeBackend strobeBackend(std::uint16_t adcType)
{
    switch (adcType) {
    case VYK_ADC_PAVIK:
    case VYK_ADC_SOLVI:
    case VYK_ADC_BRONTELUSB:
    case VYK_ADC_XANDEL:
        return StrobeBackend::EzUsb;
    case VYK_ADC_SERIAL:
        return StrobeBackend::SerialAdc;
    case VYK_ADC_PELLAR:
        return StrobeBackend::Pellar;
    default:
        return java::javaModelForAdc(adcType) ? StrobeBackend::Java : StrobeBackend::None;
    }
}

// Where the temperature, oxygen-probe and Mavrin calls go: the Pavik's plug-in accessory
// (Pavik and Solvi), the Java driver (every Java-driven model but the Ulmar), or nowhere.
enum class AccessoryBackend
{
    Pavik,
    Java,
    None,
};

AccessoryBackend accessoryBackend()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    switch (state.adcType) {
    case VYK_ADC_PAVIK:
    case VYK_ADC_SOLVI:
        return AccessoryBackend::Pavik;
    case VYK_ADC_TREVAN:
    case VYK_ADC_SOLVIPLUS:
    case VYK_ADC_PAVIKPLUS:
    case VYK_ADC_QUARN:
        return AccessoryBackend::Java;
    default:
        return AccessoryBackend::None;
    }
}

int16_t setCurrentUsbSerial(const char* serial)
{
    if (!serial)
        return 0;
    DriverState& state = driverState();
    std::uint16_t adcType = 0;
    {
        std::lock_guard lock(state.mutex);
        if (*serial != '\0' && strcasecmp(serial, state.usbSerialNumber.c_str()) == 0)
            return 1;
        adcType = state.adcType;
    }
    if (const java::JavaModel* model = java::javaModelForAdc(adcType))
        return static_cast<int16_t>(java::setCurrentJavaSerialNumber(*model, serial));
    if (usb::isUsbAdcType(adcType))
        return static_cast<int16_t>(usb::setCurrentUsbSerialNumber(serial));
    // No back-end in this library knows a device of this type with that serial.
    return 0;
}

void getCurrentUsbSerial(char* buffer)
{
    if (!buffer)
        return;
    std::memset(buffer, 0, 16);
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    // The caller's buffer is known to hold 16 bytes; longer serials are cut to fit.
    const std::size_t copy = std::min<std::size_t>(state.usbSerialNumber.size(), 15);
    std::memcpy(buffer, state.usbSerialNumber.data(), copy);
}

// Asks device indices 0 to 63 through the model's identify call and packs the devices that
// answer as the model from slot 0: found flag 1, then the serial.
void identifyAll(void* list, int32_t (*identify)(int32_t, char*))
{
    if (!list)
        return;
    auto* slots = static_cast<unsigned char*>(list);
    std::memset(slots, 0, kDeviceListBytes);
    std::size_t next = 0;
    for (int32_t index = 0; index < static_cast<int32_t>(kDeviceSlots); ++index) {
        // The identify calls write at most 16 bytes, terminated.
        char serial[17] = {};
        if (identify(index, serial) != 1)
            continue;
        unsigned char* slot = slots + next * kDeviceSlotBytes;
        const int32_t found = 1;
        std::memcpy(slot, &found, sizeof found);
        std::memcpy(slot + sizeof found, serial, strnlen(serial, 16));
        ++next;
    }
}

} // namespace
} // namespace driver::core

using driver::core::guardExport;
using driver::core::guardExportVoid;

VYK_API int16_t VYK_StrobeEnable(int16_t flag)
{
    return guardExport<int16_t>("VYK_StrobeEnable", 0, [&]() -> int16_t {
        driver::core::DriverState& state = driver::core::driverState();
        std::uint16_t adcType = 0;
        {
            std::lock_guard lock(state.mutex);
            if (flag == 0 || flag == 1)
                state.strobeState = flag == 1;
            adcType = state.adcType;
        }
        switch (driver::core::strobeBackend(adcType)) {
        case driver::core::StrobeBackend::EzUsb:
            // The lamp command reaches an open device; the next open sends the state kept.
            return driver::usb::BulkWriteLampTarget(flag) ? 1 : 0;
        case driver::core::StrobeBackend::SerialAdc:
            return KAL_SetStrobeEnable(static_cast<uint16_t>(flag));
        case driver::core::StrobeBackend::Java:
            return static_cast<int16_t>(driver::java::JavaSetStrobeEnable(flag));
        case driver::core::StrobeBackend::Pellar:
            return static_cast<int16_t>(driver::usb::PellarStrobeEnable(
                driver::usb::pellarHandle(), static_cast<std::uint16_t>(flag)));
        case driver::core::StrobeBackend::None:
            break;
        }
        return int16_t{0};
    });
}

VYK_API int16_t VYK_IstrelStrobeEnable(int16_t flag)
{
    return VYK_StrobeEnable(flag);
}

VYK_API float VYK_GetExternalTemperatureCelsius(void)
{
    return guardExport<float>("VYK_GetExternalTemperatureCelsius", -1.0f, []() -> float {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return Pavik_GetTemperature();
        case driver::core::AccessoryBackend::Java:
            return static_cast<float>(Quarn_GetExternalTemperatureCelsius());
        case driver::core::AccessoryBackend::None:
            break;
        }
        return -1.0f;
    });
}

VYK_API int16_t VYK_GetTemperatureCoefficients(float* first, float* second)
{
    return guardExport<int16_t>("VYK_GetTemperatureCoefficients", 1, [&]() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return static_cast<int16_t>(Pavik_GetTemperatureCoefficients(first, second));
        case driver::core::AccessoryBackend::Java:
            // The Java driver answers each coefficient by its index; 0 tells they were read.
            if (!first || !second || !driver::java::IsJavaDriverLoaded())
                return 1;
            *first = Quarn_GetTemperatureCoefficient(0);
            *second = Quarn_GetTemperatureCoefficient(1);
            return 0;
        case driver::core::AccessoryBackend::None:
            break;
        }
        return 1;
    });
}

VYK_API int16_t VYK_SetTemperatureCoefficients(float first, float second)
{
    return guardExport<int16_t>("VYK_SetTemperatureCoefficients", 0, [&]() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            Pavik_SetTemperatureCoefficients(first, second);
            return 1;
        case driver::core::AccessoryBackend::Java:
            return static_cast<int16_t>(Quarn_SetTemperatureCoefficients(first, second));
        case driver::core::AccessoryBackend::None:
            break;
        }
        return 0;
    });
}

// The Pavik's accessory keeps 18 oxygen-probe coefficients, the Java driver 17.
VYK_API int16_t VYK_GetO2ProbeCalibrationCoefficients(float* coefficients)
{
    return guardExport<int16_t>("VYK_GetO2ProbeCalibrationCoefficients", 0, [&]() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return static_cast<int16_t>(Pavik_GetO2CalibrationCoefficients(coefficients));
        case driver::core::AccessoryBackend::Java:
            return static_cast<int16_t>(Quarn_GetO2ProbeCalibrationCoefficients(coefficients));
        case driver::core::AccessoryBackend::None:
            break;
        }
        return 0;
    });
}

VYK_API int16_t VYK_SetO2ProbeCalibrationCoefficients(const float* coefficients)
{
    return guardExport<int16_t>("VYK_SetO2ProbeCalibrationCoefficients", -1, [&]() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return static_cast<int16_t>(Pavik_SetO2CalibrationCoefficients(coefficients));
        case driver::core::AccessoryBackend::Java:
            return static_cast<int16_t>(Quarn_SetO2ProbeCalibrationCoefficients(coefficients));
        case driver::core::AccessoryBackend::None:
            break;
        }
        return -1;
    });
}

VYK_API int16_t VYK_GetMavrinModulation(void)
{
    return guardExport<int16_t>("VYK_GetMavrinModulation", 0, []() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return static_cast<int16_t>(Pavik_GetMavrinModulation());
        case driver::core::AccessoryBackend::Java:
            return static_cast<int16_t>(Quarn_GetMavrinModulation());
        case driver::core::AccessoryBackend::None:
            break;
        }
        return 0;
    });
}

VYK_API int16_t VYK_SetMavrinModulation(int16_t modulation)
{
    return guardExport<int16_t>("VYK_SetMavrinModulation", 0, [&]() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return static_cast<int16_t>(Pavik_SetMavrinModulation(modulation));
        case driver::core::AccessoryBackend::Java:
            return static_cast<int16_t>(Quarn_SetMavrinModulation(modulation));
        case driver::core::AccessoryBackend::None:
            break;
        }
        return 0;
    });
}

VYK_API int16_t VYK_SetMavrinDa(int16_t value)
{
    return guardExport<int16_t>("VYK_SetMavrinDa", -1, [&]() -> int16_t {
        switch (driver::core::accessoryBackend()) {
        case driver::core::AccessoryBackend::Pavik:
            return static_cast<int16_t>(Pavik_SetMavrinDA(value));
        case driver::core::AccessoryBackend::Java:
            return static_cast<int16_t>(Quarn_SetMavrinDa(value));
        case driver::core::AccessoryBackend::None:
            break;
        }
        return -1;
    });
}

VYK_API int16_t VYK_SetCurrentUSBSerialNumber(const char* serial)
{
    return guardExport<int16_t>("VYK_SetCurrentUSBSerialNumber", 0,
                                [&] { return driver::core::setCurrentUsbSerial(serial); });
}

VYK_API int16_t VYK_SetCurrentPavikSerialNumber(const char* serial)
{
    return VYK_SetCurrentUSBSerialNumber(serial);
}

VYK_API int16_t VYK_SetCurrentBrontelUSBSerialNumber(const char* serial)
{
    return VYK_SetCurrentUSBSerialNumber(serial);
}

VYK_API void VYK_GetCurrentUSBSerialNumber(char* buffer)
{
    guardExportVoid("VYK_GetCurrentUSBSerialNumber",
                    [&] { driver::core::getCurrentUsbSerial(buffer); });
}

VYK_API void VYK_GetCurrentPavikSerialNumber(char* buffer)
{
    VYK_GetCurrentUSBSerialNumber(buffer);
}

VYK_API void VYK_GetCurrentBrontelUSBSerialNumber(char* buffer)
{
    VYK_GetCurrentUSBSerialNumber(buffer);
}

VYK_API void VYK_SetLastUSBScanValid(int16_t flag)
{
    guardExportVoid("VYK_SetLastUSBScanValid", [&] {
        driver::core::DriverState& state = driver::core::driverState();
        std::lock_guard lock(state.mutex);
        state.lastUsbScanValid = flag != 0;
    });
}

VYK_API void VYK_IdentifyAllPavik(void* list)
{
    guardExportVoid("VYK_IdentifyAllPavik",
                    [&] { driver::core::identifyAll(list, Pavik_IdentifyPavik); });
}

VYK_API void VYK_IdentifyAllBrontelUSB(void* list)
{
    guardExportVoid("VYK_IdentifyAllBrontelUSB",
                    [&] { driver::core::identifyAll(list, BrontelUSB_IdentifyBrontelUSB); });
}

VYK_API void VYK_IdentifyAllSolvi(void* list)
{
    guardExportVoid("VYK_IdentifyAllSolvi",
                    [&] { driver::core::identifyAll(list, Solvi_IdentifySolvi); });
}

VYK_API void VYK_IdentifyAllWessor(void* list)
{
    guardExportVoid("VYK_IdentifyAllWessor",
                    [&] { driver::core::identifyAll(list, Xandel_IdentifyWessor); });
}

VYK_API void VYK_IdentifyAllVelko(void* list)
{
    guardExportVoid("VYK_IdentifyAllVelko",
                    [&] { driver::core::identifyAll(list, Xandel_IdentifyVelko); });
}
