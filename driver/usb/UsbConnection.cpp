#include "driver/usb/UsbConnection.h"

#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/usb/BrontelUsbOperationSet.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/PellarConnection.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"
#include "driver/usb/XandelOperationSet.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <strings.h>

namespace driver::usb {
namespace {

using core::driverState;

void showUsbError(const std::string& text)
{
    core::showDriverBox(text.c_str(), "USB Error", core::kMbOk | core::kMbIconError, core::kIdOk);
}

// Keeps `serial` as the device to open at the next scan.
void keepSerial(const std::string& serial)
{
    StoreCurrentUSBSerialNumber(serial.c_str());
    RequestHardwareReinit();
    std::lock_guard lock(driverState().mutex);
    driverState().usbSerialNumber = currentSerial();
    driverState().reopen = true;
}

// The word of a model's connection messages and the identification of its devices.
struct UsbModelConnection
{
    const char* word;
    std::uint16_t productId; // 0: no device of this configuration is identified
    const char* notText;
};

std::optional<UsbModelConnection> modelConnection(std::uint16_t adcType)
{
    switch (adcType) {
    case VYK_ADC_PAVIK:
        return UsbModelConnection{
            "Pavik", configuredProductId("PavikProductId", kDefaultPavikProductId), ""};
    case VYK_ADC_SOLVI:
        return UsbModelConnection{
            "Solvi", configuredProductId("SolviProductId", kDefaultSolviProductId), ""};
    // BrontelUSB and Xandel.
    case VYK_ADC_BRONTELUSB:
        return UsbModelConnection{"Brontel-USB", brontelUsbProductId(), "NOT Brontel-USB"};
    case VYK_ADC_XANDEL: {
        std::uint16_t spectrometerType = 0;
        {
            std::lock_guard lock(driverState().mutex);
            spectrometerType = driverState().spectrometerType;
        }
        if (spectrometerType == VYK_SPEC_WESSOR)
            return UsbModelConnection{"Wessor", wessorProductId(), "NOT Wessor"};
        // The Xandel identifies only its two detectors.
        return UsbModelConnection{
            "Velko", spectrometerType == VYK_SPEC_VELKO ? velkoProductId() : std::uint16_t{0},
            "NOT Velko"};
    }
    default:
        return std::nullopt;
    }
}

} // namespace

bool isUsbAdcType(std::uint16_t adcType)
{
    // Pellar system.
    if (adcType == VYK_ADC_PELLAR)
        return true;
    return modelConnection(adcType).has_value();
}

int16_t connectUsbHardware(std::uint16_t adcType)
{
    // Pellar system.
    if (adcType == VYK_ADC_PELLAR)
        return connectPellarHardware();
    const std::optional<UsbModelConnection> model = modelConnection(adcType);
    if (!model)
        return VYK_NOT_INITIALISED;
    const char* word = model->word;
    std::string serial;
    {
        std::lock_guard lock(driverState().mutex);
        driverState().usbType = true;
        serial = driverState().usbSerialNumber;
    }
    PavikSolviShutdownHardware();
    FreeUsbBuffers();
    CloseUsbDevice();

    int index = serial.empty() ? -1 : FindEzusbDeviceBySerial(serial);
    if (index < 0) {
        if (!serial.empty()) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "Unable to find %s with the serial number '%s'.  Connecting to the "
                          "first available %s.",
                          word, serial.c_str(), word);
            showUsbError(text);
        }
        for (int i = 0; i <= kMaxDeviceIndex && index < 0 && model->productId != 0; ++i) {
            char found[16] = {};
            if (identifyDevice(i, found, model->productId, model->notText) == 1) {
                index = i;
                serial = found;
            }
        }
    }
    if (index < 0) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Unable to find any %s.  Check to see if the spectrometer is connected to "
                      "the USB port.",
                      word);
        showUsbError(text);
        std::lock_guard lock(driverState().mutex);
        driverState().connectedMarker = 0;
        driverState().acquisitionStatus = core::kStatusStopped;
        return VYK_NOT_INITIALISED;
    }
    keepSerial(serial);
    std::lock_guard lock(driverState().mutex);
    driverState().connectedMarker = 1;
    driverState().startupFlags |= core::kStartupInterruptHandler;
    driverState().acquisitionStatus = core::kStatusStopped;
    return VYK_SUCCESS;
}

int setCurrentUsbSerialNumber(const char* serial)
{
    if (!serial)
        return 0;
    std::uint16_t adcType = 0;
    {
        std::lock_guard lock(driverState().mutex);
        if (*serial != '\0' && strcasecmp(serial, driverState().usbSerialNumber.c_str()) == 0)
            return 1;
        adcType = driverState().adcType;
    }
    // Pellar system.
    if (adcType == VYK_ADC_PELLAR)
        return setCurrentPellarSerialNumber(serial);
    std::string wanted(serial);
    if (wanted.empty() || FindEzusbDeviceBySerial(wanted) < 0)
        return 0;
    // No worker scan may run on the device about to close: the worker ends first (the next
    // threaded scan starts a new one). The operation set opens the chosen device at its next
    // scan.
    int boundMs = 1000;
    {
        std::lock_guard lock(driverState().mutex);
        boundMs = std::max(boundMs, 8 * driverState().appliedPeriodMs);
    }
    core::acquisitionWorker().stop(boundMs);
    PavikSolviShutdownHardware();
    keepSerial(wanted);
    return 1;
}

} // namespace driver::usb
