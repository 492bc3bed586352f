#include "app/automation/I_GraphGeneral.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphGeneral::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphGeneral;
        DispatchBinder<C> b;
        b.property("GlobalRepaint", &C::GetGlobalRepaint, &C::SetGlobalRepaint);
        addWindowMembers(b);
        b.method("RepaintNow", &C::RepaintNow);
        b.method("GetNumberOfPoints", &C::GetNumberOfPoints);
        b.method("GetNumberOfTraces", &C::GetNumberOfTraces);
        b.method("CopyToClipboard", &C::CopyToClipboard);
        b.method("SaveAsBitmap", &C::SaveAsBitmap, {"Filename"});
        b.method("PrintPreview", &C::PrintPreview);
        b.method("PrintGraph", &C::PrintGraph);
        b.method("InitGraph", &C::InitGraph, {"numtraces", "numpoints", "name"});
        return b.table();
    }();
    return t;
}

bool I_GraphGeneral::GetGlobalRepaint()
{
    return onView(false, [](View& v) { return v.GetGlobalRepaint(); });
}

void I_GraphGeneral::SetGlobalRepaint(bool value)
{
    onView(false, [&](View& v) { return v.SetGlobalRepaint(value); });
}

void I_GraphGeneral::RepaintNow()
{
    onView(false, [&](View& v) {
        v.RepaintIfEnabled();
        return true;
    });
}

int32_t I_GraphGeneral::GetNumberOfPoints()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.points()); });
}

int32_t I_GraphGeneral::GetNumberOfTraces()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.traces()); });
}

bool I_GraphGeneral::CopyToClipboard()
{
    return onView(false, [](View& v) { return v.CopyToClipboard(); });
}

bool I_GraphGeneral::SaveAsBitmap(const std::string& Filename)
{
    return onView(false, [&](View& v) { return fitsPath(Filename) && v.SaveAsBitmap(Filename); });
}

void I_GraphGeneral::PrintPreview()
{
    onView(false, [&](View& v) {
        v.PrintPreview();
        return true;
    });
}

// Nothing is printed (the window's File commands print): FALSE, as for no window.
bool I_GraphGeneral::PrintGraph()
{
    return false;
}

bool I_GraphGeneral::InitGraph(int32_t numtraces, int32_t numpoints, const std::string& name)
{
    return onView(false, [&](View& v) {
        if (!v.InitGraph(numtraces, numpoints))
            return false;
        // The window's title is the graph document's.
        if (!name.empty())
            if (AutomationFrame* frame = automationFrame())
                frame->setFrameTitle(m_selection.target(), name);
        return true;
    });
}
