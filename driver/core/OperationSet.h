#pragma once

#include "driver/include/vykdrv32.h"

#include <cstdint>

namespace driver::core {

// What a StartChannel slot tells the sequencer.
enum class ChannelStart
{
    Advance, // the channel is finished (or was abandoned): the sequencer steps on now
    Pending, // the data arrives later; whoever receives it advances the sequencer
};

// The function slots through which the core drives one hardware combination. Slots are
// called without the scheduler mutex held; each takes it itself where it touches the
// driver state. A null slot does nothing.
struct OperationSet
{
    // The set's name, for diagnostics and tests ("NoHardwareOperationSet", ...).
    const char* name = "";
    // Moves the current channel's converted pixels into the raw buffer (interrupt thread).
    void (*TransferData)() = nullptr;
    // Begins acquiring the current channel of the record.
    ChannelStart (*StartChannel)(RegistrationRecord* record) = nullptr;
    // Sends the record's flash delay / integration to the hardware.
    int16_t (*ProgramIntegration)(RegistrationRecord* record) = nullptr;
    // Sends the record's frequency; sets the applied scan period.
    int16_t (*ProgramFrequency)(RegistrationRecord* record) = nullptr;
    // Resets the hardware as needed, programs frequency then integration, clears the
    // record's timing-dirty word.
    int16_t (*ResetAndApplyTiming)(RegistrationRecord* record) = nullptr;
    // Steps the sequencer: next channel, next scan, end of scan, restart or next record.
    void (*AdvanceSequencer)() = nullptr;
    // Adds the raw pixels to the channel's buffer or detects an overrun.
    void (*ChannelComplete)(int channel, bool add) = nullptr;
    // End-of-scan processing of the spectrometer type.
    void (*EndOfScan)(RegistrationRecord* record) = nullptr;
    // Leaves the hardware quiet (library detach).
    void (*ShutdownHardware)() = nullptr;
    // Splits interleaved multichannel pixels.
    void (*Deinterleave)(RegistrationRecord* record) = nullptr;
};

} // namespace driver::core
