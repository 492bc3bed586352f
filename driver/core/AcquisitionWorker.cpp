#include "driver/core/AcquisitionWorker.h"

#include "driver/core/DriverMessages.h"
#include "driver/core/DriverState.h"
#include "driver/core/Scheduler.h"
#include "driver/core/Sequencer.h"
#include "platform/win/Log.h"
#include "platform/win/c/pwin_messages.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <pthread.h>
#include <sched.h>

namespace driver::core {

// The control block one worker thread shares with its owner; an abandoned thread keeps
// its own block alive and so never touches anything freed.
struct AcquisitionWorker::Shared
{
    std::mutex mutex;
    std::condition_variable changed;
    bool run = true; // cleared to make the thread leave its loop
    bool go = false; // a scan was handed over
    bool ended = false;
    std::atomic<bool> owned{true}; // false once abandoned: it no longer writes the busy word
    bool prepared = false;         // the thread's own thread-locals exist
};

namespace {

// The platform's thread-locals the worker's calls use (its message queue, the log's
// deferred lines) register their destructors with the loader when first used, under the
// loader's lock. The library's detach joins the worker from inside dlclose,
// which holds that lock: made later, they would wait for it while the detach waits for
// the worker. So they are all made when the thread starts, before it can be joined.
void prepareWorkerThread()
{
    PWIN_MSG msg;
    pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_NOREMOVE);
    {
        const platform::win::LogDeferral deferral;
    }
}

std::atomic<int> g_busy{0};
std::atomic<std::intptr_t> g_handleCounter{0};

void setBusy(std::atomic<bool>& owned, int value)
{
    if (owned.load(std::memory_order_acquire))
        g_busy.store(value, std::memory_order_release);
}

// Buffer state 6 and 0x466 for every enabled channel of the key's record.
void reportFailedScan(std::uint32_t key)
{
    DriverState& state = driverState();
    PendingPosts posts;
    {
        std::lock_guard lock(state.mutex);
        RegistrationRecord* record = state.table.find(key);
        if (!record)
            return;
        for (int c = 0; c < kChannels; ++c) {
            if (record->channelEnables[c] == 0)
                continue;
            record->bufferStates[c] = VYK_BUFFER_ABORTED;
            posts.add(record->window, VYK_MSG_TIMEOUT, static_cast<std::uintptr_t>(c), record);
        }
    }
    posts.postAll();
}

// Runs one scan of the key's record; false when the record is gone.
bool scanOnce(std::uint32_t key, const std::function<bool()>& stopping)
{
    DriverState& state = driverState();
    std::uint32_t expiries = 0;
    std::uint32_t epoch = 0;
    {
        std::lock_guard lock(state.mutex);
        if (!state.table.find(key))
            return false;
        state.workerScanBusy = true;
        expiries = state.watchdogExpiries;
        epoch = state.cancelEpoch;
    }
    const int16_t result = VYK_SingleScan(key);
    if (result != VYK_SUCCESS) {
        {
            std::lock_guard lock(state.mutex);
            state.workerScanBusy = false;
        }
        reportFailedScan(key);
        return true;
    }
    bool fired = false;
    {
        std::unique_lock lock(state.mutex);
        // Ends when end-of-scan processing or the watchdog clears the flag, or at once
        // when the scan is stopped or the library goes away.
        waitForScanEnd(lock, state.workerScanBusy, key, epoch, stopping, false);
        state.workerScanBusy = false;
        fired = state.watchdogExpiries != expiries;
    }
    if (fired)
        reportFailedScan(key);
    return true;
}

} // namespace

ScanWaitEnd waitForScanEnd(std::unique_lock<std::mutex>& lock, const bool& busy, std::uint32_t key,
                           std::uint32_t epoch, const std::function<bool()>& stopping, bool pump)
{
    DriverState& state = driverState();
    const auto start = std::chrono::steady_clock::now();
    const auto done = [&] { return !busy || state.cancelEpoch != epoch || stopping(); };
    for (;;) {
        if (done())
            return busy ? ScanWaitEnd::Cancelled : ScanWaitEnd::Finished;
        const RegistrationRecord* record = state.table.find(key);
        const bool trigger = record && record->triggerMode >= 2 && state.trigTimeoutMs > 0;
        const auto deadline = start + std::chrono::milliseconds(state.trigTimeoutMs);
        if (trigger && std::chrono::steady_clock::now() >= deadline) {
            // The trigger did not come in time: give the scan up as the watchdog does.
            RegistrationRecord* scanning = state.table.find(key);
            state.acquisitionStatus = kStatusTimedOut;
            state.sequencerRunning = false;
            state.currentChannel = -1;
            ++state.channelEpoch;
            ++state.watchdogExpiries;
            if (scanning && scanning->instanceKey == kDoScanKey)
                scanning->window = VYK_HARDWARE_TIMEOUT;
            if (scanning)
                scanning->continuous = 0;
            clearScanBusyLocked(state);
            return ScanWaitEnd::TriggerTimedOut;
        }
        if (pump) {
            state.scanFinished.wait_for(lock, std::chrono::milliseconds(20), done);
            lock.unlock();
            PumpMessages();
            lock.lock();
        } else if (trigger) {
            state.scanFinished.wait_until(lock, deadline, done);
        } else {
            state.scanFinished.wait(lock, done);
        }
    }
}

AcquisitionWorker& acquisitionWorker()
{
    static AcquisitionWorker worker;
    return worker;
}

namespace {
// Made when the library is loaded, so that it is destroyed only after the detach that runs
// at unload or exit (exit handlers run in the reverse order of their registration).
[[maybe_unused]] const bool g_workerMadeAtLoad = (acquisitionWorker(), true);
} // namespace

AcquisitionWorker::~AcquisitionWorker()
{
    // The detach has joined every thread already; a library that never started has none.
    // Should one be left, it is stopped and joined here rather than left to run on.
    std::vector<Retired> threads;
    {
        std::lock_guard lock(m_mutex);
        threads = takeThreadsLocked();
    }
    for (Retired& retired : threads) {
        endLoop(*retired.shared);
        retired.thread.join();
    }
}

void cancelWaits()
{
    DriverState& state = driverState();
    {
        std::lock_guard lock(state.mutex);
        ++state.cancelEpoch;
    }
    state.scanFinished.notify_all();
}

void AcquisitionWorker::run(std::uint32_t key, std::shared_ptr<Shared> shared)
{
    try {
        prepareWorkerThread();
    } catch (...) {
        // What could not be made now is made on first use instead.
    }
    {
        std::lock_guard lock(shared->mutex);
        shared->prepared = true;
    }
    shared->changed.notify_all();
    try {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            shared->changed.wait(lock, [&] { return shared->go || !shared->run; });
            if (!shared->run)
                break;
            shared->go = false;
            lock.unlock();
            setBusy(shared->owned, 1);
            bool found = false;
            {
                // The scan's messages go out once the scan has wholly ended and the busy
                // word is clear: a client that starts its next scan from a message must
                // not find the worker still busy with this one.
                HeldPosts held;
                found = scanOnce(key, [&] {
                    // Read without the block's mutex: a stop also advances the epoch, which
                    // wakes the wait that asks.
                    return !shared->owned.load(std::memory_order_acquire);
                });
                setBusy(shared->owned, 0);
            }
            lock.lock();
            if (!found) {
                shared->run = false;
                break;
            }
        }
        shared->ended = true;
    } catch (...) {
        std::lock_guard lock(shared->mutex);
        shared->ended = true;
    }
    setBusy(shared->owned, 0);
    shared->changed.notify_all();
}

void AcquisitionWorker::endLoop(Shared& shared)
{
    {
        std::lock_guard inner(shared.mutex);
        shared.run = false;
    }
    shared.changed.notify_all();
}

std::vector<AcquisitionWorker::Retired> AcquisitionWorker::takeThreadsLocked()
{
    std::vector<Retired> threads = std::move(m_abandoned);
    m_abandoned.clear();
    if (m_shared) {
        threads.push_back({std::move(m_thread), std::move(m_shared)});
        m_shared.reset();
        m_key = 0;
    }
    return threads;
}

void AcquisitionWorker::reapAbandonedLocked()
{
    for (auto it = m_abandoned.begin(); it != m_abandoned.end();) {
        bool ended = false;
        {
            std::lock_guard inner(it->shared->mutex);
            ended = it->shared->ended;
        }
        if (ended) {
            it->thread.join();
            it = m_abandoned.erase(it);
        } else {
            ++it;
        }
    }
}

std::intptr_t AcquisitionWorker::handOver(std::uint32_t key, int boundMs)
{
    std::lock_guard lock(m_mutex);
    if (m_detaching)
        return 0;
    reapAbandonedLocked();
    if (m_shared && key != m_key) {
        // Another client's worker: stop it within its bound, then start one for this key.
        stopLocked(m_boundMs);
    }
    m_boundMs = boundMs;
    if (m_shared) {
        std::lock_guard inner(m_shared->mutex);
        if (m_shared->ended) {
            m_thread.join();
            m_shared.reset();
        }
    }
    if (!m_shared) {
        auto shared = std::make_shared<Shared>();
        try {
            m_thread = std::thread(&AcquisitionWorker::run, this, key, shared);
        } catch (const std::system_error&) {
            return 0;
        }
        // High priority where the process may have it; ordinary priority otherwise.
        sched_param param{};
        param.sched_priority = sched_get_priority_max(SCHED_FIFO);
        pthread_setschedparam(m_thread.native_handle(), SCHED_FIFO, &param);
        {
            // Until its thread-locals exist, an unload could not join the thread.
            std::unique_lock inner(shared->mutex);
            shared->changed.wait(inner, [&] { return shared->prepared; });
        }
        m_shared = std::move(shared);
        m_key = key;
        m_handle = ++g_handleCounter;
    }
    g_busy.store(1, std::memory_order_release);
    {
        std::lock_guard inner(m_shared->mutex);
        m_shared->run = true;
        m_shared->go = true;
    }
    m_shared->changed.notify_all();
    return m_handle;
}

bool AcquisitionWorker::stopLocked(int boundMs)
{
    if (!m_shared)
        return true;
    std::shared_ptr<Shared> shared = m_shared;
    {
        std::lock_guard inner(shared->mutex);
        shared->run = false;
    }
    shared->changed.notify_all();
    cancelWaits();
    bool ended = false;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        // Asked from the worker's own scan (a client call made while it scans): it leaves
        // its loop after this scan; it cannot wait for itself.
        return false;
    }
    {
        std::unique_lock inner(shared->mutex);
        ended =
            shared->changed.wait_for(inner, std::chrono::milliseconds(boundMs < 1 ? 1 : boundMs),
                                     [&] { return shared->ended; });
    }
    if (ended) {
        m_thread.join();
    } else {
        // Left to end on its own: it no longer owns the busy word, and the library's
        // detach joins it before anything it uses is freed.
        debugLog("Abandoning the acquisition thread in SingleScan_Thread\n");
        shared->owned.store(false, std::memory_order_release);
        m_abandoned.push_back({std::move(m_thread), shared});
        cancelWaits();
    }
    m_shared.reset();
    m_key = 0;
    g_busy.store(0, std::memory_order_release);
    return ended;
}

bool AcquisitionWorker::stop(int boundMs)
{
    std::lock_guard lock(m_mutex);
    return stopLocked(boundMs);
}

void AcquisitionWorker::stopForDetach(int warnAfterMs)
{
    std::vector<Retired> threads;
    {
        std::lock_guard lock(m_mutex);
        m_detaching = true;
        threads = takeThreadsLocked();
    }
    g_busy.store(0, std::memory_order_release);
    for (Retired& retired : threads) {
        retired.shared->owned.store(false, std::memory_order_release);
        endLoop(*retired.shared);
    }
    cancelWaits();
    // Every wait of a scan ends on the detach, so the threads end promptly; they are
    // joined whatever it takes, because the library's code and state go away next.
    for (Retired& retired : threads) {
        if (retired.thread.get_id() == std::this_thread::get_id()) {
            retired.thread.detach(); // a detach run from the worker itself (exit in a scan)
            continue;
        }
        bool ended = false;
        {
            std::unique_lock inner(retired.shared->mutex);
            ended = retired.shared->changed.wait_for(
                inner, std::chrono::milliseconds(warnAfterMs < 1 ? 1 : warnAfterMs),
                [&] { return retired.shared->ended; });
        }
        if (!ended)
            debugLog("Waiting for the acquisition thread to end\n");
        retired.thread.join();
    }
}

void AcquisitionWorker::reset()
{
    std::lock_guard lock(m_mutex);
    m_detaching = false;
}

int AcquisitionWorker::busy() const
{
    return g_busy.load(std::memory_order_acquire);
}

std::uint32_t AcquisitionWorker::key() const
{
    std::lock_guard lock(m_mutex);
    return m_key;
}

bool AcquisitionWorker::exists() const
{
    std::lock_guard lock(m_mutex);
    return m_shared != nullptr;
}

} // namespace driver::core
