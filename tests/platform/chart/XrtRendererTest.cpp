#include "platform/chart/ChartRenderer.h"
#include "platform/chart/Xrt.h"
#include "platform/chart/XrtDraw.h"
#include "platform/chart/XrtLogFont.h"
#include "platform/framework/CDC.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace platform::chart {
namespace {

constexpr XrtColor kRed = xrtRgb(255, 0, 0);
constexpr XrtColor kGreen = xrtRgb(0, 200, 0);
constexpr XrtColor kBlue = xrtRgb(0, 0, 255);

QString testDir()
{
    QByteArray dir = qgetenv("HARLUNE_TEST_DIR");
    return dir.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(dir);
}

// A chart of three flat traces at y 20, 50 and 80 (red, green, blue) over x 0..100 on
// fixed axes 0..100, without legend; one value of each trace lies far outside the axes.
struct ThreeTraces
{
    XrtHandle chart = XrtCreate();
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, 3, 101);

    explicit ThreeTraces(int linePattern = kXrtLineSolid, int width = 1)
    {
        XrtChart* c = xrtChart(chart);
        c->setSizePx(400, 300);
        useQtTextMetrics(*c);
        const double levels[3] = {20.0, 50.0, 80.0};
        const XrtColor colors[3] = {kRed, kGreen, kBlue};
        for (int set = 0; set < 3; ++set) {
            std::vector<double> x(101), y(101);
            for (int i = 0; i <= 100; ++i) {
                x[i] = i;
                y[i] = levels[set];
            }
            y[95] = set == 1 ? -1e300 : 1e6; // far off the axes: clipped
            XrtDataSetXData(data, set, x.data(), 101, 0);
            XrtDataSetYData(data, set, y.data(), 101, 0);
            XrtDataStyle s;
            s.linePattern = linePattern;
            s.lineWidth = width;
            s.lineColor = colors[set];
            XrtSetNthDataStyle(chart, set, &s);
        }
        XrtSetValues(chart, {{kXrtData, static_cast<int>(data)},
                             {kXrtLegendShown, 0},
                             {kXrtXMin, 0.0},
                             {kXrtXMax, 100.0},
                             {kXrtYMin, 0.0},
                             {kXrtYMax, 100.0}});
    }
    ~ThreeTraces()
    {
        XrtDestroy(chart);
        XrtDataDestroy(data);
    }
};

QImage draw(XrtHandle chart, bool fast)
{
    XrtChart* c = xrtChart(chart);
    QImage image(c->widthPx(), c->heightPx(), QImage::Format_RGB32);
    QPainter p(&image);
    ChartRenderer r;
    r.setFastTraces(fast);
    r.draw(p, *c);
    return image;
}

bool near(const QImage& image, int x, int y, XrtColor color, int radius = 1)
{
    QRgb want = qRgb(xrtRed(color), xrtGreen(color), xrtBlue(color));
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (image.rect().contains(x + dx, y + dy) && image.pixel(x + dx, y + dy) == want)
                return true;
    return false;
}

int countOutside(const QImage& image, const XrtRect& plot, XrtColor color)
{
    QRgb want = qRgb(xrtRed(color), xrtGreen(color), xrtBlue(color));
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == want &&
                (x < plot.left || x >= plot.right() || y < plot.top || y >= plot.bottom()))
                ++n;
    return n;
}

int countColor(const QImage& image, XrtColor color)
{
    QRgb want = qRgb(xrtRed(color), xrtGreen(color), xrtBlue(color));
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == want;
    return n;
}

struct PathCase
{
    const char* name;
    bool fast;
    int pattern;
    int width;
};

class TraceDrawing : public ::testing::TestWithParam<PathCase>
{};

TEST_P(TraceDrawing, ThreeTracesHitTheirPixelsAndStayInThePlotArea)
{
    const PathCase& k = GetParam();
    ThreeTraces t(k.pattern, k.width);
    QImage image = draw(t.chart, k.fast);
    XrtRect plot = xrtChart(t.chart)->layout().plotArea;
    const double levels[3] = {20.0, 50.0, 80.0};
    const XrtColor colors[3] = {kRed, kGreen, kBlue};
    for (int set = 0; set < 3; ++set) {
        SCOPED_TRACE(set);
        for (double x : {10.0, 30.0, 50.0, 70.0}) {
            int px = 0, py = 0;
            ASSERT_EQ(XrtUnmap(t.chart, x, levels[set], &px, &py), 1);
            if (k.pattern == kXrtLineSolid) {
                EXPECT_TRUE(near(image, px, py, colors[set])) << "x " << x;
            }
        }
        EXPECT_GT(countColor(image, colors[set]), 100);
        EXPECT_EQ(countOutside(image, plot, colors[set]), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, TraceDrawing,
                         ::testing::Values(PathCase{"spans", true, kXrtLineSolid, 1},
                                           PathCase{"painter", false, kXrtLineSolid, 1},
                                           PathCase{"wide", true, kXrtLineSolid, 3},
                                           PathCase{"dashed", true, kXrtLineShortDash, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(XrtRendererTest, HighDensityImagesDrawAtTheirPixelRatio)
{
    ThreeTraces t;
    QImage image(800, 600, QImage::Format_RGB32);
    image.setDevicePixelRatio(2.0);
    ChartRenderer renderer;
    for (int frame = 0; frame < 2; ++frame) { // the second frame comes from the caches
        SCOPED_TRACE(frame);
        image.fill(Qt::black);
        QPainter p(&image);
        renderer.draw(p, *xrtChart(t.chart));
        p.end();
        int px = 0, py = 0;
        XrtUnmap(t.chart, 30.0, 50.0, &px, &py);
        EXPECT_TRUE(near(image, 2 * px, 2 * py, kGreen, 2));
        XrtRect plot = xrtChart(t.chart)->layout().plotArea;
        XrtRect device{2 * plot.left, 2 * plot.top, 2 * plot.width, 2 * plot.height};
        EXPECT_EQ(countOutside(image, device, kGreen), 0);
        EXPECT_EQ(image.pixel(799, 599), qRgb(255, 255, 255)) << "the whole image is drawn";
    }
}

TEST(XrtRendererTest, SpanPathMatchesPainterPathOnNoisyDenseData)
{
    XrtHandle chart = XrtCreate();
    XrtChart* c = xrtChart(chart);
    c->setSizePx(500, 300);
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, 1, 4096);
    std::vector<double> x(4096), y(4096);
    for (int i = 0; i < 4096; ++i) {
        x[i] = 300.0 + i * 0.2;
        y[i] = 1000.0 + 800.0 * std::sin(i * 0.05) + ((i * 7919) % 211);
    }
    XrtDataSetXData(data, 0, x.data(), 4096, 0);
    XrtDataSetYData(data, 0, y.data(), 4096, 0);
    XrtSetValues(chart, {{kXrtData, static_cast<int>(data)}, {kXrtLegendShown, 0}});
    XrtDataStyle s = XrtChart::defaultDataStyle(0);
    QImage fast = draw(chart, true);
    QImage slow = draw(chart, false);
    // The per-column spans cover what the painter's lines cover, within one pixel.
    int missing = 0;
    int total = 0;
    QRgb want = qRgb(xrtRed(s.lineColor), xrtGreen(s.lineColor), xrtBlue(s.lineColor));
    for (int py = 0; py < slow.height(); ++py)
        for (int px = 0; px < slow.width(); ++px)
            if (slow.pixel(px, py) == want) {
                ++total;
                missing += !near(fast, px, py, s.lineColor);
            }
    EXPECT_GT(total, 1000);
    EXPECT_EQ(missing, 0);
    XrtDestroy(chart);
    XrtDataDestroy(data);
}

// Gives the chart the data of a span path test, without a legend, on fixed axes.
void showSpanTestData(XrtHandle chart, XrtHandle data)
{
    XrtSetValues(chart, {{kXrtData, static_cast<int>(data)},
                         {kXrtLegendShown, 0},
                         {kXrtXMin, 250.0},
                         {kXrtXMax, 1150.0},
                         {kXrtYMin, 0.0},
                         {kXrtYMax, 2600.0}});
}

// Traces drawn with their points in x order, on any number of threads, give the pixels the
// same points give in reverse order: the two orders take different ways through the span path
// (the first gathers each column's bounds in one pass per column stripe and writes the spans
// band by band, the second merges segment by segment over the whole trace). Half a pixel off
// the image's grid, the x order is drawn trace by trace, in one pass over all columns each.
TEST(XrtRendererTest, SpanPathDrawsTheSamePixelsInEitherPointOrderOnAnyThreads)
{
    struct Case
    {
        const char* name;
        int points;
        double yJitter; // noise on the slow wave
        bool offAxes;   // some points far above and below the fixed y axis
        bool repeatX;   // runs of points at one x
        bool notFinite; // some y values NaN or infinite: the line breaks there
    };
    const Case cases[] = {
        {"dense noisy", 4096, 211.0, false, false, false},
        {"dense with clipped points", 4096, 211.0, true, false, false},
        {"sparse, segments over many columns", 60, 500.0, false, false, false},
        {"sparse with clipped points", 60, 500.0, true, false, false},
        {"vertical runs", 4096, 211.0, false, true, false},
        {"sparse with NaN and infinite y", 60, 500.0, false, false, true},
    };
    constexpr int kSets = 3;
    const XrtColor colors[kSets] = {kRed, kGreen, kBlue};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const int n = k.points;
        const double step = 800.0 / n;
        std::vector<double> x(n), y[kSets];
        for (int i = 0; i < n; ++i)
            x[i] = 300.0 + (k.repeatX ? (i / 4) * 4 : i) * step;
        for (int set = 0; set < kSets; ++set) {
            y[set].resize(n);
            for (int i = 0; i < n; ++i) {
                y[set][i] = 800.0 + 300.0 * set + 800.0 * std::sin(i * 20.0 / n + set) +
                            k.yJitter * ((i * 7919 + set * 31) % 211) / 211.0;
                if (k.offAxes && i % (n > 100 ? 97 : 7) == 5 + set)
                    y[set][i] = i % 2 ? 1e7 : -1e7;
                if (k.notFinite && i % (n > 100 ? 331 : 11) == 3 + set)
                    y[set][i] = i % 3 == 0   ? std::numeric_limits<double>::quiet_NaN()
                                : i % 3 == 1 ? std::numeric_limits<double>::infinity()
                                             : -std::numeric_limits<double>::infinity();
            }
        }
        auto drawOrder = [&](bool reversed, int threads, bool halfPixel = false) {
            XrtHandle chart = XrtCreate();
            XrtChart* c = xrtChart(chart);
            c->setSizePx(1203, 500);
            useQtTextMetrics(*c);
            XrtHandle data = XrtDataCreate(kXrtDataGeneral, kSets, n);
            std::vector<double> rx(x.rbegin(), x.rend());
            for (int set = 0; set < kSets; ++set) {
                std::vector<double> ry(y[set].rbegin(), y[set].rend());
                XrtDataSetXData(data, set, reversed ? rx.data() : x.data(), n, 0);
                XrtDataSetYData(data, set, reversed ? ry.data() : y[set].data(), n, 0);
                XrtDataStyle s;
                s.lineColor = colors[set];
                XrtSetNthDataStyle(chart, set, &s);
            }
            showSpanTestData(chart, data);
            QImage image(c->widthPx(), c->heightPx(), QImage::Format_RGB32);
            image.fill(Qt::black); // the underlay leaves a row and a column half a pixel off
            QPainter p(&image);
            if (halfPixel)
                p.translate(0.5, 0.5);
            ChartRenderer r;
            r.setThreads(threads);
            r.draw(p, *c);
            p.end();
            XrtDestroy(chart);
            XrtDataDestroy(data);
            return image;
        };
        const QImage reference = drawOrder(true, 1);
        for (int set = 0; set < kSets; ++set)
            EXPECT_GT(countColor(reference, colors[set]), 200);
        for (int threads : {1, 2, 3, 5}) {
            SCOPED_TRACE(threads);
            EXPECT_TRUE(drawOrder(false, threads) == reference);
        }
        EXPECT_TRUE(drawOrder(false, 1, true) == drawOrder(true, 1, true)) << "half a pixel off";
    }
}

// A renderer keeps, between redraws, that a trace's x values go forward: x values set
// anew, going back or not finite, are drawn as a new renderer draws them.
TEST(XrtRendererTest, SpanPathSeesXValuesChangeBetweenRedraws)
{
    constexpr int kPoints = 2048;
    std::vector<double> x(kPoints), y(kPoints), zigzag(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[i] = 300.0 + i * 0.4;
        y[i] = 1000.0 + 700.0 * std::sin(i * 0.01) + (i * 7919 % 211);
        zigzag[i] = x[i] + (i % 64 < 32 ? 0.0 : -40.0);
    }
    XrtHandle chart = XrtCreate();
    XrtChart* c = xrtChart(chart);
    c->setSizePx(900, 400);
    useQtTextMetrics(*c);
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, 2, kPoints);
    std::vector<double> higher(y);
    for (double& v : higher)
        v += 600.0;
    for (int set = 0; set < 2; ++set) {
        XrtDataSetXData(data, set, x.data(), kPoints, 0);
        XrtDataSetYData(data, set, set == 0 ? y.data() : higher.data(), kPoints, 0);
        XrtDataStyle s;
        s.lineColor = set == 0 ? kRed : kBlue;
        XrtSetNthDataStyle(chart, set, &s);
    }
    showSpanTestData(chart, data);
    QImage kept(c->widthPx(), c->heightPx(), QImage::Format_RGB32);
    ChartRenderer renderer;
    auto redraw = [&](ChartRenderer& r, QImage& image) {
        QPainter p(&image);
        r.draw(p, *c);
    };
    struct Change
    {
        const char* name;
        std::function<void()> apply;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Change changes[] = {
        {"the same x set again", [&] { XrtDataSetXData(data, 1, x.data(), kPoints, 0); }},
        {"x going back in steps", [&] { XrtDataSetXData(data, 1, zigzag.data(), kPoints, 0); }},
        {"x going forward again", [&] { XrtDataSetXData(data, 1, x.data(), kPoints, 0); }},
        {"one x element set back", [&] { XrtDataSetXElement(data, 0, 1000, 310.0); }},
        {"that element put right", [&] { XrtDataSetXElement(data, 0, 1000, x[1000]); }},
        {"one x element not a number", [&] { XrtDataSetXElement(data, 1, 700, nan); }},
    };
    redraw(renderer, kept);
    for (int threads : {1, 3}) {
        SCOPED_TRACE(threads);
        renderer.setThreads(threads);
        for (const Change& change : changes) {
            SCOPED_TRACE(change.name);
            change.apply();
            redraw(renderer, kept);
            QImage fresh(kept.size(), kept.format());
            ChartRenderer newRenderer;
            newRenderer.setThreads(threads);
            redraw(newRenderer, fresh);
            EXPECT_TRUE(kept == fresh);
            EXPECT_GT(countColor(kept, kRed), 200);
            EXPECT_GT(countColor(kept, kBlue), 200);
        }
        XrtDataSetXData(data, 1, x.data(), kPoints, 0);
    }
    XrtDestroy(chart);
    XrtDataDestroy(data);
}

TEST(XrtRendererTest, SymbolsAreDrawnAtEveryPoint)
{
    ThreeTraces t(kXrtLineDotted, 1);
    XrtDataStyle s;
    s.linePattern = kXrtLineNone;
    s.pointStyle = kXrtPointBox;
    s.pointSize = 2;
    s.pointColor = kRed;
    XrtSetNthDataStyle(t.chart, 0, &s);
    XrtDataSetLastPoint(t.data, 0, 90);
    QImage image = draw(t.chart, true);
    for (int i = 0; i <= 90; i += 9) {
        int px = 0, py = 0;
        XrtUnmap(t.chart, i, 20.0, &px, &py);
        EXPECT_TRUE(near(image, px, py, kRed, 0)) << "point " << i;
    }
}

TEST(XrtRendererTest, UnusableRangesDrawAnEmptyPlotWithAxes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        double ymin, ymax;
    };
    const Case cases[] = {{"inverted", 100000.0, -100000.0},
                          {"NaN", nan, nan},
                          {"infinite", 0.0, std::numeric_limits<double>::infinity()},
                          {"equal", 3.0, 3.0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ThreeTraces t;
        XrtSetValues(t.chart, {{kXrtYMin, k.ymin}, {kXrtYMax, k.ymax}});
        for (bool fast : {true, false}) {
            QImage image = draw(t.chart, fast);
            EXPECT_EQ(
                countColor(image, kRed) + countColor(image, kGreen) + countColor(image, kBlue), 0);
            XrtRect plot = xrtChart(t.chart)->layout().plotArea;
            EXPECT_EQ(image.pixel(plot.left - 1, plot.top + plot.height / 2), qRgb(0, 0, 0))
                << "the axis frame is drawn";
        }
    }
}

TEST(XrtRendererTest, ExtremeSizesAndValuesDrawWithoutHarm)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        int width, height;
        std::vector<double> x, y;
        bool autoAxes;
    };
    const Case cases[] = {
        {"empty chart", 0, 0, {1, 2}, {1, 2}, true},
        {"one pixel", 1, 1, {1, 2}, {1, 2}, true},
        {"tiny", 12, 9, {1, 2, 3}, {3, 1, 2}, true},
        {"huge values", 300, 200, {0, 1, 2, 3}, {1e308, -1e308, 1e308, 0}, true},
        {"huge values on fixed axes",
         300,
         200,
         {0, 1e300, -1e300, 3},
         {1e308, -1e308, 5, 0},
         false},
        {"infinities and NaN", 300, 200, {0, inf, 2, nan}, {-inf, 1, nan, 2}, true},
        {"x backwards", 300, 200, {9, 7, 8, 1, 3}, {1, 5, 2, 4, 3}, true},
        {"denormals", 300, 200, {0, 4.9e-324, 1e-323}, {0, 4.9e-324, 1e-323}, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        XrtHandle chart = XrtCreate();
        XrtChart* c = xrtChart(chart);
        c->setSizePx(k.width, k.height);
        int n = static_cast<int>(k.x.size());
        XrtHandle data = XrtDataCreate(kXrtDataGeneral, 3, n);
        for (int set = 0; set < 3; ++set) {
            XrtDataSetXData(data, set, k.x.data(), n, 0);
            XrtDataSetYData(data, set, k.y.data(), n, 0);
        }
        XrtDataStyle dashed;
        dashed.linePattern = kXrtLineDashDot;
        dashed.pointStyle = kXrtPointStar;
        XrtSetNthDataStyle(chart, 1, &dashed);
        XrtDataStyle wide;
        wide.lineWidth = 10;
        XrtSetNthDataStyle(chart, 2, &wide);
        XrtSetValues(chart, {{kXrtData, static_cast<int>(data)},
                             {kXrtLegendLabels, std::vector<std::string>{"a", "b", "c"}},
                             {kXrtMarkerShown, 1},
                             {kXrtMarkerPoint, 1}});
        if (!k.autoAxes)
            XrtSetValues(chart,
                         {{kXrtXMin, 0.0}, {kXrtXMax, 3.0}, {kXrtYMin, 0.0}, {kXrtYMax, 5.0}});
        XrtHandle area = XrtTextAreaCreate(chart);
        XrtTextAreaSetValues(
            area, {{kXrtTextAreaX, 1e308}, {kXrtTextAreaStrings, std::vector<std::string>{"far"}}});
        for (bool fast : {true, false}) {
            if (k.width > 0)
                draw(chart, fast);
        }
        QImage image(50, 50, QImage::Format_RGB32);
        QPainter p(&image);
        EXPECT_EQ(XrtDrawToDC(chart, &p, kXrtDrawPicture, kXrtDrawScaleToFit, 0, 0, 50, 50), 1);
        p.end();
        renderChartSvg(*c);
        XrtDestroy(chart);
        XrtDataDestroy(data);
    }
}

TEST(XrtRendererTest, NaNValuesBreakTheTrace)
{
    ThreeTraces t;
    XrtDataSetYElement(t.data, 0, 50, std::numeric_limits<double>::quiet_NaN());
    XrtDataSetYElement(t.data, 0, 51, std::numeric_limits<double>::quiet_NaN());
    QImage image = draw(t.chart, true);
    int px = 0, py = 0;
    XrtUnmap(t.chart, 50.5, 20.0, &px, &py);
    EXPECT_FALSE(near(image, px, py, kRed, 0));
    XrtUnmap(t.chart, 40.0, 20.0, &px, &py);
    EXPECT_TRUE(near(image, px, py, kRed));
}

TEST(XrtRendererTest, MarkerLegendAndTextAreaAreDrawn)
{
    ThreeTraces t;
    XrtDataStyle marker;
    marker.lineColor = xrtRgb(255, 0, 255);
    XrtSetValues(t.chart, {{kXrtMarkerStyle, marker},
                           {kXrtMarkerDataSet, 1},
                           {kXrtMarkerPoint, 40},
                           {kXrtMarkerShown, 1}});
    XrtHandle area = XrtTextAreaCreate(t.chart);
    XrtTextAreaSetValues(area, {{kXrtTextAreaX, 60.0},
                                {kXrtTextAreaY, 65.0},
                                {kXrtTextAreaColor, xrtRgb(0, 128, 255)},
                                {kXrtTextAreaFont, XrtFont{"Arial", -20, 700}},
                                {kXrtTextAreaStrings, std::vector<std::string>{"MMMM"}}});
    QImage image = draw(t.chart, true);
    int px = 0, py = 0;
    XrtUnmap(t.chart, 40.0, 90.0, &px, &py);
    EXPECT_TRUE(near(image, px, py, marker.lineColor));
    EXPECT_GT(countColor(image, xrtRgb(0, 128, 255)), 10);

    XrtTextAreaSetValues(area, {{kXrtTextAreaShown, 0}});
    XrtSetValues(t.chart, {{kXrtLegendShown, 1},
                           {kXrtLegendBackgroundColor, xrtRgb(250, 250, 200)},
                           {kXrtLegendLabels, std::vector<std::string>{"Master", "Slave 1"}}});
    image = draw(t.chart, true);
    EXPECT_EQ(countColor(image, xrtRgb(0, 128, 255)), 0);
    EXPECT_GT(countColor(image, xrtRgb(250, 250, 200)), 100);
    XrtLayout l = xrtChart(t.chart)->layout();
    ASSERT_EQ(l.legendEntries.size(), 2u);
    const XrtRect& sw = l.legendEntries[0].swatch;
    EXPECT_TRUE(near(image, sw.left + sw.width / 2, sw.top + sw.height / 2, kRed));
}

TEST(XrtRendererTest, DrawToDCFillsOnePdfPage)
{
    ThreeTraces t;
    QString path = testDir() + "/chart.pdf";
    {
        QPdfWriter pdf(path);
        QPainter p(&pdf);
        int w = pdf.width();
        int h = pdf.height();
        EXPECT_EQ(XrtDrawToDC(t.chart, &p, kXrtDrawPicture, kXrtDrawScaleToFit, 0, 0, w, h / 2), 1);
        EXPECT_EQ(XrtDrawToDC(t.chart, &p, 99, kXrtDrawScaleToFit, 0, 0, w, h), 0);
        EXPECT_EQ(
            XrtDrawToDC(t.chart, static_cast<QPainter*>(nullptr), kXrtDrawPicture, 4, 0, 0, w, h),
            0);
        EXPECT_EQ(XrtDrawToDC(0, &p, kXrtDrawPicture, 4, 0, 0, w, h), 0);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray pdf = f.readAll();
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              1)
        << pdf.left(400).toStdString();
}

TEST(XrtRendererTest, DrawToDCScalesTheChartIntoTheDeviceRectangle)
{
    ThreeTraces t;
    struct Case
    {
        const char* name;
        QRect rect;
    };
    const Case cases[] = {{"same size", QRect(100, 50, 400, 300)},
                          {"doubled", QRect(0, 0, 800, 600)},
                          {"squeezed", QRect(300, 400, 200, 100)}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        QImage image(900, 700, QImage::Format_RGB32);
        image.fill(qRgb(128, 128, 128));
        {
            QPainter p(&image);
            framework::CDC dc(&p, &image);
            ASSERT_EQ(XrtDrawToDC(t.chart, &dc, kXrtDrawPicture, kXrtDrawScaleToFit, k.rect.left(),
                                  k.rect.top(), k.rect.width(), k.rect.height()),
                      1);
        }
        XrtRect inside{k.rect.left(), k.rect.top(), k.rect.width(), k.rect.height()};
        EXPECT_GT(countColor(image, kBlue), 10);
        EXPECT_EQ(countOutside(image, inside, kBlue), 0);
        EXPECT_EQ(image.pixel(k.rect.left() + 2, k.rect.top() + 2), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(k.rect.right() + 1, k.rect.bottom() + 1), qRgb(128, 128, 128));
        // The blue trace sits at 80 % of the plot height at the chart's own scale.
        int px = 0, py = 0;
        XrtUnmap(t.chart, 50.0, 80.0, &px, &py);
        double sx = k.rect.width() / 400.0;
        double sy = k.rect.height() / 300.0;
        EXPECT_TRUE(near(image, static_cast<int>(k.rect.left() + px * sx),
                         static_cast<int>(k.rect.top() + py * sy), kBlue,
                         static_cast<int>(std::ceil(std::max(sx, sy))) + 1));
    }
    EXPECT_EQ(XrtDrawToDC(t.chart, static_cast<framework::CDC*>(nullptr), kXrtDrawPicture,
                          kXrtDrawScaleToFit, 0, 0, 10, 10),
              0);
}

TEST(XrtRendererTest, DrawToFileWritesABitmapFile)
{
    ThreeTraces t;
    QString path = testDir() + "/chart.bmp";
    ASSERT_EQ(XrtDrawToFile(t.chart, path.toUtf8().constData(), kXrtDrawBitmap), 1);
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), "bmp");
    QImage image = reader.read();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(400, 300));
    EXPECT_GT(countColor(image.convertToFormat(QImage::Format_RGB32), kRed), 100);

    QString missing = testDir() + "/no-such-folder/chart.bmp";
    EXPECT_EQ(XrtDrawToFile(t.chart, missing.toUtf8().constData(), kXrtDrawBitmap), 0);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(XrtDrawToFile(t.chart, nullptr, kXrtDrawBitmap), 0);
    EXPECT_EQ(XrtDrawToFile(t.chart, path.toUtf8().constData(), 7), 0);
}

TEST(XrtRendererTest, DrawToClipboardPutsAnImageThere)
{
    ThreeTraces t;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    ASSERT_EQ(XrtDrawToClipboard(t.chart, kXrtDrawPicture), 1);
    const QMimeData* mime = clipboard->mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasImage());
    QImage image = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(image.size(), QSize(400, 300));
    EXPECT_TRUE(mime->data("image/svg+xml").contains("<svg"));
    EXPECT_EQ(XrtDrawToClipboard(0, kXrtDrawPicture), 0);
}

TEST(XrtRendererTest, FontsFollowTheirLogFontRecords)
{
    struct Case
    {
        const char* name;
        int height, weight;
        bool italic;
        const char* face;
        int pixels;
    };
    const Case cases[] = {{"character height", -18, 700, false, "Arial", 18},
                          {"cell height", 20, 400, true, "Courier New", 16},
                          {"default", 0, 0, false, "", 12},
                          {"absurd", -2000000000, 0, false, "Arial", 10000}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        platform::qt::LOGFONT lf;
        lf.lfHeight = k.height;
        lf.lfWeight = k.weight;
        lf.lfItalic = k.italic;
        platform::qt::setFaceName(lf, k.face);
        XrtFont f = xrtFont(lf);
        EXPECT_EQ(f.face, k.face);
        EXPECT_EQ(f.height, k.height);
        EXPECT_EQ(xrtFontPixelSize(f), std::min(k.pixels, 500));
        QFont q = toQFont(f);
        EXPECT_EQ(q.pixelSize(), std::min(k.pixels, 500));
        EXPECT_EQ(q.italic(), k.italic);
        platform::qt::LOGFONT back = logFont(f);
        EXPECT_EQ(back.lfHeight, lf.lfHeight);
        EXPECT_EQ(back.lfWeight, lf.lfWeight);
        EXPECT_EQ(platform::qt::faceName(back), k.face);
    }
}

} // namespace
} // namespace platform::chart
