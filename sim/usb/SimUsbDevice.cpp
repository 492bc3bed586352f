#include "sim/usb/SimUsbDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace sim::usb {

using platform::usb::TransferResult;
using platform::usb::TransferStatus;

TransferResult SimUsbDevice::transfer(std::uint8_t endpoint, std::span<std::uint8_t> data,
                                      unsigned timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (!m_plugged)
        return {TransferStatus::NoDevice, 0};
    if (m_failTransfers > 0 && m_transfersBeforeFailure > 0) {
        --m_transfersBeforeFailure;
    } else if (m_failTransfers > 0) {
        --m_failTransfers;
        return {TransferStatus::Error, 0};
    }
    if ((endpoint & 0x80) == 0) {
        if (endpoint != m_commandEndpoint)
            return {TransferStatus::Stall, 0};
        if (m_logging)
            m_log.push_back({endpoint, std::vector<std::uint8_t>(data.begin(), data.end())});
        handleCommandLocked(data);
        m_dataReady.notify_all();
        return {TransferStatus::Ok, data.size()};
    }
    Queue* queue = inQueueLocked(endpoint);
    if (!queue)
        return {TransferStatus::Stall, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto nothing = [&] { return queue->empty() || heldLocked(endpoint); };
    while (m_plugged && nothing()) {
        if (m_dataReady.wait_until(lock, deadline) == std::cv_status::timeout && nothing())
            return {TransferStatus::Timeout, 0};
    }
    if (!m_plugged)
        return {TransferStatus::NoDevice, 0};
    // A transfer never spans two units: a unit's tail ends the transfer as a short packet.
    std::vector<std::uint8_t>& unit = queue->front();
    const std::size_t n = std::min(unit.size(), data.size());
    std::memcpy(data.data(), unit.data(), n);
    unit.erase(unit.begin(), unit.begin() + static_cast<std::ptrdiff_t>(n));
    if (unit.empty())
        queue->pop_front();
    return {TransferStatus::Ok, n};
}

bool SimUsbDevice::clearHalt(std::uint8_t)
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

void SimUsbDevice::failNextTransfers(int count, int after)
{
    std::lock_guard lock(m_mutex);
    m_failTransfers = count;
    m_transfersBeforeFailure = after;
}

void SimUsbDevice::unplug()
{
    std::lock_guard lock(m_mutex);
    m_plugged = false;
    m_spectrumQueue.clear();
    m_replyQueue.clear();
    m_dataReady.notify_all();
}

void SimUsbDevice::replug()
{
    std::lock_guard lock(m_mutex);
    m_plugged = true;
    ++m_generation;
}

bool SimUsbDevice::plugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

std::uint32_t SimUsbDevice::plugGeneration() const
{
    std::lock_guard lock(m_mutex);
    return m_generation;
}

std::vector<LoggedTransfer> SimUsbDevice::log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void SimUsbDevice::setLogging(bool on)
{
    std::lock_guard lock(m_mutex);
    m_logging = on;
}

void SimUsbDevice::clearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

} // namespace sim::usb
