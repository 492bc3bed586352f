#pragma once

#include "app/shell/MainFrameWindow.h"
#include "platform/chart/XrtTypes.h"
#include "platform/framework/Menu.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CMainFrame;
class CHarluneSpectrumView;
class SpectrumFrameBars;
struct MainFramePreferences;
class CHarluneGridView;
class CHarluneGraphView;

// The main frame's window as the automation objects drive it: its MDI children (named by window
// handle, so a window that closed is recognised and never touched) with their kinds, titles and
// views, its bars, timers and menus, and the application's window-opening operations and
// versions. The Qt main window implements it; tests use a fake. GUI thread only.
class AutomationFrame
{
public:
    using ChildKind = MainFrameWindow::ChildKind;
    using HMENU = platform::framework::HMENU;

    // What the spectrum selector compares of a spectrum window: its A/D interface's I/O base
    // address, IRQ and serial port, and its spectrometer's USB serial number.
    struct SpectrumIdentity
    {
        uint32_t baseAddress = 0;
        uint16_t irq = 0;
        uint16_t serialPort = 0;
        std::string usbSerialNumber;
    };

    virtual ~AutomationFrame() = default;

    // The MDI client's child windows in z-order, topmost first.
    virtual std::vector<uint32_t> childWindows() = 0;
    virtual ChildKind childKind(uint32_t frame) = 0;
    virtual std::string windowTitle(uint32_t frame) = 0;
    // Whether a window handle names a live window.
    virtual bool isWindow(uint32_t window) = 0;
    // The active MDI child frame, or 0.
    virtual uint32_t activeChildFrame() = 0;
    // Whether the frame has an active view of the frame's kind.
    virtual bool hasActiveView(uint32_t frame) = 0;
    // The identity fields of a spectrum frame's view; nothing for another frame.
    virtual std::optional<SpectrumIdentity> spectrumIdentity(uint32_t frame) = 0;
    // The frame's view of each kind, or null (another kind, or not built yet).
    virtual CHarluneSpectrumView* spectrumView(uint32_t frame) = 0;
    virtual CHarluneGridView* gridView(uint32_t frame) = 0;
    virtual CHarluneGraphView* graphView(uint32_t frame) = 0;

    // Sets a child frame's title.
    virtual void setFrameTitle(uint32_t frame, const std::string& title) = 0;
    // Destroys a child frame at once, without asking to save.
    virtual void destroyFrame(uint32_t frame) = 0;
    // Cascades the children that are enabled; a disabled child keeps its place.
    virtual void cascadeEnabledChildren() = 0;
    // Tiles the children one above the other (horizontal) or side by side.
    virtual void tileChildren(bool horizontal) = 0;

    // The main frame's core: the round-robin acquisition.
    virtual CMainFrame& core() = 0;
    // The frame's control bar of an id: whether it is visible; nothing when there is none.
    virtual std::optional<bool> controlBarVisible(unsigned id) = 0;
    virtual void showControlBar(unsigned id, bool show) = 0;
    // The main frame's window timers (WM_TIMER reaches CMainFrame::OnTimer).
    virtual void setTimer(unsigned id, unsigned elapseMs) = 0;
    virtual void killTimer(unsigned id) = 0;

    // The application's window-opening operations (each asks VerifyCommand first).
    virtual void newSpectrumWindow(const std::string& title) = 0;
    virtual void newGridWindow(int columns, int rows, int sheets, const std::string& title) = 0;
    virtual void newGraphWindow(int traces, int points, const std::string& title) = 0;
    virtual std::string applicationVersion() = 0;
    virtual std::string driverVersion() = 0;

    // Menus: the shared menu of the template of a kind (0 when none), replacing it, loading a
    // menu resource (0 when it does not load), a child frame's menu (0: none) and the redraw
    // of the main window's menu bar.
    virtual HMENU templateMenu(ChildKind kind) = 0;
    virtual void setTemplateMenu(ChildKind kind, HMENU menu) = 0;
    virtual HMENU loadMenu(unsigned resourceId) = 0;
    virtual void updateFrameMenu(uint32_t frame, HMENU menu) = 0;
    virtual void drawMenuBar() = 0;
    // The menus that windows and templates hold: the templates' shared menus, the main frame's
    // own menu and the menu it shows.
    virtual std::vector<HMENU> menusInUse() = 0;

    // The chart's picture on the clipboard (XrtDrawToClipboard) and in a file (XrtDrawToFile),
    // which need the window side of the chart: 1 when drawn, 0 when not.
    virtual int drawChartToClipboard(platform::chart::XrtHandle chart, int format)
    {
        (void)chart, (void)format;
        return 0;
    }
    virtual int drawChartToFile(platform::chart::XrtHandle chart, const std::string& path,
                                int format)
    {
        (void)chart, (void)path, (void)format;
        return 0;
    }

    // A spectrum child frame's bars and label, or null (another kind, or a window without
    // them).
    virtual SpectrumFrameBars* spectrumFrameBars(uint32_t frame)
    {
        (void)frame;
        return nullptr;
    }
    // The program-wide preferences the main frame read at its creation and writes back when
    // it closes; null when there are none.
    virtual MainFramePreferences* mainPreferences() { return nullptr; }
};

// The main frame's window that automation objects reach, or null (before the main frame is
// made and after it went). Objects look it up at every call, so one that outlives the main
// frame answers neutral results instead of touching it.
AutomationFrame* automationFrame();
void setAutomationFrame(AutomationFrame* frame);
// The main frame's window for a general class's handler; throws when there is none, which the
// handler's guard reports.
AutomationFrame& requireAutomationFrame();
