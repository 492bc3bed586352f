#include "driver/core/DriverPlatform.h"

#include "platform/win/Log.h"
#include "platform/win/System.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace driver::core {
namespace {

// Forwards to platform/win.
class PlatformWin final : public DriverPlatform
{
public:
    bool postMessage(std::uint32_t, std::uint32_t, std::uintptr_t, std::intptr_t) override
    {
        return false;
    }
    void pumpMessages() override {}
    void sleepMs(std::uint32_t ms) override
    {
        if (ms != 0) // a wait of 0 only gives the pump its turn
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    std::uint32_t timeMs() override
    {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    bool beginTimerPeriod() override { return false; }
    void endTimerPeriod() override {}
    std::uint32_t setOneShotTimer(std::uint32_t, TimerCallback, std::uintptr_t) override
    {
        return 0;
    }
    void killTimer(std::uint32_t) override {}
    int messageBox(const char* text, const char* caption, unsigned style) override
    {
        return platform::win::MessageBox(0, text, caption, style);
    }
    void messageBeep(unsigned type) override { platform::win::MessageBeep(type); }
    int runModalDialog(const char* name) override
    {
        return static_cast<int>(platform::win::DialogBoxParam(name, nullptr));
    }
    void debugOutput(const char* text) override { platform::win::logWarn("driver", "%s", text); }
};

std::mutex g_platformMutex;
std::vector<std::shared_ptr<DriverPlatform>> g_platforms; // every one installed stays alive
std::atomic<DriverPlatform*> g_current{nullptr};

DriverPlatform& defaultPlatform()
{
    static PlatformWin platform;
    return platform;
}

} // namespace

DriverPlatform& driverPlatform()
{
    DriverPlatform* platform = g_current.load(std::memory_order_acquire);
    return platform ? *platform : defaultPlatform();
}

void setDriverPlatform(std::shared_ptr<DriverPlatform> platform)
{
    std::lock_guard lock(g_platformMutex);
    // Earlier platforms are kept: a thread may still be inside one of their calls.
    if (platform)
        g_platforms.push_back(platform);
    g_current.store(platform.get(), std::memory_order_release);
}

} // namespace driver::core
