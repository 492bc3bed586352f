#include "app/automation/I_SpecGraphScale.h"

#include "app/res/ResourceIds.h"

#include <cmath>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace platform::chart;

const DispatchTable& I_SpecGraphScale::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecGraphScale;
        DispatchBinder<C> b;
        b.property("XAxisMin", &C::GetXAxisMin, &C::SetXAxisMin)
            .property("XAxisMax", &C::GetXAxisMax, &C::SetXAxisMax)
            .property("YAxisMin", &C::GetYAxisMin, &C::SetYAxisMin)
            .property("YAxisMax", &C::GetYAxisMax, &C::SetYAxisMax)
            .property("PercentPan", &C::GetPercentPan, &C::SetPercentPan)
            .property("PercentZoom", &C::GetPercentZoom, &C::SetPercentZoom);
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        return b.table();
    }();
    return t;
}

double I_SpecGraphScale::limit(int id)
{
    return onView(0.0, [id](View& v) { return XrtGetValue(v.chart(), id).toDouble(); });
}

void I_SpecGraphScale::setLimit(int first, int second, double value)
{
    if (!std::isfinite(value))
        return;
    withView([&](View& v) {
        XrtSetValues(v.chart(), {{first, value}});
        XrtSetValues(v.chart(), {{second, value}});
    });
}

double I_SpecGraphScale::GetXAxisMin()
{
    return limit(kXrtXMin);
}

void I_SpecGraphScale::SetXAxisMin(double value)
{
    setLimit(kXrtXMin, kXrtXDataMin, value);
}

double I_SpecGraphScale::GetXAxisMax()
{
    return limit(kXrtXMax);
}

void I_SpecGraphScale::SetXAxisMax(double value)
{
    setLimit(kXrtXMax, kXrtXDataMax, value);
}

double I_SpecGraphScale::GetYAxisMin()
{
    return limit(kXrtYMin);
}

void I_SpecGraphScale::SetYAxisMin(double value)
{
    setLimit(kXrtYMin, kXrtYDataMin, value);
}

double I_SpecGraphScale::GetYAxisMax()
{
    return limit(kXrtYMax);
}

void I_SpecGraphScale::SetYAxisMax(double value)
{
    setLimit(kXrtYMax, kXrtYDataMax, value);
}

// The view keeps the steps as fractions of the axis span.
double I_SpecGraphScale::GetPercentPan()
{
    return onView(0.0, [](View& v) { return v.panStep() * 100.0; });
}

void I_SpecGraphScale::SetPercentPan(double value)
{
    if (std::isfinite(value))
        withView([&](View& v) { v.setPanZoomSteps(value * 0.01, v.zoomStep()); });
}

double I_SpecGraphScale::GetPercentZoom()
{
    return onView(0.0, [](View& v) { return v.zoomStep() * 100.0; });
}

void I_SpecGraphScale::SetPercentZoom(double value)
{
    if (std::isfinite(value))
        withView([&](View& v) { v.setPanZoomSteps(v.panStep(), value * 0.01); });
}

void I_SpecGraphScale::ShowConfigurationDialog()
{
    withView([](View& v) { v.OnCommand(app::res::ID_SCALE_SET_SCALE); });
}
