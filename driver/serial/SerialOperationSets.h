#pragma once

#include "driver/core/OperationSet.h"

namespace driver::serial {

// The operation sets of the Istrel (key 520) and the Lemmik (key 776) on the serial
// converter. Their StartChannel runs the channel's scans in the calling thread. The
// converter settings (compressed frames, pixel resolution, the settling wait, the strobe)
// come from the driver's configuration. A scan that fails flags the scan aborted: its
// channels are then given up, and end-of-scan marks them aborted (0x468).
core::OperationSet IstrelKaldrisOperationSet();
core::OperationSet LemmikKaldrisOperationSet();

// Makes both sets available to the selector under their names (library load and tests).
void registerSerialOperationSets();

} // namespace driver::serial
