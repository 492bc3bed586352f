#pragma once

#include "driver/core/OperationSet.h"

#include <cstdint>
#include <span>

struct JavaDeviceSlot;

namespace driver::java {

// One Java-driven model: its words, its driver class and how its sets differ.
struct JavaModel
{
    const char* word;    // "Trevan"
    const char* setName; // the operation set's name in the key table
    const char* classPath;
    std::uint16_t adcType;
    bool autonulling; // scales by the saturation value and reports the autonulling words
    bool ulmarTiming; // integration passed unscaled, at least 8 ms
    const char* serialMessageWord; // the model's name in "Unable to find ... serial number"
    const char* anyMessageWord;    // and in "Unable to find any ..."
};

std::span<const JavaModel> javaModels();
const JavaModel* javaModelForAdc(std::uint16_t adcType);

// Registers the five operation sets with the core (library start; repeated calls are
// harmless).
void registerJavaOperationSets();
// The operation set of a model (tests).
core::OperationSet javaOperationSet(const JavaModel& model);

// Loads the model's class unless it is the one loaded; 1 when loaded.
int ensureJavaClass(const JavaModel& model);
// Fills the 64-slot device list (slot i = device index i), reopening the device that was
// open before; 0 when the model's class cannot be loaded or the list is null.
int identifyAllJava(const JavaModel& model, JavaDeviceSlot* list);

// Forgets what the sets last sent to the device and the last data validity (tests).
void resetJavaSetState();

} // namespace driver::java
