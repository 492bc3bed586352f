#include "platform/chart/XrtProperties.h"

#include <algorithm>
#include <vector>

namespace platform::chart {

namespace {

using enum XrtValueType;
constexpr XrtScope C = XrtScope::Chart;
constexpr XrtScope T = XrtScope::TextArea;

XrtDataStyle noLine(XrtColor color)
{
    XrtDataStyle s;
    s.linePattern = kXrtLineNone;
    s.lineColor = color;
    s.pointColor = color;
    return s;
}

XrtDataStyle solidLine(XrtColor color)
{
    XrtDataStyle s;
    s.lineColor = color;
    s.pointColor = color;
    return s;
}

XrtFont font(int height)
{
    return XrtFont{"Arial", height};
}

// The property table. Meanings are those the program relies on; where its uses leave a
// number open, the reading chosen here is the one that keeps every use consistent, and the
// row says so.
const std::vector<XrtPropertyInfo>& table()
{
    static const std::vector<XrtPropertyInfo> rows = [] {
        std::vector<XrtPropertyInfo> r = {
            {kXrtChartShown, "ChartShown", C, Int, 1, false,
             "1 draws the chart; 0 leaves only the background. The graph window sets 1."},
            {kXrtLegendShown, "LegendShown", C, Int, 1, false,
             "1 shows the legend (only sets with a non-empty label have an entry); the views "
             "read it to know whether the chart lays its area out around the legend."},
            {kXrtMarkerShown, "MarkerShown", C, Int, 0, false,
             "1 shows the marker (the cursor line) at the point kXrtMarkerDataSet, "
             "kXrtMarkerPoint."},
            {kXrtRepaint, "Repaint", C, Int, 1, false,
             "Repaint switch: 0 holds drawing while properties change; 1 resumes and repaints "
             "once, however many changes were held."},
            {kXrtTextAreaShown, "TextAreaShown", T, Int, 1, false,
             "1 shows the text area, 0 hides it (it keeps its settings)."},
            {kXrtBackgroundColor, "BackgroundColor", C, Color, xrtRgb(255, 255, 255), false,
             "Background of the whole chart and of the plot area (COLORREF)."},
            {kXrtForegroundColor, "ForegroundColor", C, Color, xrtRgb(0, 0, 0), false,
             "Axes, ticks, tick labels, axis titles and footer (COLORREF)."},
            {kXrtHeaderColor, "HeaderColor", C, Color, xrtRgb(0, 0, 0), false,
             "Colour of the header (the graph title) (COLORREF)."},
            {kXrtLegendBackgroundColor, "LegendBackgroundColor", C, Color, xrtRgb(255, 255, 255),
             false, "Legend background (COLORREF)."},
            {kXrtLegendForegroundColor, "LegendForegroundColor", C, Color, xrtRgb(0, 0, 0), false,
             "Legend text and border (COLORREF)."},
            {kXrtTextAreaColor, "TextAreaColor", T, Color, xrtRgb(0, 0, 0), false,
             "Text colour of a text area (COLORREF)."},
            {kXrtData, "Data", C, Data, 0, false,
             "The data object drawn (handle from XrtDataCreate, 0 for none). Setting it, even "
             "to the same handle, counts as a change and repaints."},
            {kXrtHorizontalGridStyle, "HorizontalGridStyle", C, DataStyle,
             noLine(xrtRgb(128, 128, 128)), false,
             "Style of the horizontal grid lines, at the y ticks (pattern, colour, width); "
             "pattern 1 (None) hides them."},
            {kXrtVerticalGridStyle, "VerticalGridStyle", C, DataStyle,
             noLine(xrtRgb(128, 128, 128)), false,
             "Style of the vertical grid lines, at the x ticks."},
            {kXrtMarkerStyle, "MarkerStyle", C, DataStyle, solidLine(xrtRgb(0, 0, 0)), false,
             "Style of the marker line (pattern, colour, width)."},
            {kXrtChartAreaWidth, "ChartAreaWidth", C, Int, 0, false,
             "Width in pixels of the chart area (plot area, axes and axis titles). Setting it "
             "clears kXrtChartAreaWidthAuto; read while automatic, it gives the laid-out "
             "width."},
            {kXrtChartAreaHeight, "ChartAreaHeight", C, Int, 0, false,
             "Height of the chart area, as kXrtChartAreaWidth."},
            {kXrtLegendBorderWidth, "LegendBorderWidth", C, Int, 1, false,
             "Width in pixels of the legend border (0 to 10)."},
            {kXrtTextAreaWidth, "TextAreaWidth", T, Int, 0, true,
             "Width in pixels of the text area as laid out (read only)."},
            {kXrtTextAreaHeight, "TextAreaHeight", T, Int, 0, true,
             "Height in pixels of the text area as laid out (read only)."},
            {kXrtXDataMin, "XDataMin", C, Double, 0.0, false,
             "Lower end of the x data range: the smallest x of the shown data while "
             "kXrtXDataMinAuto is 1. An automatic axis minimum takes this value. Setting it "
             "clears kXrtXDataMinAuto."},
            {kXrtYDataMin, "YDataMin", C, Double, 0.0, false,
             "Lower end of the y data range, as kXrtXDataMin."},
            {kXrtXDataMax, "XDataMax", C, Double, 0.0, false,
             "Upper end of the x data range, as kXrtXDataMin."},
            {kXrtYDataMax, "YDataMax", C, Double, 0.0, false,
             "Upper end of the y data range, as kXrtXDataMin."},
            {kXrtXMax, "XMax", C, Double, 0.0, false,
             "Right end of the x axis. Setting it clears kXrtXMaxAuto; while automatic it is "
             "the x data maximum. A range that is empty, reversed, infinite or NaN draws the "
             "axes without data and labels, and maps no point."},
            {kXrtYMax, "YMax", C, Double, 0.0, false, "Top of the y axis, as kXrtXMax."},
            {kXrtXMin, "XMin", C, Double, 0.0, false, "Left end of the x axis, as kXrtXMax."},
            {kXrtYMin, "YMin", C, Double, 0.0, false, "Bottom of the y axis, as kXrtXMax."},
            {kXrtTextAreaX, "TextAreaX", T, Double, 0.0, false,
             "x of the text area's anchor point in data coordinates."},
            {kXrtTextAreaY, "TextAreaY", T, Double, 0.0, false,
             "y of the text area's anchor point in data coordinates."},
            {kXrtAxisFont, "AxisFont", C, Font, font(12), false,
             "Font of the tick labels and axis titles."},
            {kXrtHeaderFont, "HeaderFont", C, Font, font(14), false,
             "Font of the header (the graph title)."},
            {kXrtFooterFont, "FooterFont", C, Font, font(12), false, "Font of the footer."},
            {kXrtLegendFont, "LegendFont", C, Font, font(12), false, "Font of the legend."},
            {kXrtTextAreaFont, "TextAreaFont", T, Font, font(12), false, "Font of a text area."},
            {kXrtMarkerDataSet, "MarkerDataSet", C, Int, 0, false,
             "Data set the marker follows (the controlling channel or the graph's cursor "
             "trace)."},
            {kXrtMarkerPoint, "MarkerPoint", C, Int, 0, false,
             "Point index of the marker in its data set; the marker is a vertical line at "
             "that point's x. A point outside the set, or with a NaN x, draws no marker."},
            {kXrtChartAreaLeft, "ChartAreaLeft", C, Int, 0, false,
             "Left of the chart area in pixels, as kXrtChartAreaWidth "
             "(kXrtChartAreaLeftAuto)."},
            {kXrtChartAreaTop, "ChartAreaTop", C, Int, 0, false,
             "Top of the chart area in pixels, as kXrtChartAreaWidth (kXrtChartAreaTopAuto)."},
            {kXrtTextAreaLeft, "TextAreaLeft", T, Int, 0, true,
             "Left of the text area in chart pixels as laid out (read only)."},
            {kXrtTextAreaTop, "TextAreaTop", T, Int, 0, true,
             "Top of the text area in chart pixels as laid out (read only)."},
            {kXrtXAxisTitle, "XAxisTitle", C, Text, "", false, "Title under the x axis."},
            {kXrtYAxisTitle, "YAxisTitle", C, Text, "", false,
             "Title beside the y axis, drawn rotated."},
            {kXrtYAxisLabelFormat, "YAxisLabelFormat", C, Text, nullptr, false,
             "printf format of the y tick labels, for one double (e.g. \"%.2e\"); null gives "
             "the default labels. A format with any other conversion, or more than one, is "
             "ignored (default labels), so no format can read beyond its argument."},
            {kXrtLegendLabels, "LegendLabels", C, TextList, std::vector<std::string>{}, false,
             "Legend label of each data set, by set number (the old array of 16 strings); an "
             "empty or missing label hides the set's entry."},
            {kXrtHeaderStrings, "HeaderStrings", C, TextList, std::vector<std::string>{}, false,
             "Header lines above the chart area; the first is the graph title."},
            {kXrtFooterStrings, "FooterStrings", C, TextList, std::vector<std::string>{}, false,
             "Footer lines below the chart area (no caller sets them yet)."},
            {kXrtTextAreaStrings, "TextAreaStrings", T, TextList, std::vector<std::string>{}, false,
             "Lines of a text area."},
            {kXrtChartAreaWidthAuto, "ChartAreaWidthAuto", C, Int, 1, false,
             "1: the chart lays out the chart area's width around legend, header and footer; "
             "0: kXrtChartAreaWidth holds."},
            {kXrtChartAreaHeightAuto, "ChartAreaHeightAuto", C, Int, 1, false,
             "As kXrtChartAreaWidthAuto for the height."},
            {kXrtChartAreaLeftAuto, "ChartAreaLeftAuto", C, Int, 1, false,
             "As kXrtChartAreaWidthAuto for the left."},
            {kXrtChartAreaTopAuto, "ChartAreaTopAuto", C, Int, 1, false,
             "As kXrtChartAreaWidthAuto for the top."},
            {kXrtXDataMaxAuto, "XDataMaxAuto", C, Int, 1, false,
             "1: kXrtXDataMax follows the data."},
            {kXrtYDataMaxAuto, "YDataMaxAuto", C, Int, 1, false,
             "1: kXrtYDataMax follows the data."},
            {kXrtXDataMinAuto, "XDataMinAuto", C, Int, 1, false,
             "1: kXrtXDataMin follows the data."},
            {kXrtYDataMinAuto, "YDataMinAuto", C, Int, 1, false,
             "1: kXrtYDataMin follows the data."},
            {kXrtDataStylesAuto, "DataStylesAuto", C, Int, 1, false,
             "Read as 'the data styles are the chart's own': the graph window sets 0 before "
             "giving its styles. Styles given by XrtSetNthDataStyle hold either way."},
            {kXrtXGridSpacingAuto, "XGridSpacingAuto", C, Int, 1, false,
             "Read as 'x grid spacing automatic'; the views set 0 when they switch the grid. "
             "Grid lines are drawn at the tick positions whatever its value."},
            {kXrtYGridSpacingAuto, "YGridSpacingAuto", C, Int, 1, false,
             "As kXrtXGridSpacingAuto for y."},
            {kXrtXTickSpacingAuto, "XTickSpacingAuto", C, Int, 1, false,
             "Read as 'x tick spacing automatic' (the graph window sets 1); ticks are always "
             "chosen by the chart."},
            {kXrtYTickSpacingAuto, "YTickSpacingAuto", C, Int, 1, false,
             "As kXrtXTickSpacingAuto for y."},
            {kXrtXMaxAuto, "XMaxAuto", C, Int, 1, false, "1: kXrtXMax follows kXrtXDataMax."},
            {kXrtYMaxAuto, "YMaxAuto", C, Int, 1, false, "1: kXrtYMax follows kXrtYDataMax."},
            {kXrtXMinAuto, "XMinAuto", C, Int, 1, false, "1: kXrtXMin follows kXrtXDataMin."},
            {kXrtYMinAuto, "YMinAuto", C, Int, 1, false, "1: kXrtYMin follows kXrtYDataMin."},
            {kXrtSetupSwitch0xE2E, "SetupSwitch0xE2E", C, Int, 0, false,
             "Meaning open: the graph window's set-up sets 0. Stored and read back, no "
             "drawing effect."},
            {kXrtBackgroundBitmap, "BackgroundBitmap", C, Text, nullptr, false,
             "Path of a picture drawn stretched over the chart background; null for none. A "
             "file that cannot be read draws no picture."},
            {kXrtLegendOrientation, "LegendOrientation", C, Int, kXrtOrientationDefault, false,
             "Legend entries: 0 default (vertical), 1 vertical, 2 horizontal."},
            {kXrtLegendAnchor, "LegendAnchor", C, Int, kXrtAnchorEast, false,
             "Where the legend sits: compass bits 1 east (right), 2 west (left), 16 north "
             "(top), 32 south (bottom); 17 upper right, 18 upper left, 33 lower right, 34 "
             "lower left. Docked, the chart area is laid out beside it; with the chart area "
             "placed by hand it floats over the chart there. Other values count as 1."},
            {kXrtTextAreaAnchor, "TextAreaAnchor", T, Int, 0, false,
             "Which side of its anchor point a text area lies on, in the compass bits of "
             "kXrtLegendAnchor; 0 puts its top-left corner on the point (the annotations set "
             "0)."},
            {kXrtLegendBorder, "LegendBorder", C, Int, kXrtBorderPlain, false,
             "Legend border: 0 none, 1 3D out, 2 3D in, 3 shadow, 4 plain, 5 etched in, 6 "
             "etched out, 7 frame in, 8 frame out, 9 bevel."},
            {kXrtMarkerHorizontalLine, "MarkerHorizontalLine", C, Int, 0, false,
             "1 draws a horizontal marker line at the point's y as well; the views set 0."},
            {kXrtMarkerAttach, "MarkerAttach", C, Int, 1, false,
             "How the marker is placed: 1 at a data point (kXrtMarkerDataSet, "
             "kXrtMarkerPoint), the only placement drawn; the views set 1."},
            {kXrtSetupValue0x5605, "SetupValue0x5605", C, Int, 0, false,
             "Meaning open: the graph window's set-up sets 3. Stored and read back, no drawing "
             "effect."},
        };
        std::sort(r.begin(), r.end(),
                  [](const XrtPropertyInfo& a, const XrtPropertyInfo& b) { return a.id < b.id; });
        return r;
    }();
    return rows;
}

} // namespace

std::span<const XrtPropertyInfo> xrtProperties()
{
    return table();
}

const XrtPropertyInfo* xrtPropertyInfo(XrtScope scope, int id)
{
    for (const XrtPropertyInfo& row : table()) {
        if (row.id == id && row.scope == scope)
            return &row;
    }
    return nullptr;
}

XrtValue xrtPropertyDefault(XrtScope scope, int id)
{
    const XrtPropertyInfo* info = xrtPropertyInfo(scope, id);
    return info ? info->defaultValue : XrtValue();
}

} // namespace platform::chart
