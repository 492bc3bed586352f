#pragma once

#include "platform/portio/PortIo.h"
#include "platform/portio/TransferList.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace platform::portio {

// Error codes given to the device's error callback.
inline constexpr int kErrorInterruptThread = 3; // the interrupt thread ended abnormally
inline constexpr int kErrorTransferList = 5;    // a transfer list failed

// The name a device is opened under when none is given.
inline constexpr const char* kDefaultDeviceName = "_Default30";

// Makes a backend available under a device name (simulated boards, tests). A name
// without a registered backend opens the raw backend. Any thread.
void registerDeviceBackend(const std::string& name, std::shared_ptr<PortIo> backend);
void unregisterDeviceBackend(const std::string& name);

// One connection to the board's port-I/O kit: its backend, 16 port-range slots, transfer
// lists and single-port I/O under the device lock, and the interrupt thread that calls
// the interrupt handler under that lock.
//
// The device lock is recursive: the interrupt handler runs under it and its own port I/O
// takes it again. Port I/O of other threads waits for the handler to finish, so the
// handler's port sequences never interleave with another thread's. Every member may be
// called from any thread; open, close and the thread's start and stop from the
// connection code (never from the interrupt handler).
class DriverXDevice final : public PortIo
{
public:
    using Handler = std::function<void()>;
    using ErrorCallback = std::function<void(int code)>;

    // `handler` runs on the interrupt thread under the device lock; `afterHandler` right
    // after it, with the lock released (work that may wait for other threads, such as
    // killing a timer whose callback does port I/O).
    explicit DriverXDevice(Handler handler, Handler afterHandler = {},
                           ErrorCallback errorCallback = {});
    ~DriverXDevice() override;
    DriverXDevice(const DriverXDevice&) = delete;
    DriverXDevice& operator=(const DriverXDevice&) = delete;

    // Opens the named device (nullptr: "_Default30"). False with a reason in lastError()
    // when it cannot be opened, e.g. when the user lacks the rights for raw port I/O.
    bool open(const char* name);
    bool isOpen() const;
    // Stops the interrupt thread and closes the backend.
    void close();
    const std::string& lastError() const { return m_lastError; }

    // Maps `count` ports from `base` into the first free of the 16 range slots; the
    // slot's index is stored in `slot`. False when closed, full or refused.
    bool registerPortRange(std::uint32_t base, std::uint32_t count, int* slot);

    // Runs the list's entries in order under the device lock. A list without entries
    // succeeds at once. Read values land in the entries and, where set, in copyTo.
    // Failure calls the error callback with 5.
    bool runTransferList(TransferList& list);

    // Single-port and block I/O of a registered range, each under the device lock.
    std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) override;
    bool writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value) override;
    bool readPortBlock(int range, std::uint32_t offset, int widthBytes,
                       std::span<std::uint8_t> out) override;
    std::uint32_t readPortByte(std::uint32_t offset) { return readPort(0, offset, 1); }
    std::uint32_t readPortWord(std::uint32_t offset) { return readPort(0, offset, 2); }
    bool writePortByte(std::uint32_t offset, std::uint32_t value)
    {
        return writePort(0, offset, 1, value);
    }

    // Routes the board's IRQ to this device.
    bool connectInterrupt(int irq);
    void disconnectInterrupt();

    // Starts the interrupt thread (once); false when the interrupt cannot be enabled.
    bool startInterruptThread();
    // Stops the thread: it ends within one wait bound plus a running handler.
    void stopInterruptThread();
    bool interruptThreadRunning() const;

    // The device lock, for callers that need several port operations as one unit.
    std::recursive_mutex& deviceLock() { return m_lock; }

    // How long one wait for an interrupt lasts before the thread looks at its stop flag.
    static constexpr std::uint32_t kInterruptWaitBoundMs = 50;

private:
    void interruptThreadProc(std::stop_token stop);
    std::shared_ptr<PortIo> backendLocked() const;

    Handler m_handler;
    Handler m_afterHandler;
    ErrorCallback m_errorCallback;
    mutable std::recursive_mutex m_lock;
    std::shared_ptr<PortIo> m_backend;
    std::array<bool, 16> m_ranges{};
    int m_irq = -1;
    std::string m_lastError;
    std::mutex m_threadMutex; // start and stop of the thread
    std::jthread m_thread;
    std::atomic<bool> m_threadRunning{false};
};

} // namespace platform::portio
