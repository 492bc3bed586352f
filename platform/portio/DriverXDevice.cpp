#include "platform/portio/DriverXDevice.h"

#include "platform/portio/RawPortIo.h"

#include <map>

namespace platform::portio {
namespace {

std::mutex g_registryMutex;

std::map<std::string, std::shared_ptr<PortIo>>& registry()
{
    static std::map<std::string, std::shared_ptr<PortIo>> backends;
    return backends;
}

std::shared_ptr<PortIo> registeredBackend(const std::string& name)
{
    std::lock_guard lock(g_registryMutex);
    auto found = registry().find(name);
    return found != registry().end() ? found->second : nullptr;
}

bool validRange(int range)
{
    return range >= 0 && range < 16;
}

} // namespace

void registerDeviceBackend(const std::string& name, std::shared_ptr<PortIo> backend)
{
    std::lock_guard lock(g_registryMutex);
    registry()[name] = std::move(backend);
}

void unregisterDeviceBackend(const std::string& name)
{
    std::lock_guard lock(g_registryMutex);
    registry().erase(name);
}

DriverXDevice::DriverXDevice(Handler handler, Handler afterHandler, ErrorCallback errorCallback)
    : m_handler(std::move(handler)), m_afterHandler(std::move(afterHandler)),
      m_errorCallback(std::move(errorCallback))
{}

DriverXDevice::~DriverXDevice()
{
    close();
}

bool DriverXDevice::open(const char* name)
{
    close();
    const std::string deviceName = name ? name : kDefaultDeviceName;
    std::shared_ptr<PortIo> backend = registeredBackend(deviceName);
    std::string error;
    if (!backend) {
        auto raw = std::make_shared<RawPortIo>();
        if (raw->open(error))
            backend = raw;
    }
    std::lock_guard lock(m_lock);
    if (!backend) {
        m_lastError = "cannot open port-I/O device \"" + deviceName + "\": " + error;
        return false;
    }
    m_backend = std::move(backend);
    m_ranges = {};
    m_lastError.clear();
    return true;
}

bool DriverXDevice::isOpen() const
{
    std::lock_guard lock(m_lock);
    return m_backend != nullptr;
}

void DriverXDevice::close()
{
    stopInterruptThread();
    std::shared_ptr<PortIo> backend;
    int irq = -1;
    {
        std::lock_guard lock(m_lock);
        backend = std::move(m_backend);
        m_backend.reset();
        m_ranges = {};
        irq = m_irq;
        m_irq = -1;
    }
    if (backend && irq >= 0)
        backend->enableInterrupt(irq, false);
}

std::shared_ptr<PortIo> DriverXDevice::backendLocked() const
{
    return m_backend;
}

bool DriverXDevice::registerPortRange(std::uint32_t base, std::uint32_t count, int* slot)
{
    std::lock_guard lock(m_lock);
    if (!m_backend || count == 0)
        return false;
    for (std::size_t k = 0; k < m_ranges.size(); ++k) {
        if (m_ranges[k])
            continue;
        if (!m_backend->mapRange(static_cast<int>(k), base, count)) {
            m_lastError = "the port range cannot be mapped";
            return false;
        }
        m_ranges[k] = true;
        if (slot)
            *slot = static_cast<int>(k);
        return true;
    }
    return false;
}

bool DriverXDevice::runTransferList(TransferList& list)
{
    if (list.size() == 0)
        return true;
    bool ok = true;
    {
        std::lock_guard lock(m_lock);
        const int range = list.range();
        if (!m_backend || !validRange(range) || !m_ranges[static_cast<std::size_t>(range)]) {
            ok = false;
        } else {
            for (TransferEntry& entry : list.entries()) {
                if (entry.isRead()) {
                    entry.words[1] = m_backend->readPort(range, entry.words[0], entry.width());
                } else if (entry.isWrite()) {
                    ok = m_backend->writePort(range, entry.words[0], entry.width(), entry.words[1]);
                } else {
                    ok = m_backend->runSpecialEntry(range, entry, list.extra());
                }
                if (!ok)
                    break;
            }
        }
    }
    if (!ok) {
        if (m_errorCallback)
            m_errorCallback(kErrorTransferList);
        return false;
    }
    for (TransferEntry& entry : list.entries()) {
        if (entry.isRead() && entry.copyTo)
            *entry.copyTo = entry.words[1];
    }
    return true;
}

std::uint32_t DriverXDevice::readPort(int range, std::uint32_t offset, int widthBytes)
{
    TransferList list(range, 1, 0);
    std::uint32_t value = 0;
    if (!list.appendRead(offset, widthBytes, &value) || !runTransferList(list))
        return 0;
    return value;
}

bool DriverXDevice::writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value)
{
    TransferList list(range, 1, 0);
    return list.appendWrite(offset, widthBytes, value) && runTransferList(list);
}

bool DriverXDevice::readPortBlock(int range, std::uint32_t offset, int widthBytes,
                                  std::span<std::uint8_t> out)
{
    std::lock_guard lock(m_lock);
    if (!m_backend || !validRange(range) || !m_ranges[static_cast<std::size_t>(range)])
        return false;
    return m_backend->readPortBlock(range, offset, widthBytes, out);
}

bool DriverXDevice::connectInterrupt(int irq)
{
    std::lock_guard lock(m_lock);
    if (!m_backend || irq < 0)
        return false;
    if (!m_backend->enableInterrupt(irq, true)) {
        m_lastError = "the board's interrupt cannot be connected";
        return false;
    }
    m_irq = irq;
    return true;
}

void DriverXDevice::disconnectInterrupt()
{
    std::shared_ptr<PortIo> backend;
    int irq = -1;
    {
        std::lock_guard lock(m_lock);
        backend = m_backend;
        irq = m_irq;
        m_irq = -1;
    }
    if (backend && irq >= 0)
        backend->enableInterrupt(irq, false);
}

bool DriverXDevice::startInterruptThread()
{
    std::lock_guard threadLock(m_threadMutex);
    if (m_thread.joinable())
        return true;
    {
        std::lock_guard lock(m_lock);
        if (!m_backend)
            return false;
    }
    m_threadRunning = true;
    m_thread = std::jthread([this](std::stop_token stop) { interruptThreadProc(stop); });
    return true;
}

void DriverXDevice::stopInterruptThread()
{
    std::lock_guard threadLock(m_threadMutex);
    if (!m_thread.joinable())
        return;
    if (m_thread.get_id() == std::this_thread::get_id()) {
        // Asked from the handler: the thread ends after it; nothing may wait for itself.
        m_thread.request_stop();
        m_thread.detach();
        return;
    }
    m_thread.request_stop();
    std::shared_ptr<PortIo> backend;
    {
        std::lock_guard lock(m_lock);
        backend = m_backend;
    }
    if (backend)
        backend->wakeInterruptWaiter();
    m_thread.join();
}

bool DriverXDevice::interruptThreadRunning() const
{
    return m_threadRunning;
}

void DriverXDevice::interruptThreadProc(std::stop_token stop)
{
    int result = 0;
    try {
        while (!stop.stop_requested()) {
            std::shared_ptr<PortIo> backend;
            {
                std::lock_guard lock(m_lock);
                backend = m_backend;
            }
            if (!backend) {
                result = 4;
                break;
            }
            const InterruptWait wait = backend->waitInterrupt(kInterruptWaitBoundMs);
            if (wait == InterruptWait::Failed) {
                result = 5;
                break;
            }
            if (wait != InterruptWait::Interrupt || stop.stop_requested())
                continue;
            {
                std::lock_guard lock(m_lock);
                if (m_handler)
                    m_handler();
            }
            if (m_afterHandler)
                m_afterHandler();
        }
    } catch (...) {
        // The handler failed: the thread ends; the connection learns it from the callback.
        result = 4;
    }
    m_threadRunning = false;
    if (result != 0 && m_errorCallback)
        m_errorCallback(kErrorInterruptThread);
}

} // namespace platform::portio
