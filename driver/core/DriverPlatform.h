#pragma once

#include "platform/win/System.h"
#include "platform/win/c/pwin_timers.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace driver::core {

// Message-box styles and answers the driver uses.
inline constexpr unsigned kMbOk = platform::win::MB_OK;
inline constexpr unsigned kMbYesNo = platform::win::MB_YESNO;
inline constexpr unsigned kMbIconError = platform::win::MB_ICONERROR;
inline constexpr unsigned kMbIconWarning = platform::win::MB_ICONWARNING;
inline constexpr unsigned kMbIconExclamation = platform::win::MB_ICONEXCLAMATION;
inline constexpr unsigned kMbTaskModal = platform::win::MB_TASKMODAL;
inline constexpr int kIdOk = platform::win::IDOK;
inline constexpr int kIdCancel = platform::win::IDCANCEL;
inline constexpr int kIdYes = platform::win::IDYES;
inline constexpr int kIdNo = platform::win::IDNO;

// A multimedia-timer callback: timer id, 0, user data, 0, 0 (the Windows shape).
using TimerCallback = void (*)(std::uint32_t timerId, std::uint32_t message, std::uintptr_t user,
                               std::uintptr_t reserved1, std::uintptr_t reserved2);

// The platform services the driver core relies on: posting to client windows, pumping
// the calling thread's messages, waits, multimedia timers, message boxes and beeps.
// The default implementation forwards to platform/win; tests install their own.
// Every member may be called from any thread.
class DriverPlatform
{
public:
    virtual ~DriverPlatform() = default;

    // Posts a message to a window; false when the window is gone or its queue is full.
    virtual bool postMessage(std::uint32_t window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // Removes and dispatches every pending message of the calling thread.
    virtual void pumpMessages() = 0;
    // Sleeps on the injectable clock.
    virtual void sleepMs(std::uint32_t ms) = 0;
    // Waits up to `ms` on the injectable clock for `stop` to become true, holding `lock`
    // between wake-ups; `wake` is notified whenever `stop` may have changed. Returns
    // whether the wait ended on `stop`.
    virtual bool waitMs(std::uint32_t ms, std::unique_lock<std::mutex>& lock,
                        std::condition_variable& wake, const std::function<bool()>& stop) = 0;
    // Milliseconds of the multimedia clock.
    virtual std::uint32_t timeMs() = 0;
    // Begins the 1 ms timer period; false when no multimedia timer can be had.
    virtual bool beginTimerPeriod() = 0;
    virtual void endTimerPeriod() = 0;
    // One-shot multimedia timer; 0 on failure. The callback runs on the timer thread.
    virtual std::uint32_t setOneShotTimer(std::uint32_t delayMs, TimerCallback callback,
                                          std::uintptr_t user) = 0;
    // After it returns the timer's callback does not start again; called off the timer
    // thread, a running callback has finished.
    virtual void killTimer(std::uint32_t timerId) = 0;
    // Shows a message box through the platform's hook; answers IDOK, IDYES, IDNO ...
    virtual int messageBox(const char* text, const char* caption, unsigned style) = 0;
    virtual void messageBeep(unsigned type) = 0;
    // Runs a modal dialog by name through the platform's dialog hook, handing it `param`
    // (the set-up dialog gets its SetupDialogModel); IDOK or IDCANCEL.
    virtual int runModalDialog(const char* name, void* param) = 0;
    // Diagnostic output (shown only when the platform's debug output is on).
    virtual void debugOutput(const char* text) = 0;
};

// The services in use (platform/win unless a test installed others).
DriverPlatform& driverPlatform();
// Installs other services (tests); nullptr restores platform/win. Call while no scan runs.
void setDriverPlatform(std::shared_ptr<DriverPlatform> platform);

} // namespace driver::core
