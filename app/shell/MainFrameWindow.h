#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CSpectrometerConfiguration;
struct RegistrationRecord;

// What the scan start reads and writes of a spectrum view: its registration record, its copy
// of the hardware set-up, its accessory settings and its configuration. GUI thread.
class SpectrumScanView
{
public:
    struct Hardware
    {
        uint16_t spectrometerType = 0;
        uint16_t adcType = 0;
        uint16_t irq = 0;
        uint32_t baseAddress = 0;
        uint16_t serialPort = 0;
        uint16_t pciCardId = 0;
        uint16_t serialPortResolution = 1;
    };

    virtual ~SpectrumScanView() = default;
    virtual RegistrationRecord& registrationRecord() = 0;
    virtual Hardware& hardware() = 0;
    virtual int32_t mavrinModulation() const = 0;
    virtual int16_t strobeEnable() const = 0;
    virtual bool timeNormalized() const = 0;
    virtual CSpectrometerConfiguration& configuration() = 0;
    // Set when the main frame closes: the view stops telling scripts and refilling its bars.
    virtual void setClosing() = 0;
};

// The script engine as the main frame consults it. The program runs without an engine until
// the scripting host lands; then every action is allowed.
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;
    // Whether the running script defines the function VerifyMenu.
    virtual bool definesVerifyMenu() = 0;
    // Calls VerifyMenu(id); nothing when it returned no value. May throw.
    virtual std::optional<int32_t> callVerifyMenu(int32_t id) = 0;
    // Hands an exception of a script call to the engine's error report.
    virtual void reportError(const std::string& what) = 0;
    virtual bool isRunning() = 0;
    virtual void stop() = 0;
};

// The main frame's window as CMainFrame drives it; the Qt main window implements it and tests
// record its calls. Child frames are named by their window handles, so a frame that closed is
// recognised and never touched. GUI thread.
class MainFrameWindow
{
public:
    enum class ChildKind
    {
        Spectrum,
        Grid,
        Graph,
        // An owned window or one that is not an MDI child frame: the round-robin passes it.
        Other,
    };

    virtual ~MainFrameWindow() = default;
    // The MDI client's child windows in z-order, topmost first.
    virtual std::vector<uint32_t> childWindows() = 0;
    virtual ChildKind childKind(uint32_t frame) = 0;
    // The frame's active spectrum view, or null (no view, or not a spectrum frame).
    virtual SpectrumScanView* activeSpectrumView(uint32_t frame) = 0;
    virtual std::string windowTitle(uint32_t frame) = 0;
    // The active child frame's view, or null.
    virtual SpectrumScanView* activeView() = 0;
    // Whether a window handle names a live window.
    virtual bool isWindow(uint32_t window) = 0;
    // The first pane of the status bar.
    virtual void setStatusText(const std::string& text) = 0;
    // Refreshes the command states of every descendant (WM_IDLEUPDATECMDUI).
    virtual void idleUpdate() = 0;
    // Asks the event loop to call the idle hook once more when it has nothing else to do.
    virtual void wakeIdle() = 0;
    // Sends WM_SPECTRUM_COMMAND to every descendant window.
    virtual void sendSpectrumCommand(uintptr_t code, intptr_t argument) = 0;
    virtual void setTimer(unsigned id, unsigned elapseMs) = 0;
    virtual void killTimer(unsigned id) = 0;
    // Posts WM_CLOSE to the frame.
    virtual void postClose() = 0;
    // Events for scripts (the event source).
    virtual void fireTimerTick(int16_t timerId) = 0;
    virtual void fireUserMenu(int32_t commandId) = 0;
};
