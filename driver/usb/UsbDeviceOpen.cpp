#include "driver/usb/UsbDeviceOpen.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/usb/UsbTransport.h"

#include <cstdio>
#include <string>

namespace driver::usb {
namespace {

constexpr int kMaxIdentifyIndex = 127;

void failOpen(RegistrationRecord* record, const UsbOpenModel& model, const char* text,
              const char* caption)
{
    {
        std::lock_guard lock(core::driverState().mutex);
        record->status = model.failureStatus;
    }
    setDeviceOk(false);
    RequestHardwareReinit();
    core::showDriverBox(text, caption, core::kMbTaskModal | core::kMbIconError, core::kIdOk);
}

} // namespace

bool openUsbDeviceFor(RegistrationRecord* record, const UsbOpenModel& model)
{
    CloseUsbDevice();
    std::string serial = configuredSerial();
    StoreCurrentUSBSerialNumber(serial.c_str());
    clearReinit();
    int index = -1;
    if (!serial.empty()) {
        index = FindEzusbDeviceBySerial(serial);
    } else {
        for (int i = 0; i <= kMaxIdentifyIndex && index < 0; ++i) {
            char found[16] = {};
            if (model.identify && model.identify(i, found) == 1) {
                index = i;
                StoreCurrentUSBSerialNumber(found);
                clearReinit();
            }
        }
    }
    if (index < 0) {
        char text[96];
        std::snprintf(text, sizeof text, "Unable To find Device with Serial: %s.", serial.c_str());
        failOpen(record, model, text, model.caption);
        return false;
    }
    if (!OpenUsbDevice(index)) {
        char text[96];
        std::snprintf(text, sizeof text, "Error Opening USB Device: %s",
                      devicePathFor(index).c_str());
        failOpen(record, model, text, "USB Warning");
        return false;
    }
    setDeviceOk(true);
    if (AllocateUsbBuffers() != 0) {
        CloseUsbDevice();
        failOpen(record, model, model.memoryText, model.caption);
        return false;
    }
    return true;
}

int openUsbDeviceOnDemand(int16_t (*resetAndApplyTiming)(RegistrationRecord* record))
{
    if (deviceOk() || deviceHandle() != kNoHandle)
        return 0;
    RegistrationRecord scratch{};
    scratch.channelEnables[0] = 1;
    scratch.integration = 100;
    scratch.flashDelay = 10;
    RequestHardwareReinit();
    resetAndApplyTiming(&scratch);
    return scratch.status;
}

} // namespace driver::usb
