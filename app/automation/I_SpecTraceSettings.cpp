#include "app/automation/I_SpecTraceSettings.h"

#include "app/res/ResourceIds.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace platform::chart;

const DispatchTable& I_SpecTraceSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecTraceSettings;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("ShowConfigurationDialog", &C::ShowConfigurationDialog)
            .indexedProperty("LineStyle", &C::GetLineStyle, &C::SetLineStyle, {"trace"})
            .indexedProperty("LineColor", &C::GetLineColor, &C::SetLineColor, {"trace"})
            .indexedProperty("LineWidth", &C::GetLineWidth, &C::SetLineWidth, {"trace"})
            .indexedProperty("PointSize", &C::GetPointSize, &C::SetPointSize, {"trace"})
            .indexedProperty("PointStyle", &C::GetPointStyle, &C::SetPointStyle, {"trace"})
            .indexedProperty("PointColor", &C::GetPointColor, &C::SetPointColor, {"trace"});
        return b.table();
    }();
    return t;
}

template <class Field> int32_t I_SpecTraceSettings::styleField(int16_t trace, Field field)
{
    if (!validTrace(trace))
        return 0;
    return onView(int32_t{0},
                  [&](View& v) { return static_cast<int32_t>(field(v.traceStyle(trace))); });
}

template <class Change> void I_SpecTraceSettings::changeStyle(int16_t trace, Change change)
{
    if (!validTrace(trace))
        return;
    withView([&](View& v) {
        XrtDataStyle& style = v.traceStyle(trace);
        change(style);
        XrtSetNthDataStyle(v.chart(), trace, &style);
    });
}

void I_SpecTraceSettings::ShowConfigurationDialog()
{
    withView([](View& v) { v.OnCommand(app::res::ID_DISPLAY_PROPERTIES); });
}

int16_t I_SpecTraceSettings::GetLineStyle(int16_t trace)
{
    return static_cast<int16_t>(
        styleField(trace, [](const XrtDataStyle& s) { return s.linePattern; }));
}

void I_SpecTraceSettings::SetLineStyle(int16_t trace, int16_t value)
{
    changeStyle(trace, [&](XrtDataStyle& s) { s.linePattern = value; });
}

int32_t I_SpecTraceSettings::GetLineColor(int16_t trace)
{
    return styleField(trace, [](const XrtDataStyle& s) { return s.lineColor; });
}

void I_SpecTraceSettings::SetLineColor(int16_t trace, int32_t value)
{
    changeStyle(trace, [&](XrtDataStyle& s) { s.lineColor = static_cast<XrtColor>(value); });
}

int16_t I_SpecTraceSettings::GetLineWidth(int16_t trace)
{
    return static_cast<int16_t>(
        styleField(trace, [](const XrtDataStyle& s) { return s.lineWidth; }));
}

void I_SpecTraceSettings::SetLineWidth(int16_t trace, int16_t value)
{
    if (validLineWidth(value))
        changeStyle(trace, [&](XrtDataStyle& s) { s.lineWidth = value; });
}

int16_t I_SpecTraceSettings::GetPointSize(int16_t trace)
{
    return static_cast<int16_t>(
        styleField(trace, [](const XrtDataStyle& s) { return s.pointSize; }));
}

void I_SpecTraceSettings::SetPointSize(int16_t trace, int16_t value)
{
    if (value >= 0 && value <= kMaxPointSize)
        changeStyle(trace, [&](XrtDataStyle& s) { s.pointSize = value; });
}

int16_t I_SpecTraceSettings::GetPointStyle(int16_t trace)
{
    return static_cast<int16_t>(
        styleField(trace, [](const XrtDataStyle& s) { return s.pointStyle; }));
}

void I_SpecTraceSettings::SetPointStyle(int16_t trace, int16_t value)
{
    changeStyle(trace, [&](XrtDataStyle& s) { s.pointStyle = value; });
}

int32_t I_SpecTraceSettings::GetPointColor(int16_t trace)
{
    return styleField(trace, [](const XrtDataStyle& s) { return s.pointColor; });
}

void I_SpecTraceSettings::SetPointColor(int16_t trace, int32_t value)
{
    changeStyle(trace, [&](XrtDataStyle& s) { s.pointColor = static_cast<XrtColor>(value); });
}
