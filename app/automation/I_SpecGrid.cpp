#include "app/automation/I_SpecGrid.h"

#include "app/res/ResourceIds.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;

const DispatchTable& I_SpecGrid::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecGrid;
        DispatchBinder<C> b;
        b.property("Enabled", &C::GetEnabled, &C::SetEnabled)
            .property("LineColor", &C::GetLineColor, &C::SetLineColor)
            .property("LineStyle", &C::GetLineStyle, &C::SetLineStyle);
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        return b.table();
    }();
    return t;
}

bool I_SpecGrid::GetEnabled()
{
    return onView(false, [](View& v) { return v.gridEnabled() != 0; });
}

void I_SpecGrid::SetEnabled(bool value)
{
    withView([&](View& v) { v.setGridEnabled(value ? 1 : 0); });
}

int32_t I_SpecGrid::GetLineColor()
{
    return onView(int32_t{0},
                  [](View& v) { return static_cast<int32_t>(v.gridStyle().lineColor); });
}

void I_SpecGrid::SetLineColor(int32_t value)
{
    withView(
        [&](View& v) { v.gridStyle().lineColor = static_cast<platform::chart::XrtColor>(value); });
}

// The pattern the window gives the grid while it is shown.
int16_t I_SpecGrid::GetLineStyle()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.gridPattern()); });
}

void I_SpecGrid::SetLineStyle(int16_t value)
{
    withView([&](View& v) { v.setGridPattern(value); });
}

void I_SpecGrid::ShowConfigurationDialog()
{
    withView([](View& v) { v.OnCommand(app::res::ID_GRID_CONFIGURE); });
}
