#include "driver/usb/PellarConnection.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/PellarTransport.h"
#include "driver/usb/UsbModelIds.h"

#include <cstdio>
#include <string>

namespace driver::usb {
namespace {

using core::driverState;

void pellarShowUsbError(const char* text)
{
    core::showDriverBox(text, "USB Error", core::kMbOk | core::kMbIconError, core::kIdOk);
}

// Makes `handle` the set's device: initialised, its information read, its integration
// time sent again at the next scan.
void useDevice(Handle handle)
{
    const Handle old = pellarHandle();
    setPellarHandle(handle);
    if (old != handle)
        ClosePellarDevice(old);
    setLastPellarIntegration(0);
    InitPellarDevice(handle);
}

void markConnected()
{
    std::lock_guard lock(driverState().mutex);
    driverState().reopen = true;
    driverState().connectedMarker = 1;
    driverState().startupFlags |= core::kStartupInterruptHandler;
    driverState().acquisitionStatus = core::kStatusStopped;
}

} // namespace

int identifyPellar(int index, char* text)
{
    return identifyDevice(index, text,
                          configuredProductId(kPellarProductIdKey, kDefaultPellarProductId),
                          "NOT Pellar");
}

int16_t connectPellarHardware()
{
    std::string serial;
    {
        std::lock_guard lock(driverState().mutex);
        driverState().usbType = true;
        serial = driverState().usbSerialNumber;
    }
    const Handle old = pellarHandle();
    setPellarHandle(kNoHandle);
    ClosePellarDevice(old);

    const Handle handle = OpenPellarBySerial(serial);
    if (handle != kNoHandle) {
        useDevice(handle);
        markConnected();
        return VYK_SUCCESS;
    }
    if (!serial.empty()) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Unable to find Pellar with the serial number '%s'.  Connecting to the "
                      "first available Pellar.",
                      serial.c_str());
        pellarShowUsbError(text);
    }
    for (int index = 0; index <= kMaxDeviceIndex; ++index) {
        char found[16] = {};
        if (identifyPellar(index, found) != 1)
            continue;
        const Handle identified = OpenPellarByIndex(index);
        if (identified == kNoHandle)
            continue;
        useDevice(identified);
        {
            std::lock_guard lock(driverState().mutex);
            driverState().usbSerialNumber = found;
        }
        markConnected();
        return VYK_SUCCESS;
    }
    pellarShowUsbError(
        "Unable to find any Pellar.  Check to see if the spectrometer is connected to "
        "the USB port.");
    std::lock_guard lock(driverState().mutex);
    driverState().connectedMarker = 0;
    driverState().acquisitionStatus = core::kStatusStopped;
    return VYK_NOT_INITIALISED;
}

int setCurrentPellarSerialNumber(const char* serial)
{
    if (!serial || *serial == '\0')
        return 0;
    const std::string wanted(serial);
    const int index = FindPellarBySerial(wanted);
    if (index < 0)
        return 0;
    const Handle handle = OpenPellarByIndex(index);
    if (handle == kNoHandle)
        return 0;
    useDevice(handle);
    std::lock_guard lock(driverState().mutex);
    driverState().usbSerialNumber = wanted.substr(0, 15);
    driverState().reopen = true;
    return 1;
}

} // namespace driver::usb
