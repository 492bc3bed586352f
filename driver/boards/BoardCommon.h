#pragma once

#include "driver/core/DriverState.h"
#include "platform/portio/PortIo.h"
#include "platform/portio/TransferList.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace driver::boards {

// How a set programs the board's counters.
enum class TimingKind
{
    Gavrel,
    IstrelBT,
    Istrel,
};

// The state the board sets keep beside the driver state, guarded by the scheduler mutex.
struct BoardFields
{
    std::uint32_t controlByte = 0;  // last byte written to the control register
    bool strobeOn = true;           // the strobe state of the Istrel sets
    int noIntegrationTimeDelay = 0; // "NoIntegrationTimeDelayMode"
    int cadrelClockDivisor = 4;     // "CadrelPCIMasterClockDivisor"
    // Work the interrupt handler leaves for after the device lock is released.
    std::uint32_t timerToKill = 0;
    bool advanceAfterInterrupt = false;
    // The DAQ700 Istrel set's list, kept from the first timing reset to disconnection.
    std::shared_ptr<platform::portio::TransferList> keptDaqList;
};

// The fields; touch them only with driverState().mutex held.
BoardFields& boardFields();

// The port-I/O backend in use (the connected device, or the no-op one).
std::shared_ptr<platform::portio::PortIo> boardIo();

// Writes a 16-bit counter value to a byte port, low byte first.
void writeCounter(platform::portio::PortIo& io, std::uint32_t port, std::uint32_t value);

// The 12 significant bits of a sample; FornicPC104 and CadrelPCI invert bit 11.
inline std::uint16_t sampleValue(std::uint16_t raw, bool invertBit11)
{
    return static_cast<std::uint16_t>((invertBit11 ? raw ^ 0xF800 : raw) & 0xFFF);
}

// Adds (or with add false stores) raw pixels first..last of the current record's channel
// into its buffer; a buffer the client has not emptied is an overrun instead: one 0x467
// per scan, continuous scanning ends unless the record continues on overrun, and the rest
// of the scan is skipped. Called without the mutex held.
void channelCompleteWith(int channel, bool add, int firstPixel, int lastPixel, bool invert);

// What a wait for the external trigger ended with.
enum class TriggerWait
{
    Present,
    Cancelled, // the record was released or stopped, or the board disconnected
    TimedOut,  // the configured trigger time-out passed; the scan was ended (0x466)
};

// Waits in 1 ms steps until status bit 3 of (range, port, width) is set; bounded by the
// record's release, VYK_Stop of a continuous scan, disconnection and the trigger time-out.
TriggerWait waitForTrigger(RegistrationRecord* record, int range, std::uint32_t port, int width);

// Applies the record's timing first when it changed since the last scan.
void applyTimingIfDirty(RegistrationRecord* record);

// The control byte `byte` with channel `channel`'s select bits (channels 4 and above set
// the high select bit too).
std::uint32_t selectChannel(std::uint32_t byte, int channel);

// Writes the control register of a board.
using ControlWrite = void (*)(platform::portio::PortIo& io, std::uint32_t byte);

// The trigger wait of a scan's first channel: nothing when the trigger came and the
// start goes on, otherwise what StartChannel answers (a released record advances, the
// scan ending quietly; a stop or time-out leaves the channel pending, the scan ended).
std::optional<core::ChannelStart> awaitStartTrigger(RegistrationRecord* record, int range,
                                                    std::uint32_t port, int width);

// The end of a board StartChannel: notes the control byte and the acquisition, arms the
// watchdog (0 for none) before the board, since an interrupt may come at once, writes the
// byte that starts the board, posts the status message and leaves the channel pending.
core::ChannelStart startAcquisition(RegistrationRecord* record, platform::portio::PortIo& io,
                                    std::uint32_t controlByte, std::uint32_t watchdogMs,
                                    ControlWrite write);

// The channel an interrupt delivers, and whether it adds to the scans before it.
struct InterruptChannel
{
    int channel = -1;
    bool add = false;
};

// With the mutex held, at an interrupt: nothing when no channel is being acquired
// (continuous scanning then ends) or the record was released (the scan stops and the
// sequencer steps on after the interrupt); otherwise the channel, noted as done. With
// `takeWatchdog` the watchdog is taken in both of the latter cases.
std::optional<InterruptChannel> claimInterruptChannelLocked(core::DriverState& state,
                                                            bool takeWatchdog);

// The same under the mutex, for the sets with a watchdog; enables interrupts again when a
// channel is delivered.
std::optional<InterruptChannel> claimInterruptChannel();

// Stores `samples` little-endian samples from `bytes` into the raw buffer from `firstRaw`,
// notes the channel done for the after-interrupt step, and completes the channel.
void deliverSamples(std::span<const std::uint8_t> bytes, std::size_t firstRaw, std::size_t samples,
                    void (*complete)(int channel, bool add), InterruptChannel delivered);

// Clears the start bits of the control byte and pulses the reset bit: the board is idle.
void quietControl(ControlWrite write);

// The set named `name` in `sets`, or an empty set.
core::OperationSet setNamed(std::span<const core::OperationSet> sets, const char* name);

// Registers each of `sets` under its name.
void registerSets(std::span<const core::OperationSet> sets);

// Called by TransferData with the mutex held when the channel's data has come: stops the
// watchdog from acting and leaves its timer to be killed after the device lock.
void takeWatchdogLocked(core::DriverState& state);

// The device's after-interrupt work: kills the taken timer and advances the sequencer.
void afterInterrupt();

// Called by a StartChannel that answers ChannelStart::Pending.
void noteChannelPending();

// Runs the sequencer; when it ended on this thread with nothing following, `quiet`
// leaves the board disarmed.
void advanceAndQuiet(void (*quiet)());

// The watchdog delay of the Gavrel and IstrelBT sets.
std::uint32_t gavrelWatchdogMs(int integration);
// The Istrel sets' delay, 0 for none.
std::uint32_t istrelWatchdogMs(int triggerMode, int integration);

// The wait after a new scan period on the Istrel boards, in ms.
int periodSettleMs(int newPeriod, int previousPeriod, int divisor);

// Posts 0x464 to the record's window when it asked for status messages.
void postStatusMessage(RegistrationRecord* record);

} // namespace driver::boards
