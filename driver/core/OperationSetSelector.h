#pragma once

#include "driver/core/OperationSet.h"

#include <cstdint>
#include <span>

namespace driver::core {

// One row of the key table: the combinations (spectrometer type + A/D type) that share a
// set, the set's name and the end-of-scan routine of the spectrometer type.
struct OperationSetRow
{
    std::uint16_t keys[4];
    int keyCount;
    const char* setName;
    void (*endOfScan)(RegistrationRecord*); // null: the set brings its own
};

// The key table in order; keys not listed use NoHardwareOperationSet with EndOfScanIstrel.
std::span<const OperationSetRow> operationSetRows();

// Back-ends make their sets available by name; a name without a set falls to
// NoHardwareOperationSet. Call before the set is selected (library start).
void registerOperationSet(const char* name, const OperationSet& set);

// Fills the state's slots from the configured types (refusing the Lemmik on a board
// without its A/D, with a message); sets the pixel count and the frequency divisor and
// switches multichannel mode off. Always 1. Called without the mutex held.
int SelectOperationSet();

// The name of the set the key table chose for the current types (before any fall-back).
const char* selectedOperationSetName();

// True when the handle value is neither 0 nor -1.
bool IsValidHandle(std::intptr_t handle);

// Interrupt hooks of the board back-ends; they do nothing.
void InterruptsEnableHook();
void InterruptsDisableHook();
void InterruptEndHook();

} // namespace driver::core
