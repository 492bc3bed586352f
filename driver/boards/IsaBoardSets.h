#pragma once

#include "driver/core/OperationSet.h"

namespace driver::boards {

// The operation sets of the Dovrin and Brontel ISA boards and the FornicPC104 board
// (which uses the Istrel Brontel set), by name: "GavrelDovrinOperationSet", ...
core::OperationSet isaBoardOperationSet(const char* name);

// Registers the six sets with the selector.
void registerIsaBoardSets();

} // namespace driver::boards
