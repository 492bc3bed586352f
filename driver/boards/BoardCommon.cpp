#include "driver/boards/BoardCommon.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"

#include <algorithm>
#include <cstring>

namespace driver::boards {

using core::DriverState;
using core::driverState;

BoardFields& boardFields()
{
    static BoardFields fields;
    return fields;
}

// Made at load, so destroyed only after the library's detach at unload or exit.
[[maybe_unused]] const bool g_boardFieldsMadeAtLoad = (boardFields(), true);

std::shared_ptr<platform::portio::PortIo> boardIo()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    return state.portIo ? state.portIo : platform::portio::noPortIo();
}

void writeCounter(platform::portio::PortIo& io, std::uint32_t port, std::uint32_t value)
{
    io.writePort(0, port, 1, value & 0xFF);
    io.writePort(0, port, 1, (value >> 8) & 0xFF);
}

void channelCompleteWith(int channel, bool add, int firstPixel, int lastPixel, bool invert)
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
            const int last = std::min(lastPixel, static_cast<int>(state.rawBuffer.size()) - 1);
            if (!add) {
                buffer[0] = 0.0f;
                buffer[1] = 0.0f;
            }
            for (int p = firstPixel; p <= last; ++p) {
                const float value =
                    sampleValue(state.rawBuffer[static_cast<std::size_t>(p)], invert);
                buffer[p] = add ? buffer[p] + value : value;
            }
        }
    }
    posts.postAll();
}

TriggerWait waitForTrigger(RegistrationRecord* record, int range, std::uint32_t port, int width)
{
    DriverState& state = driverState();
    core::DriverPlatform& platform = core::driverPlatform();
    const std::uint32_t startMs = platform.timeMs();
    int timeoutMs = 0;
    bool wasContinuous = false;
    std::uint32_t cancelEpoch = 0;
    {
        std::lock_guard lock(state.mutex);
        timeoutMs = state.trigTimeoutMs;
        wasContinuous = record->continuous != 0;
        cancelEpoch = state.cancelEpoch;
    }
    std::shared_ptr<platform::portio::PortIo> io = boardIo();
    for (;;) {
        if (io->readPort(range, port, width) & 0x08)
            return TriggerWait::Present;
        {
            std::lock_guard lock(state.mutex);
            const bool released = record->instanceKey == 0 || state.current != record;
            // VYK_Stop, VYK_UnRegister and detaching cancel the library's waits.
            const bool stopped =
                (wasContinuous && record->continuous == 0) || state.cancelEpoch != cancelEpoch;
            if (released || stopped || state.connectedMarker == 0 || state.currentChannel == -1)
                return TriggerWait::Cancelled;
        }
        if (timeoutMs > 0 && platform.timeMs() - startMs >= static_cast<std::uint32_t>(timeoutMs)) {
            // The trigger never came: end the scan as the watchdog's second expiry does.
            core::PendingPosts posts;
            {
                std::lock_guard lock(state.mutex);
                const int channel = state.currentChannel;
                core::failScanLocked(state, record, channel, posts);
                state.acquisitionStatus = core::kStatusTimedOut;
                state.sequencerRunning = false;
                state.watchdogFirstExpiry = false;
                state.scanFinished.notify_all();
            }
            posts.postAll();
            return TriggerWait::TimedOut;
        }
        core::WaitMilliseconds(1);
    }
}

void applyTimingIfDirty(RegistrationRecord* record)
{
    DriverState& state = driverState();
    bool dirty = false;
    {
        std::lock_guard lock(state.mutex);
        dirty = record->timingDirty == 1;
    }
    if (dirty)
        core::ApplyTimingIfChanged(record);
}

std::uint32_t selectChannel(std::uint32_t byte, int channel)
{
    if (channel < 4)
        return ((byte & 0x63) | static_cast<std::uint32_t>(channel * 8)) & 0x7F;
    return ((byte & 0xE3) | (static_cast<std::uint32_t>(channel | 0xF0) * 8)) & 0xFF;
}

std::optional<core::ChannelStart> awaitStartTrigger(RegistrationRecord* record, int range,
                                                    std::uint32_t port, int width)
{
    const TriggerWait wait = waitForTrigger(record, range, port, width);
    if (wait == TriggerWait::Present)
        return std::nullopt;
    if (wait == TriggerWait::Cancelled) {
        DriverState& state = driverState();
        bool released = false;
        {
            std::lock_guard lock(state.mutex);
            released = record->instanceKey == 0;
        }
        if (released)
            return core::ChannelStart::Advance; // the sequencer ends the scan quietly
        core::endScanQuietly();
    } // a time-out has ended the scan already
    noteChannelPending();
    return core::ChannelStart::Pending;
}

core::ChannelStart startAcquisition(RegistrationRecord* record, platform::portio::PortIo& io,
                                    std::uint32_t controlByte, std::uint32_t watchdogMs,
                                    ControlWrite write)
{
    DriverState& state = driverState();
    {
        std::lock_guard lock(state.mutex);
        boardFields().controlByte = controlByte;
        state.acquisitionStatus = core::kStatusAcquiring;
    }
    if (watchdogMs != 0)
        core::armWatchdog(watchdogMs);
    write(io, controlByte);
    postStatusMessage(record);
    noteChannelPending();
    return core::ChannelStart::Pending;
}

std::optional<InterruptChannel> claimInterruptChannelLocked(DriverState& state, bool takeWatchdog)
{
    RegistrationRecord* record = state.current;
    if (state.currentChannel == -1 || state.acquisitionStatus != core::kStatusAcquiring ||
        !record) {
        if (record)
            record->continuous = 0;
        return std::nullopt;
    }
    if (record->instanceKey == 0) {
        state.acquisitionStatus = core::kStatusStopped;
        record->continuous = 0;
        if (takeWatchdog)
            takeWatchdogLocked(state);
        boardFields().advanceAfterInterrupt = true;
        return std::nullopt;
    }
    InterruptChannel delivered;
    delivered.channel = state.currentChannel;
    delivered.add = record->scanCounter != 0;
    state.lastChannelDone = delivered.channel;
    if (takeWatchdog)
        takeWatchdogLocked(state);
    return delivered;
}

std::optional<InterruptChannel> claimInterruptChannel()
{
    DriverState& state = driverState();
    std::optional<InterruptChannel> delivered;
    {
        std::lock_guard lock(state.mutex);
        delivered = claimInterruptChannelLocked(state, true);
    }
    if (delivered)
        core::InterruptsEnableHook();
    return delivered;
}

void deliverSamples(std::span<const std::uint8_t> bytes, std::size_t firstRaw, std::size_t samples,
                    void (*complete)(int channel, bool add), InterruptChannel delivered)
{
    DriverState& state = driverState();
    {
        std::lock_guard lock(state.mutex);
        for (std::size_t k = 0; k < samples; ++k)
            state.rawBuffer[firstRaw + k] =
                static_cast<std::uint16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
        state.acquisitionStatus = core::kStatusChannelDone;
        boardFields().advanceAfterInterrupt = true;
    }
    complete(delivered.channel, delivered.add);
}

void quietControl(ControlWrite write)
{
    std::uint32_t byte = 0;
    {
        std::lock_guard lock(driverState().mutex);
        byte = boardFields().controlByte & 0xBC;
        boardFields().controlByte = byte;
    }
    auto io = boardIo();
    write(*io, byte | 0x20);
    write(*io, byte);
}

core::OperationSet setNamed(std::span<const core::OperationSet> sets, const char* name)
{
    for (const core::OperationSet& set : sets) {
        if (std::strcmp(set.name, name) == 0)
            return set;
    }
    return {};
}

void registerSets(std::span<const core::OperationSet> sets)
{
    for (const core::OperationSet& set : sets)
        core::registerOperationSet(set.name, set);
}

void takeWatchdogLocked(DriverState& state)
{
    BoardFields& fields = boardFields();
    if (state.watchdogTimer != 0)
        fields.timerToKill = state.watchdogTimer;
    state.watchdogTimer = 0;
    state.watchdogFirstExpiry = false;
    ++state.channelEpoch;
}

void afterInterrupt()
{
    DriverState& state = driverState();
    std::uint32_t timer = 0;
    bool advance = false;
    core::OperationSet ops;
    {
        std::lock_guard lock(state.mutex);
        BoardFields& fields = boardFields();
        timer = fields.timerToKill;
        advance = fields.advanceAfterInterrupt;
        fields.timerToKill = 0;
        fields.advanceAfterInterrupt = false;
        ops = state.ops;
    }
    // Killing waits for a running timer callback, whose port I/O needs the device lock:
    // so this runs after the lock has been released.
    if (timer != 0)
        core::driverPlatform().killTimer(timer);
    if (advance && ops.AdvanceSequencer)
        ops.AdvanceSequencer();
    core::InterruptEndHook();
}

namespace {

// Set by a board StartChannel that leaves its channel pending on this thread; tells
// advanceAndQuiet whether its own sequencer run ended the scans or handed them on to the
// interrupt thread.
thread_local bool t_channelLeftPending = false;

} // namespace

void noteChannelPending()
{
    t_channelLeftPending = true;
}

void advanceAndQuiet(void (*quiet)())
{
    t_channelLeftPending = false;
    core::runSequencer();
    if (t_channelLeftPending)
        return; // the interrupt thread carries on, and quiets the board at the end
    DriverState& state = driverState();
    bool idle = false;
    {
        std::lock_guard lock(state.mutex);
        idle = !state.sequencerRunning && state.currentChannel == -1;
    }
    if (idle && quiet)
        quiet();
}

std::uint32_t gavrelWatchdogMs(int integration)
{
    const int value = integration == 0 ? 1000 : integration;
    return static_cast<std::uint32_t>(4096 / value + 2000);
}

std::uint32_t istrelWatchdogMs(int triggerMode, int integration)
{
    if (triggerMode != 0 && triggerMode != 1)
        return 0;
    return integration >= 500 ? static_cast<std::uint32_t>(3 * integration) : 1000u;
}

int periodSettleMs(int newPeriod, int previousPeriod, int divisor)
{
    const int v = std::max(newPeriod, previousPeriod);
    return v >= 30 ? v / std::max(divisor, 1) * 12 : 35;
}

void postStatusMessage(RegistrationRecord* record)
{
    DriverState& state = driverState();
    core::PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        if (record->flags & VYK_FLAG_STATUS_MESSAGES)
            posts.add(record->window, VYK_MSG_STATUS, 0, record);
    }
    posts.postAll();
}

} // namespace driver::boards
