#pragma once

#include "driver/core/OperationSet.h"

namespace driver::boards {

// The DAQ700 card's sets "GavrelDaqOperationSet", "IstrelBTDaqOperationSet" and
// "IstrelDaqOperationSet", by name.
core::OperationSet daqOperationSet(const char* name);
void registerDaqSets();

} // namespace driver::boards
