#include "driver/core/NoHardwareOperationSet.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"

namespace driver::core {
namespace {

// A small linear congruential source of 15-bit values, kept in the state so that the
// synthetic spectra are reproducible from library start.
int nextRandomLocked(DriverState& state)
{
    state.randomState = state.randomState * 1103515245u + 12345u;
    return static_cast<int>((state.randomState >> 16) & 0x7FFF);
}

} // namespace

ChannelStart NoHardwareStartChannel(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int halfMs = 0;
    bool dirty = false;
    {
        std::lock_guard lock(state.mutex);
        halfMs = record->integration / 2;
    }
    WaitMilliseconds(halfMs);
    {
        std::lock_guard lock(state.mutex);
        dirty = record->timingDirty == 1;
    }
    if (dirty)
        ApplyTimingIfChanged(record);

    PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        state.acquisitionStatus = kStatusAcquiring;
        if (record->flags & VYK_FLAG_STATUS_MESSAGES)
            posts.add(record->window, VYK_MSG_STATUS, 0, record);
    }
    posts.postAll();

    {
        std::lock_guard lock(state.mutex);
        if (record->instanceKey == 0) {
            // Released during the scan: stop here and let the sequencer step on once.
            state.acquisitionStatus = kStatusStopped;
            record->continuous = 0;
            return ChannelStart::Advance;
        }
        const int pixels = state.pixelCount;
        for (int i = 0; i < pixels; ++i)
            state.rawBuffer[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i % 20 + 300);
        state.acquisitionStatus = kStatusChannelDone;
        const int channel = state.currentChannel;
        state.lastChannelDone = channel;
        float* buffer =
            channel >= 0 && channel < kChannels ? record->channelBuffers[channel] : nullptr;
        if (buffer) {
            const bool wessor = state.spectrometerType == VYK_SPEC_WESSOR;
            buffer[0] = 0.0f;
            for (int i = 1; i < pixels; ++i) {
                const float r = static_cast<float>(nextRandomLocked(state)) / 32767.0f;
                buffer[i] = wessor ? r * 1000.0f + static_cast<float>(i) * 50.0f
                                   : r * 50.0f + static_cast<float>(i);
            }
        }
    }
    WaitMilliseconds(halfMs);
    return ChannelStart::Advance;
}

OperationSet NoHardwareOperationSet()
{
    OperationSet set;
    set.name = "NoHardwareOperationSet";
    set.StartChannel = NoHardwareStartChannel;
    set.ResetAndApplyTiming = GenericResetAndApplyTiming;
    set.AdvanceSequencer = GenericAdvanceSequencer;
    return set;
}

} // namespace driver::core
