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

std::mutex g_setupMutex;
SerialSetup g_setup;

// Model differences of the two sets.
struct SerialModel
{
    bool istrel;
    // The model's end of scan reports an aborted scan (0x468); otherwise a failed channel
    // gives the scan up at once with 0x466.
    bool endOfScanReportsAbort;
    std::uint16_t pixelMode;           // plain; + 256 for compressed frames
    std::uint16_t shortestIntegration; // ms
    std::uint16_t delayThreshold;      // the settling wait is t x 12 / d from here on
    std::uint16_t shortDelayMs;        // and this below it
};

constexpr SerialModel kIstrel{true, false, 1, 5, 25, 25};
constexpr SerialModel kLemmik{false, true, 513, 31, 40, 40};

// Adds one converter scan into the channel buffer; false when the scan failed.
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

ChannelStart startChannel(const SerialModel& model, RegistrationRecord* record)
{
    DriverState& state = driverState();
    core::killWatchdog();
    bool dirty = false;
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
        // A new scan starts clean; a failed channel marks the whole scan aborted.
        if (record->scanCounter == 0 && channel == core::nextEnabledChannel(*record, 0))
            state.scanAborted = false;
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
    {
        std::lock_guard lock(state.mutex);
        triggerMode = static_cast<std::uint16_t>(record->triggerMode);
    }
    adc.command('H', {static_cast<std::uint16_t>(std::max(channel, 0))}, kTypes13);
    adc.setExternalTrigger(triggerMode);
    adc.command('J', {static_cast<std::uint16_t>(serialSetup().strobeEnable ? 1 : 0)});

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
        adc.setScansToAdd(15);
        for (int k = 0; k < scans / 15 && !failed; ++k)
            failed = !addScan(buffer, words);
    }
    if (!failed && scans % 15 > 0) {
        adc.setScansToAdd(static_cast<std::uint16_t>(scans % 15));
        failed = !addScan(buffer, words);
    }

    if (failed && !model.endOfScanReportsAbort) {
        {
            std::lock_guard lock(state.mutex);
            core::failScanLocked(state, record, channel, posts);
            state.acquisitionStatus = core::kStatusTimedOut;
            state.sequencerRunning = false;
            state.scanFinished.notify_all();
        }
        posts.postAll();
        return ChannelStart::Pending; // the scan is over: nothing more to sequence
    }
    std::lock_guard lock(state.mutex);
    if (failed)
        state.scanAborted = true;
    // Every scan to average is in the buffer: the sequencer moves on to the next channel.
    record->scanCounter = static_cast<std::int16_t>(std::max(record->scansToAverage - 1, 0));
    if (record->instanceKey == 0) {
        state.acquisitionStatus = core::kStatusStopped;
        record->continuous = 0;
        return ChannelStart::Advance;
    }
    state.acquisitionStatus = core::kStatusChannelDone;
    state.lastChannelDone = channel;
    return ChannelStart::Advance;
}

std::int16_t programIntegration(RegistrationRecord* record)
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

std::int16_t programFrequency(const SerialModel& model, RegistrationRecord* record)
{
    DriverState& state = driverState();
    std::uint16_t t = 0;
    int divisor = 10;
    {
        std::lock_guard lock(state.mutex);
        t = std::clamp<std::uint16_t>(record->integration, model.shortestIntegration, 65000);
        record->integration = t;
        state.appliedPeriodMs = t;
        divisor = std::max(state.frequencyDivisor, 1);
    }
    serialAdc().setIntegrationTime(t);
    if (!serialSetup().noIntegrationTimeDelay) {
        const int waitMs =
            t >= model.delayThreshold ? static_cast<int>(t) * 12 / divisor : model.shortDelayMs;
        core::WaitMilliseconds(waitMs);
    }
    return 0;
}

std::int16_t resetAndApplyTiming(const SerialModel& model, RegistrationRecord* record)
{
    DriverState& state = driverState();
    SerialSetup setup = serialSetup();
    if (setup.pixelResolution <= 0 || setup.pixelResolution > 500) {
        setup.pixelResolution = 1;
        setSerialSetup(setup);
    }
    bool reinitialise = false;
    {
        std::lock_guard lock(state.mutex);
        reinitialise = state.reopen;
    }
    SerialAdc& adc = serialAdc();
    if (reinitialise) {
        PixelModeRecord mode{};
        mode.mode = static_cast<std::uint16_t>(model.pixelMode + (setup.compressed ? 256 : 0));
        mode.args[0] = static_cast<std::uint16_t>(setup.pixelResolution);
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
    programFrequency(model, record);
    if (model.istrel)
        programIntegration(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

ChannelStart istrelStartChannel(RegistrationRecord* record)
{
    return startChannel(kIstrel, record);
}

ChannelStart lemmikStartChannel(RegistrationRecord* record)
{
    return startChannel(kLemmik, record);
}

std::int16_t istrelProgramFrequency(RegistrationRecord* record)
{
    return programFrequency(kIstrel, record);
}

std::int16_t lemmikProgramFrequency(RegistrationRecord* record)
{
    return programFrequency(kLemmik, record);
}

std::int16_t istrelResetAndApplyTiming(RegistrationRecord* record)
{
    return resetAndApplyTiming(kIstrel, record);
}

std::int16_t lemmikResetAndApplyTiming(RegistrationRecord* record)
{
    return resetAndApplyTiming(kLemmik, record);
}

// The shared library makes the sets available as it loads (no I/O, no threads).
[[maybe_unused]] const bool g_registered = [] {
    registerSerialOperationSets();
    return true;
}();

} // namespace

SerialSetup serialSetup()
{
    std::lock_guard lock(g_setupMutex);
    return g_setup;
}

void setSerialSetup(const SerialSetup& setup)
{
    std::lock_guard lock(g_setupMutex);
    g_setup = setup;
}

core::OperationSet IstrelKaldrisOperationSet()
{
    core::OperationSet set;
    set.name = "IstrelKaldrisOperationSet";
    set.StartChannel = istrelStartChannel;
    set.ProgramIntegration = programIntegration;
    set.ProgramFrequency = istrelProgramFrequency;
    set.ResetAndApplyTiming = istrelResetAndApplyTiming;
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
