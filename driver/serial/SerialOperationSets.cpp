#include "driver/serial/SerialOperationSets.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "driver/serial/SerialAdc.h"
#include "driver/serial/SerialAdcProtocol.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace driver::serial {
namespace {

using core::ChannelStart;
using core::DriverState;
using core::driverState;

// Model differences of the two sets.
struct SerialModel
{
    bool istrel;
    std::uint16_t pixelMode;           // plain; + 256 for compressed frames
    std::uint16_t shortestIntegration; // ms
    std::uint16_t delayThreshold;      // the settling wait is t x 12 / d from here on
    std::uint16_t shortDelayMs;        // and this below it
};

constexpr SerialModel kSerialIstrel{true, 1, 5, 25, 25};
constexpr SerialModel kSerialLemmik{false, 513, 31, 40, 40};

// Adds one converter scan into the channel buffer; false when the scan failed (nothing
// is added then).
bool addScan(float* buffer, std::array<std::uint16_t, kScanBufferWords>& words)
{
    const std::int16_t result = serialAdc().scan(words.data());
    if (result != kKalDone) {
        core::debugLog("serial scan failed: %d\n", result);
        return false;
    }
    if (buffer) {
        for (int i = 0; i < kFramePixels; ++i)
            buffer[i] += static_cast<float>(words[kScanBufferPixelWord + i]);
    }
    return true;
}

ChannelStart serialStartChannel(const SerialModel& model, RegistrationRecord* record)
{
    DriverState& state = driverState();
    core::killWatchdog();
    bool dirty = false;
    bool aborted = false;
    int channel = -1;
    std::uint16_t spectrometerType = 0;
    int multichannelMode = 0;
    {
        std::lock_guard lock(state.mutex);
        if (record->scansToAverage == 0)
            record->scansToAverage = 1;
        dirty = record->timingDirty == 1;
        channel = state.currentChannel;
        spectrometerType = state.spectrometerType;
        multichannelMode = state.multichannelMode;
        // A new scan starts clean; a failed channel marks the whole scan aborted, and the
        // channels after it are not acquired (each would wait out its own time-out).
        if (record->scanCounter == 0 && channel == core::nextEnabledChannel(*record, 0))
            state.scanAborted = false;
        aborted = state.scanAborted;
    }
    if (aborted) {
        std::lock_guard lock(state.mutex);
        record->scanCounter = static_cast<std::int16_t>(std::max(record->scansToAverage - 1, 0));
        state.acquisitionStatus = core::kStatusChannelDone;
        return ChannelStart::Advance;
    }
    if (dirty)
        core::ApplyTimingIfChanged(record);

    SerialAdc& adc = serialAdc();
    if (model.istrel) {
        if (channel == -1)
            return ChannelStart::Advance;
        if (adc.converterType() == 2 && multichannelMode != 1) {
            adc.command('H', {static_cast<std::uint16_t>(spectrometerType + 256)}, kTypes13);
        } else {
            std::int16_t ack = adc.command('H', {static_cast<std::uint16_t>(channel)}, kTypes13);
            for (int repeat = 0; repeat < 15 && ack != kKalDone; ++repeat) {
                core::WaitMilliseconds(5);
                ack = adc.command('H', {static_cast<std::uint16_t>(channel)}, kTypes13);
            }
        }
    }
    std::uint16_t triggerMode = 0;
    bool strobe = true;
    {
        std::lock_guard lock(state.mutex);
        triggerMode = static_cast<std::uint16_t>(record->triggerMode);
        strobe = state.strobeState;
    }
    adc.command('H', {static_cast<std::uint16_t>(std::max(channel, 0))}, kTypes13);
    adc.setExternalTrigger(triggerMode);
    adc.command('J', {static_cast<std::uint16_t>(strobe ? 1 : 0)});

    core::PendingPosts posts;
    float* buffer = nullptr;
    int scans = 1;
    {
        std::lock_guard lock(state.mutex);
        state.acquisitionStatus = core::kStatusAcquiring;
        if (record->flags & VYK_FLAG_STATUS_MESSAGES)
            posts.add(record->window, VYK_MSG_STATUS, 0, record);
        buffer =
            channel >= 0 && channel < core::kChannels ? record->channelBuffers[channel] : nullptr;
        scans = std::max<int>(record->scansToAverage, 1);
    }
    posts.postAll();

    // The channel's scans are summed here, in converter sums of at most 15; the core's
    // end of scan divides by the scans to average.
    if (buffer)
        std::fill_n(buffer, kFramePixels, 0.0f);
    std::array<std::uint16_t, kScanBufferWords> words{};
    bool failed = false;
    if (scans / 15 > 0) {
        failed = adc.setScansToAdd(15) != kKalDone;
        for (int k = 0; k < scans / 15 && !failed; ++k)
            failed = !addScan(buffer, words);
    }
    if (!failed && scans % 15 > 0) {
        failed = adc.setScansToAdd(static_cast<std::uint16_t>(scans % 15)) != kKalDone;
        failed = failed || !addScan(buffer, words);
    }

    {
        std::lock_guard lock(state.mutex);
        // A converter that did not take the sum or sent no good frame: the scan is reported
        // aborted by end-of-scan, never delivered as data.
        if (failed)
            state.scanAborted = true;
        // Every scan to average is in the buffer: the sequencer moves on to the next channel.
        record->scanCounter = static_cast<std::int16_t>(std::max(record->scansToAverage - 1, 0));
        if (record->instanceKey == 0) {
            state.acquisitionStatus = core::kStatusStopped;
            record->continuous = 0;
        } else {
            state.acquisitionStatus = core::kStatusChannelDone;
            state.lastChannelDone = channel;
        }
    }
    // The scans ran in the client's thread: let its windows have their messages (a
    // handler may stop a continuous scan), now that no port lock is held and the channel
    // is no longer being acquired.
    core::PumpMessages();
    return ChannelStart::Advance;
}

std::int16_t serialProgramIntegration(RegistrationRecord* record)
{
    DriverState& state = driverState();
    std::uint16_t delay = 0;
    {
        std::lock_guard lock(state.mutex);
        if (record->flashDelay > 255)
            record->flashDelay = 255;
        if (record->flashDelay == state.appliedFlashDelay)
            return 0;
        state.appliedFlashDelay = record->flashDelay;
        delay = static_cast<std::uint16_t>(std::max<int>(record->flashDelay, 0));
    }
    serialAdc().setFlashDelay(delay);
    return 0;
}

std::int16_t serialProgramFrequency(const SerialModel& model, RegistrationRecord* record)
{
    DriverState& state = driverState();
    std::uint16_t t = 0;
    int divisor = 10;
    bool noDelay = false;
    {
        std::lock_guard lock(state.mutex);
        noDelay = state.noIntegrationTimeDelayMode != 0;
        t = std::clamp<std::uint16_t>(record->integration, model.shortestIntegration, 65000);
        record->integration = t;
        state.appliedPeriodMs = t;
        divisor = std::max(state.frequencyDivisor, 1);
    }
    serialAdc().setIntegrationTime(t);
    if (!noDelay) {
        const int waitMs =
            t >= model.delayThreshold ? static_cast<int>(t) * 12 / divisor : model.shortDelayMs;
        core::WaitMilliseconds(waitMs);
    }
    return 0;
}

std::int16_t serialResetAndApplyTiming(const SerialModel& model, RegistrationRecord* record)
{
    DriverState& state = driverState();
    bool reinitialise = false;
    bool compressed = false;
    int resolution = 1;
    {
        std::lock_guard lock(state.mutex);
        if (state.kaldrisPixelResolution <= 0 || state.kaldrisPixelResolution > 500)
            state.kaldrisPixelResolution = 1;
        resolution = state.kaldrisPixelResolution;
        compressed = state.compressKalData;
        reinitialise = state.reopen;
    }
    SerialAdc& adc = serialAdc();
    if (reinitialise) {
        PixelModeRecord mode{};
        mode.mode = static_cast<std::uint16_t>(model.pixelMode + (compressed ? 256 : 0));
        mode.args[0] = static_cast<std::uint16_t>(resolution);
        mode.count = 1;
        adc.setPixelMode(&mode);
        adc.interpolateMissingPixels = true;
        adc.setChecksumMode(1);
        adc.command('M', {0}, kTypes13);
        adc.command('B', {0});
        adc.setExternalTrigger(0);
        std::uint16_t rate = 0;
        if (model.istrel) {
            const auto version = static_cast<std::uint16_t>(adc.query('v', {}, false));
            rate = version < 2000 || version > 7999 ? 444 : 500;
        } else {
            rate = adc.converterType() == 3 ? 100 : 90;
        }
        adc.command('F', {rate}, kTypes13);
        std::lock_guard lock(state.mutex);
        state.reopen = false;
    }
    serialProgramFrequency(model, record);
    if (model.istrel)
        serialProgramIntegration(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

ChannelStart istrelStartChannel(RegistrationRecord* record)
{
    return serialStartChannel(kSerialIstrel, record);
}

ChannelStart lemmikStartChannel(RegistrationRecord* record)
{
    return serialStartChannel(kSerialLemmik, record);
}

std::int16_t serialIstrelProgramFrequency(RegistrationRecord* record)
{
    return serialProgramFrequency(kSerialIstrel, record);
}

std::int16_t lemmikProgramFrequency(RegistrationRecord* record)
{
    return serialProgramFrequency(kSerialLemmik, record);
}

std::int16_t serialIstrelResetAndApplyTiming(RegistrationRecord* record)
{
    return serialResetAndApplyTiming(kSerialIstrel, record);
}

std::int16_t lemmikResetAndApplyTiming(RegistrationRecord* record)
{
    return serialResetAndApplyTiming(kSerialLemmik, record);
}

} // namespace

core::OperationSet IstrelKaldrisOperationSet()
{
    core::OperationSet set;
    set.name = "IstrelKaldrisOperationSet";
    set.StartChannel = istrelStartChannel;
    set.ProgramIntegration = serialProgramIntegration;
    set.ProgramFrequency = serialIstrelProgramFrequency;
    set.ResetAndApplyTiming = serialIstrelResetAndApplyTiming;
    set.AdvanceSequencer = core::GenericAdvanceSequencer;
    return set;
}

core::OperationSet LemmikKaldrisOperationSet()
{
    core::OperationSet set;
    set.name = "LemmikKaldrisOperationSet";
    set.StartChannel = lemmikStartChannel;
    set.ProgramFrequency = lemmikProgramFrequency;
    set.ResetAndApplyTiming = lemmikResetAndApplyTiming;
    set.AdvanceSequencer = core::GenericAdvanceSequencer;
    return set;
}

void registerSerialOperationSets()
{
    core::registerOperationSet("IstrelKaldrisOperationSet", IstrelKaldrisOperationSet());
    core::registerOperationSet("LemmikKaldrisOperationSet", LemmikKaldrisOperationSet());
}

} // namespace driver::serial
