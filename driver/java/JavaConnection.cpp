#include "driver/java/JavaConnection.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"

#include <array>
#include <cstdio>
#include <strings.h>

namespace driver::java {
namespace {

using DeviceList = std::array<JavaDeviceSlot, VYK_JAVA_DEVICE_SLOTS>;

bool sameSerial(const char* a, const std::string& b)
{
    return !b.empty() && strcasecmp(a, b.c_str()) == 0;
}

void switchTo(int index, const char* serial, bool reinitialise)
{
    if (JavaGetDeviceIndex() != -1)
        JavaCloseSpectrometer();
    JavaOpenSpectrometer(index);
    core::DriverState& state = core::driverState();
    std::lock_guard lock(state.mutex);
    state.usbSerialNumber = serial;
    if (reinitialise)
        state.reopen = true;
}

// Shown only while driver messages are on.
void javaShowUsbError(const std::string& text)
{
    core::showDriverBox(text.c_str(), "USB Error", core::kMbOk | core::kMbIconError, core::kIdOk);
}

// Opens the device of `serial`, else the first device found; 0 when none answers.
int selectJavaDevice(const JavaModel& model, const std::string& serial)
{
    DeviceList list{};
    if (!identifyAllJava(model, list.data()))
        return 0;
    for (int i = 0; i < VYK_JAVA_DEVICE_SLOTS; ++i) {
        const JavaDeviceSlot& slot = list[static_cast<std::size_t>(i)];
        if (sameSerial(slot.serial, serial)) {
            switchTo(i, slot.serial, false);
            return 1;
        }
    }
    for (int i = 0; i < VYK_JAVA_DEVICE_SLOTS; ++i) {
        const JavaDeviceSlot& slot = list[static_cast<std::size_t>(i)];
        if (slot.serial[0] != '\0') {
            switchTo(i, slot.serial, true);
            return 1;
        }
    }
    return 0;
}

} // namespace

int setCurrentJavaSerialNumber(const JavaModel& model, const std::string& serial)
{
    std::string current;
    {
        core::DriverState& state = core::driverState();
        std::lock_guard lock(state.mutex);
        current = state.usbSerialNumber;
    }
    if (!current.empty() && strcasecmp(current.c_str(), serial.c_str()) == 0)
        return 1;
    return selectJavaDevice(model, serial);
}

int16_t connectJavaHardware(const JavaModel& model)
{
    core::DriverState& state = core::driverState();
    std::string configured;
    {
        std::lock_guard lock(state.mutex);
        configured = state.usbSerialNumber;
    }
    // Connecting always asks the devices: the configured one may be gone.
    if (!selectJavaDevice(model, configured)) {
        char text[256];
        // Without a configured serial there is no device to miss, only the first to find.
        if (!configured.empty()) {
            std::snprintf(text, sizeof text,
                          "Unable to find %s with the serial number '%s'.  Connecting to the "
                          "first available %s.",
                          model.serialMessageWord, configured.c_str(), model.serialMessageWord);
            javaShowUsbError(text);
        }
        std::snprintf(text, sizeof text,
                      "Unable to find any %s.  Check to see if the spectrometer is connected to "
                      "the USB port.",
                      model.anyMessageWord);
        javaShowUsbError(text);
        std::lock_guard lock(state.mutex);
        state.connectedMarker = 0;
        state.acquisitionStatus = core::kStatusStopped;
        return VYK_NOT_INITIALISED;
    }
    std::lock_guard lock(state.mutex);
    state.reopen = true;
    state.connectedMarker = 1;
    state.startupFlags |= core::kStartupInterruptHandler;
    state.acquisitionStatus = core::kStatusStopped;
    return VYK_SUCCESS;
}

void releaseJavaDevice()
{
    if (IsJavaDriverLoaded() && JavaGetDeviceIndex() != -1)
        JavaCloseSpectrometer();
}

JavaDeviceInUse javaDeviceInUse(const JavaModel& model)
{
    if (!IsJavaDriverLoaded() || GetLoadedJavaClassName() != model.classPath)
        return {};
    return {true, JavaGetDeviceIndex()};
}

bool restoreJavaDevice(const JavaModel& model, const JavaDeviceInUse& device)
{
    if (!device.inUse)
        return false;
    const JavaDeviceInUse now = javaDeviceInUse(model);
    if (now.inUse && now.deviceIndex == device.deviceIndex)
        return false;
    // A class that cannot be loaded again (the loader has told the user) is tried once
    // more by the re-initialisation the caller asks for.
    if (!now.inUse && !LoadJavaDriver(model.classPath))
        return true;
    if (JavaGetDeviceIndex() != -1)
        JavaCloseSpectrometer();
    if (device.deviceIndex != -1)
        JavaOpenSpectrometer(device.deviceIndex);
    return true;
}

} // namespace driver::java
