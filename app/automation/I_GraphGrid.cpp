#include "app/automation/I_GraphGrid.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphGrid::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphGrid;
        DispatchBinder<C> b;
        b.property("Enabled", &C::GetEnabled, &C::SetEnabled);
        b.property("Color", &C::GetColor, &C::SetColor);
        b.property("Style", &C::GetStyle, &C::SetStyle);
        b.property("Width", &C::GetWidth, &C::SetWidth);
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        return b.table();
    }();
    return t;
}

bool I_GraphGrid::GetEnabled()
{
    return onView(false, [](View& v) { return v.GetGridEnabled(); });
}

void I_GraphGrid::SetEnabled(bool value)
{
    onView(false, [&](View& v) { return v.SetGridEnabled(value); });
}

int32_t I_GraphGrid::GetColor()
{
    return onView(int32_t{0}, [](View& v) { return static_cast<int32_t>(v.GetGridColor()); });
}

void I_GraphGrid::SetColor(int32_t value)
{
    onView(false,
           [&](View& v) { return v.SetGridColor(static_cast<platform::chart::XrtColor>(value)); });
}

int16_t I_GraphGrid::GetStyle()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetGridStyle()); });
}

void I_GraphGrid::SetStyle(int16_t value)
{
    onView(false, [&](View& v) { return v.SetGridStyle(value); });
}

int16_t I_GraphGrid::GetWidth()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.GetGridWidth()); });
}

void I_GraphGrid::SetWidth(int16_t value)
{
    onView(false, [&](View& v) { return v.SetGridWidth(value); });
}

void I_GraphGrid::ShowConfigurationDialog()
{
    onView(false, [&](View& v) {
        v.ShowGridConfigurationDialog();
        return true;
    });
}
