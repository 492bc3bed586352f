#pragma once

#include "app/shell/ActiveConfiguration.h"
#include "app/shell/MainFrameWindow.h"
#include "driver/include/vykdrv32.h"

#include <cstdint>
#include <string>

class CErrorLog;
class DriverApi;

// The main frame's state and its algorithms without a window: the acquisition round-robin over
// the spectrum child frames, the scan start with its driver calls, the acquisition controls
// (halt, one scan, resume, scan for a named window, Kick Start), the global commands, the
// permission hook VerifyCommand, the frame's timers and its close sequence. The Qt main window
// implements MainFrameWindow and forwards to it. GUI thread only.
class CMainFrame
{
public:
    // The driver cache: the hardware configuration last pushed to the driver library.
    struct DriverCache
    {
        uint16_t spectrometerType = 0;
        uint16_t adcType = 0;
        uint16_t irq = 0;
        uint32_t baseAddress = 0;
        uint16_t serialPort = 0;
        uint16_t pciCardId = 0;
        uint16_t channelRotation = 0;
    };

    // While the driver still runs the previous scan, the next start is retried on this timer.
    static constexpr unsigned kScanRetryTimer = 998;
    static constexpr unsigned kScanRetryMs = 2;
    static constexpr unsigned kCloseRetryTimer = 999;
    static constexpr unsigned kCloseRetryMs = 500;
    static constexpr unsigned kFirstScriptTimer = 1000;
    static constexpr unsigned kLastScriptTimer = 9999;
    // The spectrum view's global command message (WM_USER + 300) and its codes.
    static constexpr unsigned WM_SPECTRUM_COMMAND = 0x52C;

    // script may be null (no engine: every action is allowed); errorLog may be null.
    CMainFrame(MainFrameWindow& window, DriverApi& driver, uint32_t instanceKey,
               ScriptHost* script = nullptr, CErrorLog* errorLog = nullptr);

    // The creation's driver calls: fills the driver cache (the program's first calls into the
    // driver library) and sets the Mavrin modulation cache to 5.
    void initDriverCache();

    // Idle hook: starts a scan when none is pending, a spectrum document is open and
    // acquisition is not halted. Answers false: it never asks for more idle time; the frame
    // wakes idle processing again when the pending flag clears or acquisition resumes.
    bool onIdle(int openSpectrumDocuments);

    // Round-robin: the next MDI child frame, or 0 at the end of a pass.
    uint32_t GetNextMDIChild();
    int CountMDIChildren();
    // Marks a scan pending and starts one for the next spectrum child frame; when a whole pass
    // finds none, the pending flag goes back to 0 and nothing starts. While the driver's worker
    // still runs a scan (all windows share one registration, so a new start would re-point the
    // record under the running scan), the start waits on the retry timer with the flag set;
    // the running scan's window hands its changed values to the driver at once (see
    // passChangesToRunningScan).
    void StartNextScan();
    // The last scan's data is copied out of the driver's buffers and nothing waits to change
    // the next scan (no script runs, acquisition is not halted, the worker is free): starts
    // the next scan now, so that the device integrates while the last one is processed and
    // drawn. True when a scan started; the caller then leaves the pending flag set. False,
    // with nothing changed, when the next scan is left to the idle hook as usual.
    bool StartNextScanEarly();
    // True when the driver was asked for the scan.
    bool StartScan(uint32_t spectrumFrame);
    bool StartScanForWindow(const std::string& name);
    void SetAcquisitionSuspended(int32_t state);
    void SuspendAndStartNextScan();
    int32_t GetAcquisitionSuspended() const { return m_acquisitionHalted; }
    // The spectrum view handled a channel message of the outstanding scan.
    void scanMessageHandled();
    bool scanPending() const { return m_scanPending != 0; }
    // How many scans the round-robin has handed to the driver.
    uint64_t scansStarted() const { return m_scansStarted; }

    // Non-zero when the action (a MENUVERIFY value) may run.
    int32_t VerifyCommand(int32_t actionId);

    // Commands: Kick Start, the four global commands and the user menu items.
    void OnKickStart();
    void OnGlobalDark();
    void OnGlobalReference();
    void OnGlobalSnapshot();
    void OnGlobalEmergencyReset();
    bool snapshotOn() const { return m_snapshotOn != 0; }
    void OnUserMenu(unsigned commandId);

    void OnTimer(unsigned id);

    // The close sequence up to the window's own closing: false when it was deferred (a script
    // is being stopped; timer 999 repeats the close).
    bool OnClose();

    // The AutoRun script settings ("Scripting\\AutoRunScript"): read when the frame is made,
    // "Enabled" and a non-empty "Filename" written back by the close.
    struct AutoRunScript
    {
        uint32_t enabled = 0;
        // "XXX" means none.
        std::string filename = "XXX";
        uint32_t encrypted = 0;
    };
    const AutoRunScript& autoRunScript() const { return m_autoRun; }
    AutoRunScript& autoRunScript() { return m_autoRun; }

    CActiveConfiguration& activeConfiguration() { return m_activeConfiguration; }

    const DriverCache& driverCache() const { return m_cache; }
    const std::string& currentUsbSerial() const { return m_currentUsbSerial; }
    void setCurrentUsbSerial(const std::string& serial) { m_currentUsbSerial = serial; }
    int32_t integrationTime() const { return m_integrationTime; }
    void setSingleThread(uint32_t singleThread) { m_singleThread = singleThread; }
    uint32_t instanceKey() const { return m_instanceKey; }
    ScriptHost* scriptHost() const { return m_script; }
    void setScriptHost(ScriptHost* script) { m_script = script; }
    // The error log that the frame's handlers report to (may be null).
    void setErrorLog(CErrorLog* errorLog) { m_errorLog = errorLog; }
    CErrorLog* errorLog() const { return m_errorLog; }

private:
    DriverApi& driver() { return m_driver; }
    // The acquisition values of the window whose scan the driver runs, when they changed since
    // the scan began (an emergency reset, a value committed in its bar, a script), go to the
    // driver now: the driver takes them into the running scan and ends an exposure whose time
    // no longer holds, so that a long time asked by mistake is not waited out.
    void passChangesToRunningScan();
    // Writes the status text of a scan with the view's values.
    void showScanStatus(uint32_t spectrumFrame, SpectrumScanView& view);
    void sendGlobal(int32_t actionId, uintptr_t code, intptr_t argument);

    MainFrameWindow& m_window;
    DriverApi& m_driver;
    ScriptHost* m_script;
    CErrorLog* m_errorLog;
    uint32_t m_instanceKey;

    int32_t m_scanPending = 0;
    uint64_t m_scansStarted = 0;
    int32_t m_acquisitionHalted = 0;
    uint32_t m_rememberedChild = 0;
    int32_t m_snapshotOn = 0;
    DriverCache m_cache;
    std::string m_currentUsbSerial;
    int32_t m_mavrinModulation = 5;
    int32_t m_integrationTime = 0;
    uint32_t m_singleThread = 0;
    bool m_startDeferred = false;
    // The frame whose scan was handed to the driver last, and the record as it was sent.
    uint32_t m_scanFrame = 0;
    RegistrationRecord m_sentRecord{};
    int32_t m_verifyMenuBusy = 0;
    AutoRunScript m_autoRun;
    CActiveConfiguration m_activeConfiguration;
};
