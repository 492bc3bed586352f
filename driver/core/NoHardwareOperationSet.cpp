#include "driver/core/NoHardwareOperationSet.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
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

// The synthetic source runs its exposure for the record's integration value in ms: that is
// the scan period it applies, so VYK_GetIntegrationTime answers what the client asked for.
int16_t noHardwareProgramFrequency(RegistrationRecord* record)
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    state.appliedPeriodMs = record->integration;
    return 0;
}

} // namespace

ChannelStart NoHardwareStartChannel(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int halfMs = 0;
    std::uint16_t integrationMs = 0;
    bool dirty = false;
    {
        std::lock_guard lock(state.mutex);
        integrationMs = record->integration;
        halfMs = integrationMs / 2;
    }
    // Each half of the integration ends at once when the record is released or the
    // library goes away, as a hardware channel's wait on its device does; VYK_Stop does
    // not end a channel of a single scan.
    const auto released = [&] { return record->instanceKey == 0 || state.detaching; };
    // A new integration time (VYK_ParamSet, as an emergency reset or a kick start sends it)
    // also cuts the exposure short: the scan is delivered at once, so that a long exposure
    // asked by mistake is not waited out before the new time can take effect.
    const auto retimed = [&] { return record->integration != integrationMs; };
    const auto releasedOrRetimed = [&] { return released() || retimed(); };
    // A released record lets the sequencer step on once (end-of-scan processing sees it
    // released); a library going away ends the scan here.
    const auto stopQuietly = [&] {
        bool detaching = false;
        {
            std::lock_guard lock(state.mutex);
            state.acquisitionStatus = kStatusStopped;
            record->continuous = 0;
            detaching = state.detaching;
        }
        if (!detaching)
            return ChannelStart::Advance;
        endScanQuietly();
        return ChannelStart::Pending;
    };
    bool cutShort = false;
    if (WaitMillisecondsUnless(halfMs, releasedOrRetimed)) {
        std::unique_lock lock(state.mutex);
        if (released()) {
            lock.unlock();
            return stopQuietly();
        }
        cutShort = true;
    }
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
        std::unique_lock lock(state.mutex);
        if (released()) {
            lock.unlock();
            return stopQuietly();
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
            // Like a converter, the source adds each scan to average to the sum that
            // end-of-scan processing divides; where that routine divides nothing (the types
            // that average in their acquisition) each scan replaces the last.
            const bool add =
                record->scanCounter > 0 && EndOfScanAverages(state.ops.EndOfScan, state.adcType);
            const bool wessor = state.spectrometerType == VYK_SPEC_WESSOR;
            buffer[0] = 0.0f;
            for (int i = 1; i < pixels; ++i) {
                const float r = static_cast<float>(nextRandomLocked(state)) / 32767.0f;
                const float value = wessor ? r * 1000.0f + static_cast<float>(i) * 50.0f
                                           : r * 50.0f + static_cast<float>(i);
                buffer[i] = add ? buffer[i] + value : value;
            }
        }
    }
    if (cutShort)
        return ChannelStart::Advance;
    if (WaitMillisecondsUnless(halfMs, releasedOrRetimed)) {
        std::unique_lock lock(state.mutex);
        if (released()) {
            lock.unlock();
            return stopQuietly();
        }
    }
    return ChannelStart::Advance;
}

OperationSet NoHardwareOperationSet()
{
    OperationSet set;
    set.name = "NoHardwareOperationSet";
    set.StartChannel = NoHardwareStartChannel;
    set.ProgramFrequency = noHardwareProgramFrequency;
    set.ResetAndApplyTiming = GenericResetAndApplyTiming;
    set.AdvanceSequencer = GenericAdvanceSequencer;
    return set;
}

} // namespace driver::core
