#pragma once

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"

#include <cstdint>

namespace driver::core {

// The scan sequencer shared by every operation set. It steps through the enabled
// channels and the scans to average, runs end-of-scan processing, restarts a continuous
// record and then serves the next queued record round-robin. It is a loop, not a
// recursion: a StartChannel slot that acquires synchronously answers
// ChannelStart::Advance and the loop steps on; one that waits for an interrupt answers
// ChannelStart::Pending and whoever receives the data calls runSequencer() again. So
// continuous scanning runs in flat stack however long it lasts.
//
// How a back-end uses it:
// - a set that acquires inside StartChannel (USB, serial, Java-driven) returns
//   ChannelStart::Advance when the channel's data is in its buffer;
// - a set whose data arrives later (boards) arms the watchdog in StartChannel, returns
//   ChannelStart::Pending, and when the data has arrived its ChannelComplete/TransferData
//   calls killWatchdog() and then its AdvanceSequencer slot, which does its own hardware
//   work and calls runSequencer();
// - a channel abandoned because the record was released returns ChannelStart::Advance
//   once, without further work: the sequencer then ends the scan quietly.
//
// Called without the scheduler mutex held, from the scanning thread (the caller's, the
// worker, the interrupt or the timer thread).
void runSequencer();

// The AdvanceSequencer slot of the sets without hardware work of their own.
void GenericAdvanceSequencer();

// The ResetAndApplyTiming slot of the sets that only program frequency then integration.
int16_t GenericResetAndApplyTiming(RegistrationRecord* record);

// Applies the record's timing unless it is already in force (part of every scan start
// and of each channel start of a record marked dirty).
int16_t ApplyTimingIfChanged(RegistrationRecord* record);

// Ends the record's running scan as failed: idle, continuous scanning off, the scan-busy
// flags cleared, and 0x466 (wParam channel) queued for its window, or result 2 in the
// window word of a record without window (the blocking calls' internal record).
// Call with the mutex held; post `posts` after releasing it.
void failScanLocked(DriverState& state, RegistrationRecord* record, int channel,
                    PendingPosts& posts);

// Clears the scan-busy flags and wakes waiters. Call with the mutex held.
void clearScanBusyLocked(DriverState& state);

// Ends the current scan quietly (stopped, continuous scanning off, no message), as a trigger
// wait ended by VYK_Stop, unregistering or detach does. The channel start that calls it
// answers Pending: nothing is left to advance. Not on the mutex.
void endScanQuietly();

// Watchdog: arms a one-shot timer of `delayMs` for the current channel (nothing when no
// timer is available). An expiry restarts the channel once, then gives the scan up.
void armWatchdog(std::uint32_t delayMs);
// Kills a pending watchdog; an expiry racing the kill does nothing. Not on the mutex.
void killWatchdog();
// The watchdog's callback (multimedia-timer thread).
void ScanTimeoutCallback(std::uint32_t timerId, std::uint32_t message, std::uintptr_t user,
                         std::uintptr_t reserved1, std::uintptr_t reserved2);

} // namespace driver::core
