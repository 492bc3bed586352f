#include "driver/usb/PellarOperationSet.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScanSteps.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Sequencer.h"
#include "driver/usb/PellarTransport.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <span>

namespace driver::usb {
namespace {

using core::DriverState;
using core::driverState;

constexpr double kStrayLightDivisor = 8388608.0; // 2048 x 4096

// Validity of the last delivered channel (initially valid).
std::atomic<bool> g_lastValid{true};

// The scan was given up by someone else (the channel is no longer the current one).
bool scanGivenUpLocked(const DriverState& state, int channel)
{
    return state.currentChannel != channel;
}

bool pellarScanCancelled(const RegistrationRecord* record, int channel)
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return record->instanceKey == 0 || scanGivenUpLocked(state, channel);
}

// Ends the channel of a record released during its scan: the sequencer steps on once and
// end-of-scan processing ends the scan quietly.
core::ChannelStart releasedLocked(DriverState& state, RegistrationRecord* record)
{
    state.acquisitionStatus = core::kStatusStopped;
    record->continuous = 0;
    return core::ChannelStart::Advance;
}

} // namespace

void resetPellarSetState()
{
    g_lastValid = true;
}

core::ChannelStart PellarStartChannel(RegistrationRecord* record)
{
    DriverState& state = driverState();
    core::killWatchdog();
    int channel = -1;
    int scans = 1;
    {
        std::lock_guard lock(state.mutex);
        if (record->scansToAverage == 0)
            record->scansToAverage = 1;
        if (record->instanceKey == 0)
            return releasedLocked(state, record);
        channel = state.currentChannel;
        scans = std::max<int>(record->scansToAverage, 1);
        // Every scan to average is taken here: the sequencer goes on to the next channel.
        record->scanCounter = static_cast<std::int16_t>(scans - 1);
        const bool hasBuffer =
            channel >= 0 && channel < core::kChannels && record->channelBuffers[channel];
        if (!hasBuffer) {
            // End-of-scan processing fails the scan for the missing buffer.
            state.acquisitionStatus = core::kStatusChannelDone;
            state.lastChannelDone = channel;
            return core::ChannelStart::Advance;
        }
        state.acquisitionStatus = core::kStatusAcquiring;
    }

    // The average goes to an array of our own first: the record may be released meanwhile,
    // and the client's buffer is written only whole.
    std::array<float, kPellarMaxPixels> spectrum{};
    const auto cancel = [record, channel] { return pellarScanCancelled(record, channel); };
    const PellarAcquisition acquired = AcquirePellar(pellarHandle(), scans, spectrum, cancel);
    const bool valid = acquired.added > 0;

    core::PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        if (record->instanceKey == 0)
            return releasedLocked(state, record);
        if (scanGivenUpLocked(state, channel))
            return core::ChannelStart::Pending; // the scan is over: nothing more to sequence
        // A channel without any good block is delivered as zeros, never as data.
        if (float* buffer = record->channelBuffers[channel])
            std::copy(spectrum.begin(), spectrum.end(), buffer);
        if (valid != g_lastValid.load()) {
            g_lastValid = valid;
            posts.add(record->window, VYK_MSG_DATA_VALIDITY, valid ? 0 : 1, record);
        }
        state.acquisitionStatus = core::kStatusChannelDone;
        state.lastChannelDone = channel;
    }
    posts.postAll();
    return core::ChannelStart::Advance;
}

int16_t PellarProgramFrequency(RegistrationRecord* record)
{
    DriverState& state = driverState();
    int integrationMs = 0;
    int divisor = 10;
    {
        std::lock_guard lock(state.mutex);
        integrationMs = record->integration;
        divisor = state.frequencyDivisor;
    }
    if (integrationMs == lastPellarIntegration())
        return 0;
    setLastPellarIntegration(integrationMs);
    {
        std::lock_guard lock(state.mutex);
        state.appliedPeriodMs = std::max(integrationMs, 1);
    }
    SetPellarIntegration(pellarHandle(), static_cast<std::uint16_t>(integrationMs));
    // The detector needs a few frames at the new time before its data settles.
    core::driverPlatform().sleepMs(pellarIntegrationSettleMs(integrationMs, divisor));
    return 0;
}

int16_t PellarResetAndApplyTiming(RegistrationRecord* record)
{
    DriverState& state = driverState();
    {
        // The device was opened by the hardware connection; nothing to reopen here.
        std::lock_guard lock(state.mutex);
        state.reopen = false;
    }
    PellarProgramFrequency(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

void PellarChannelComplete(int channel, bool add)
{
    DriverState& state = driverState();
    core::PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = state.current;
        if (!record || channel < 0 || channel >= core::kChannels || state.overrun)
            return;
        if (record->bufferStates[channel] == VYK_BUFFER_FULL) {
            posts.add(record->window, VYK_MSG_OVERRUN, static_cast<std::uintptr_t>(channel),
                      record);
            if (record->continueOnOverrun == 0)
                record->continuous = 0;
            state.overrun = true;
        } else if (float* buffer = record->channelBuffers[channel]) {
            const auto pixels = unpackedPixels();
            if (!add) {
                buffer[0] = 0.0f;
                buffer[1] = 0.0f;
            }
            for (std::size_t p = 2; p < pixels.size(); ++p) {
                const auto value = static_cast<float>(pixels[p] & 0x0FFF);
                buffer[p] = add ? buffer[p] + value : value;
            }
        }
    }
    posts.postAll();
}

void PellarEndOfScan(RegistrationRecord* record)
{
    DriverState& state = driverState();
    core::PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        if (!record || record->instanceKey == 0) {
            // Released during the scan: the scan ends quietly, the client is told nothing.
            state.overrun = false;
            core::clearScanBusyLocked(state);
            return;
        }
        // Every enabled channel needs its buffer; without one the scan fails as a whole
        // rather than leaving the busy flags set.
        bool failed = false;
        for (int c = 0; c < core::kChannels && !failed; ++c) {
            if (record->channelEnables[c] != 0 && !record->channelBuffers[c]) {
                core::failScanLocked(state, record, c, posts);
                state.overrun = false;
                failed = true;
            }
        }
        if (!failed) {
            // Client buffers hold 2048 floats; the pixel count never reaches past them.
            const auto n = static_cast<std::size_t>(
                std::clamp(state.pixelCount, 0, static_cast<int>(kPellarMaxPixels)));
            const int w = record->boxcarHalfWidth;
            for (int c = 0; c < core::kChannels; ++c) {
                if (record->channelEnables[c] == 0)
                    continue;
                std::span<float> pixels(record->channelBuffers[c], n);
                core::ChannelCorrections& corrections =
                    state.corrections[static_cast<std::size_t>(c)];
                if (corrections.nlEnable == 1 && record->channelEnables[c] == 1)
                    core::correctNonLinearity(pixels, corrections.nlCoefficients);
                if (record->correctForDark != 0)
                    correctPellarDark(pixels, corrections.evenDarkLevel, corrections.oddDarkLevel);
                if (corrections.slEnable == 1)
                    core::correctStrayLight(pixels, corrections.slConstant, kStrayLightDivisor);
                if (w > 0)
                    core::boxcarSmooth(pixels, state.floatScratch, w, w,
                                       static_cast<int>(n) - w - 1);
            }
            if (record->instanceKey == core::kDoScanKey) {
                record->window = VYK_MSG_BUFFER_FULL;
            } else if (!state.overrun) {
                for (int c = 0; c < core::kChannels; ++c) {
                    if (record->channelEnables[c] == 0)
                        continue;
                    record->bufferStates[c] = VYK_BUFFER_FULL;
                    posts.add(record->window, VYK_MSG_BUFFER_FULL, static_cast<std::uintptr_t>(c),
                              record);
                }
                if (state.multichannelMode != 0)
                    std::fill(std::begin(record->channelEnables), std::end(record->channelEnables),
                              std::int16_t{0});
            }
            state.overrun = false;
            core::clearScanBusyLocked(state);
        }
    }
    posts.postAll();
}

void PellarShutdownHardware()
{
    const Handle handle = pellarHandle();
    setPellarHandle(kNoHandle);
    ClosePellarDevice(handle);
}

core::OperationSet PellarOperationSet()
{
    core::OperationSet set;
    set.name = "PellarOperationSet";
    set.StartChannel = PellarStartChannel;
    set.ProgramFrequency = PellarProgramFrequency;
    set.ResetAndApplyTiming = PellarResetAndApplyTiming;
    set.AdvanceSequencer = core::GenericAdvanceSequencer;
    set.ChannelComplete = PellarChannelComplete;
    set.EndOfScan = PellarEndOfScan;
    set.ShutdownHardware = PellarShutdownHardware;
    return set;
}

void registerPellarOperationSet()
{
    core::registerOperationSet("PellarOperationSet", PellarOperationSet());
}

namespace {
// The set is available from library load on; registering touches no device.
const bool g_pellarRegistered = (registerPellarOperationSet(), true);
} // namespace

} // namespace driver::usb
