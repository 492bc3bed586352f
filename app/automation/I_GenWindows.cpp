#include "app/automation/I_GenWindows.h"

#include "app/automation/AutomationFrame.h"
#include "app/automation/GraphViewSelection.h"
#include "app/automation/GridViewSelection.h"
#include "app/automation/SpectrumViewSelection.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/HandlerGuard.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using ChildKind = AutomationFrame::ChildKind;

namespace {

constexpr const char* kWindowsSourceName = "I_GenWindows";
constexpr const char* kNoneFound = "None found";

// The first window of a kind with that title, as the selectors find it; 0 when none.
uint32_t findWindow(ChildKind kind, const std::string& title)
{
    switch (kind) {
    case ChildKind::Spectrum:
        return CSpectrumViewSelection().SetByWindowName(title);
    case ChildKind::Grid:
        return CGridViewSelection().SetByName(title);
    case ChildKind::Graph:
        return CGraphViewSelection().SetByName(title);
    default:
        return 0;
    }
}

bool closeWindow(ChildKind kind, const std::string& title)
{
    AutomationFrame& frame = requireAutomationFrame();
    const uint32_t window = findWindow(kind, title);
    if (window == 0)
        return false;
    frame.destroyFrame(window);
    return true;
}

bool renameWindow(ChildKind kind, const std::string& oldname, const std::string& newname)
{
    AutomationFrame& frame = requireAutomationFrame();
    if (newname.empty() || newname.size() > I_GenWindows::kMaxTitle)
        return false;
    const uint32_t window = findWindow(kind, oldname);
    if (window == 0)
        return false;
    frame.setFrameTitle(window, newname);
    return true;
}

} // namespace

I_GenWindows::I_GenWindows()
    : AutomationObject(platform::automation::findClassByName("I_GenWindows"))
{}

const DispatchTable& I_GenWindows::table()
{
    static const DispatchTable t = [] {
        using C = I_GenWindows;
        DispatchBinder<C> b;
        b.method("Cascade", &C::Cascade)
            .method("TileVertically", &C::TileVertically)
            .method("TileHorizontally", &C::TileHorizontally)
            .method("GetActiveWindowTitle", &C::GetActiveWindowTitle)
            .method("CloseSpectrumWindow", &C::CloseSpectrumWindow, {"windowname"})
            .method("RenameSpectrumWindow", &C::RenameSpectrumWindow, {"oldname", "newname"})
            .method("NewSpectrumWindow", &C::NewSpectrumWindow, {"windowname"})
            .method("NewGridWindow", &C::NewGridWindow, {"cols", "rows", "sheets", "windowname"})
            .method("NewGraphWindow", &C::NewGraphWindow, {"numtraces", "numpoints", "windowname"})
            .method("CloseGraphWindow", &C::CloseGraphWindow, {"windowname"})
            .method("CloseGridWindow", &C::CloseGridWindow, {"windowname"})
            .method("RenameGridWindow", &C::RenameGridWindow, {"oldname", "newname"})
            .method("RenameGraphWindow", &C::RenameGraphWindow, {"oldname", "newname"});
        return b.table();
    }();
    return t;
}

void I_GenWindows::Cascade()
{
    requireAutomationFrame().cascadeEnabledChildren();
}

void I_GenWindows::TileVertically()
{
    requireAutomationFrame().tileChildren(false);
}

void I_GenWindows::TileHorizontally()
{
    requireAutomationFrame().tileChildren(true);
}

std::string I_GenWindows::GetActiveWindowTitle()
{
    // A failure answers "None found" rather than the empty neutral text.
    return platform::automation::runGuarded(kWindowsSourceName, std::string(kNoneFound), [] {
        AutomationFrame& frame = requireAutomationFrame();
        const uint32_t active = frame.activeChildFrame();
        if (active == 0 || !frame.isWindow(active))
            return std::string(kNoneFound);
        return frame.windowTitle(active);
    });
}

bool I_GenWindows::CloseSpectrumWindow(const std::string& windowname)
{
    return closeWindow(ChildKind::Spectrum, windowname);
}

bool I_GenWindows::RenameSpectrumWindow(const std::string& oldname, const std::string& newname)
{
    return renameWindow(ChildKind::Spectrum, oldname, newname);
}

bool I_GenWindows::NewSpectrumWindow(const std::string& windowname)
{
    requireAutomationFrame().newSpectrumWindow(windowname);
    return true;
}

bool I_GenWindows::NewGridWindow(int32_t cols, int32_t rows, int32_t sheets,
                                 const std::string& windowname)
{
    requireAutomationFrame().newGridWindow(cols, rows, sheets, windowname);
    return true;
}

bool I_GenWindows::NewGraphWindow(int32_t numtraces, int32_t numpoints,
                                  const std::string& windowname)
{
    requireAutomationFrame().newGraphWindow(numtraces, numpoints, windowname);
    return true;
}

bool I_GenWindows::CloseGraphWindow(const std::string& windowname)
{
    return closeWindow(ChildKind::Graph, windowname);
}

bool I_GenWindows::CloseGridWindow(const std::string& windowname)
{
    return closeWindow(ChildKind::Grid, windowname);
}

bool I_GenWindows::RenameGridWindow(const std::string& oldname, const std::string& newname)
{
    return renameWindow(ChildKind::Grid, oldname, newname);
}

bool I_GenWindows::RenameGraphWindow(const std::string& oldname, const std::string& newname)
{
    return renameWindow(ChildKind::Graph, oldname, newname);
}
