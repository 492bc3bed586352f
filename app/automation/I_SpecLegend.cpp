#include "app/automation/I_SpecLegend.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using namespace platform::chart;

const DispatchTable& I_SpecLegend::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecLegend;
        DispatchBinder<C> b;
        b.property("Visible", &C::GetVisible, &C::SetVisible)
            .property("Floating", &C::GetFloating, &C::SetFloating)
            .property("Orientation", &C::GetOrientation, &C::SetOrientation)
            .property("Border", &C::GetBorder, &C::SetBorder)
            .property("BorderWidth", &C::GetBorderWidth, &C::SetBorderWidth)
            .property("BackgroundColor", &C::GetBackgroundColor, &C::SetBackgroundColor)
            .property("ForegroundColor", &C::GetForegroundColor, &C::SetForegroundColor)
            .property("FontName", &C::GetFontName, &C::SetFontName)
            .property("FontSize", &C::GetFontSize, &C::SetFontSize)
            .property("ShowOverlayFilename", &C::GetShowOverlayFilename, &C::SetShowOverlayFilename)
            .property("Position", &C::GetPosition, &C::SetPosition);
        addWindowMembers(b);
        b.indexedProperty("Text", &C::GetText, &C::SetText, {"trace"});
        return b.table();
    }();
    return t;
}

// A hidden or floating legend leaves the whole window to the plot area; a docked one gives
// the chart its own layout around the legend back.
void I_SpecLegend::layout(View& view)
{
    const XrtHandle chart = view.chart();
    const bool shown = XrtGetValue(chart, kXrtLegendShown).toInt() != 0;
    if (!shown || view.legendFloating() != 0) {
        const std::array<int, 2> client = view.window().chartClientSize();
        XrtSetValues(chart, {{kXrtRepaint, 0},
                             {kXrtChartAreaLeftAuto, 0},
                             {kXrtChartAreaTopAuto, 0},
                             {kXrtChartAreaLeft, 0},
                             {kXrtChartAreaTop, 0},
                             {kXrtChartAreaWidth, client[0]},
                             {kXrtChartAreaHeight, client[1]},
                             {kXrtRepaint, 1}});
    } else {
        XrtSetValues(chart, {{kXrtRepaint, 0},
                             {kXrtChartAreaLeftAuto, 1},
                             {kXrtChartAreaTopAuto, 1},
                             {kXrtChartAreaWidthAuto, 1},
                             {kXrtChartAreaHeightAuto, 1},
                             {kXrtRepaint, 1}});
    }
}

void I_SpecLegend::applyFont(View& view)
{
    XrtSetValues(view.chart(), {{kXrtRepaint, 0}});
    XrtSetValues(view.chart(), {{kXrtLegendFont, chartFont(view.legendFont())}});
    XrtSetValues(view.chart(), {{kXrtRepaint, 1}});
}

bool I_SpecLegend::GetVisible()
{
    return chartInt(kXrtLegendShown) != 0;
}

void I_SpecLegend::SetVisible(bool value)
{
    withView([&](View& v) {
        XrtSetValues(v.chart(), {{kXrtLegendShown, value ? 1 : 0}});
        layout(v);
    });
}

bool I_SpecLegend::GetFloating()
{
    return onView(false, [](View& v) { return v.legendFloating() != 0; });
}

void I_SpecLegend::SetFloating(bool value)
{
    withView([&](View& v) {
        v.setLegendFloating(value ? 1 : 0);
        layout(v);
    });
}

int16_t I_SpecLegend::GetOrientation()
{
    return static_cast<int16_t>(chartInt(kXrtLegendOrientation));
}

void I_SpecLegend::SetOrientation(int16_t value)
{
    setChartIntHeld(kXrtLegendOrientation, value);
}

int16_t I_SpecLegend::GetBorder()
{
    return static_cast<int16_t>(chartInt(kXrtLegendBorder));
}

void I_SpecLegend::SetBorder(int16_t value)
{
    setChartIntHeld(kXrtLegendBorder, value);
}

int16_t I_SpecLegend::GetBorderWidth()
{
    return static_cast<int16_t>(chartInt(kXrtLegendBorderWidth));
}

void I_SpecLegend::SetBorderWidth(int16_t value)
{
    if (validLineWidth(value))
        setChartIntHeld(kXrtLegendBorderWidth, value);
}

int32_t I_SpecLegend::GetBackgroundColor()
{
    return chartInt(kXrtLegendBackgroundColor);
}

void I_SpecLegend::SetBackgroundColor(int32_t value)
{
    setChartIntHeld(kXrtLegendBackgroundColor, value);
}

int32_t I_SpecLegend::GetForegroundColor()
{
    return chartInt(kXrtLegendForegroundColor);
}

void I_SpecLegend::SetForegroundColor(int32_t value)
{
    setChartIntHeld(kXrtLegendForegroundColor, value);
}

std::string I_SpecLegend::GetFontName()
{
    return onView(std::string(), [](View& v) { return v.legendFont().face; });
}

void I_SpecLegend::SetFontName(const std::string& value)
{
    withView([&](View& v) {
        v.legendFont().face = cut(value, kMaxFaceNameBytes);
        applyFont(v);
    });
}

int16_t I_SpecLegend::GetFontSize()
{
    return onView(int16_t{0}, [](View& v) { return static_cast<int16_t>(v.legendFont().height); });
}

void I_SpecLegend::SetFontSize(int16_t value)
{
    if (!validFontHeight(value))
        return;
    withView([&](View& v) {
        v.legendFont().height = value;
        applyFont(v);
    });
}

bool I_SpecLegend::GetShowOverlayFilename()
{
    return onView(false, [](View& v) { return v.showOverlayFileName() != 0; });
}

void I_SpecLegend::SetShowOverlayFilename(bool value)
{
    withView([&](View& v) { v.setShowOverlayFileName(value ? 1 : 0); });
}

int16_t I_SpecLegend::GetPosition()
{
    return static_cast<int16_t>(chartInt(kXrtLegendAnchor));
}

void I_SpecLegend::SetPosition(int16_t value)
{
    setChartIntHeld(kXrtLegendAnchor, value);
}

std::string I_SpecLegend::GetText(int16_t trace)
{
    if (!validTrace(trace))
        return {};
    return onView(std::string(), [&](View& v) { return v.legendLabels()[trace]; });
}

void I_SpecLegend::SetText(int16_t trace, const std::string& value)
{
    if (validTrace(trace))
        withView([&](View& v) { v.setLegendLabel(trace, cut(value, kMaxLegendTextBytes)); });
}
