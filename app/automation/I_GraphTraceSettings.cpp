#include "app/automation/I_GraphTraceSettings.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphTraceSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphTraceSettings;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog);
        b.indexedProperty("LineColor", &C::GetLineColor, &C::SetLineColor, {"trace"});
        b.indexedProperty("LineWidth", &C::GetLineWidth, &C::SetLineWidth, {"trace"});
        b.indexedProperty("LineStyle", &C::GetLineStyle, &C::SetLineStyle, {"trace"});
        b.indexedProperty("PointSize", &C::GetPointSize, &C::SetPointSize, {"trace"});
        b.indexedProperty("PointStyle", &C::GetPointStyle, &C::SetPointStyle, {"trace"});
        b.indexedProperty("PointColor", &C::GetPointColor, &C::SetPointColor, {"trace"});
        b.indexedProperty("PointFillPattern", &C::GetPointFillPattern, &C::SetPointFillPattern,
                          {"trace"});
        return b.table();
    }();
    return t;
}

void I_GraphTraceSettings::ShowConfigurationDialog()
{
    onView(false, [&](View& v) {
        v.ShowTraceConfigurationDialog();
        return true;
    });
}

int32_t I_GraphTraceSettings::GetLineColor(int32_t trace)
{
    return onView(int32_t{0},
                  [&](View& v) { return static_cast<int32_t>(v.GetTraceLineColor(trace)); });
}

void I_GraphTraceSettings::SetLineColor(int32_t trace, int32_t value)
{
    onView(false, [&](View& v) {
        return v.SetTraceLineColor(trace, static_cast<platform::chart::XrtColor>(value));
    });
}

int16_t I_GraphTraceSettings::GetLineWidth(int32_t trace)
{
    return onView(int16_t{0},
                  [&](View& v) { return static_cast<int16_t>(v.GetTraceLineWidth(trace)); });
}

void I_GraphTraceSettings::SetLineWidth(int32_t trace, int16_t value)
{
    onView(false, [&](View& v) { return v.SetTraceLineWidth(trace, value); });
}

int16_t I_GraphTraceSettings::GetLineStyle(int32_t trace)
{
    return onView(int16_t{0},
                  [&](View& v) { return static_cast<int16_t>(v.GetTraceLineStyle(trace)); });
}

void I_GraphTraceSettings::SetLineStyle(int32_t trace, int16_t value)
{
    onView(false, [&](View& v) { return v.SetTraceLineStyle(trace, value); });
}

int16_t I_GraphTraceSettings::GetPointSize(int32_t trace)
{
    return onView(int16_t{0},
                  [&](View& v) { return static_cast<int16_t>(v.GetTracePointSize(trace)); });
}

void I_GraphTraceSettings::SetPointSize(int32_t trace, int16_t value)
{
    onView(false, [&](View& v) { return v.SetTracePointSize(trace, value); });
}

int16_t I_GraphTraceSettings::GetPointStyle(int32_t trace)
{
    return onView(int16_t{0},
                  [&](View& v) { return static_cast<int16_t>(v.GetTracePointStyle(trace)); });
}

void I_GraphTraceSettings::SetPointStyle(int32_t trace, int16_t value)
{
    onView(false, [&](View& v) { return v.SetTracePointStyle(trace, value); });
}

int32_t I_GraphTraceSettings::GetPointColor(int32_t trace)
{
    return onView(int32_t{0},
                  [&](View& v) { return static_cast<int32_t>(v.GetTracePointColor(trace)); });
}

void I_GraphTraceSettings::SetPointColor(int32_t trace, int32_t value)
{
    onView(false, [&](View& v) {
        return v.SetTracePointColor(trace, static_cast<platform::chart::XrtColor>(value));
    });
}

int16_t I_GraphTraceSettings::GetPointFillPattern(int32_t trace)
{
    return onView(int16_t{0},
                  [&](View& v) { return static_cast<int16_t>(v.GetTracePointFillPattern(trace)); });
}

void I_GraphTraceSettings::SetPointFillPattern(int32_t trace, int16_t value)
{
    onView(false, [&](View& v) { return v.SetTracePointFillPattern(trace, value); });
}
