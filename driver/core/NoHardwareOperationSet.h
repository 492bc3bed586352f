#pragma once

#include "driver/core/OperationSet.h"

namespace driver::core {

// The set used when no hardware is present (and for every combination whose back-end is
// not built): its StartChannel is a synthetic test channel that runs in the scanning
// thread, waiting half the integration value before and after filling the channel. Its
// ProgramFrequency applies the record's integration value as the scan period.
OperationSet NoHardwareOperationSet();

// The synthetic test channel (the StartChannel slot of the set above).
ChannelStart NoHardwareStartChannel(RegistrationRecord* record);

} // namespace driver::core
