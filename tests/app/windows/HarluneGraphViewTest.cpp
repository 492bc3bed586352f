#include "app/windows/HarluneGraphView.h"

#include "platform/automation/TypeLibraryEnums.h"
#include "platform/chart/Xrt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace platform::chart;
namespace mv = platform::automation;

namespace {

class FakeHost : public GraphViewHost
{
public:
    int verdict = 1;
    std::vector<int> verified;
    std::vector<std::string> logged;
    std::array<int, 2> size = {400, 300};
    std::optional<XrtColor> color;
    std::optional<std::array<std::string, 4>> scaleAnswer;
    std::array<std::string, 4> scaleTexts;
    std::function<int(CHarluneGraphView&, int)> axisDialog;
    int axisMode = -1;
    std::string axisTitle;

    int VerifyCommand(int menuVerify) override
    {
        verified.push_back(menuVerify);
        return verdict;
    }
    void logException(const std::string&, const char* file, int) override
    {
        logged.push_back(file);
    }
    std::array<int, 2> chartClientSize() override { return size; }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::string&,
                                              const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<XrtColor> chooseColor(XrtColor) override { return color; }
    int drawChartToFile(XrtHandle, const std::string&) override { return 1; }
    int drawChartToClipboard(XrtHandle) override { return 1; }
    int runAxisTextDialog(CHarluneGraphView& view, int mode, const std::string& title) override
    {
        axisMode = mode;
        axisTitle = title;
        return axisDialog ? axisDialog(view, mode) : 2;
    }
    std::optional<std::array<std::string, 4>>
    showSetScaleDialog(const std::array<std::string, 4>& texts) override
    {
        scaleTexts = texts;
        return scaleAnswer;
    }
    int runTraceDialog(CHarluneGraphView&) override { return 2; }
    std::optional<GraphGridDialogValues> showGridDialog(const GraphGridDialogValues&) override
    {
        return std::nullopt;
    }
    int runLegendDialog(CHarluneGraphView&) override { return 2; }
};

class GraphViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        chart = XrtCreate();
        ASSERT_NE(chart, 0u);
        xrtChart(chart)->setSizePx(400, 300);
        view = std::make_unique<CHarluneGraphView>(host, chart);
        view->setCallObserver([this](const GraphChartCall& call) { calls.push_back(call); });
    }
    void TearDown() override
    {
        view.reset();
        XrtDestroy(chart);
    }
    std::vector<int> ids() const
    {
        std::vector<int> out;
        for (const GraphChartCall& call : calls)
            out.push_back(call.id);
        return out;
    }
    std::uint64_t repaints() const { return xrtChart(chart)->repaintRequests(); }
    void fillRamp(int traces, int points)
    {
        std::vector<double> x(static_cast<std::size_t>(points));
        std::vector<double> y(static_cast<std::size_t>(points));
        for (int t = 0; t < traces; ++t) {
            for (int i = 0; i < points; ++i) {
                x[static_cast<std::size_t>(i)] = i + t * 0.5;
                y[static_cast<std::size_t>(i)] = i * (t + 1);
            }
            ASSERT_TRUE(view->SetXData(t, x.data(), points, false, 0));
            ASSERT_TRUE(view->SetYData(t, y.data(), points, 0));
        }
    }

    FakeHost host;
    XrtHandle chart = 0;
    std::unique_ptr<CHarluneGraphView> view;
    std::vector<GraphChartCall> calls;
};

TEST_F(GraphViewTest, InitGraphSetsTheChartUpInOrder)
{
    ASSERT_TRUE(view->InitGraph(2, 10));
    const int S = GraphChartCall::kStyleCall;
    const std::vector<int> expected = {3608, S,     3608,  S,    768,  256,  520,  521,  2816, 1536,
                                       2817, 1537,  22021, 3614, 3615, 3612, 3613, 1026, 1027, 3630,
                                       1029, 20992, 1029,  2309, 2308, 263,  2051, 3328, 2048, 273};
    EXPECT_EQ(ids(), expected);
    EXPECT_EQ(calls[9].value.toInt(), 400);
    EXPECT_EQ(calls[11].value.toInt(), 300);
}

TEST_F(GraphViewTest, NewGraphLooksAsANewGraphShould)
{
    const XrtFont titleFontBefore = XrtGetValue(chart, 2049).toFont();
    ASSERT_TRUE(view->InitGraph(3, 100));
    EXPECT_EQ(view->traces(), 3);
    EXPECT_EQ(view->points(), 100);
    for (int t = 0; t < 3; ++t) {
        XrtDataStyle style;
        ASSERT_TRUE(XrtGetNthDataStyle(chart, t, &style));
        EXPECT_EQ(style.pointStyle, 1);
        EXPECT_EQ(style.pointSize, 0);
        EXPECT_EQ(style.fillPattern, 1);
    }
    EXPECT_EQ(XrtGetValue(chart, 520).toInt(), 0xFFFFFF);
    EXPECT_EQ(view->GetCursorEnabled(), 0);
    EXPECT_FALSE(view->GetGridEnabled());
    EXPECT_EQ(XrtGetValue(chart, 1026).toDataStyle().linePattern, 1);
    // The legend's font goes to the legend; the main title keeps its own.
    EXPECT_EQ(XrtGetValue(chart, 2051).toFont(), (XrtFont{"Arial", 18}));
    EXPECT_EQ(XrtGetValue(chart, 2048).toFont(), (XrtFont{"Arial", 18}));
    EXPECT_EQ(XrtGetValue(chart, 2049).toFont(), titleFontBefore);
}

// The chart lists a trace only under a text: a new graph's legend names its traces as the trace
// dialog does, until a script gives texts of its own.
TEST_F(GraphViewTest, NewGraphsLegendNamesItsTracesUntilTextsAreGiven)
{
    ASSERT_TRUE(view->InitGraph(3, 10));
    auto labels = [&] {
        std::vector<std::string> out;
        for (const auto& entry : xrtChart(chart)->layout().legendEntries)
            out.push_back(entry.label);
        return out;
    };
    EXPECT_EQ(view->GetLegendVisible(), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"Trace 0", "Trace 1", "Trace 2"}));
    EXPECT_EQ(view->GetLegendText(0), "");

    ASSERT_TRUE(view->SetLegendText(1, "Sample"));
    EXPECT_EQ(labels(), std::vector<std::string>{"Sample"});
    ASSERT_TRUE(view->SetLegendText(1, ""));
    EXPECT_EQ(labels(), (std::vector<std::string>{"Trace 0", "Trace 1", "Trace 2"}));

    ASSERT_TRUE(view->SetLegendVisible(0));
    EXPECT_FALSE(xrtChart(chart)->layout().legendShown);
}

TEST_F(GraphViewTest, GlobalRepaintOffCollectsChangesUntilSwitchedOn)
{
    ASSERT_TRUE(view->InitGraph(3, 10));
    view->SetGlobalRepaint(false);
    const std::uint64_t before = repaints();
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(view->SetTraceLineColor(i % 3, xrtRgb(i * 20, 0, 0)));
    EXPECT_EQ(repaints(), before);
    view->SetGlobalRepaint(true);
    EXPECT_EQ(repaints(), before + 1);
    EXPECT_EQ(view->GetTraceLineColor(0), xrtRgb(180, 0, 0));
}

TEST_F(GraphViewTest, AxisLimitsClearAutomaticFlagsAndAutoscaleSetsThemAgain)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    calls.clear();
    ASSERT_TRUE(view->SetXAxisMin(5.0));
    EXPECT_EQ(ids(), (std::vector<int>{273, 3597, 3626, 1792, 1814, 273}));
    EXPECT_EQ(calls[1].value.toInt(), 0);
    EXPECT_EQ(calls[2].value.toInt(), 0);
    EXPECT_DOUBLE_EQ(view->GetXAxisMin(), 5.0);
    calls.clear();
    ASSERT_TRUE(view->AutoscaleX());
    EXPECT_EQ(ids(), (std::vector<int>{273, 3597, 3626, 3594, 3623, 273}));
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(calls[static_cast<std::size_t>(i)].value.toInt(), 1);
}

TEST_F(GraphViewTest, GridPatternCycle)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    auto pattern = [this] { return XrtGetValue(chart, 1026).toDataStyle().linePattern; };
    ASSERT_TRUE(view->SetGridStyle(2));
    EXPECT_EQ(pattern(), 2);
    ASSERT_TRUE(view->SetGridEnabled(false));
    EXPECT_EQ(pattern(), 1);
    ASSERT_TRUE(view->SetGridEnabled(true));
    EXPECT_EQ(pattern(), 2);
    // The menu's toggle twice: back to no grid lines, the pattern remembered.
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_GRID_ENABLED));
    EXPECT_EQ(pattern(), 1);
    EXPECT_EQ(view->commandChecked(CHarluneGraphView::ID_GRID_ENABLED), false);
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_GRID_ENABLED));
    EXPECT_EQ(pattern(), 2);
}

TEST_F(GraphViewTest, GetXDataReturnsTheViewsArraysWithElementChanges)
{
    ASSERT_TRUE(view->InitGraph(2, 5));
    const double xs[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(view->SetXData(0, xs, 5, false, 0));
    ASSERT_TRUE(view->SetXElement(0, 2, 99.0));
    double out[5] = {};
    ASSERT_TRUE(view->GetXData(0, out, 5, 0));
    EXPECT_EQ(out[2], 99.0);
    EXPECT_EQ(view->GetXElement(0, 2), 99.0);
    ASSERT_TRUE(view->SetOneXForAll(true));
    ASSERT_TRUE(view->GetXData(1, out, 5, 0));
    EXPECT_EQ(out[4], 5.0);
    ASSERT_TRUE(view->ClearTrace(1));
    ASSERT_TRUE(view->GetXData(1, out, 5, 0));
    EXPECT_EQ(out[4], 0.0);
}

TEST_F(GraphViewTest, ClickMovesTheCursorOnlyWhenItIsOn)
{
    ASSERT_TRUE(view->InitGraph(1, 100));
    fillRamp(1, 100);
    int px = 0, py = 0;
    ASSERT_TRUE(XrtUnmap(chart, 10.5, 10.0, &px, &py));
    view->OnLButtonDown(px, py);
    EXPECT_EQ(view->GetCursorPoint(), 0);
    ASSERT_TRUE(view->SetCursorEnabled(1));
    view->OnLButtonDown(px, py);
    EXPECT_EQ(view->GetCursorPoint(), 11);
    // Right of the last point: the last point, never one past it.
    view->OnLButtonDown(399, py);
    EXPECT_EQ(view->GetCursorPoint(), 99);
}

TEST_F(GraphViewTest, ClickOnAGraphWithoutPointsLeavesTheCursor)
{
    ASSERT_TRUE(view->InitGraph(1, 0));
    xrtChart(chart)->setValue(263, 1);
    view->OnLButtonDown(200, 150);
    EXPECT_EQ(view->GetCursorPoint(), 0);
}

TEST_F(GraphViewTest, ValueAtCursor)
{
    ASSERT_TRUE(view->InitGraph(2, 10));
    fillRamp(2, 10); // trace 0: x = i; trace 1: x = i + 0.5, y = 2i
    ASSERT_TRUE(view->SetCursorActiveTrace(0));
    ASSERT_TRUE(view->SetCursorPoint(4));
    EXPECT_EQ(view->GetXValueAtCursor(0), 4.0);
    EXPECT_EQ(view->GetYValueAtCursor(0), 4.0);
    // Another trace: its first point whose X is not below 4.0 is point 4 (4.5).
    EXPECT_EQ(view->GetXValueAtCursor(1), 4.5);
    EXPECT_EQ(view->GetYValueAtCursor(1), 8.0);
    ASSERT_TRUE(view->SetCursorPoint(9));
    const double beyond[] = {100.0};
    ASSERT_TRUE(view->SetXData(0, beyond, 1, false, 9));
    EXPECT_EQ(view->GetXValueAtCursor(1), 9.5); // none reaches 100: its last point
    // One X for all: trace 0's arrays at the cursor point.
    ASSERT_TRUE(view->SetOneXForAll(true));
    EXPECT_EQ(view->GetXValueAtCursor(1), 100.0);
}

TEST_F(GraphViewTest, CancellingTheXTitleRestoresItAlone)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    view->SetXTitle("Wavelength");
    view->SetMainTitle("Main");
    host.axisDialog = [](CHarluneGraphView& v, int) {
        v.SetXTitle("Changed");
        v.SetMainTitle("Other");
        XrtSetValues(v.chart(), {{2048, XrtFont{"Courier", 30}}, {513, 0x00FF00}});
        return 2;
    };
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_TITLE_X));
    EXPECT_EQ(host.axisMode, 1);
    EXPECT_EQ(host.axisTitle, "Wavelength");
    EXPECT_EQ(view->GetXTitle(), "Wavelength");
    EXPECT_EQ(view->GetMainTitle(), "Other");
    EXPECT_EQ(XrtGetValue(chart, 2048).toFont(), (XrtFont{"Arial", 18}));
    EXPECT_NE(XrtGetValue(chart, 513).toInt(), 0x00FF00);
}

TEST_F(GraphViewTest, CancellingTheMainTitleRestoresItsFontAndColour)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    view->SetMainTitle("Main");
    const XrtFont font = XrtGetValue(chart, 2049).toFont();
    const auto color = XrtGetValue(chart, 517).toInt();
    host.axisDialog = [](CHarluneGraphView& v, int) {
        v.SetMainTitle("Other");
        XrtSetValues(v.chart(), {{2049, XrtFont{"Courier", 30}}, {517, 0x00FF00}});
        return 2;
    };
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_TITLE_MAIN));
    EXPECT_EQ(host.axisMode, 0);
    EXPECT_EQ(view->GetMainTitle(), "Main");
    EXPECT_EQ(XrtGetValue(chart, 2049).toFont(), font);
    EXPECT_EQ(XrtGetValue(chart, 517).toInt(), color);
}

TEST_F(GraphViewTest, OkKeepsTheTitleDialogsChanges)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    host.axisDialog = [](CHarluneGraphView& v, int) {
        v.SetYTitle("Counts");
        XrtSetValues(v.chart(), {{513, 0x00FF00}});
        return 1;
    };
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_TITLE_Y));
    EXPECT_EQ(host.axisMode, 2);
    EXPECT_EQ(view->GetYTitle(), "Counts");
    EXPECT_EQ(XrtGetValue(chart, 513).toInt(), 0x00FF00);
}

TEST_F(GraphViewTest, ScaleDialogShowsThreeDecimalsAndRepaintsAtOnce)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    view->SetXAxisMin(1.25);
    view->SetXAxisMax(2.5);
    view->SetYAxisMin(-3.0);
    view->SetYAxisMax(4.0);
    view->SetGlobalRepaint(false);
    host.scaleAnswer = std::array<std::string, 4>{"0.5", "8", "-1", "20.25"};
    const std::uint64_t before = repaints();
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_SET_SCALE));
    EXPECT_EQ(host.scaleTexts, (std::array<std::string, 4>{"1.250", "2.500", "-3.000", "4.000"}));
    EXPECT_EQ(repaints(), before + 1);
    EXPECT_EQ(view->GetXAxisMin(), 0.5);
    EXPECT_EQ(view->GetXAxisMax(), 8.0);
    EXPECT_EQ(view->GetYAxisMin(), -1.0);
    EXPECT_EQ(view->GetYAxisMax(), 20.25);
    EXPECT_EQ(XrtGetValue(chart, 1812).toDouble(), 20.25);
}

TEST_F(GraphViewTest, RefusedCommandDoesNothing)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    host.verdict = 0;
    host.color = 0x123456;
    calls.clear();
    const unsigned commands[] = {CHarluneGraphView::ID_GRID_ENABLED,
                                 CHarluneGraphView::ID_BACKGROUND_COLOR,
                                 CHarluneGraphView::ID_AUTOSCALE_X, CHarluneGraphView::ID_TITLE_X};
    for (unsigned id : commands)
        EXPECT_TRUE(view->OnCommand(id));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(host.axisMode, -1);
    EXPECT_EQ(host.verified,
              (std::vector<int>{mv::mvGraphViewGridEnabled, mv::mvGraphViewColorsBackgroundColor,
                                mv::mvGraphViewScaleAutoscaleX, mv::mvGraphViewTitlesXAxis}));
    EXPECT_FALSE(view->OnCommand(12345));
}

TEST_F(GraphViewTest, ColourCommandSetsThePropertyThroughTheDialog)
{
    ASSERT_TRUE(view->InitGraph(1, 10));
    host.color = 0x123456;
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_BACKGROUND_COLOR));
    EXPECT_EQ(XrtGetValue(chart, 512).toInt(), 0x123456);
    host.color.reset();
    ASSERT_TRUE(view->OnCommand(CHarluneGraphView::ID_FOREGROUND_COLOR));
    EXPECT_NE(XrtGetValue(chart, 513).toInt(), 0x123456);
}

TEST_F(GraphViewTest, BadCallsAnswerFalseAndChangeNothing)
{
    ASSERT_TRUE(view->InitGraph(3, 10));
    fillRamp(3, 10);
    calls.clear();
    double buffer[20] = {};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double nanData[] = {1.0, nan};
    const std::string longText(300, 'x');
    struct Case
    {
        const char* name;
        std::function<bool()> call;
    };
    const std::vector<Case> cases = {
        {"negative trace", [&] { return view->SetYData(-1, buffer, 1, 0); }},
        {"trace equal to the count", [&] { return view->SetXData(3, buffer, 1, false, 0); }},
        {"first plus count past the points", [&] { return view->SetYData(0, buffer, 5, 6); }},
        {"negative count", [&] { return view->SetYData(0, buffer, -1, 0); }},
        {"negative first", [&] { return view->GetXData(0, buffer, 2, -1); }},
        {"get past the points", [&] { return view->GetYData(0, buffer, 11, 0); }},
        {"NaN data", [&] { return view->SetYData(0, nanData, 2, 0); }},
        {"element past the points", [&] { return view->SetXElement(0, 10, 1.0); }},
        {"infinite limit",
         [&] { return view->SetXAxisMin(std::numeric_limits<double>::infinity()); }},
        {"legend of a missing trace", [&] { return view->SetLegendText(3, "a"); }},
        {"cursor point past the points", [&] { return view->SetCursorPoint(10); }},
        {"cursor trace past the traces", [&] { return view->SetCursorActiveTrace(3); }},
        {"style of a missing trace", [&] { return view->SetTraceLineWidth(-2, 3); }},
        {"first point past the points", [&] { return view->SetFirstPoint(0, 10); }},
        {"negative traces", [&] { return view->InitGraph(-1, 5); }},
        {"negative points", [&] { return view->InitGraph(1, -5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.call());
    }
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(view->traces(), 3);
    double y[10] = {};
    ASSERT_TRUE(view->GetYData(0, y, 10, 0));
    EXPECT_EQ(y[9], 9.0);
    EXPECT_EQ(view->GetXValueAtCursor(5), 0.0);
    EXPECT_EQ(view->GetTraceLineWidth(7), 0);

    // Over-long texts are cut at 254 bytes.
    ASSERT_TRUE(view->SetLegendText(0, longText));
    EXPECT_EQ(view->GetLegendText(0).size(), 254u);
    ASSERT_TRUE(view->SetMainTitle(longText));
    EXPECT_EQ(view->GetMainTitle().size(), 254u);
}

TEST(GraphTextTest, CutsOnACharacterBoundary)
{
    const std::string text = std::string(253, 'a') + "\xC3\xA9" + "bc";
    EXPECT_EQ(cutText(text, 254), std::string(253, 'a'));
    EXPECT_EQ(cutText("short", 254), "short");
}

TEST(GraphSettingsFilesTest, AnswerFalse)
{
    FakeHost host;
    CHarluneGraphView view(host, 0);
    EXPECT_FALSE(view.SaveGraphSettings("x"));
    EXPECT_FALSE(view.OpenGraphSettings("x"));
    EXPECT_TRUE(view.PrintGraph());
}

TEST(GraphPrintRectTest, KeepsTheAspectRatioAndCentres)
{
    struct Case
    {
        const char* name;
        int cw, ch, pw, ph;
        GraphPrintRect expected;
    };
    const Case cases[] = {
        {"wide window on a portrait page", 800, 400, 4800, 6600, {0, 2100, 4800, 2400}},
        {"tall window", 300, 600, 4800, 6600, {750, 0, 3300, 6600}},
        {"same shape", 100, 100, 500, 500, {0, 0, 500, 500}},
        {"zero-size window", 0, 0, 4800, 6600, {0, 0, 4800, 6600}},
        {"zero-height window", 500, 0, 4800, 6600, {0, 0, 4800, 6600}},
        {"page without area", 500, 300, 0, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(graphPrintRect(c.cw, c.ch, c.pw, c.ph), c.expected);
    }
}

} // namespace
