#include "app/automation/I_GraphCursor.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphCursor::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphCursor;
        DispatchBinder<C> b;
        b.property("Enabled", &C::GetEnabled, &C::SetEnabled);
        b.property("Color", &C::GetColor, &C::SetColor);
        b.property("Style", &C::GetStyle, &C::SetStyle);
        b.property("Width", &C::GetWidth, &C::SetWidth);
        b.property("Point", &C::GetPoint, &C::SetPoint);
        b.property("ActiveTrace", &C::GetActiveTrace, &C::SetActiveTrace);
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        b.method("GetXValueAtCursor", &C::GetXValueAtCursor, {"trace"});
        b.method("GetYValueAtCursor", &C::GetYValueAtCursor, {"trace"});
        return b.table();
    }();
    return t;
}

bool I_GraphCursor::GetEnabled()
{
    return onView(false, [](View& v) { return v.GetCursorEnabled() != 0; });
}

void I_GraphCursor::SetEnabled(bool value)
{
    onView(false, [&](View& v) { return v.SetCursorEnabled(value ? 1 : 0); });
}

int32_t I_GraphCursor::GetColor()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.GetCursorColor()); });
}

void I_GraphCursor::SetColor(int32_t value)
{
    onView(false, [&](View& v) {
        return v.SetCursorColor(static_cast<platform::chart::XrtColor>(value));
    });
}

int16_t I_GraphCursor::GetStyle()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetCursorStyle()); });
}

void I_GraphCursor::SetStyle(int16_t value)
{
    onView(false, [&](View& v) { return v.SetCursorStyle(value); });
}

int16_t I_GraphCursor::GetWidth()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetCursorWidth()); });
}

void I_GraphCursor::SetWidth(int16_t value)
{
    onView(false, [&](View& v) { return v.SetCursorWidth(value); });
}

int32_t I_GraphCursor::GetPoint()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.GetCursorPoint()); });
}

void I_GraphCursor::SetPoint(int32_t value)
{
    onView(false, [&](View& v) { return v.SetCursorPoint(value); });
}

int32_t I_GraphCursor::GetActiveTrace()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.GetCursorActiveTrace()); });
}

void I_GraphCursor::SetActiveTrace(int32_t value)
{
    onView(false, [&](View& v) { return v.SetCursorActiveTrace(value); });
}

void I_GraphCursor::ShowConfigurationDialog()
{
    onView(false, [&](View& v) {
        v.ShowCursorConfigurationDialog();
        return true;
    });
}

double I_GraphCursor::GetXValueAtCursor(int32_t trace)
{
    return onView(0.0, [&](View& v) { return v.GetXValueAtCursor(trace); });
}

double I_GraphCursor::GetYValueAtCursor(int32_t trace)
{
    return onView(0.0, [&](View& v) { return v.GetYValueAtCursor(trace); });
}
