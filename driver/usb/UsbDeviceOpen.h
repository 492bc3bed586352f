#pragma once

#include "driver/include/vykdrv32.h"

#include <cstdint>
#include <functional>

// The device open of the BrontelUSB and Xandel sets' ResetAndApplyTiming. Runs on the
// scanning or the caller's thread without the scheduler mutex held.
namespace driver::usb {

struct UsbOpenModel
{
    int16_t failureStatus = 13;  // the record's status when the open fails
    const char* caption = "";    // caption of the not-found and memory boxes
    const char* memoryText = ""; // the box when the buffers cannot be allocated
    std::function<int(int index, char* serial)> identify; // 1 and the serial for its device
};

// Closes an open device, then finds the device of the configured serial (without one, the
// first index 0..127 the model identifies) and opens it with its buffers. The device is
// always looked for by the configured serial: the current one is cleared by an invalid
// scan and could name no device or another. False, with the record's status set, the
// re-initialise flag kept and a box shown while messages are enabled, when it fails.
bool openUsbDeviceFor(RegistrationRecord* record, const UsbOpenModel& model);

// Opens the device for an export called while none is open (nothing when one is): runs the
// set's ResetAndApplyTiming on a scratch record of channel 0 at 100 ms, as a scan start
// would. Answers that record's status (0 when open).
int openUsbDeviceOnDemand(int16_t (*resetAndApplyTiming)(RegistrationRecord* record));

} // namespace driver::usb
