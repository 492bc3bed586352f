#include "driver/usb/UsbConnection.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/PellarConnection.h"
#include "driver/usb/UsbModelIds.h"
#include "driver/usb/UsbTransport.h"

#include <cstdio>
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

} // namespace

bool isUsbAdcType(std::uint16_t adcType)
{
    // Pellar system.
    if (adcType == VYK_ADC_PELLAR)
        return true;
    return adcType == VYK_ADC_PAVIK || adcType == VYK_ADC_SOLVI;
}

int16_t connectUsbHardware(std::uint16_t adcType)
{
    // Pellar system.
    if (adcType == VYK_ADC_PELLAR)
        return connectPellarHardware();
    const bool pavik = adcType == VYK_ADC_PAVIK;
    const char* word = pavik ? "Pavik" : "Solvi";
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
        const std::uint16_t productId =
            pavik ? configuredProductId("PavikProductId", kDefaultPavikProductId)
                  : configuredProductId("SolviProductId", kDefaultSolviProductId);
        for (int i = 0; i <= kMaxDeviceIndex && index < 0; ++i) {
            char found[16] = {};
            if (identifyDevice(i, found, productId, "") == 1) {
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
    // The open device is closed here; the operation set opens the chosen one at its next scan.
    PavikSolviShutdownHardware();
    keepSerial(wanted);
    return 1;
}

} // namespace driver::usb
