#include "driver/core/Sequencer.h"

#include "driver/core/DriverPlatform.h"

namespace driver::core {
namespace {

// What the loop does next, decided under the mutex and done outside it.
enum class Step
{
    StartChannel, // start the current channel of `record`
    EndOfScan,    // every scan to average is done
    ApplyTiming,  // a queued record became current: apply its timing, then start it
    Idle,         // nothing more to do
};

struct Decision
{
    Step step = Step::Idle;
    RegistrationRecord* record = nullptr;
    std::uint32_t staleTimer = 0; // a watchdog to kill before the channel starts
};

// Steps 1 to 3 of sequencing: the next enabled channel, the next scan to average, or the
// end of the scan.
Decision nextChannelLocked(DriverState& state)
{
    Decision decision;
    RegistrationRecord* record = state.current;
    decision.record = record;
    if (!record) {
        decision.step = Step::Idle;
        return decision;
    }
    int channel = state.currentChannel + 1 <= kChannels - 1
                      ? nextEnabledChannel(*record, state.currentChannel + 1)
                      : -1;
    if (channel < 0) {
        ++record->scanCounter;
        const int first = nextEnabledChannel(*record, 0);
        if (record->scanCounter < record->scansToAverage && first >= 0)
            channel = first;
    }
    if (channel < 0) {
        state.currentChannel = -1;
        decision.step = Step::EndOfScan;
        return decision;
    }
    state.currentChannel = channel;
    ++state.channelEpoch;
    decision.staleTimer = state.watchdogTimer;
    state.watchdogTimer = 0;
    decision.step = Step::StartChannel;
    return decision;
}

// Steps 4 to 6: continuous restart, the next queued record round-robin, or idle.
Decision afterScanLocked(DriverState& state, RegistrationRecord* finished, PendingPosts& posts)
{
    Decision decision;
    if (finished->continuous) {
        const int first = nextEnabledChannel(*finished, 0);
        if (first >= 0) {
            finished->scanCounter = 0;
            state.currentChannel = first;
            ++state.channelEpoch;
            decision.staleTimer = state.watchdogTimer;
            state.watchdogTimer = 0;
            decision.step = Step::StartChannel;
            decision.record = finished;
            return decision;
        }
        // Every channel was disabled meanwhile: nothing left to repeat.
        finished->continuous = 0;
    }

    state.lastFound = finished;
    const std::size_t count = state.table.size();
    const std::size_t at = state.table.indexOf(finished);
    const std::size_t start = at < count ? at : count - 1;
    for (std::size_t k = 1; k < count; ++k) {
        RegistrationRecord& next = state.table.at((start + k) % count);
        if (&next == finished || (next.flags & 3) == 0)
            continue;
        next.continuous = (next.flags & VYK_FLAG_SINGLE_QUEUED) ? 0 : 1;
        next.flags = static_cast<int16_t>(next.flags & ~3);
        next.scanCounter = 0;
        state.current = &next;
        decision.step = Step::ApplyTiming;
        decision.record = &next;
        return decision;
    }

    state.sequencerRunning = false;
    state.scanFinished.notify_all();
    if (finished->flags & VYK_FLAG_STATUS_MESSAGES)
        posts.add(finished->window, VYK_MSG_STATUS, 0, finished);
    decision.step = Step::Idle;
    return decision;
}

constexpr int kEpochShift = 8;

} // namespace

void clearScanBusyLocked(DriverState& state)
{
    state.doScanBusy = false;
    state.workerScanBusy = false;
    state.scanFinished.notify_all();
}

void failScanLocked(DriverState& state, RegistrationRecord* record, int channel,
                    PendingPosts& posts)
{
    state.currentChannel = -1;
    ++state.channelEpoch;
    if (record) {
        record->continuous = 0;
        if (record->window != 0 && record->instanceKey != kDoScanKey)
            posts.add(record->window, VYK_MSG_TIMEOUT, static_cast<std::uintptr_t>(channel),
                      record);
        else
            record->window = VYK_HARDWARE_TIMEOUT;
    }
    clearScanBusyLocked(state);
}

void runSequencer()
{
    DriverState& state = driverState();
    DriverPlatform& platform = driverPlatform();
    for (;;) {
        Decision decision;
        OperationSet ops;
        {
            std::lock_guard lock(state.mutex);
            decision = nextChannelLocked(state);
            ops = state.ops;
        }
        if (decision.staleTimer != 0)
            platform.killTimer(decision.staleTimer);

        if (decision.step == Step::StartChannel) {
            if (ops.StartChannel && ops.StartChannel(decision.record) == ChannelStart::Pending)
                return;
            continue;
        }
        if (decision.step == Step::Idle) {
            std::lock_guard lock(state.mutex);
            state.sequencerRunning = false;
            state.scanFinished.notify_all();
            return;
        }

        // End of scan, then continuous restart, round-robin or idle; a restart may itself
        // finish synchronously, so this is a loop as well.
        RegistrationRecord* finished = decision.record;
        for (;;) {
            if (ops.EndOfScan)
                ops.EndOfScan(finished);
            PendingPosts posts;
            {
                std::lock_guard lock(state.mutex);
                decision = afterScanLocked(state, finished, posts);
                ops = state.ops;
            }
            posts.postAll();
            if (decision.staleTimer != 0)
                platform.killTimer(decision.staleTimer);
            if (decision.step == Step::Idle)
                return;
            if (decision.step == Step::ApplyTiming) {
                ApplyTimingIfChanged(decision.record);
                break; // start the new record from its first channel
            }
            // Continuous restart.
            if (ops.StartChannel && ops.StartChannel(decision.record) == ChannelStart::Pending)
                return;
            break;
        }
    }
}

void endScanQuietly()
{
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    state.currentChannel = -1;
    ++state.channelEpoch;
    state.acquisitionStatus = core::kStatusStopped;
    state.sequencerRunning = false;
    if (state.current)
        state.current->continuous = 0;
    clearScanBusyLocked(state);
}

void GenericAdvanceSequencer()
{
    runSequencer();
}

int16_t GenericResetAndApplyTiming(RegistrationRecord* record)
{
    DriverState& state = driverState();
    OperationSet ops;
    {
        std::lock_guard lock(state.mutex);
        ops = state.ops;
    }
    if (ops.ProgramFrequency)
        ops.ProgramFrequency(record);
    if (ops.ProgramIntegration)
        ops.ProgramIntegration(record);
    std::lock_guard lock(state.mutex);
    record->timingDirty = 0;
    return 0;
}

int16_t ApplyTimingIfChanged(RegistrationRecord* record)
{
    if (!record)
        return 0;
    DriverState& state = driverState();
    bool apply = true;
    OperationSet ops;
    {
        std::lock_guard lock(state.mutex);
        const RegistrationRecord* last = state.lastApplied;
        if (last && record->timingDirty != 1 && last->integration == record->integration &&
            last->boxcarHalfWidth == record->boxcarHalfWidth)
            apply = false;
        state.lastApplied = record;
        ops = state.ops;
    }
    if (apply && ops.ResetAndApplyTiming)
        return ops.ResetAndApplyTiming(record);
    return 0;
}

void armWatchdog(std::uint32_t delayMs)
{
    DriverState& state = driverState();
    DriverPlatform& platform = driverPlatform();
    std::uint32_t stale = 0;
    std::uint32_t epoch = 0;
    int channel = -1;
    {
        std::lock_guard lock(state.mutex);
        if (state.timersAvailable == 0)
            return;
        stale = state.watchdogTimer;
        state.watchdogTimer = 0;
        state.watchdogDelayMs = delayMs;
        epoch = state.channelEpoch;
        channel = state.currentChannel;
    }
    if (stale != 0)
        platform.killTimer(stale);
    const std::uintptr_t user = (static_cast<std::uintptr_t>(epoch) << kEpochShift) |
                                static_cast<std::uintptr_t>(channel & 0xFF);
    const std::uint32_t id = platform.setOneShotTimer(delayMs, ScanTimeoutCallback, user);
    if (id == 0)
        return;
    bool current = false;
    {
        std::lock_guard lock(state.mutex);
        current = state.channelEpoch == epoch;
        if (current)
            state.watchdogTimer = id;
    }
    if (!current)
        platform.killTimer(id); // the channel moved on while the timer was being set
}

void killWatchdog()
{
    DriverState& state = driverState();
    std::uint32_t id = 0;
    {
        std::lock_guard lock(state.mutex);
        id = state.watchdogTimer;
        state.watchdogTimer = 0;
        ++state.channelEpoch;
    }
    if (id != 0)
        driverPlatform().killTimer(id);
}

void ScanTimeoutCallback(std::uint32_t timerId, std::uint32_t, std::uintptr_t user, std::uintptr_t,
                         std::uintptr_t)
{
    DriverState& state = driverState();
    const auto epoch = static_cast<std::uint32_t>(user >> kEpochShift);
    RegistrationRecord* record = nullptr;
    OperationSet ops;
    PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        state.rawWrite = 0;
        if (state.watchdogTimer == timerId)
            state.watchdogTimer = 0;
        // An expiry of an earlier channel start, or one that raced a kill, does nothing.
        if (epoch != state.channelEpoch || state.currentChannel == -1 || !state.current)
            return;
        record = state.current;
        ++state.watchdogExpiries;
        if (!state.watchdogFirstExpiry) {
            state.acquisitionStatus = kStatusAcquiring;
            state.watchdogFirstExpiry = true;
            ++state.channelEpoch;
            ops = state.ops;
        } else {
            // Second expiry: give the scan up. The flag is cleared so that the next scan
            // gets its own restart.
            state.watchdogFirstExpiry = false;
            state.acquisitionStatus = kStatusTimedOut;
            state.sequencerRunning = false;
            if (record->window != 0)
                posts.add(record->window, VYK_MSG_TIMEOUT, 0, record);
            else
                record->window = VYK_HARDWARE_TIMEOUT;
            state.currentChannel = -1;
            ++state.channelEpoch;
            clearScanBusyLocked(state);
        }
    }
    posts.postAll();
    if (ops.StartChannel && ops.StartChannel(record) == ChannelStart::Advance)
        runSequencer();
}

} // namespace driver::core
