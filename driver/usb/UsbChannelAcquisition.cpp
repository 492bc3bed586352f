#include "driver/usb/UsbChannelAcquisition.h"

#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "driver/usb/UsbTransport.h"

#include <algorithm>

namespace driver::usb {
namespace {

using core::DriverState;
using core::driverState;

constexpr int kReadTries = 6;

// Whether the scan was stopped, its record released or the library is going away while
// waiting on the device.
bool scanCancelled(const RegistrationRecord* record)
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.currentChannel == -1 || record->instanceKey == 0 || state.detaching;
}

} // namespace

bool waitsCancelledSince(std::uint32_t epoch)
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.cancelEpoch != epoch;
}

void pauseBetweenChannels(bool always)
{
    if (always || !core::acquisitionWorker().busy())
        core::WaitMilliseconds(1);
}

core::ChannelStart acquireUsbChannel(RegistrationRecord* record, const UsbChannelModel& model,
                                     UsbValidity& validity)
{
    DriverState& state = driverState();
    core::killWatchdog();
    bool dirty = false;
    {
        std::lock_guard lock(state.mutex);
        if (record->scansToAverage == 0)
            record->scansToAverage = 1;
        dirty = record->timingDirty == 1;
    }
    if (dirty)
        core::ApplyTimingIfChanged(record);

    core::PendingPosts posts;
    int channel = -1;
    int scanCounter = 0;
    int scans = 1;
    int triggerMode = 0;
    int integrationMs = 0;
    int trigTimeoutMs = 0;
    std::uint32_t cancelEpoch = 0;
    {
        std::lock_guard lock(state.mutex);
        state.acquisitionStatus = core::kStatusAcquiring;
        cancelEpoch = state.cancelEpoch;
        if (record->flags & VYK_FLAG_STATUS_MESSAGES)
            posts.add(record->window, VYK_MSG_STATUS, 0, record);
        channel = state.currentChannel;
        scanCounter = record->scanCounter;
        scans = std::max<int>(record->scansToAverage, 1);
        triggerMode = record->triggerMode;
        integrationMs = record->integration;
        trigTimeoutMs = state.trigTimeoutMs;
    }
    posts.postAll();

    // One advance, whatever happened: a released record stops quietly, an acquired or
    // skipped channel is noted as done.
    auto finish = [&](bool released) {
        {
            std::lock_guard lock(state.mutex);
            if (released) {
                state.acquisitionStatus = core::kStatusStopped;
                record->continuous = 0;
            } else {
                state.acquisitionStatus = core::kStatusChannelDone;
                state.lastChannelDone = channel;
            }
        }
        if (!released && model.pause != ChannelPause::None)
            pauseBetweenChannels(model.pause == ChannelPause::Always);
        return core::ChannelStart::Advance;
    };
    {
        std::lock_guard lock(state.mutex);
        if (record->instanceKey == 0) {
            state.acquisitionStatus = core::kStatusStopped;
            record->continuous = 0;
            return core::ChannelStart::Advance;
        }
    }
    if (channel < 0 || channel >= core::kChannels || !model.acquires(channel))
        return finish(false);
    bool hasBuffer = false;
    {
        std::lock_guard lock(state.mutex);
        hasBuffer = record->channelBuffers[channel] != nullptr;
    }
    // finish() takes the mutex itself: never call it with the mutex held.
    if (!hasBuffer)
        return finish(false);

    const std::uint8_t bit = static_cast<std::uint8_t>(1u << channel);
    const bool firstScan = scanCounter == 0;
    if (firstScan)
        validity.invalidChannels &= static_cast<std::uint8_t>(~bit);
    const int triggerSent = model.prepare(channel, firstScan, triggerMode);

    // A triggered read waits for the trigger, the configured trigger time-out or a stop;
    // every other read waits the integration time and one second.
    const unsigned timeoutMs = triggerSent != 0 ? static_cast<unsigned>(std::max(trigTimeoutMs, 0))
                                                : static_cast<unsigned>(integrationMs) + 1000;
    const auto stopped = [triggerSent, cancelEpoch] {
        return triggerSent != 0 && waitsCancelledSince(cancelEpoch);
    };
    const auto cancel = [record, &stopped] { return scanCancelled(record) || stopped(); };
    bool got = false;
    if (deviceOk()) {
        for (int attempt = 0; attempt < kReadTries && !got; ++attempt) {
            got = model.read(timeoutMs, cancel);
            if (scanCancelled(record))
                return finish(true);
            if (!got && stopped()) {
                core::endScanQuietly();
                return core::ChannelStart::Pending;
            }
            if (!got && deviceOk())
                core::WaitMilliseconds(1);
            if (!deviceOk())
                break;
        }
    }
    if (!got)
        validity.invalidChannels |= bit;

    const bool lastScan = scanCounter + 1 >= scans;
    bool valid = true;
    bool bufferGone = false;
    {
        std::lock_guard lock(state.mutex);
        if (record->instanceKey == 0) {
            state.acquisitionStatus = core::kStatusStopped;
            record->continuous = 0;
            return core::ChannelStart::Advance;
        }
        float* buffer = record->channelBuffers[channel];
        bufferGone = buffer == nullptr;
        if (buffer) {
            // Client buffers hold at least 2048 floats (end-of-scan processing relies on it).
            if (got) {
                const auto pixels = model.pixels();
                // The sum of the scans; end-of-scan processing divides by their number.
                for (std::size_t i = 0; i < kBlockPixels; ++i)
                    buffer[i] = (firstScan ? 0.0f : buffer[i]) + static_cast<float>(pixels[i]);
            } else if (firstScan) {
                std::fill(buffer, buffer + kBlockPixels, 0.0f);
            }
            if (lastScan) {
                valid = (validity.invalidChannels.load() & bit) == 0;
                // Data that did not arrive is delivered as zeros, never as older pixels.
                if (!valid)
                    std::fill(buffer, buffer + kBlockPixels, 0.0f);
                if (valid != validity.lastValid.load()) {
                    validity.lastValid = valid;
                    posts.add(record->window, VYK_MSG_DATA_VALIDITY, valid ? 0 : 1, record);
                }
            }
        }
    }
    if (bufferGone)
        return finish(false);
    if (lastScan && !valid)
        clearCurrentSerial();
    posts.postAll();
    return finish(false);
}

} // namespace driver::usb
