#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace driver::core {

// The thread that runs VYK_SingleScan for one client key at a time. Between scans it
// waits on a condition (never polls); a hand-over wakes it for the next scan. A key
// change, VYK_UnRegister, a USB device switch or the library's detach stops it
// cooperatively: the run flag clears, every wait it is in ends, and the stopper waits for
// it within a bound. A thread that has not ended by then is abandoned: it runs on without
// the busy word, and is kept to be joined later. The library's detach joins every thread,
// the current one and the abandoned ones, without a bound: the library's code and state
// must not go away under a running thread, and every wait of a scan ends on the detach.
// As that join runs inside dlclose, under the loader's lock, a worker makes its
// thread-locals (which take that lock) before the hand-over that created it returns.
//
// Every member may be called from any thread but the worker itself, except busy().
class AcquisitionWorker
{
public:
    // Hands a scan of `key` to the worker, creating it (or replacing it when it served
    // another key); `boundMs` bounds the wait for a replaced worker. Returns the worker's
    // handle value (non-zero), or 0 when no thread could be created.
    std::intptr_t handOver(std::uint32_t key, int boundMs);

    AcquisitionWorker() = default;
    ~AcquisitionWorker();
    AcquisitionWorker(const AcquisitionWorker&) = delete;
    AcquisitionWorker& operator=(const AcquisitionWorker&) = delete;

    // Stops the worker and waits at most boundMs for it; true when it has ended (or none
    // existed).
    bool stop(int boundMs);
    // The library is going away: no new worker starts, and every worker thread, the
    // current and any abandoned one, is stopped and joined (a note goes to the debug
    // output when that takes longer than warnAfterMs).
    void stopForDetach(int warnAfterMs);
    // Lets a worker start again after a detach (the library was started again).
    void reset();

    // The busy word: non-zero while the worker runs a scan or has been asked to.
    int busy() const;
    // The key the worker serves, 0 when none.
    std::uint32_t key() const;
    // Whether a worker thread exists (running or waiting between scans).
    bool exists() const;

private:
    struct Shared;
    // A thread no longer current, with its control block.
    struct Retired
    {
        std::thread thread;
        std::shared_ptr<Shared> shared;
    };
    void run(std::uint32_t key, std::shared_ptr<Shared> shared);
    bool stopLocked(int boundMs);
    static void endLoop(Shared& shared);
    std::vector<Retired> takeThreadsLocked();
    void reapAbandonedLocked();

    mutable std::mutex m_mutex; // the critical section of the worker's handle and its stop
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    std::vector<Retired> m_abandoned; // stopped but not yet ended
    std::uint32_t m_key = 0;
    std::intptr_t m_handle = 0;
    int m_boundMs = 0;
    bool m_detaching = false;
};

// The process-wide worker; destroyed at unload or exit, after the detach joined its threads.
AcquisitionWorker& acquisitionWorker();

// The cancellation epoch: every wait of the library ends when it changes. VYK_Stop,
// VYK_UnRegister and the detach advance it.
void cancelWaits();

// How a wait for the end of a scan ended.
enum class ScanWaitEnd
{
    Finished,        // end-of-scan processing or the watchdog cleared the busy flag
    Cancelled,       // VYK_Stop, VYK_UnRegister, unloading, or the caller's stop
    TriggerTimedOut, // an external-trigger scan outlasted the trigger time-out
};

// Waits while `busy` is set, holding the scheduler mutex through `lock` between wake-ups.
// A scan of `key` waiting for an external trigger (trigger mode 2 or 3) waits until the
// trigger comes, unless the trigger time-out (VYK_SetTrigTimeout) is above 0: then the
// scan is failed as a hardware time-out once that time has passed. `pump` pumps the
// calling thread's messages while waiting (the lock is released around it).
ScanWaitEnd waitForScanEnd(std::unique_lock<std::mutex>& lock, const bool& busy, std::uint32_t key,
                           std::uint32_t epoch, const std::function<bool()>& stopping, bool pump);

} // namespace driver::core
