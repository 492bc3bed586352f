#pragma once

#include "platform/usb/UsbBackend.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <vector>

namespace sim::usb {

// One transfer the host made, as the device saw it.
struct LoggedTransfer
{
    std::uint8_t endpoint = 0; // bit 7 set: IN
    std::vector<std::uint8_t> bytes;
};

// The bus side every simulated USB device shares: the plug state, the transfer-failure
// fault, the command log and the two IN queues (spectrum blocks and replies), with the
// transfer that serves them. A model answers its commands and names the queue behind each
// IN endpoint. Thread-safe: everything here and in the model is guarded by m_mutex.
class SimUsbDevice
{
public:
    // Waits up to timeoutMs for IN data (an event wait, woken by the data).
    platform::usb::TransferResult transfer(std::uint8_t endpoint, std::span<std::uint8_t> data,
                                           unsigned timeoutMs);
    bool clearHalt(std::uint8_t endpoint);

    // The next `count` transfers on any pipe fail, after `after` more that succeed.
    void failNextTransfers(int count, int after = 0);
    void unplug();
    void replug();
    bool plugged() const;
    std::uint32_t plugGeneration() const; // advances at every replug

    std::vector<LoggedTransfer> log() const; // every OUT transfer (the commands)
    void setLogging(bool on);                // off: nothing is logged (benchmarks)
    void clearLog();

protected:
    using Queue = std::deque<std::vector<std::uint8_t>>; // one entry per IN transfer unit

    explicit SimUsbDevice(std::uint8_t commandEndpoint) : m_commandEndpoint(commandEndpoint) {}
    virtual ~SimUsbDevice() = default;

    // A command the host wrote to the command endpoint.
    virtual void handleCommandLocked(std::span<const std::uint8_t> bytes) = 0;
    // The queue an IN endpoint reads, or null when the endpoint stalls.
    virtual Queue* inQueueLocked(std::uint8_t endpoint) = 0;
    // Whether the endpoint finds nothing even with data queued (a trigger that never comes).
    virtual bool heldLocked(std::uint8_t) const { return false; }

    // Wakes the transfers waiting for data (after a hold was lifted).
    void wakeReadersLocked() { m_dataReady.notify_all(); }

    mutable std::mutex m_mutex;
    Queue m_spectrumQueue;
    Queue m_replyQueue;

private:
    std::uint8_t m_commandEndpoint;
    std::condition_variable m_dataReady;
    std::vector<LoggedTransfer> m_log;
    bool m_logging = true;
    int m_failTransfers = 0;
    int m_transfersBeforeFailure = 0;
    bool m_plugged = true;
    std::uint32_t m_generation = 0;
};

} // namespace sim::usb
