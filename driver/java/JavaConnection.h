#pragma once

#include "driver/java/JavaModels.h"

#include <cstdint>
#include <string>

namespace driver::java {

// Connection of the Java-driven A/D types, for the core's ConnectHardware,
// DisconnectHardware and serial selection. Called on the client's thread without the
// scheduler mutex held.

// Uses the device with `serial` (case ignored): 1 when it is already the current one or
// was found and opened; otherwise the first device found is opened and its serial kept
// (with the re-initialise flag set): 1; 0 when no device answers.
int setCurrentJavaSerialNumber(const JavaModel& model, const std::string& serial);

// Connects the configured device of the model, telling the user when it is not found:
// VYK_SUCCESS with the hardware marked connected, or VYK_NOT_INITIALISED when no device
// answers.
int16_t connectJavaHardware(const JavaModel& model);

// Releases the open device (Trevan and SolviPlus when the hardware is disconnected).
void releaseJavaDevice();

// The model's driver and device in use: the device index open while the model's class is
// the one loaded, else nothing in use (inUse false).
struct JavaDeviceInUse
{
    bool inUse = false;
    int deviceIndex = -1;
};
JavaDeviceInUse javaDeviceInUse(const JavaModel& model);

// Loads the model's class again and reopens `device` when something since (a listing or
// identification of another model, which loads that model's class) replaced or closed
// them. True when they had been disturbed: the device then needs re-initialising (its
// timing sent again, or the class loaded when loading failed here).
bool restoreJavaDevice(const JavaModel& model, const JavaDeviceInUse& device);

} // namespace driver::java
