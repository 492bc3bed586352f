#include "driver/core/DriverPlatform.h"

#include "platform/win/Log.h"
#include "platform/win/System.h"
#include "platform/win/c/pwin_messages.h"
#include "platform/win/c/pwin_timers.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

namespace driver::core {
namespace {

// Forwards to platform/win.
class PlatformWin final : public DriverPlatform
{
public:
    bool postMessage(std::uint32_t window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override
    {
        return pwin_PostMessage(window, message, wParam, lParam) != 0;
    }
    void pumpMessages() override
    {
        PWIN_MSG msg;
        while (pwin_PeekMessage(&msg, 0, 0, 0, PWIN_PM_REMOVE)) {
            if (msg.message == PWIN_WM_QUIT) {
                // The client's own loop must still see its quit request.
                pwin_PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            pwin_DispatchMessage(&msg);
        }
    }
    void sleepMs(std::uint32_t ms) override
    {
        if (ms != 0) // a wait of 0 only gives the pump its turn
            pwin_Sleep(ms);
    }
    bool waitMs(std::uint32_t ms, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                const std::function<bool()>& stop) override
    {
        return wake.wait_for(lock, std::chrono::milliseconds(ms), stop);
    }
    std::uint32_t timeMs() override { return pwin_timeGetTime(); }
    bool beginTimerPeriod() override
    {
        PWIN_TIMECAPS caps{};
        return pwin_timeGetDevCaps(&caps, sizeof caps) == PWIN_TIMERR_NOERROR &&
               pwin_timeBeginPeriod(1) == PWIN_TIMERR_NOERROR;
    }
    void endTimerPeriod() override { pwin_timeEndPeriod(1); }
    std::uint32_t setOneShotTimer(std::uint32_t delayMs, TimerCallback callback,
                                  std::uintptr_t user) override
    {
        // The driver's watchdog asks for a 1000 ms resolution; it is not needed here.
        return pwin_timeSetEvent(delayMs, 1000, callback, user, PWIN_TIME_ONESHOT);
    }
    void killTimer(std::uint32_t timerId) override { pwin_timeKillEvent(timerId); }
    int messageBox(const char* text, const char* caption, unsigned style) override
    {
        return platform::win::MessageBox(0, text, caption, style);
    }
    void messageBeep(unsigned type) override { platform::win::MessageBeep(type); }
    int runModalDialog(const char* name, void* param) override
    {
        return static_cast<int>(platform::win::DialogBoxParam(name, param));
    }
    void debugOutput(const char* text) override { platform::win::logWarn("driver", "%s", text); }
};

std::mutex g_platformMutex;
std::atomic<DriverPlatform*> g_current{nullptr};

// Every platform installed stays alive until the library goes away (a thread may still be
// inside one of its calls until the detach has stopped it).
std::vector<std::shared_ptr<DriverPlatform>>& installedPlatforms()
{
    static std::vector<std::shared_ptr<DriverPlatform>> platforms;
    return platforms;
}

DriverPlatform& defaultPlatform()
{
    static PlatformWin platform;
    return platform;
}

// Made when the library is loaded, so that it is destroyed only after the detach that runs
// at unload or exit (exit handlers run in the reverse order of their registration).
[[maybe_unused]] const bool g_platformsMadeAtLoad = (installedPlatforms(), defaultPlatform(), true);

} // namespace

DriverPlatform& driverPlatform()
{
    DriverPlatform* platform = g_current.load(std::memory_order_acquire);
    return platform ? *platform : defaultPlatform();
}

void setDriverPlatform(std::shared_ptr<DriverPlatform> platform)
{
    std::lock_guard lock(g_platformMutex);
    if (platform)
        installedPlatforms().push_back(platform);
    g_current.store(platform.get(), std::memory_order_release);
}

} // namespace driver::core
