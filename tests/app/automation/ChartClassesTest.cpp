// The cursor, display, chart, legend, trace, overlay and annotation classes through their
// dispatch interfaces, on a spectrum view core with a chart whose calls are recorded: the
// chart properties each member sets and their order, what is only stored, the window
// commands they run, the ranges they refuse and the annotation records they use.
#include "AutomationCall.h"
#include "ChartWindow.h"
#include "FakeAutomationFrame.h"
#include "app/automation/AutomationClasses.h"
#include "app/res/ResourceIds.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/TypeLibraryEnums.h"
#include "platform/chart/Xrt.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform::automation;
using namespace platform::chart;
using namespace app::spectrum::test;
using namespace chart_test;
using CallKind = XrtCall::Kind;

class ChartClassesTest : public ::testing::Test
{
protected:
    ChartClassesTest() { registerHarluneAutomation(registry); }

    DispatchPtr create(const char* progId)
    {
        DispatchPtr object;
        EXPECT_EQ(registry.CreateInstance(progId, object), S_OK) << progId;
        return object;
    }
    static Variant getAt(IDispatch& object, const std::string& name, int16_t index)
    {
        return invokeMember(object, name, DISPATCH_PROPERTYGET, {Variant(index)});
    }
    static void putAt(IDispatch& object, const std::string& name, int16_t index, Variant value)
    {
        invokeMember(object, name, DISPATCH_PROPERTYPUT, {Variant(index), std::move(value)});
    }

    ClassRegistry registry;
    RecordingSink log;
};

TEST_F(ChartClassesTest, ClassesHaveTheirMembersAtTheirPositions)
{
    struct Case
    {
        const char* progId;
        size_t members;
        const char* member;
        DISPID dispid;
    };
    const Case cases[] = {
        {"Harlune.SpecCursor", 25, "Enabled", 8},
        {"Harlune.SpecCursor", 25, "SetWindowByUSBSerialNumber", 9},
        {"Harlune.SpecCursor", 25, "GetIntensity", 15},
        {"Harlune.SpecCursor", 25, "PeakRight", 25},
        {"Harlune.SpecDataDisplay", 12, "YAxisTitle", 6},
        {"Harlune.SpecDataDisplay", 12, "SetWindowByBaseAddress", 12},
        {"Harlune.SpecGraphScale", 13, "PercentZoom", 6},
        {"Harlune.SpecGraphScale", 13, "ShowConfigurationDialog", 13},
        {"Harlune.SpecGraphSettings", 17, "MainTitle", 8},
        {"Harlune.SpecGraphSettings", 17, "Redraw", 15},
        {"Harlune.SpecGraphSettings", 17, "SaveAsBitmap", 17},
        {"Harlune.SpecGrid", 10, "LineStyle", 3},
        {"Harlune.SpecGrid", 10, "ShowConfigurationDialog", 10},
        {"Harlune.SpecLegend", 18, "Position", 11},
        {"Harlune.SpecLegend", 18, "Text", 18},
        {"Harlune.SpecTraceSettings", 13, "ShowConfigurationDialog", 7},
        {"Harlune.SpecTraceSettings", 13, "PointColor", 13},
        {"Harlune.SpecOverlay", 14, "SetOverlayWavelength", 7},
        {"Harlune.SpecOverlay", 14, "Filename", 14},
        {"Harlune.SpecAnnotation", 9, "ClearAnnotation", 7},
        {"Harlune.SpecAnnotation", 9, "ModifyAnnotation", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.progId) + "." + c.member);
        DispatchPtr object = create(c.progId);
        ASSERT_TRUE(object);
        DISPID dispid = 0;
        ASSERT_EQ(object->GetIDsOfNames(c.member, dispid), S_OK);
        EXPECT_EQ(dispid, c.dispid);
        const ClassInfo* info = findClassByProgId(c.progId);
        ASSERT_NE(info, nullptr);
        ASSERT_NE(registry.dispatchTable(*info), nullptr);
        EXPECT_EQ(registry.dispatchTable(*info)->size(), c.members);
    }
}

TEST_F(ChartClassesTest, MembersSetTheirChartPropertiesInOrder)
{
    Window w;
    w.view->legendFont() = ChartFontSetting{"Serif", 14};
    w.view->axisFont() = ChartFontSetting{"Mono", 11};
    w.view->setLegendFloating(0);
    DispatchPtr scale = create("Harlune.SpecGraphScale");
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    DispatchPtr legend = create("Harlune.SpecLegend");
    DispatchPtr traces = create("Harlune.SpecTraceSettings");
    DispatchPtr display = create("Harlune.SpecDataDisplay");
    const auto font = [](const char* face, int height) {
        XrtFont f;
        f.face = face;
        f.height = height;
        return f;
    };
    const auto held = [](int id, XrtValue value) {
        return std::vector<XrtCall>{chartSet(kXrtRepaint, 0), chartSet(id, std::move(value)),
                                    chartSet(kXrtRepaint, 1)};
    };
    struct Case
    {
        const char* name;
        std::function<void()> run;
        std::vector<XrtCall> calls;
    };
    XrtDataStyle style3 = w.view->traceStyle(3);
    style3.pointColor = 0x123456;
    const std::vector<Case> cases = {
        {"XAxisMin",
         [&] { put(*scale, "XAxisMin", Variant(500.0)); },
         {chartSet(kXrtXMin, 500.0), chartSet(kXrtXDataMin, 500.0)}},
        {"XAxisMax",
         [&] { put(*scale, "XAxisMax", Variant(700.0)); },
         {chartSet(kXrtXMax, 700.0), chartSet(kXrtXDataMax, 700.0)}},
        {"YAxisMin",
         [&] { put(*scale, "YAxisMin", Variant(-5.0)); },
         {chartSet(kXrtYMin, -5.0), chartSet(kXrtYDataMin, -5.0)}},
        {"YAxisMax",
         [&] { put(*scale, "YAxisMax", Variant(4000.0)); },
         {chartSet(kXrtYMax, 4000.0), chartSet(kXrtYDataMax, 4000.0)}},
        {"BackgroundColor",
         [&] { put(*settings, "BackgroundColor", Variant(int32_t{0x102030})); },
         {chartSet(kXrtBackgroundColor, 0x102030)}},
        {"ForegroundColor",
         [&] { put(*settings, "ForegroundColor", Variant(int32_t{0x405060})); },
         {chartSet(kXrtForegroundColor, 0x405060)}},
        {"BackgroundBitmapFilename",
         [&] { put(*settings, "BackgroundBitmapFilename", Variant("/data/back.bmp")); },
         {chartSet(kXrtBackgroundBitmap, "/data/back.bmp")}},
        {"AxisFontSize",
         [&] { put(*settings, "AxisFontSize", Variant(int32_t{22})); },
         {chartSet(kXrtAxisFont, font("Mono", 22)), chartSet(kXrtRepaint, 1)}},
        {"AxisFontName",
         [&] { put(*settings, "AxisFontName", Variant("Sans")); },
         {chartSet(kXrtAxisFont, font("Sans", 22)), chartSet(kXrtRepaint, 1)}},
        {"YAxisLabelFormat",
         [&] { put(*settings, "YAxisLabelFormat", Variant("%.2f")); },
         {chartSet(kXrtYAxisLabelFormat, "%.2f")}},
        {"YAxisLabelFormat reset",
         [&] { put(*settings, "YAxisLabelFormat", Variant("rEsEt")); },
         {chartSet(kXrtYAxisLabelFormat, nullptr)}},
        {"Redraw", [&] { call(*settings, "Redraw"); }, {chartSet(kXrtRepaint, 1)}},
        {"Orientation", [&] { put(*legend, "Orientation", Variant(int16_t{2})); },
         held(kXrtLegendOrientation, 2)},
        {"Border", [&] { put(*legend, "Border", Variant(int16_t{4})); }, held(kXrtLegendBorder, 4)},
        {"BorderWidth", [&] { put(*legend, "BorderWidth", Variant(int16_t{3})); },
         held(kXrtLegendBorderWidth, 3)},
        {"Legend BackgroundColor",
         [&] { put(*legend, "BackgroundColor", Variant(int32_t{0xABCDEF})); },
         held(kXrtLegendBackgroundColor, 0xABCDEF)},
        {"Legend ForegroundColor", [&] { put(*legend, "ForegroundColor", Variant(int32_t{7})); },
         held(kXrtLegendForegroundColor, 7)},
        {"Position", [&] { put(*legend, "Position", Variant(int16_t{18})); },
         held(kXrtLegendAnchor, 18)},
        {"Legend FontSize", [&] { put(*legend, "FontSize", Variant(int16_t{20})); },
         held(kXrtLegendFont, font("Serif", 20))},
        {"Legend FontName", [&] { put(*legend, "FontName", Variant("Courier")); },
         held(kXrtLegendFont, font("Courier", 20))},
        {"Legend hidden",
         [&] { put(*legend, "Visible", Variant(false)); },
         {chartSet(kXrtLegendShown, 0), chartSet(kXrtRepaint, 0),
          chartSet(kXrtChartAreaLeftAuto, 0), chartSet(kXrtChartAreaTopAuto, 0),
          chartSet(kXrtChartAreaLeft, 0), chartSet(kXrtChartAreaTop, 0),
          chartSet(kXrtChartAreaWidth, 600), chartSet(kXrtChartAreaHeight, 400),
          chartSet(kXrtRepaint, 1)}},
        {"Legend shown docked",
         [&] { put(*legend, "Visible", Variant(true)); },
         {chartSet(kXrtLegendShown, 1), chartSet(kXrtRepaint, 0),
          chartSet(kXrtChartAreaLeftAuto, 1), chartSet(kXrtChartAreaTopAuto, 1),
          chartSet(kXrtChartAreaWidthAuto, 1), chartSet(kXrtChartAreaHeightAuto, 1),
          chartSet(kXrtRepaint, 1)}},
        {"Legend floating",
         [&] { put(*legend, "Floating", Variant(true)); },
         {chartSet(kXrtRepaint, 0), chartSet(kXrtChartAreaLeftAuto, 0),
          chartSet(kXrtChartAreaTopAuto, 0), chartSet(kXrtChartAreaLeft, 0),
          chartSet(kXrtChartAreaTop, 0), chartSet(kXrtChartAreaWidth, 600),
          chartSet(kXrtChartAreaHeight, 400), chartSet(kXrtRepaint, 1)}},
        {"PointColor 3",
         [&] { putAt(*traces, "PointColor", 3, Variant(int32_t{0x123456})); },
         {{CallKind::DataStyle, 0, 3, style3}}},
        {"XAxisTitle",
         [&] { put(*display, "XAxisTitle", Variant("Wavelength (nm)")); },
         {chartSet(kXrtXAxisTitle, "Wavelength (nm)")}},
        {"YAxisTitle",
         [&] { put(*display, "YAxisTitle", Variant("Counts")); },
         {chartSet(kXrtYAxisTitle, "Counts")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.takeCalls();
        c.run();
        EXPECT_EQ(w.takeCalls(), c.calls);
    }
    EXPECT_TRUE(log.sources.empty());

    // The gets read what the puts set.
    EXPECT_EQ(asDouble(get(*scale, "XAxisMin")), 500.0);
    EXPECT_EQ(asText(get(*display, "XAxisTitle")), "Wavelength (nm)");
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtXAxisTitle).toText(), "Wavelength (nm)");
    EXPECT_EQ(asLong(get(*settings, "AxisFontSize")), 22);
    EXPECT_EQ(asText(get(*settings, "AxisFontName")), "Sans");
    EXPECT_EQ(asLong(get(*legend, "Orientation")), 2);
    EXPECT_EQ(asLong(getAt(*traces, "PointColor", 3)), 0x123456);
}

TEST_F(ChartClassesTest, CursorEnabledShowsTheCursorAndSetsTheMarker)
{
    Window w;
    w.view->cursorStyle().lineColor = 0xFF00;
    w.view->setCursorPixel(300);
    DispatchPtr cursor = create("Harlune.SpecCursor");
    // Enabled 5 from a script stores 1.
    put(*cursor, "Enabled", Variant(int32_t{5}));
    EXPECT_EQ(w.view->cursorShown(), 1);
    EXPECT_TRUE(asBool(get(*cursor, "Enabled")));
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(true));
    const std::vector<XrtCall> calls = w.takeCalls();
    const std::vector<XrtCall> marker = {
        chartSet(kXrtMarkerAttach, 1), chartSet(kXrtMarkerHorizontalLine, 0),
        chartSet(kXrtMarkerStyle, w.view->cursorStyle()), chartSet(kXrtMarkerPoint, 300),
        chartSet(kXrtMarkerShown, 1)};
    const auto at = std::search(calls.begin(), calls.end(), marker.begin(), marker.end());
    ASSERT_NE(at, calls.end());
    // The legend labels are rebuilt last.
    EXPECT_EQ(calls.back().id, kXrtLegendLabels);

    put(*cursor, "Enabled", Variant(false));
    EXPECT_EQ(w.view->cursorShown(), 0);
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(false));
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtMarkerShown).toInt(), 0);

    // Values in the legend: the bar stays hidden when the cursor is shown.
    w.view->setCursorValuesInLegend(1);
    put(*cursor, "Enabled", Variant(true));
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(false));

    // A time acquisition that shows its values keeps the bar when the cursor goes.
    w.view->setCursorValuesInLegend(0);
    w.view->setTimeAcquisitionState(1, 1, 1);
    put(*cursor, "Enabled", Variant(true));
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(true));
    put(*cursor, "Enabled", Variant(false));
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(true));
    w.view->setTimeAcquisitionState(1, 1, 0);
    put(*cursor, "Enabled", Variant(false));
    EXPECT_EQ(w.window.readOutBar, std::optional<bool>(false));
}

TEST_F(ChartClassesTest, CursorPutsStoreOnlyValuesInRange)
{
    struct Case
    {
        const char* name;
        uint16_t type;
        const char* member;
        int16_t value;
        std::function<int(CHarluneSpectrumView&)> field;
        int expected;
    };
    const auto pixel = [](CHarluneSpectrumView& v) { return v.cursorPixel(); };
    const auto trace = [](CHarluneSpectrumView& v) { return v.cursorChannel(); };
    const auto precision = [](CHarluneSpectrumView& v) { return v.cursorPrecision(); };
    const auto width = [](CHarluneSpectrumView& v) { return v.cursorStyle().lineWidth; };
    const Case cases[] = {
        {"pixel 2047", kIstrel, "Pixel", 2047, pixel, 2047},
        {"pixel 2048", kIstrel, "Pixel", 2048, pixel, 10},
        {"pixel -1", kIstrel, "Pixel", -1, pixel, 10},
        {"pixel 3000 of 3648", kJolvar, "Pixel", 3000, pixel, 3000},
        {"pixel 3648 of 3648", kJolvar, "Pixel", 3648, pixel, 10},
        {"trace 7", kIstrel, "ActiveTrace", 7, trace, 7},
        {"trace 8", kIstrel, "ActiveTrace", 8, trace, 1},
        {"trace -1", kIstrel, "ActiveTrace", -1, trace, 1},
        {"precision 10", kIstrel, "Precision", 10, precision, 10},
        {"precision 11", kIstrel, "Precision", 11, precision, 4},
        {"precision -1", kIstrel, "Precision", -1, precision, 4},
        {"line width 30000", kIstrel, "LineWidth", 30000, width, 2},
        {"line width 5", kIstrel, "LineWidth", 5, width, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window w(c.type);
        w.view->setCursorPixel(10);
        w.view->setCursorChannel(1);
        w.view->setCursorPrecision(4);
        w.view->cursorStyle().lineWidth = 2;
        DispatchPtr cursor = create("Harlune.SpecCursor");
        w.takeCalls();
        put(*cursor, c.member, Variant(c.value));
        EXPECT_EQ(c.field(*w.view), c.expected);
        EXPECT_EQ(asLong(get(*cursor, c.member)), c.expected);
        // Stored only: nothing reaches the chart.
        EXPECT_TRUE(w.takeCalls().empty());
    }
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, CursorCommandsRunAsTheMenuRunsThem)
{
    Window w;
    ChannelSpectra& s = w.spectra();
    for (int i = 0; i < 2048; ++i)
        s.processed[0][i] = 100.0;
    DispatchPtr cursor = create("Harlune.SpecCursor");
    put(*cursor, "Enabled", Variant(true));

    // A put of the pixel does not move the drawn cursor.
    w.view->setCursorPixel(100);
    w.view->UpdateCursor();
    put(*cursor, "Pixel", Variant(int16_t{400}));
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtMarkerPoint).toInt(), 100);
    // A command moves it from the stored pixel.
    call(*cursor, "LittleRight");
    EXPECT_EQ(w.view->cursorPixel(), 401);
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtMarkerPoint).toInt(), 401);
    call(*cursor, "BigLeft");
    EXPECT_EQ(w.view->cursorPixel(), 376);

    // Peak Left over a flat spectrum: where the window's own command leaves the cursor.
    w.view->setCursorPixel(100);
    w.view->OnCommand(app::res::ID_CURSOR_PEAK_LEFT);
    const int byMenu = w.view->cursorPixel();
    w.view->setCursorPixel(100);
    call(*cursor, "PeakLeft");
    EXPECT_EQ(w.view->cursorPixel(), byMenu);

    // The script may refuse a command.
    w.viewFrame.forbidden = mvSpecViewCursorLittleLeft;
    w.viewFrame.verified.clear();
    call(*cursor, "LittleLeft");
    EXPECT_EQ(w.view->cursorPixel(), byMenu);
    EXPECT_EQ(w.viewFrame.verified, std::vector<int>{mvSpecViewCursorLittleLeft});

    w.window.cursorAnswer.reset();
    call(*cursor, "ShowConfigurationDialog");
    EXPECT_EQ(w.window.cursorDialogs.size(), 1u);
    EXPECT_EQ(asText(call(*cursor, "GetCursorText")), w.view->cursorBarText());
    EXPECT_FALSE(w.view->cursorBarText().empty());
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, CursorReadsValuesAtItsWavelength)
{
    Window w;
    CSpectrometerConfiguration& c = w.view->configuration();
    const float other[4] = {300.0f, 0.2f, 0.0f, 0.0f};
    c.SetWavelengthCoefs(1, other);
    ChannelSpectra& s = w.spectra();
    for (int i = 0; i < 2048; ++i) {
        s.wavelengths[0][i] = c.PixelToWavelength(0, i);
        s.wavelengths[1][i] = c.PixelToWavelength(1, i);
        s.processed[0][i] = 1000.0 + i;
        s.processed[1][i] = 5000.0 + i;
    }
    DispatchPtr cursor = create("Harlune.SpecCursor");
    w.view->setCursorChannel(0);
    w.view->setCursorPixel(500);
    const double wavelength = asDouble(call(*cursor, "GetWavelength"));
    EXPECT_DOUBLE_EQ(wavelength, s.wavelengths[0][500]);
    EXPECT_DOUBLE_EQ(asDouble(call(*cursor, "GetIntensity", {Variant(int16_t{0})})), 1500.0);
    // Channel 1 at the same wavelength through its own calibration (450 nm: about pixel 750).
    const int pixel = c.WavelengthToPixel(1, static_cast<float>(wavelength));
    EXPECT_NEAR(pixel, 750, 1);
    EXPECT_DOUBLE_EQ(asDouble(call(*cursor, "GetIntensity", {Variant(int16_t{1})})),
                     s.processed[1][pixel]);
    EXPECT_EQ(asDouble(call(*cursor, "GetIntensity", {Variant(int16_t{8})})), 0.0);
    EXPECT_EQ(asDouble(call(*cursor, "GetIntensity", {Variant(int16_t{-1})})), 0.0);

    // Overlay slot 2: points 0.5 nm apart from 420.25 nm, values 10 * index.
    OverlaySlots& o = w.overlays();
    for (int i = 0; i < 4096; ++i) {
        o.wavelengths[2][i] = 420.25 + 0.5 * i;
        o.values[2][i] = 10.0 * i;
    }
    struct Case
    {
        const char* name;
        int cursorPixel;
        double expected;
    };
    const Case cases[] = {
        // 450 nm: point 60 is the first at or above, so point 59.
        {"inside", 500, 590.0},
        // 400 nm lies below the first point: point 0.
        {"below the first point", 0, 0.0},
        // 604.7 nm: point 369 is the first at or above.
        {"last pixel", 2047, 10.0 * 368},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        w.view->setCursorPixel(k.cursorPixel);
        EXPECT_DOUBLE_EQ(asDouble(call(*cursor, "GetOverlayIntensity", {Variant(int16_t{2})})),
                         k.expected);
    }
    // Beyond point 2047 of the slot: the value at 2047 (no more points are looked at).
    for (int i = 0; i < 4096; ++i)
        o.wavelengths[2][i] = 100.0 + 0.1 * i;
    w.view->setCursorPixel(1000);
    EXPECT_DOUBLE_EQ(asDouble(call(*cursor, "GetOverlayIntensity", {Variant(int16_t{2})})),
                     10.0 * 2047);
    EXPECT_EQ(asDouble(call(*cursor, "GetOverlayIntensity", {Variant(int16_t{8})})), 0.0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, StoredOnlyPutsChangeTheFieldAndNothingElse)
{
    Window w;
    DispatchPtr display = create("Harlune.SpecDataDisplay");
    DispatchPtr grid = create("Harlune.SpecGrid");
    DispatchPtr legend = create("Harlune.SpecLegend");
    DispatchPtr scale = create("Harlune.SpecGraphScale");
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    struct Case
    {
        const char* name;
        std::function<void()> put;
        std::function<bool()> stored;
    };
    const std::vector<Case> cases = {
        {"TimeNormalized", [&] { put(*display, "TimeNormalized", Variant(true)); },
         [&] { return w.view->timeNormalization() == 1; }},
        {"VerticalScaleLog", [&] { put(*display, "VerticalScaleLog", Variant(true)); },
         [&] { return w.view->verticalLogScale() == 1; }},
        {"SnapshotMode", [&] { put(*display, "SnapshotMode", Variant(true)); },
         [&] { return w.view->snapshotState() == 1; }},
        {"SuspendGraphUpdate", [&] { put(*display, "SuspendGraphUpdate", Variant(true)); },
         [&] { return w.view->plotSuspended() == 1; }},
        {"Grid Enabled", [&] { put(*grid, "Enabled", Variant(true)); },
         [&] { return w.view->gridEnabled() == 1; }},
        {"Grid LineColor", [&] { put(*grid, "LineColor", Variant(int32_t{0xFF})); },
         [&] { return w.view->gridStyle().lineColor == 0xFFu; }},
        {"Grid LineStyle", [&] { put(*grid, "LineStyle", Variant(int16_t{5})); },
         [&] { return w.view->gridPattern() == 5; }},
        {"Legend Text", [&] { putAt(*legend, "Text", 2, Variant("Lamp")); },
         [&] { return w.view->legendLabels()[2] == "Lamp"; }},
        {"ShowOverlayFilename", [&] { put(*legend, "ShowOverlayFilename", Variant(false)); },
         [&] { return w.view->showOverlayFileName() == 0; }},
        {"PercentPan", [&] { put(*scale, "PercentPan", Variant(25.0)); },
         [&] { return std::fabs(w.view->panStep() - 0.25) < 1e-12; }},
        {"PercentZoom", [&] { put(*scale, "PercentZoom", Variant(5.0)); },
         [&] { return std::fabs(w.view->zoomStep() - 0.05) < 1e-12; }},
        {"BackgroundBitmapActive", [&] { put(*settings, "BackgroundBitmapActive", Variant(true)); },
         [&] { return w.view->backgroundBitmapVisible() == 1; }},
    };
    const ProcessingMode mode = w.view->processingMode();
    const std::string title = w.window.title;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.takeCalls();
        const uint64_t repaints = w.chart().repaintRequests();
        c.put();
        EXPECT_TRUE(c.stored());
        EXPECT_TRUE(w.takeCalls().empty());
        EXPECT_EQ(w.chart().repaintRequests(), repaints);
    }
    EXPECT_EQ(w.view->processingMode(), mode);
    EXPECT_EQ(w.window.title, title);
    EXPECT_EQ(asDouble(get(*scale, "PercentPan")), 25.0);
    EXPECT_EQ(asText(getAt(*legend, "Text", 2)), "Lamp");
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, ChartPutsTakeEffect)
{
    Window w;
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    DispatchPtr traces = create("Harlune.SpecTraceSettings");
    const XrtHandle chart = w.view->chart();

    put(*settings, "YAxisLabelFormat", Variant("%.1f"));
    EXPECT_EQ(asText(get(*settings, "YAxisLabelFormat")), "%.1f");
    const std::vector<std::string> own = w.chart().layout().y.labels;
    put(*settings, "YAxisLabelFormat", Variant("reset"));
    EXPECT_TRUE(XrtGetValue(chart, kXrtYAxisLabelFormat).isNull());
    EXPECT_EQ(asText(get(*settings, "YAxisLabelFormat")), "");
    EXPECT_NE(w.chart().layout().y.labels, own);

    // The font puts rebuild the font with the other half stored.
    w.view->axisFont() = ChartFontSetting{"Serif", 12};
    put(*settings, "AxisFontSize", Variant(int32_t{30}));
    EXPECT_EQ(XrtGetValue(chart, kXrtAxisFont).toFont().face, "Serif");
    EXPECT_EQ(XrtGetValue(chart, kXrtAxisFont).toFont().height, 30);
    put(*settings, "AxisFontName", Variant("Mono"));
    EXPECT_EQ(XrtGetValue(chart, kXrtAxisFont).toFont().face, "Mono");
    EXPECT_EQ(XrtGetValue(chart, kXrtAxisFont).toFont().height, 30);

    DispatchPtr legend = create("Harlune.SpecLegend");
    w.view->legendFont() = ChartFontSetting{"Sans", 9};
    put(*legend, "FontSize", Variant(int16_t{13}));
    EXPECT_EQ(XrtGetValue(chart, kXrtLegendFont).toFont(), (XrtFont{"Sans", 13}));
    put(*legend, "FontName", Variant("Serif"));
    EXPECT_EQ(XrtGetValue(chart, kXrtLegendFont).toFont(), (XrtFont{"Serif", 13}));
    EXPECT_EQ(asText(get(*legend, "FontName")), "Serif");

    // A trace's style changes that data set only.
    std::array<XrtDataStyle, 16> before;
    for (int t = 0; t < 16; ++t)
        XrtGetNthDataStyle(chart, t, &before[t]);
    putAt(*traces, "PointColor", 3, Variant(int32_t{0x00FF00}));
    for (int t = 0; t < 16; ++t) {
        XrtDataStyle now;
        XrtGetNthDataStyle(chart, t, &now);
        if (t == 3) {
            EXPECT_EQ(now.pointColor, 0x00FF00u);
            now.pointColor = before[t].pointColor;
        }
        EXPECT_EQ(now, before[t]) << t;
    }
    EXPECT_EQ(w.view->traceStyle(3).pointColor, 0x00FF00u);

    put(*settings, "MainTitle", Variant("Run 7"));
    EXPECT_EQ(w.view->GetGraphTitle(), "Run 7");
    EXPECT_EQ(asText(get(*settings, "MainTitle")), "Run 7");
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, LegendLayoutsOverTheClientArea)
{
    Window w;
    DispatchPtr legend = create("Harlune.SpecLegend");
    const XrtRect whole{0, 0, 600, 400};
    w.view->setLegendFloating(0);
    put(*legend, "Visible", Variant(true));
    const XrtRect docked = w.chart().layout().chartArea;
    EXPECT_NE(docked, whole);

    put(*legend, "Visible", Variant(false));
    EXPECT_EQ(w.chart().layout().chartArea, whole);
    put(*legend, "Visible", Variant(true));
    EXPECT_EQ(w.chart().layout().chartArea, docked);
    put(*legend, "Floating", Variant(true));
    EXPECT_TRUE(asBool(get(*legend, "Floating")));
    EXPECT_EQ(w.chart().layout().chartArea, whole);
    put(*legend, "Floating", Variant(false));
    EXPECT_EQ(w.chart().layout().chartArea, docked);
}

TEST_F(ChartClassesTest, WindowCommandsAskTheScript)
{
    Window w;
    DispatchPtr scale = create("Harlune.SpecGraphScale");
    DispatchPtr grid = create("Harlune.SpecGrid");
    DispatchPtr traces = create("Harlune.SpecTraceSettings");
    DispatchPtr overlay = create("Harlune.SpecOverlay");
    w.viewFrame.verified.clear();
    call(*scale, "ShowConfigurationDialog");
    call(*grid, "ShowConfigurationDialog");
    call(*traces, "ShowConfigurationDialog");
    EXPECT_EQ(w.viewFrame.verified,
              (std::vector<int>{mvSpecViewSpectrumScaleSetScale, mvSpecViewGridConfigure,
                                mvSpecViewDisplayProperties}));
    EXPECT_EQ(w.window.gridDialogValues.size(), 1u);
    EXPECT_EQ(w.window.displaySheets, 1);
    w.viewFrame.forbidden = mvSpecViewDisplayProperties;
    call(*traces, "ShowConfigurationDialog");
    EXPECT_EQ(w.window.displaySheets, 1);

    // The overlay menu names what a script put into a slot.
    w.window.menu = platform::framework::CreateMenu();
    platform::framework::AppendMenu(w.window.menu, platform::framework::MF_STRING,
                                    app::res::ID_OVERLAY_FIRST + 1, "&2. -- Select");
    putAt(*overlay, "Filename", 1, Variant("/data/lamp.scope"));
    putAt(*overlay, "Active", 1, Variant(true));
    call(*overlay, "UpdateOverlayMenu");
    EXPECT_EQ(platform::framework::GetMenuString(w.window.menu, app::res::ID_OVERLAY_FIRST + 1,
                                                 platform::framework::MF_BYCOMMAND),
              "&2.  /data/lamp.scope");
    platform::framework::DestroyMenu(w.window.menu);
    w.window.menu = 0;
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, OverlayArraysCopyExactly4096Points)
{
    Window w;
    DispatchPtr overlay = create("Harlune.SpecOverlay");
    OverlaySlots& o = w.overlays();
    std::vector<double> source(4097);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = 0.25 * static_cast<double>(i);
    const auto ok = [&](const char* member, int16_t slot, Variant array) {
        return asBool(call(*overlay, member, {Variant(slot), std::move(array)}));
    };

    EXPECT_FALSE(ok("SetOverlayWavelength", 8, Variant::byRef(source.data(), 4097)));
    EXPECT_FALSE(ok("SetOverlayWavelength", -1, Variant::byRef(source.data(), 4097)));
    EXPECT_TRUE(ok("SetOverlayWavelength", 7, Variant::byRef(source.data(), 4097)));
    EXPECT_TRUE(std::equal(o.wavelengths[7].begin(), o.wavelengths[7].end(), source.begin()));
    EXPECT_TRUE(ok("SetOverlayIntensity", 7, Variant::byRef(source.data() + 1, 4096)));
    EXPECT_EQ(o.values[7][4095], source[4096]);

    // A short script array copies nothing.
    std::vector<double> shortArray(100, 9.0);
    EXPECT_FALSE(ok("SetOverlayWavelength", 7, Variant::byRef(shortArray.data(), 100)));
    EXPECT_FALSE(ok("GetOverlayIntensity", 7, Variant::byRef(shortArray.data(), 100)));
    EXPECT_TRUE(std::equal(o.wavelengths[7].begin(), o.wavelengths[7].end(), source.begin()));
    EXPECT_EQ(shortArray, std::vector<double>(100, 9.0));

    std::vector<double> out(4096, -1.0);
    EXPECT_TRUE(ok("GetOverlayIntensity", 7, Variant::byRef(out.data(), 4096)));
    EXPECT_TRUE(std::equal(out.begin(), out.end(), o.values[7].begin()));
    EXPECT_TRUE(ok("GetOverlayWavelength", 7, Variant::byRef(out.data(), 4096)));
    EXPECT_EQ(out[4095], source[4095]);

    // Clearing asks nothing and leaves the slot unused, unnamed and zero.
    putAt(*overlay, "Active", 7, Variant(true));
    putAt(*overlay, "Filename", 7, Variant("/data/a.scope"));
    EXPECT_TRUE(asBool(getAt(*overlay, "Active", 7)));
    EXPECT_EQ(asText(getAt(*overlay, "Filename", 7)), "/data/a.scope");
    w.viewFrame.viewPrefs.OverlayClearWarning = 1;
    w.takeCalls();
    EXPECT_TRUE(asBool(call(*overlay, "ClearOverlay", {Variant(int16_t{7})})));
    EXPECT_TRUE(w.window.messages.empty());
    EXPECT_EQ(o.loaded[7], 0);
    EXPECT_TRUE(o.fileNames[7].empty());
    EXPECT_TRUE(std::all_of(o.wavelengths[7].begin(), o.wavelengths[7].end(),
                            [](double v) { return v == 0.0; }));
    EXPECT_TRUE(
        std::all_of(o.values[7].begin(), o.values[7].end(), [](double v) { return v == 0.0; }));
    EXPECT_FALSE(asBool(call(*overlay, "ClearOverlay", {Variant(int16_t{8})})));
    // Nothing here touches the chart.
    EXPECT_TRUE(w.takeCalls().empty());
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, AddAnnotationPlacesATextArea)
{
    Window w;
    DispatchPtr notes = create("Harlune.SpecAnnotation");
    w.takeCalls();
    const int16_t index =
        static_cast<int16_t>(asLong(call(*notes, "AddAnnotation",
                                         {Variant("Peak"), Variant(""), Variant(int16_t{14}),
                                          Variant(int32_t{0xFF}), Variant(550.0), Variant(0.5)})));
    EXPECT_EQ(index, 0);
    const CHarluneSpectrumView::AnnotationRecord& r = w.view->annotation(0);
    ASSERT_NE(r.textArea, 0u);
    XrtFont arial;
    arial.face = "Arial";
    arial.height = 14;
    const auto area = [&](int id, XrtValue v) {
        return XrtCall{CallKind::TextAreaValue, r.textArea, id, std::move(v)};
    };
    const auto read = [&](int id) {
        return XrtCall{CallKind::TextAreaRead, r.textArea, id,
                       xrtChart(w.view->chart())->textAreaValue(r.textArea, id)};
    };
    const std::vector<XrtCall> added = {
        {CallKind::TextAreaCreate, r.textArea, 0, {}},
        area(kXrtTextAreaAnchor, 0),
        area(kXrtTextAreaX, 550.0),
        area(kXrtTextAreaY, 0.5),
        area(kXrtTextAreaFont, arial),
        area(kXrtTextAreaStrings, std::vector<std::string>{"Peak"}),
        area(kXrtTextAreaColor, 0xFF),
        read(kXrtTextAreaLeft),
        read(kXrtTextAreaTop),
        read(kXrtTextAreaWidth),
        read(kXrtTextAreaHeight),
        area(kXrtTextAreaShown, 1),
    };
    EXPECT_EQ(w.takeCalls(), added);
    EXPECT_EQ(r.inUse, 1);
    EXPECT_STREQ(r.text, "Peak");
    EXPECT_STREQ(r.font.lfFaceName, "Arial");
    EXPECT_EQ(r.x, 550.0);
    EXPECT_EQ(r.color, 0xFFu);
    const int left = static_cast<int>(read(kXrtTextAreaLeft).value.toInt());
    const int width = static_cast<int>(read(kXrtTextAreaWidth).value.toInt());
    EXPECT_EQ(r.rect[0], left);
    EXPECT_EQ(r.rect[2], left + width);
    EXPECT_EQ(r.pixel[0], left);

    // A change of a note in use: no new area, no anchor.
    EXPECT_TRUE(
        asBool(call(*notes, "ModifyAnnotation",
                    {Variant(int16_t{0}), Variant("Dip"), Variant("Serif"), Variant(int16_t{20}),
                     Variant(int32_t{0xFF00}), Variant(600.0), Variant(0.25)})));
    XrtFont serif;
    serif.face = "Serif";
    serif.height = 20;
    const std::vector<XrtCall> modified = {
        area(kXrtTextAreaX, 600.0),      area(kXrtTextAreaY, 0.25),
        area(kXrtTextAreaFont, serif),   area(kXrtTextAreaStrings, std::vector<std::string>{"Dip"}),
        area(kXrtTextAreaColor, 0xFF00), read(kXrtTextAreaLeft),
        read(kXrtTextAreaTop),           read(kXrtTextAreaWidth),
        read(kXrtTextAreaHeight),        area(kXrtTextAreaShown, 1),
    };
    EXPECT_EQ(w.takeCalls(), modified);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, AnnotationRecordsAreReused)
{
    Window w;
    DispatchPtr notes = create("Harlune.SpecAnnotation");
    const auto add = [&](const char* text) {
        return asLong(call(*notes, "AddAnnotation",
                           {Variant(text), Variant("Arial"), Variant(int16_t{12}),
                            Variant(int32_t{0}), Variant(500.0), Variant(1.0)}));
    };
    const auto clear = [&](int16_t index) {
        return asBool(call(*notes, "ClearAnnotation", {Variant(index)}));
    };
    EXPECT_EQ(add("a"), 0);
    EXPECT_EQ(add("b"), 1);
    EXPECT_EQ(add("c"), 2);
    EXPECT_TRUE(clear(0));
    const XrtHandle area0 = w.view->annotation(0).textArea;
    EXPECT_EQ(w.view->annotation(0).inUse, 0);
    EXPECT_STREQ(w.view->annotation(0).text, "Enter your annotation here");
    EXPECT_EQ(w.chart().textAreaValue(area0, kXrtTextAreaShown).toInt(), 0);
    // Index 0 first, then the next free one.
    EXPECT_EQ(add("d"), 0);
    EXPECT_EQ(w.view->annotation(0).textArea, area0);
    EXPECT_EQ(add("e"), 3);

    // A free record cannot be changed; clearing it is TRUE and changes nothing.
    EXPECT_TRUE(clear(3));
    w.takeCalls();
    EXPECT_FALSE(
        asBool(call(*notes, "ModifyAnnotation",
                    {Variant(int16_t{3}), Variant("x"), Variant("Arial"), Variant(int16_t{12}),
                     Variant(int32_t{0}), Variant(1.0), Variant(1.0)})));
    EXPECT_TRUE(clear(3));
    EXPECT_TRUE(w.takeCalls().empty());
    EXPECT_FALSE(clear(200));
    EXPECT_FALSE(clear(-1));

    // A thousand clear-and-add cycles keep one text area per record used.
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(clear(1));
        ASSERT_EQ(add("again"), 1);
    }
    EXPECT_EQ(w.chart().textAreas().size(), 4u);

    // With every record in use nothing is placed.
    for (int i = 3; i < 200; ++i)
        ASSERT_EQ(add("n"), i);
    const size_t areas = w.chart().textAreas().size();
    EXPECT_EQ(add("one too many"), -1);
    EXPECT_EQ(w.chart().textAreas().size(), areas);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, BadInputChangesNothing)
{
    Window w;
    DispatchPtr scale = create("Harlune.SpecGraphScale");
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    DispatchPtr legend = create("Harlune.SpecLegend");
    DispatchPtr traces = create("Harlune.SpecTraceSettings");
    DispatchPtr overlay = create("Harlune.SpecOverlay");
    DispatchPtr notes = create("Harlune.SpecAnnotation");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::string longPath = "/data/" + std::string(260, 'p') + ".bmp";
    struct Case
    {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Case> cases = {
        {"XAxisMin NaN", [&] { put(*scale, "XAxisMin", Variant(nan)); }},
        {"YAxisMax infinite", [&] { put(*scale, "YAxisMax", Variant(-inf)); }},
        {"PercentPan NaN", [&] { put(*scale, "PercentPan", Variant(nan)); }},
        {"AxisFontSize 0", [&] { put(*settings, "AxisFontSize", Variant(int32_t{0})); }},
        {"AxisFontSize 30000", [&] { put(*settings, "AxisFontSize", Variant(int32_t{30000})); }},
        {"Legend FontSize 0", [&] { put(*legend, "FontSize", Variant(int16_t{0})); }},
        {"Legend FontSize 30000", [&] { put(*legend, "FontSize", Variant(int16_t{30000})); }},
        {"BorderWidth 30000", [&] { put(*legend, "BorderWidth", Variant(int16_t{30000})); }},
        {"LineWidth 30000", [&] { putAt(*traces, "LineWidth", 0, Variant(int16_t{30000})); }},
        {"PointSize 30000", [&] { putAt(*traces, "PointSize", 0, Variant(int16_t{30000})); }},
        {"trace 16", [&] { putAt(*traces, "LineColor", 16, Variant(int32_t{1})); }},
        {"trace -1", [&] { putAt(*traces, "LineStyle", -1, Variant(int16_t{1})); }},
        {"legend text 16", [&] { putAt(*legend, "Text", 16, Variant("x")); }},
        {"background path too long",
         [&] { put(*settings, "BackgroundBitmapFilename", Variant(longPath)); }},
        {"overlay path too long", [&] { putAt(*overlay, "Filename", 0, Variant(longPath)); }},
        {"overlay slot 8 Active", [&] { putAt(*overlay, "Active", 8, Variant(true)); }},
        {"overlay slot -1 Filename", [&] { putAt(*overlay, "Filename", -1, Variant("a")); }},
        {"note size 0",
         [&] {
             EXPECT_EQ(asLong(call(*notes, "AddAnnotation",
                                   {Variant("t"), Variant("Arial"), Variant(int16_t{0}),
                                    Variant(int32_t{0}), Variant(1.0), Variant(1.0)})),
                       -1);
         }},
        {"note at NaN",
         [&] {
             EXPECT_EQ(asLong(call(*notes, "AddAnnotation",
                                   {Variant("t"), Variant("Arial"), Variant(int16_t{10}),
                                    Variant(int32_t{0}), Variant(nan), Variant(1.0)})),
                       -1);
         }},
        {"modify 200",
         [&] {
             EXPECT_FALSE(asBool(
                 call(*notes, "ModifyAnnotation",
                      {Variant(int16_t{200}), Variant("t"), Variant("Arial"), Variant(int16_t{10}),
                       Variant(int32_t{0}), Variant(1.0), Variant(1.0)})));
         }},
    };
    const ChartFontSetting axisFont = w.view->axisFont();
    const ChartFontSetting legendFont = w.view->legendFont();
    const XrtDataStyle style0 = w.view->traceStyle(0);
    const auto fileNames = w.overlays().fileNames;
    const auto loaded = w.overlays().loaded;
    const double pan = w.view->panStep();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.takeCalls();
        c.run();
        EXPECT_TRUE(w.takeCalls().empty());
    }
    EXPECT_EQ(w.view->axisFont().height, axisFont.height);
    EXPECT_EQ(w.view->legendFont().height, legendFont.height);
    EXPECT_EQ(w.view->traceStyle(0), style0);
    EXPECT_EQ(w.overlays().fileNames, fileNames);
    EXPECT_EQ(w.overlays().loaded, loaded);
    EXPECT_EQ(w.view->panStep(), pan);
    EXPECT_TRUE(w.view->backgroundBitmapPath().empty());
    EXPECT_EQ(asText(getAt(*legend, "Text", 16)), "");
    EXPECT_EQ(asLong(getAt(*traces, "LineColor", 16)), 0);
    EXPECT_FALSE(asBool(getAt(*overlay, "Active", 8)));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, LongTextsAreCutAtCharacterBoundaries)
{
    Window w;
    DispatchPtr legend = create("Harlune.SpecLegend");
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    DispatchPtr notes = create("Harlune.SpecAnnotation");
    // Two-byte characters at odd offsets: a byte cut would split one.
    const std::string wide = "a" + [] {
        std::string s;
        for (int i = 0; i < 200; ++i)
            s += "\xC3\xA9";
        return s;
    }();
    putAt(*legend, "Text", 0, Variant(wide));
    EXPECT_EQ(w.view->legendLabels()[0], wide.substr(0, 253));
    put(*legend, "FontName", Variant(wide));
    EXPECT_EQ(w.view->legendFont().face, wide.substr(0, 255));
    put(*settings, "AxisFontName", Variant(wide));
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtAxisFont).toFont().face, wide.substr(0, 255));
    put(*settings, "YAxisLabelFormat", Variant("%.3f" + std::string(300, 'x')));
    EXPECT_EQ(XrtGetValue(w.view->chart(), kXrtYAxisLabelFormat).toText().size(), 199u);
    EXPECT_EQ(asLong(call(*notes, "AddAnnotation",
                          {Variant(wide), Variant(wide), Variant(int16_t{12}), Variant(int32_t{0}),
                           Variant(1.0), Variant(1.0)})),
              0);
    EXPECT_EQ(std::string(w.view->annotation(0).text), wide.substr(0, 99));
    EXPECT_EQ(std::string(w.view->annotation(0).font.lfFaceName), wide.substr(0, 31));
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, NoWindowAnswersNeutralResults)
{
    FakeAutomationFrame frame;
    DispatchPtr cursor = create("Harlune.SpecCursor");
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    DispatchPtr overlay = create("Harlune.SpecOverlay");
    DispatchPtr notes = create("Harlune.SpecAnnotation");
    // A guarded member logs one line under its class.
    EXPECT_EQ(asDouble(call(*cursor, "GetWavelength")), 0.0);
    EXPECT_EQ(log.sources, std::vector<std::string>{"I_SpecCursor"});
    EXPECT_EQ(asLong(call(*notes, "AddAnnotation",
                          {Variant("t"), Variant(""), Variant(int16_t{10}), Variant(int32_t{0}),
                           Variant(1.0), Variant(1.0)})),
              -1);
    EXPECT_EQ(log.sources.size(), 2u);
    // The unguarded members and the ones that catch silently log nothing.
    log.sources.clear();
    call(*settings, "Redraw");
    EXPECT_FALSE(asBool(call(*settings, "CopyToClipboard")));
    std::vector<double> values(4096);
    EXPECT_FALSE(asBool(call(*overlay, "SetOverlayWavelength",
                             {Variant(int16_t{0}), Variant::byRef(values.data(), 4096)})));
    EXPECT_FALSE(asBool(call(*overlay, "ClearOverlay", {Variant(int16_t{0})})));
    EXPECT_TRUE(log.sources.empty());
    // A range check logs nothing either.
    EXPECT_EQ(asDouble(call(*cursor, "GetIntensity", {Variant(int16_t{9})})), 0.0);
    EXPECT_TRUE(log.sources.empty());
}

TEST_F(ChartClassesTest, PicturesGoThroughTheFrame)
{
    Window w;
    DispatchPtr settings = create("Harlune.SpecGraphSettings");
    w.frame.drawResult = 1;
    EXPECT_TRUE(asBool(call(*settings, "CopyToClipboard")));
    EXPECT_TRUE(asBool(call(*settings, "SaveAsBitmap", {Variant("/tmp/chart.bmp")})));
    EXPECT_EQ(w.window.waitCursors, 1);
    EXPECT_EQ(w.window.waitDepth, 0);
    ASSERT_EQ(w.frame.draws.size(), 2u);
    EXPECT_EQ(w.frame.draws[0], (FakeAutomationFrame::Draw{w.view->chart(), "", 3}));
    EXPECT_EQ(w.frame.draws[1], (FakeAutomationFrame::Draw{w.view->chart(), "/tmp/chart.bmp", 1}));
    // The chart could not draw: FALSE.
    w.frame.drawResult = 0;
    EXPECT_FALSE(asBool(call(*settings, "CopyToClipboard")));
    EXPECT_FALSE(asBool(call(*settings, "SaveAsBitmap", {Variant("/tmp/chart.bmp")})));
    // A name that does not fit is refused without drawing.
    EXPECT_FALSE(asBool(call(*settings, "SaveAsBitmap", {Variant(std::string(300, 'f'))})));
    EXPECT_EQ(w.frame.draws.size(), 4u);
    EXPECT_TRUE(log.sources.empty());
}

} // namespace
