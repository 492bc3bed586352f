#pragma once

#include "driver/core/OperationSet.h"
#include "driver/usb/UsbProtocol.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

// The channel acquisition shared by the BrontelUSB, Xandel and Pavik/Solvi operation sets: one
// block per StartChannel call (the sequencer steps through the scans to average), summed into the
// channel's buffer, with the data-validity reports of the USB models. Runs on the scanning thread
// without the scheduler mutex held.
namespace driver::usb {

// Whether VYK_Stop, unregistering or detach cancelled the library's waits since `epoch` (the
// state's cancel epoch when the wait began). Such a cancel ends a wait for a trigger; other
// reads end on their own and the channel completes.
bool waitsCancelledSince(std::uint32_t epoch);

// The pause that ends an acquired channel: none, 1 ms except on the acquisition worker
// thread, or 1 ms on every thread.
enum class ChannelPause
{
    None,
    OffWorker,
    Always,
};

struct UsbChannelModel
{
    // Whether the set acquires this channel at all (others finish at once).
    std::function<bool(int channel)> acquires;
    // The commands before the channel's read (input select, trigger); answers the trigger
    // mode sent, which decides how long the read waits.
    std::function<int(int channel, bool firstScan, int triggerMode)> prepare;
    // One block read; true when `pixels` holds a new block.
    std::function<bool(unsigned timeoutMs, const std::function<bool()>& cancel)> read;
    std::function<std::span<const std::uint16_t, kBlockPixels>()> pixels;
    ChannelPause pause = ChannelPause::OffWorker;
};

// Validity of the data last delivered (initially valid) and of the channels' scans in
// progress; one USB device is open at a time, so it is process-wide.
struct UsbValidity
{
    std::atomic<bool> lastValid{true};
    std::atomic<std::uint8_t> invalidChannels{0}; // bit c: a scan of channel c failed
    void reset()
    {
        lastValid = true;
        invalidChannels = 0;
    }
};

// StartChannel of the set: kills the watchdog, applies dirty timing, posts the status
// message, acquires the current channel and reports validity changes by 0x4C8. Data
// that did not arrive is delivered as zeros, never as older pixels. A released record
// ends the channel once, quietly; a missing buffer is left to end-of-scan processing,
// which fails the scan.
core::ChannelStart acquireUsbChannel(RegistrationRecord* record, const UsbChannelModel& model,
                                     UsbValidity& validity);

// The 1 ms pause between channels, skipped on the acquisition worker thread.
void pauseBetweenChannels(bool always);

} // namespace driver::usb
