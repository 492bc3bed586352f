#pragma once

#include "platform/chart/XrtTypes.h"

#include <span>

// The chart's property numbers, as the program passes them to XrtSetValues, XrtGetValues,
// XrtTextAreaSetValues and XrtTextAreaGetValues. Every number has its meaning, its value
// type and its default in the table of XrtProperties.cpp (xrtProperties()). A number that is
// not in the table is stored as given and read back unchanged.

namespace platform::chart {

// Repaint switch: 0 holds drawing while several properties change, 1 resumes and repaints.
inline constexpr int kXrtRepaint = 0x111;

// Showing.
inline constexpr int kXrtChartShown = 0x100;
inline constexpr int kXrtLegendShown = 0x101;
inline constexpr int kXrtMarkerShown = 0x107;
inline constexpr int kXrtTextAreaShown = 0x11B;

// Colours (COLORREF).
inline constexpr int kXrtBackgroundColor = 0x200;
inline constexpr int kXrtForegroundColor = 0x201;
inline constexpr int kXrtHeaderColor = 0x205;
inline constexpr int kXrtLegendBackgroundColor = 0x208;
inline constexpr int kXrtLegendForegroundColor = 0x209;
inline constexpr int kXrtTextAreaColor = 0x20D;

// Data.
inline constexpr int kXrtData = 0x300;

// Line styles (style records).
inline constexpr int kXrtHorizontalGridStyle = 0x402;
inline constexpr int kXrtVerticalGridStyle = 0x403;
inline constexpr int kXrtMarkerStyle = 0x405;

// Sizes in pixels.
inline constexpr int kXrtChartAreaWidth = 0x600;
inline constexpr int kXrtChartAreaHeight = 0x601;
inline constexpr int kXrtLegendBorderWidth = 0x60C;
inline constexpr int kXrtTextAreaWidth = 0x60F;
inline constexpr int kXrtTextAreaHeight = 0x610;

// Axis limits (doubles).
inline constexpr int kXrtXDataMin = 0x700;
inline constexpr int kXrtYDataMin = 0x701;
inline constexpr int kXrtXDataMax = 0x703;
inline constexpr int kXrtYDataMax = 0x704;
inline constexpr int kXrtXMax = 0x713;
inline constexpr int kXrtYMax = 0x714;
inline constexpr int kXrtXMin = 0x716;
inline constexpr int kXrtYMin = 0x717;

// Text-area position in data coordinates (doubles).
inline constexpr int kXrtTextAreaX = 0x71D;
inline constexpr int kXrtTextAreaY = 0x71E;

// Fonts.
inline constexpr int kXrtAxisFont = 0x800;
inline constexpr int kXrtHeaderFont = 0x801;
inline constexpr int kXrtFooterFont = 0x802;
inline constexpr int kXrtLegendFont = 0x803;
inline constexpr int kXrtTextAreaFont = 0x804;

// Marker (the cursor line).
inline constexpr int kXrtMarkerDataSet = 0x904;
inline constexpr int kXrtMarkerPoint = 0x905;

// Positions in pixels.
inline constexpr int kXrtChartAreaLeft = 0xB00;
inline constexpr int kXrtChartAreaTop = 0xB01;
inline constexpr int kXrtTextAreaLeft = 0xB0C;
inline constexpr int kXrtTextAreaTop = 0xB0D;

// Texts.
inline constexpr int kXrtXAxisTitle = 0xC00;
inline constexpr int kXrtYAxisTitle = 0xC01;
inline constexpr int kXrtYAxisLabelFormat = 0xC07;
inline constexpr int kXrtLegendLabels = 0xD00;
inline constexpr int kXrtHeaderStrings = 0xD04;
inline constexpr int kXrtFooterStrings = 0xD05;
inline constexpr int kXrtTextAreaStrings = 0xD06;

// Automatic switches (1: the chart decides the value; setting the value clears it).
inline constexpr int kXrtChartAreaWidthAuto = 0xE00;
inline constexpr int kXrtChartAreaHeightAuto = 0xE01;
inline constexpr int kXrtChartAreaLeftAuto = 0xE02;
inline constexpr int kXrtChartAreaTopAuto = 0xE03;
inline constexpr int kXrtXDataMaxAuto = 0xE0A;
inline constexpr int kXrtYDataMaxAuto = 0xE0B;
inline constexpr int kXrtXDataMinAuto = 0xE0D;
inline constexpr int kXrtYDataMinAuto = 0xE0E;
inline constexpr int kXrtDataStylesAuto = 0xE18;
inline constexpr int kXrtXGridSpacingAuto = 0xE1C;
inline constexpr int kXrtYGridSpacingAuto = 0xE1D;
inline constexpr int kXrtXTickSpacingAuto = 0xE1E;
inline constexpr int kXrtYTickSpacingAuto = 0xE1F;
inline constexpr int kXrtXMaxAuto = 0xE27;
inline constexpr int kXrtYMaxAuto = 0xE28;
inline constexpr int kXrtXMinAuto = 0xE2A;
inline constexpr int kXrtYMinAuto = 0xE2B;
inline constexpr int kXrtSetupSwitch0xE2E = 0xE2E;

// Background picture.
inline constexpr int kXrtBackgroundBitmap = 0x1001;

// Legend and text-area placement.
inline constexpr int kXrtLegendOrientation = 0x4100;
inline constexpr int kXrtLegendAnchor = 0x4200;
inline constexpr int kXrtTextAreaAnchor = 0x4201;
inline constexpr int kXrtLegendBorder = 0x4503;

// Marker placement.
inline constexpr int kXrtMarkerHorizontalLine = 0x4601;
inline constexpr int kXrtMarkerAttach = 0x5200;

// Set to 3 by the graph window's set-up; no drawing effect.
inline constexpr int kXrtSetupValue0x5605 = 0x5605;

// Anchor values of kXrtLegendAnchor and kXrtTextAreaAnchor: compass bits.
inline constexpr int kXrtAnchorEast = 1;
inline constexpr int kXrtAnchorWest = 2;
inline constexpr int kXrtAnchorNorth = 16;
inline constexpr int kXrtAnchorSouth = 32;

// Legend orientations.
inline constexpr int kXrtOrientationDefault = 0;
inline constexpr int kXrtOrientationVertical = 1;
inline constexpr int kXrtOrientationHorizontal = 2;

// Legend border styles.
enum XrtBorder
{
    kXrtBorderNone = 0,
    kXrtBorder3DOut = 1,
    kXrtBorder3DIn = 2,
    kXrtBorderShadow = 3,
    kXrtBorderPlain = 4,
    kXrtBorderEtchedIn = 5,
    kXrtBorderEtchedOut = 6,
    kXrtBorderFrameIn = 7,
    kXrtBorderFrameOut = 8,
    kXrtBorderBevel = 9,
};

// Where a property lives.
enum class XrtScope
{
    Chart,
    TextArea,
};

// One row of the property table.
struct XrtPropertyInfo
{
    int id;
    const char* name;
    XrtScope scope;
    XrtValueType type;
    XrtValue defaultValue;
    bool readOnly; // computed by the chart; a set is refused
    const char* meaning;
};

// The whole table, sorted by number.
std::span<const XrtPropertyInfo> xrtProperties();

// The row of a number in a scope, or null for a number the table does not know.
const XrtPropertyInfo* xrtPropertyInfo(XrtScope scope, int id);

// The default value of a known number (the null value for unknown ones).
XrtValue xrtPropertyDefault(XrtScope scope, int id);

} // namespace platform::chart
