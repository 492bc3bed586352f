#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace tests::platform::win {

// Real-time bound of every wait in these tests: far above any expected delay, so a wait
// that runs out means the event never came.
inline constexpr std::chrono::seconds kWaitLimit{10};

// A counter that tests wait on with a bound instead of sleeping.
class EventCounter
{
public:
    void add()
    {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_cv.notify_all();
    }

    int count() const
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

    // True when the count reached at least n within kWaitLimit.
    bool waitFor(int n) const
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, kWaitLimit, [&] { return m_count >= n; });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    int m_count = 0;
};

} // namespace tests::platform::win
