#include "driver/core/Scheduler.h"

#include "driver/core/AcquisitionWorker.h"
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverState.h"
#include "driver/core/ExportGuard.h"
#include "driver/core/Sequencer.h"

#include <algorithm>

namespace driver::core {
namespace {

// Bound of VYK_Stop's wait for a channel being acquired: the watchdog ends a stuck channel
// within two delays; without timers nothing would, so the wait gives up.
constexpr int kStopWaitMinimumMs = 10000;

} // namespace

void PumpMessages()
{
    driverPlatform().pumpMessages();
}

bool WaitMilliseconds(int ms)
{
    if (ms < 0)
        return true;
    DriverState& state = driverState();
    bool pump = false;
    {
        std::lock_guard lock(state.mutex);
        pump = state.doScanProcessYield || state.extrigProcessYield;
    }
    DriverPlatform& platform = driverPlatform();
    if (pump)
        PumpMessages();
    platform.sleepMs(static_cast<std::uint32_t>(ms % 1000));
    for (int second = 0; second < ms / 1000; ++second) {
        if (pump)
            PumpMessages();
        platform.sleepMs(1000);
    }
    return false;
}

bool WaitMillisecondsUnless(int ms, const std::function<bool()>& stopLocked)
{
    if (ms < 0)
        return false;
    DriverState& state = driverState();
    bool pump = false;
    {
        std::lock_guard lock(state.mutex);
        if (stopLocked())
            return true;
        pump = state.doScanProcessYield || state.extrigProcessYield;
    }
    DriverPlatform& platform = driverPlatform();
    const auto waitSlice = [&](int sliceMs) {
        std::unique_lock lock(state.mutex);
        return platform.waitMs(static_cast<std::uint32_t>(sliceMs), lock, state.scanFinished,
                               stopLocked);
    };
    // The same rhythm as WaitMilliseconds: the pump gets its turn before each slice.
    if (pump)
        PumpMessages();
    if (waitSlice(ms % 1000))
        return true;
    for (int second = 0; second < ms / 1000; ++second) {
        if (pump)
            PumpMessages();
        if (waitSlice(1000))
            return true;
    }
    return false;
}

int16_t startScan(std::uint32_t key, bool continuous)
{
    DriverState& state = driverState();
    DriverPlatform& platform = driverPlatform();
    bool complete = false;
    bool usbType = false;
    {
        std::lock_guard lock(state.mutex);
        state.overrun = false;
        state.overrunPosted = false;
        complete = state.startupFlags == kStartupComplete;
        usbType = state.usbType;
    }
    if (!complete) {
        showInitializationIncomplete();
        return VYK_NOT_INITIALISED;
    }
    if (continuous && usbType)
        WaitMilliseconds(1);

    RegistrationRecord* record = nullptr;
    {
        std::lock_guard lock(state.mutex);
        if (state.sequencerRunning) {
            if (state.current && state.current->continuous)
                return VYK_BUSY;
            const int queuedMask = continuous ? 3 : VYK_FLAG_CONTINUOUS_QUEUED;
            for (std::size_t i = 0; i < state.table.size(); ++i) {
                if (state.table.at(i).flags & queuedMask)
                    return VYK_BUSY;
            }
            RegistrationRecord* queued = FindRegistration(state, key);
            if (!queued)
                return VYK_MISSING_ARGUMENT;
            if (queued == state.current)
                return VYK_BUSY;
            queued->flags = static_cast<int16_t>(
                queued->flags | (continuous ? VYK_FLAG_CONTINUOUS_QUEUED : VYK_FLAG_SINGLE_QUEUED));
            return VYK_SUCCESS;
        }
        record = FindRegistration(state, key);
        state.current = record;
        if (!record)
            return VYK_MISSING_ARGUMENT;
        record->flags = static_cast<int16_t>(record->flags & ~3);
        record->scanCounter = 0;
        record->continuous = continuous ? 1 : 0;
        state.currentChannel = -1;
        state.watchdogFirstExpiry = false;
        state.sequencerRunning = true;
    }

    ApplyTimingIfChanged(record);
    const std::uint32_t now = platform.timeMs();
    OperationSet ops;
    {
        std::lock_guard lock(state.mutex);
        if (!continuous && record->status >= 10 && record->status <= 13) {
            state.sequencerRunning = false;
            state.scanFinished.notify_all();
            return record->status;
        }
        state.scanTimes[1] = now;
        ops = state.ops;
    }
    if (ops.AdvanceSequencer)
        ops.AdvanceSequencer();
    return VYK_SUCCESS;
}

int16_t stopScan(std::uint32_t key)
{
    DriverState& state = driverState();
    int boundMs = kStopWaitMinimumMs;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = FindRegistration(state, key);
        if (!record)
            return VYK_SUCCESS;
        record->continuous = 0;
        if (record != state.current)
            record->flags = static_cast<int16_t>(record->flags & ~3);
        boundMs =
            std::max<int>(kStopWaitMinimumMs, 3 * static_cast<int>(state.watchdogDelayMs) + 1000);
    }
    // Every other wait of the library ends now; this one waits, bounded, for the channel
    // being acquired, and ends early when the record is released or the library detaches.
    cancelWaits();
    std::uint32_t epoch = 0;
    {
        std::lock_guard lock(state.mutex);
        epoch = state.cancelEpoch;
    }
    for (int waited = 0; waited < boundMs; ++waited) {
        {
            std::lock_guard lock(state.mutex);
            if (state.acquisitionStatus != kStatusAcquiring || state.cancelEpoch != epoch)
                break;
        }
        WaitMilliseconds(1);
    }
    return VYK_SUCCESS;
}

} // namespace driver::core

using driver::core::guardExport;

VYK_API int16_t VYK_SingleScan(uint32_t instanceKey)
{
    return guardExport<int16_t>("VYK_SingleScan", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::startScan(instanceKey, false); });
}

VYK_API int16_t VYK_ContinuousScan(uint32_t instanceKey)
{
    return guardExport<int16_t>("VYK_ContinuousScan", VYK_MISSING_ARGUMENT,
                                [&] { return driver::core::startScan(instanceKey, true); });
}

VYK_API int16_t VYK_Stop(uint32_t instanceKey)
{
    return guardExport<int16_t>("VYK_Stop", VYK_SUCCESS,
                                [&] { return driver::core::stopScan(instanceKey); });
}

VYK_API int16_t SS_SingleScan(uint32_t instanceKey)
{
    return VYK_SingleScan(instanceKey);
}

VYK_API int16_t SS_ContinuousScan(uint32_t instanceKey)
{
    return VYK_ContinuousScan(instanceKey);
}

VYK_API int16_t SS_Stop(uint32_t instanceKey)
{
    return VYK_Stop(instanceKey);
}
