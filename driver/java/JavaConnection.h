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

} // namespace driver::java
