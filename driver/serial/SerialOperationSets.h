#pragma once

#include "driver/core/OperationSet.h"

namespace driver::serial {

// Converter settings of the configuration that the operation sets apply.
struct SerialSetup
{
    bool compressed = false;             // compressed scan frames
    int pixelResolution = 1;             // every n-th pixel, 1 to 500
    bool noIntegrationTimeDelay = false; // skip the settling wait after a new integration time
    bool strobeEnable = true;
};

// The settings in use (read and written under their own lock).
SerialSetup serialSetup();
void setSerialSetup(const SerialSetup& setup);

// The operation sets of the Istrel (key 520) and the Lemmik (key 776) on the serial
// converter. Their StartChannel runs the channel's scans in the calling thread.
core::OperationSet IstrelKaldrisOperationSet();
core::OperationSet LemmikKaldrisOperationSet();

// Makes both sets available to the selector under their names (library load and tests).
void registerSerialOperationSets();

} // namespace driver::serial
