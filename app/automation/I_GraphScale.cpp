#include "app/automation/I_GraphScale.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphScale::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphScale;
        DispatchBinder<C> b;
        b.property("XAxisMin", &C::GetXAxisMin, &C::SetXAxisMin);
        b.property("XAxisMax", &C::GetXAxisMax, &C::SetXAxisMax);
        b.property("YAxisMin", &C::GetYAxisMin, &C::SetYAxisMin);
        b.property("YAxisMax", &C::GetYAxisMax, &C::SetYAxisMax);
        addWindowMembers(b);
        b.method("AutoscaleX", &C::AutoscaleX);
        b.method("AutoscaleY", &C::AutoscaleY);
        b.method("ShowScaleDialog", &C::ShowScaleDialog);
        return b.table();
    }();
    return t;
}

double I_GraphScale::GetXAxisMin()
{
    return onView(0.0, [](View& v) { return v.GetXAxisMin(); });
}

void I_GraphScale::SetXAxisMin(double value)
{
    onView(false, [&](View& v) { return v.SetXAxisMin(value); });
}

double I_GraphScale::GetXAxisMax()
{
    return onView(0.0, [](View& v) { return v.GetXAxisMax(); });
}

void I_GraphScale::SetXAxisMax(double value)
{
    onView(false, [&](View& v) { return v.SetXAxisMax(value); });
}

double I_GraphScale::GetYAxisMin()
{
    return onView(0.0, [](View& v) { return v.GetYAxisMin(); });
}

void I_GraphScale::SetYAxisMin(double value)
{
    onView(false, [&](View& v) { return v.SetYAxisMin(value); });
}

double I_GraphScale::GetYAxisMax()
{
    return onView(0.0, [](View& v) { return v.GetYAxisMax(); });
}

void I_GraphScale::SetYAxisMax(double value)
{
    onView(false, [&](View& v) { return v.SetYAxisMax(value); });
}

bool I_GraphScale::AutoscaleX()
{
    return onView(false, [](View& v) { return v.AutoscaleX(); });
}

bool I_GraphScale::AutoscaleY()
{
    return onView(false, [](View& v) { return v.AutoscaleY(); });
}

void I_GraphScale::ShowScaleDialog()
{
    onView(false, [&](View& v) {
        v.ShowScaleDialog();
        return true;
    });
}
