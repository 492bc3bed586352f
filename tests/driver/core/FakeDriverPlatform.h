#pragma once

#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverStartup.h"
#include "driver/core/SetupDialogModel.h"
#include "driver/include/vykdrv32.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace driver::core::test {

struct PostedMessage
{
    std::uint32_t window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

struct ShownBox
{
    std::string text;
    std::string caption;
    unsigned style;
};

// Platform services for driver tests: records posts and boxes, answers boxes from a
// script, runs waits on a fake clock, and holds timers until the test fires them.
class FakeDriverPlatform final : public DriverPlatform
{
public:
    // Called for each message the pump dispatches (on the pumping thread).
    std::function<void(const PostedMessage&)> onDispatch;
    // Called for each message as it is posted (on the posting thread, before it is queued).
    std::function<void(const PostedMessage&)> onPost;
    bool timersWork = true;
    int boxAnswer = kIdOk; // for OK boxes
    int yesNoAnswer = kIdYes;
    int dialogAnswer = kIdCancel;
    // Plays the set-up dialog: edits the model and answers IDOK or IDCANCEL (else the
    // dialog answers dialogAnswer without touching anything).
    std::function<int(SetupDialogModel&)> onDialog;

    bool postMessage(std::uint32_t window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override
    {
        if (window == 0)
            return false;
        if (onPost)
            onPost({window, message, wParam, lParam});
        {
            std::lock_guard lock(m_mutex);
            m_posted.push_back({window, message, wParam, lParam});
            m_queue.push_back({window, message, wParam, lParam});
        }
        m_changed.notify_all();
        return true;
    }

    void pumpMessages() override
    {
        for (;;) {
            PostedMessage next{};
            {
                std::lock_guard lock(m_mutex);
                if (m_queue.empty())
                    return;
                next = m_queue.front();
                m_queue.erase(m_queue.begin());
            }
            if (onDispatch)
                onDispatch(next);
        }
    }

    void sleepMs(std::uint32_t ms) override
    {
        std::lock_guard lock(m_mutex);
        m_nowMs += ms;
    }

    // A wait of at least holdWaitsFromMs (0: none) does not pass on the fake clock: it
    // blocks until its stop condition holds (within a real-time safety bound of 15 s), so a
    // test shows that the wait ends on it.
    // Shorter waits pass at once, as sleepMs does.
    std::uint32_t holdWaitsFromMs = 0;

    bool waitMs(std::uint32_t ms, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                const std::function<bool()>& stop) override
    {
        if (stop())
            return true;
        bool hold = false;
        {
            std::lock_guard own(m_mutex);
            hold = holdWaitsFromMs != 0 && ms >= holdWaitsFromMs;
            if (hold)
                ++m_heldWaits;
            else
                m_nowMs += ms;
        }
        if (!hold)
            return stop();
        m_changed.notify_all();
        // The safety bound only keeps a broken stop from hanging the test; it is most of the
        // integrations the tests hold, so a loaded machine cannot end a wait by it.
        const bool stopped = wake.wait_for(lock, std::chrono::seconds(15), stop);
        {
            std::lock_guard own(m_mutex);
            m_waitsEndedByStop += stopped ? 1 : 0;
        }
        m_changed.notify_all();
        return stopped;
    }

    // Waits (bounded) until `count` held waits have begun.
    bool waitForHeldWaits(int count, std::chrono::milliseconds bound)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, bound, [&] { return m_heldWaits >= count; });
    }

    // Held waits that ended on their stop condition.
    int waitsEndedByStop()
    {
        std::lock_guard lock(m_mutex);
        return m_waitsEndedByStop;
    }

    std::uint32_t timeMs() override
    {
        std::lock_guard lock(m_mutex);
        return m_nowMs;
    }

    bool beginTimerPeriod() override { return timersWork; }
    void endTimerPeriod() override {}

    std::uint32_t setOneShotTimer(std::uint32_t delayMs, TimerCallback callback,
                                  std::uintptr_t user) override
    {
        std::lock_guard lock(m_mutex);
        const std::uint32_t id = ++m_lastTimer;
        m_timers[id] = {delayMs, callback, user};
        return id;
    }

    void killTimer(std::uint32_t timerId) override
    {
        std::lock_guard lock(m_mutex);
        m_timers.erase(timerId);
    }

    int messageBox(const char* text, const char* caption, unsigned style) override
    {
        std::lock_guard lock(m_mutex);
        m_boxes.push_back({text, caption, style});
        return (style & 0xF) == kMbYesNo ? yesNoAnswer : boxAnswer;
    }

    void messageBeep(unsigned) override
    {
        std::lock_guard lock(m_mutex);
        ++m_beeps;
    }

    int runModalDialog(const char*, void* param) override
    {
        std::function<int(SetupDialogModel&)> script;
        {
            std::lock_guard lock(m_mutex);
            ++m_dialogs;
            script = onDialog;
        }
        if (script && param)
            return script(*static_cast<SetupDialogModel*>(param));
        return dialogAnswer;
    }

    void debugOutput(const char*) override {}

    // Fires every pending timer once (as the timer thread would), oldest first.
    // Returns how many fired.
    int fireTimers()
    {
        std::map<std::uint32_t, Timer> due;
        {
            std::lock_guard lock(m_mutex);
            due.swap(m_timers);
        }
        for (const auto& [id, timer] : due)
            timer.callback(id, 0, timer.user, 0, 0);
        return static_cast<int>(due.size());
    }

    // A copy of a timer's data, to fire it late (a stale expiry).
    bool takeTimer(std::uint32_t& id, std::uintptr_t& user)
    {
        std::lock_guard lock(m_mutex);
        if (m_timers.empty())
            return false;
        id = m_timers.begin()->first;
        user = m_timers.begin()->second.user;
        return true;
    }

    std::size_t pendingTimers()
    {
        std::lock_guard lock(m_mutex);
        return m_timers.size();
    }

    std::uint32_t lastTimerDelay()
    {
        std::lock_guard lock(m_mutex);
        return m_timers.empty() ? 0 : m_timers.rbegin()->second.delayMs;
    }

    std::vector<PostedMessage> posted()
    {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }

    std::vector<PostedMessage> postedOf(std::uint32_t message)
    {
        std::lock_guard lock(m_mutex);
        std::vector<PostedMessage> of;
        for (const auto& post : m_posted) {
            if (post.message == message)
                of.push_back(post);
        }
        return of;
    }

    // Waits (bounded) until `count` messages of the kind were posted.
    bool waitForPosts(std::uint32_t message, std::size_t count, std::chrono::milliseconds bound)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, bound, [&] {
            std::size_t n = 0;
            for (const auto& post : m_posted)
                n += post.message == message ? 1 : 0;
            return n >= count;
        });
    }

    void clearPosts()
    {
        std::lock_guard lock(m_mutex);
        m_posted.clear();
        m_queue.clear();
    }

    std::vector<ShownBox> boxes()
    {
        std::lock_guard lock(m_mutex);
        return m_boxes;
    }

    int beeps()
    {
        std::lock_guard lock(m_mutex);
        return m_beeps;
    }

    int dialogs()
    {
        std::lock_guard lock(m_mutex);
        return m_dialogs;
    }

private:
    struct Timer
    {
        std::uint32_t delayMs;
        TimerCallback callback;
        std::uintptr_t user;
    };

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<PostedMessage> m_posted;
    std::vector<PostedMessage> m_queue;
    std::vector<ShownBox> m_boxes;
    std::map<std::uint32_t, Timer> m_timers;
    std::uint32_t m_lastTimer = 0;
    std::uint32_t m_nowMs = 0;
    int m_beeps = 0;
    int m_dialogs = 0;
    int m_heldWaits = 0;
    int m_waitsEndedByStop = 0;
};

// A client record with its own 4096-float channel buffers.
struct TestClient
{
    RegistrationRecord record{};
    std::vector<std::vector<float>> buffers =
        std::vector<std::vector<float>>(8, std::vector<float>(4096, 0.0f));

    TestClient(std::uint32_t key, std::uint32_t window, std::initializer_list<int> channels)
    {
        record.size = sizeof(RegistrationRecord);
        record.instanceKey = key;
        record.window = window;
        record.integration = 10;
        record.scansToAverage = 1;
        for (int c : channels) {
            record.channelEnables[c] = 1;
            record.channelBuffers[c] = buffers[static_cast<std::size_t>(c)].data();
        }
    }
};

// A fresh library on the fake platform, configured as `spectrometer` on `adc`.
inline std::shared_ptr<FakeDriverPlatform>
startFakeDriver(int spectrometer = VYK_SPEC_ISTREL, int adc = VYK_ADC_NONE, bool timers = true)
{
    auto fake = std::make_shared<FakeDriverPlatform>();
    fake->timersWork = timers;
    detachDriver();
    setDriverPlatform(fake);
    attachDriver();
    VYK_Config(static_cast<int16_t>(spectrometer), static_cast<int16_t>(adc), 0, 0);
    return fake;
}

} // namespace driver::core::test
