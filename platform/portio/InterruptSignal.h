#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform::portio {

// A counting interrupt line for backends: raise() from the board side, wait() on the
// interrupt thread with a bound, wake() to end a wait early without an interrupt.
// Any thread.
class InterruptSignal
{
public:
    void raise()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_pending;
        }
        m_changed.notify_all();
    }

    void wake()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_wakes;
        }
        m_changed.notify_all();
    }

    // True when an interrupt was taken; false on the bound or a wake.
    bool wait(std::uint32_t boundMs)
    {
        std::unique_lock lock(m_mutex);
        const std::uint64_t wakes = m_wakes;
        m_changed.wait_for(lock, std::chrono::milliseconds(boundMs),
                           [&] { return m_pending > 0 || m_wakes != wakes; });
        if (m_pending == 0)
            return false;
        --m_pending;
        return true;
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_pending = 0;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_pending = 0;
    std::uint64_t m_wakes = 0;
};

} // namespace platform::portio
