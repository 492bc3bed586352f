#include "platform/chart/Xrt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace platform::chart {
namespace {

// A chart with fixed axes 0..100 on both, at 400 x 300 pixels.
XrtHandle fixedChart()
{
    XrtHandle c = XrtCreate();
    xrtChart(c)->setSizePx(400, 300);
    XrtSetValues(c, {{kXrtXMin, 0.0}, {kXrtXMax, 100.0}, {kXrtYMin, 0.0}, {kXrtYMax, 100.0}});
    return c;
}

XrtValue sampleValue(XrtValueType type, int salt)
{
    switch (type) {
    case XrtValueType::Int:
        return XrtValue(7 + salt % 3);
    case XrtValueType::Color:
        return XrtValue(xrtRgb(10, 20, salt & 0xFF));
    case XrtValueType::Double:
        return XrtValue(12.5 + salt);
    case XrtValueType::Text:
        return XrtValue("text " + std::to_string(salt));
    case XrtValueType::TextList:
        return XrtValue(std::vector<std::string>{"a", "b", "c"});
    case XrtValueType::Font:
        return XrtValue(XrtFont{"Courier", -17, 700, true});
    case XrtValueType::DataStyle: {
        XrtDataStyle s;
        s.linePattern = kXrtLineDotted;
        s.lineColor = xrtRgb(1, 2, 3);
        s.lineWidth = 3;
        s.pointStyle = kXrtPointCircle;
        return XrtValue(s);
    }
    case XrtValueType::Data:
        return XrtValue(salt);
    }
    return {};
}

TEST(XrtModelTest, EveryPropertyReadsBackWhatWasSet)
{
    XrtHandle c = XrtCreate();
    XrtHandle area = XrtTextAreaCreate(c);
    int salt = 0;
    for (const XrtPropertyInfo& p : xrtProperties()) {
        if (p.readOnly || p.id == kXrtRepaint)
            continue;
        SCOPED_TRACE(p.name);
        XrtValue v = sampleValue(p.type, ++salt);
        if (p.scope == XrtScope::Chart) {
            ASSERT_EQ(XrtSetValues(c, {{p.id, v}}), 1);
            EXPECT_EQ(XrtGetValue(c, p.id), v);
        } else {
            ASSERT_EQ(XrtTextAreaSetValues(area, {{p.id, v}}), 1);
            XrtValue back;
            ASSERT_EQ(XrtTextAreaGetValues(area, {{p.id, &back}}), 1);
            EXPECT_EQ(back, v);
        }
    }
    XrtDestroy(c);
}

TEST(XrtModelTest, TypedGetsConvertAndUnknownNumbersAreKept)
{
    XrtHandle c = XrtCreate();
    struct Case
    {
        const char* name;
        int id;
        XrtValue value;
    };
    const Case cases[] = {
        {"unknown int", 0x7777, XrtValue(42)},
        {"unknown text", 0x7778, XrtValue("kept")},
        {"unknown double", 0x7779, XrtValue(-3.25)},
        {"unknown list", 0x777A, XrtValue(std::vector<std::string>{"x", "y"})},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ASSERT_EQ(XrtSetValues(c, {{k.id, k.value}}), 1);
        EXPECT_EQ(XrtGetValue(c, k.id), k.value);
    }
    EXPECT_TRUE(XrtGetValue(c, 0x7700).isNull()); // never set

    int shown = -1;
    unsigned color = 1;
    double xmax = 0;
    std::string title = "x";
    std::vector<std::string> header;
    XrtSetValues(c, {{kXrtLegendShown, 0},
                     {kXrtBackgroundColor, xrtRgb(255, 255, 0)},
                     {kXrtXMax, 5}, // an int for a double property
                     {kXrtYAxisTitle, "Counts"},
                     {kXrtHeaderStrings, std::vector<std::string>{"Title", "Second"}}});
    ASSERT_EQ(XrtGetValues(c, {{kXrtLegendShown, &shown},
                               {kXrtBackgroundColor, &color},
                               {kXrtXMax, &xmax},
                               {kXrtYAxisTitle, &title},
                               {kXrtHeaderStrings, &header}}),
              1);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(color, xrtRgb(255, 255, 0));
    EXPECT_EQ(xmax, 5.0);
    EXPECT_EQ(title, "Counts");
    EXPECT_EQ(header, (std::vector<std::string>{"Title", "Second"}));

    // The automation objects read shorts and longs; a title reads the first header line.
    short orientation = -1;
    long legendColor = -1;
    std::string graphTitle;
    XrtSetValues(c, {{kXrtLegendOrientation, 2}, {kXrtLegendBackgroundColor, 0xC0C0C0u}});
    ASSERT_EQ(XrtGetValues(c, {{kXrtLegendOrientation, &orientation},
                               {kXrtLegendBackgroundColor, &legendColor},
                               {kXrtHeaderStrings, &graphTitle}}),
              1);
    EXPECT_EQ(orientation, 2);
    EXPECT_EQ(legendColor, 0xC0C0C0L);
    EXPECT_EQ(graphTitle, "Title");
    EXPECT_EQ(XrtGetValues(c, {{kXrtLegendShown, static_cast<int*>(nullptr)}}), 0);

    // The list ends at number 0, as the old argument lists did.
    XrtSetValues(c, {{kXrtLegendShown, 1}, {0, 0}, {kXrtMarkerShown, 1}});
    EXPECT_EQ(XrtGetValue(c, kXrtLegendShown).toInt(), 1);
    EXPECT_EQ(XrtGetValue(c, kXrtMarkerShown).toInt(), 0);
    XrtDestroy(c);
}

TEST(XrtModelTest, WrongTypesReadOnlyNumbersAndStaleHandlesAreRefused)
{
    XrtHandle c = XrtCreate();
    XrtHandle area = XrtTextAreaCreate(c);
    EXPECT_EQ(XrtSetValues(c, {{kXrtLegendShown, "yes"}}), 0);
    EXPECT_EQ(XrtGetValue(c, kXrtLegendShown).toInt(), 1);
    EXPECT_EQ(XrtSetValues(c, {{kXrtAxisFont, 12}}), 0);
    EXPECT_EQ(XrtSetValues(c, {{kXrtXMin, "0"}}), 0);
    EXPECT_EQ(XrtTextAreaSetValues(area, {{kXrtTextAreaLeft, 5}}), 0);
    EXPECT_EQ(XrtSetNthDataStyle(c, 0, nullptr), 0);
    XrtDataStyle style;
    EXPECT_EQ(XrtSetNthDataStyle(c, -1, &style), 0);
    XrtDestroy(c);
    EXPECT_EQ(XrtSetValues(c, {{kXrtLegendShown, 0}}), 0);
    EXPECT_EQ(XrtTextAreaSetValues(area, {{kXrtTextAreaShown, 0}}), 0);
    EXPECT_EQ(XrtDestroy(c), 0);
    EXPECT_EQ(XrtTextAreaCreate(c), 0u);
    EXPECT_EQ(XrtMap(c, kXrtMapToData, 1, 1, nullptr, nullptr), 0);
}

TEST(XrtModelTest, DataSetsPointsAndRanges)
{
    XrtHandle d = XrtDataCreate(kXrtDataGeneral, 16, 4096);
    ASSERT_NE(d, 0u);
    std::vector<double> x(4096), y(4096);
    for (int i = 0; i < 4096; ++i) {
        x[i] = 200.0 + i * 0.25;
        y[i] = i % 97;
    }
    EXPECT_EQ(XrtDataSetXData(d, 3, x.data(), 4096, 0), 1);
    EXPECT_EQ(XrtDataSetYData(d, 3, y.data(), 4096, 0), 1);
    double v = 0;
    EXPECT_EQ(XrtDataGetXElementIndirect(d, 3, 4095, &v), 1);
    EXPECT_EQ(v, x[4095]);
    EXPECT_EQ(XrtDataGetYElementIndirect(d, 3, 100, &v), 1);
    EXPECT_EQ(v, 3.0);
    EXPECT_EQ(XrtDataSetYElement(d, 3, 100, -1.5), 1);
    EXPECT_EQ(XrtDataGetYElementIndirect(d, 3, 100, &v), 1);
    EXPECT_EQ(v, -1.5);
    // A partial copy from a given first point.
    EXPECT_EQ(XrtDataSetXData(d, 4, x.data(), 10, 4086), 1);
    EXPECT_EQ(XrtDataGetXElementIndirect(d, 4, 4095, &v), 1);
    EXPECT_EQ(v, x[9]);

    // Defaults and limits of the drawn ranges.
    EXPECT_EQ(XrtDataGetFirstSet(d), 0);
    EXPECT_EQ(XrtDataGetLastSet(d), 15);
    EXPECT_EQ(XrtDataGetLastPoint(d, 7), 4095);
    EXPECT_EQ(XrtDataSetLastPoint(d, 7, 2047), 1);
    EXPECT_EQ(XrtDataGetLastPoint(d, 7), 2047);
    EXPECT_EQ(XrtDataSetFirstPoint(d, 7, 10), 1);
    EXPECT_EQ(XrtDataGetFirstPoint(d, 7), 10);
    EXPECT_EQ(XrtDataSetFirstSet(d, 2), 1);
    EXPECT_EQ(XrtDataSetLastSet(d, 9), 1);
    EXPECT_EQ(XrtDataGetFirstSet(d), 2);
    EXPECT_EQ(XrtDataGetLastSet(d), 9);

    struct Bad
    {
        const char* name;
        int result;
    };
    const Bad bad[] = {
        {"too many values", XrtDataSetYData(d, 0, y.data(), 4096, 1)},
        {"negative first", XrtDataSetYData(d, 0, y.data(), 1, -1)},
        {"negative count", XrtDataSetYData(d, 0, y.data(), -1, 0)},
        {"null values", XrtDataSetYData(d, 0, nullptr, 5, 0)},
        {"set past the end", XrtDataSetYData(d, 16, y.data(), 1, 0)},
        {"element past the end", XrtDataSetXElement(d, 0, 4096, 1.0)},
        {"get element of bad set", XrtDataGetXElementIndirect(d, -1, 0, &v)},
        {"last point past the end", XrtDataSetLastPoint(d, 0, 4096)},
        {"last set past the end", XrtDataSetLastSet(d, 16)},
        {"bad type", static_cast<int>(XrtDataCreate(1, 2, 2))},
        {"no sets", static_cast<int>(XrtDataCreate(kXrtDataGeneral, 0, 2))},
        {"too large", static_cast<int>(XrtDataCreate(kXrtDataGeneral, 1000000, 1000000))},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        EXPECT_EQ(b.result, 0);
    }
    EXPECT_EQ(XrtDataGetLastPoint(d, 0), 4095); // unchanged by the refusals
    EXPECT_EQ(XrtDataDestroy(d), 1);
    EXPECT_EQ(XrtDataGetLastSet(d), -1);
    EXPECT_EQ(XrtDataSetYElement(d, 0, 0, 1.0), 0);
}

TEST(XrtModelTest, AutomaticLimitsFollowTheDataAndFixedOnesHold)
{
    XrtHandle c = XrtCreate();
    double x = 0, y = 0;
    EXPECT_EQ(XrtMap(c, kXrtMapToData, 10, 10, &x, &y), 0) << "no data, no range";

    XrtHandle d = XrtDataCreate(kXrtDataGeneral, 2, 3);
    double xs[] = {1.0, 2.0, 3.0};
    double ys[] = {-4.0, 10.0, std::numeric_limits<double>::quiet_NaN()};
    XrtDataSetXData(d, 0, xs, 3, 0);
    XrtDataSetYData(d, 0, ys, 3, 0);
    XrtDataSetXData(d, 1, xs, 3, 0);
    XrtDataSetLastSet(d, 0);
    XrtSetValues(c, {{kXrtData, static_cast<int>(d)}});
    EXPECT_EQ(XrtGetValue(c, kXrtXMin).toDouble(), 1.0);
    EXPECT_EQ(XrtGetValue(c, kXrtXMax).toDouble(), 3.0);
    EXPECT_EQ(XrtGetValue(c, kXrtYMin).toDouble(), -4.0);
    EXPECT_EQ(XrtGetValue(c, kXrtYMax).toDouble(), 10.0);

    // Setting a limit fixes it; its automatic switch reads 0; switching back follows again.
    XrtSetValues(c, {{kXrtYMax, 50.0}});
    EXPECT_EQ(XrtGetValue(c, kXrtYMaxAuto).toInt(), 0);
    EXPECT_EQ(XrtGetValue(c, kXrtYMax).toDouble(), 50.0);
    XrtSetValues(c, {{kXrtYMaxAuto, 1}});
    EXPECT_EQ(XrtGetValue(c, kXrtYMax).toDouble(), 10.0);
    // A fixed data limit feeds the automatic axis limit.
    XrtSetValues(c, {{kXrtYDataMax, 20.0}});
    EXPECT_EQ(XrtGetValue(c, kXrtYMax).toDouble(), 20.0);
    // An automatic data limit reads the data also while the axis limit is fixed.
    XrtSetValues(c, {{kXrtXMin, -7.0}});
    EXPECT_EQ(XrtGetValue(c, kXrtXDataMin).toDouble(), 1.0);
    EXPECT_EQ(XrtGetValue(c, kXrtXMin).toDouble(), -7.0);
    XrtDestroy(c);
    XrtDataDestroy(d);
}

TEST(XrtModelTest, MapAndUnmapRoundTripWithinAPixel)
{
    struct Case
    {
        const char* name;
        int width, height;
        double xmin, xmax, ymin, ymax;
    };
    const Case cases[] = {
        {"small square", 300, 300, 0, 100, 0, 100},
        {"wide wavelengths", 1600, 500, 339.5, 1021.25, -120.0, 65535.0},
        {"tiny values", 640, 480, 1e-9, 2e-9, -3e-12, 4e-12},
        {"negative span", 500, 800, -1000, -10, -5, -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        XrtHandle c = XrtCreate();
        xrtChart(c)->setSizePx(k.width, k.height);
        XrtSetValues(c, {{kXrtXMin, k.xmin},
                         {kXrtXMax, k.xmax},
                         {kXrtYMin, k.ymin},
                         {kXrtYMax, k.ymax},
                         {kXrtYAxisTitle, "Intensity (counts)"},
                         {kXrtXAxisTitle, "Wavelength (nm)"}});
        XrtRect plot = xrtChart(c)->layout().plotArea;
        ASSERT_FALSE(plot.empty());
        for (double fx : {0.0, 0.13, 0.5, 0.97, 1.0}) {
            for (double fy : {0.0, 0.31, 1.0}) {
                double x = k.xmin + fx * (k.xmax - k.xmin);
                double y = k.ymin + fy * (k.ymax - k.ymin);
                int px = 0, py = 0;
                ASSERT_EQ(XrtUnmap(c, x, y, &px, &py), 1);
                EXPECT_GE(px, plot.left);
                EXPECT_LE(px, plot.right());
                EXPECT_GE(py, plot.top);
                EXPECT_LE(py, plot.bottom());
                double bx = 0, by = 0;
                ASSERT_EQ(XrtMap(c, kXrtMapToData, px, py, &bx, &by), 1);
                EXPECT_LE(std::fabs(bx - x), (k.xmax - k.xmin) / plot.width);
                EXPECT_LE(std::fabs(by - y), (k.ymax - k.ymin) / plot.height);
            }
        }
        double x = 0, y = 0;
        EXPECT_EQ(XrtMap(c, 0, 10, 10, &x, &y), 0) << "only mode 1 maps";
        XrtDestroy(c);
    }
}

TEST(XrtModelTest, UnusableRangesMapNothingAndLayOutAnyway)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        const char* name;
        double ymin, ymax;
    };
    const Case cases[] = {
        {"autoscale without data", 100000.0, -100000.0},
        {"equal", 5.0, 5.0},
        {"NaN", nan, 10.0},
        {"infinite", -inf, inf},
        {"span overflows", -1.7e308, 1.7e308},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        XrtHandle c = fixedChart();
        XrtSetValues(c, {{kXrtYMin, k.ymin}, {kXrtYMax, k.ymax}});
        XrtLayout l = xrtChart(c)->layout();
        EXPECT_FALSE(l.y.usable);
        EXPECT_TRUE(l.y.ticks.empty());
        EXPECT_FALSE(l.plotArea.empty());
        double x = 0, y = 0;
        int px = 0, py = 0;
        EXPECT_EQ(XrtMap(c, kXrtMapToData, 100, 100, &x, &y), 0);
        EXPECT_EQ(XrtUnmap(c, 50, 50, &px, &py), 0);
        // The values read back as they were set.
        double back = 0;
        XrtGetValues(c, {{kXrtYMax, &back}});
        if (!std::isnan(k.ymax)) {
            EXPECT_EQ(back, k.ymax);
        }
        XrtDestroy(c);
    }
}

TEST(XrtModelTest, DataStylesDefaultAndRoundTrip)
{
    XrtHandle c = XrtCreate();
    XrtDataStyle s0, s1;
    ASSERT_EQ(XrtGetNthDataStyle(c, 0, &s0), 1);
    ASSERT_EQ(XrtGetNthDataStyle(c, 1, &s1), 1);
    EXPECT_NE(s0.lineColor, s1.lineColor) << "default styles tell sets apart";
    EXPECT_EQ(s0.linePattern, kXrtLineSolid);

    XrtDataStyle s;
    s.linePattern = kXrtLineDashDot;
    s.fillPattern = kXrtFillCrossHatch;
    s.lineColor = xrtRgb(9, 8, 7);
    s.lineWidth = 4;
    s.pointStyle = kXrtPointOpenDiamond;
    s.pointColor = xrtRgb(1, 1, 1);
    s.pointSize = 6;
    ASSERT_EQ(XrtSetNthDataStyle(c, 12, &s), 1);
    XrtDataStyle back;
    ASSERT_EQ(XrtGetNthDataStyle(c, 12, &back), 1);
    EXPECT_EQ(back, s);
    EXPECT_EQ(XrtGetNthDataStyle(c, 12, nullptr), 0);
    XrtDestroy(c);
}

TEST(XrtModelTest, TextAreasAreCreatedMovedHiddenAndDestroyed)
{
    XrtHandle c = fixedChart();
    XrtHandle a = XrtTextAreaCreate(c);
    ASSERT_NE(a, 0u);
    ASSERT_EQ(XrtTextAreaSetValues(a, {{kXrtTextAreaAnchor, 0},
                                       {kXrtTextAreaX, 25.0},
                                       {kXrtTextAreaY, 75.0},
                                       {kXrtTextAreaFont, XrtFont{"Arial", 16}},
                                       {kXrtTextAreaStrings, std::vector<std::string>{"Peak"}},
                                       {kXrtTextAreaColor, xrtRgb(255, 0, 0)},
                                       {kXrtTextAreaShown, 1}}),
              1);
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(XrtTextAreaGetValues(a, {{kXrtTextAreaLeft, &left},
                                       {kXrtTextAreaTop, &top},
                                       {kXrtTextAreaWidth, &width},
                                       {kXrtTextAreaHeight, &height}}),
              1);
    int px = 0, py = 0;
    ASSERT_EQ(XrtUnmap(c, 25.0, 75.0, &px, &py), 1);
    EXPECT_EQ(left, px) << "anchor 0 puts the top-left corner on the point";
    EXPECT_EQ(top, py);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);

    // Moving the anchor point moves the area by the same pixels.
    XrtTextAreaSetValues(a, {{kXrtTextAreaX, 75.0}});
    int movedLeft = 0;
    XrtTextAreaGetValues(a, {{kXrtTextAreaLeft, &movedLeft}});
    int px2 = 0;
    XrtUnmap(c, 75.0, 75.0, &px2, &py);
    EXPECT_EQ(movedLeft, px2);
    EXPECT_GT(movedLeft, left);

    // Hidden areas keep their settings.
    XrtTextAreaSetValues(a, {{kXrtTextAreaShown, 0}});
    int shown = 1;
    std::vector<std::string> text;
    XrtTextAreaGetValues(a, {{kXrtTextAreaShown, &shown}, {kXrtTextAreaStrings, &text}});
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(text, std::vector<std::string>{"Peak"});

    XrtHandle b = XrtTextAreaCreate(c);
    EXPECT_EQ(xrtChart(c)->textAreas(), (std::vector<XrtHandle>{a, b}));
    EXPECT_EQ(XrtTextAreaDestroy(a), 1);
    EXPECT_EQ(XrtTextAreaDestroy(a), 0);
    EXPECT_EQ(XrtTextAreaSetValues(a, {{kXrtTextAreaShown, 1}}), 0);
    EXPECT_EQ(xrtChart(c)->textAreas(), std::vector<XrtHandle>{b});
    // Destroying the chart takes its text areas with it.
    XrtDestroy(c);
    EXPECT_EQ(XrtTextAreaSetValues(b, {{kXrtTextAreaShown, 1}}), 0);
}

class CountingWindow : public XrtChartWindow
{
public:
    void chartChanged() override { ++count; }
    bool chartWindowSize(int&, int&) const override { return false; }
    int count = 0;
};

TEST(XrtModelTest, RepaintSwitchCoalescesChangesIntoOneRepaint)
{
    XrtHandle c = XrtCreate();
    CountingWindow w;
    XrtAttachWindow(c, &w);
    XrtHandle d = XrtDataCreate(kXrtDataGeneral, 16, 16);

    XrtSetValues(c, {{kXrtRepaint, 0}});
    for (int i = 0; i < 100; ++i) {
        XrtSetValues(c, {{kXrtYMax, 100.0 + i}, {kXrtData, static_cast<int>(d)}});
        XrtDataStyle s;
        XrtSetNthDataStyle(c, i % 16, &s);
    }
    XrtHandle area = XrtTextAreaCreate(c);
    XrtTextAreaSetValues(area, {{kXrtTextAreaX, 1.0}});
    EXPECT_EQ(w.count, 0) << "nothing repaints while held";
    XrtSetValues(c, {{kXrtRepaint, 1}});
    EXPECT_EQ(w.count, 1) << "resuming repaints once";
    XrtSetValues(c, {{kXrtRepaint, 1}});
    EXPECT_EQ(w.count, 2) << "1 always repaints";

    // With repainting on, each call asks once.
    XrtSetValues(c, {{kXrtBackgroundColor, xrtRgb(1, 2, 3)}});
    EXPECT_EQ(w.count, 3);
    XrtAttachWindow(c, nullptr);
    XrtSetValues(c, {{kXrtBackgroundColor, xrtRgb(1, 2, 4)}});
    EXPECT_EQ(w.count, 3);
    XrtDestroy(c);
    XrtDataDestroy(d);
}

TEST(XrtModelTest, LabelFormatsTakeOneDoubleConversionOnly)
{
    struct Case
    {
        const char* format;
        bool accepted;
        const char* text;
    };
    const Case cases[] = {
        {"%.2f", true, "1234.57"},
        {"%8.1e", true, " 1.2e+03"},
        {"%g counts", true, "1234.57 counts"},
        {"100%% at %.0f", true, "100% at 1235"},
        {"%s", false, ""},
        {"%d", false, ""},
        {"%n", false, ""},
        {"%f %f", false, ""},
        {"no conversion", false, ""},
        {"%999f", false, ""},
        {"%.999f", false, ""},
        {"%", false, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.format);
        std::string out;
        EXPECT_EQ(xrtFormatLabel(k.format, 1234.5678, out), k.accepted);
        if (k.accepted) {
            EXPECT_EQ(out, k.text);
        }
    }
    // A refused format gives the default labels instead.
    XrtHandle c = fixedChart();
    XrtSetValues(c, {{kXrtYAxisLabelFormat, "%s%s%s"}});
    XrtLayout l = xrtChart(c)->layout();
    ASSERT_FALSE(l.y.labels.empty());
    EXPECT_EQ(l.y.labels.front(), "0");
    XrtSetValues(c, {{kXrtYAxisLabelFormat, "%.1f"}});
    EXPECT_EQ(xrtChart(c)->layout().y.labels.front(), "0.0");
    XrtSetValues(c, {{kXrtYAxisLabelFormat, nullptr}});
    EXPECT_EQ(xrtChart(c)->layout().y.labels.front(), "0");
    XrtDestroy(c);
}

TEST(XrtModelTest, LegendDocksBesideTheChartAreaOrFloatsOverIt)
{
    XrtHandle c = XrtCreate();
    xrtChart(c)->setSizePx(600, 400);
    XrtHandle d = XrtDataCreate(kXrtDataGeneral, 3, 4);
    XrtSetValues(c, {{kXrtData, static_cast<int>(d)},
                     {kXrtLegendLabels, std::vector<std::string>{"Master", "", "Slave 2"}}});
    struct Case
    {
        const char* name;
        int anchor;
        bool right, bottom;
    };
    const Case cases[] = {{"right", kXrtAnchorEast, true, false},
                          {"upper left", 18, false, false},
                          {"lower right", 33, true, true},
                          {"bottom", kXrtAnchorSouth, false, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        XrtSetValues(c, {{kXrtLegendAnchor, k.anchor}});
        XrtLayout l = xrtChart(c)->layout();
        ASSERT_TRUE(l.legendShown);
        ASSERT_EQ(l.legendEntries.size(), 2u) << "an empty label has no entry";
        EXPECT_EQ(l.legendEntries[1].set, 2);
        bool overlaps =
            l.legendArea.left < l.chartArea.right() && l.chartArea.left < l.legendArea.right() &&
            l.legendArea.top < l.chartArea.bottom() && l.chartArea.top < l.legendArea.bottom();
        EXPECT_FALSE(overlaps) << "docked beside the chart area";
        EXPECT_EQ(l.legendArea.left > 300, k.right);
        EXPECT_EQ(l.legendArea.top > 200, k.bottom);
    }
    // Placing the chart area by hand lets the legend float over it.
    XrtSetValues(c, {{kXrtLegendAnchor, kXrtAnchorEast},
                     {kXrtChartAreaLeft, 0},
                     {kXrtChartAreaTop, 0},
                     {kXrtChartAreaWidth, 600},
                     {kXrtChartAreaHeight, 400}});
    XrtLayout l = xrtChart(c)->layout();
    EXPECT_EQ(l.chartArea, (XrtRect{0, 0, 600, 400}));
    EXPECT_GT(l.legendArea.right(), l.plotArea.left);
    EXPECT_EQ(XrtGetValue(c, kXrtChartAreaWidth).toInt(), 600);
    XrtSetValues(c, {{kXrtChartAreaWidthAuto, 1},
                     {kXrtChartAreaHeightAuto, 1},
                     {kXrtChartAreaLeftAuto, 1},
                     {kXrtChartAreaTopAuto, 1}});
    EXPECT_LT(XrtGetValue(c, kXrtChartAreaWidth).toInt(), 600);
    XrtSetValues(c, {{kXrtLegendShown, 0}});
    EXPECT_FALSE(xrtChart(c)->layout().legendShown);
    XrtDestroy(c);
    XrtDataDestroy(d);
}

TEST(XrtModelTest, ObserverSeesTheCallsOnItsChartInOrder)
{
    struct Recorder : XrtChartObserver
    {
        void chartCall(const XrtCall& call) override { calls.push_back(call); }
        std::vector<XrtCall> calls;
    };
    XrtHandle c = XrtCreate();
    XrtHandle other = XrtCreate();
    Recorder recorder;
    xrtChart(c)->setObserver(&recorder);
    XrtDataStyle style;
    style.lineColor = 0x00FF00;
    XrtSetValues(c, {{kXrtRepaint, 0}, {kXrtXMin, 2.5}, {0, 0}, {kXrtXMax, 9.0}});
    XrtSetValues(other, {{kXrtXMin, 1.0}});
    XrtSetNthDataStyle(c, 3, &style);
    const XrtHandle area = XrtTextAreaCreate(c);
    XrtTextAreaSetValues(area, {{kXrtTextAreaShown, 1}});
    int width = -1;
    XrtTextAreaGetValues(area, {{kXrtTextAreaWidth, &width}});
    // A refused value is seen as given.
    XrtSetValues(c, {{kXrtXMin, "text"}});
    const std::vector<XrtCall> expected = {
        {XrtCall::Kind::ChartValue, 0, kXrtRepaint, 0},
        {XrtCall::Kind::ChartValue, 0, kXrtXMin, 2.5},
        {XrtCall::Kind::DataStyle, 0, 3, style},
        {XrtCall::Kind::TextAreaCreate, area, 0, {}},
        {XrtCall::Kind::TextAreaValue, area, kXrtTextAreaShown, 1},
        {XrtCall::Kind::TextAreaRead, area, kXrtTextAreaWidth, width},
        {XrtCall::Kind::ChartValue, 0, kXrtXMin, "text"},
    };
    EXPECT_EQ(recorder.calls, expected);
    EXPECT_EQ(XrtGetValue(c, kXrtXMin).toDouble(), 2.5);
    xrtChart(c)->setObserver(nullptr);
    XrtSetValues(c, {{kXrtXMin, 3.0}});
    EXPECT_EQ(recorder.calls.size(), expected.size());
    XrtDestroy(c);
    XrtDestroy(other);
}

} // namespace
} // namespace platform::chart
