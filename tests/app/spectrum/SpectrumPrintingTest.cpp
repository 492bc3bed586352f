// Printing a spectrum chart onto a page image of known size: where the chart lands, the
// black-and-white swap, and that everything on screen is as before afterwards.
#include "app/spectrum/qt/SpectrumPrinting.h"

#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/chart/Xrt.h"
#include "platform/framework/CDC.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

using namespace app::spectrum::test;
using namespace platform::chart;
namespace fw = platform::framework;

namespace {

struct PrintedView
{
    PrintedView()
    {
        CINIFileSupport(nullptr, 1)
            .WriteString("Preferences", "DefaultSpectrometer",
                         (freshFolder("print-config").string() + "/print.spec").c_str());
        document = std::make_unique<CHarluneSpectrumDoc>(frame, window.docWindow());
        view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, *document, host);
        const float coefs[4] = {400.0f, 0.1f, 0.0f, 0.0f};
        for (int k = 0; k < 8; ++k)
            view->configuration().SetWavelengthCoefs(k, coefs);
        view->OnCreate();
        EXPECT_TRUE(view->Create());
        for (int i = 0; i < kSpectrumPoints; ++i)
            document->spectra().processed[0][i] = 500.0 + 400.0 * std::sin(i * 0.01);
        view->PlotSpectra();
    }

    // Prints onto a white page image and returns it.
    QImage print(int pageWidth, int pageHeight, int chartWidth, int chartHeight)
    {
        // The chart window's size, as its resize gives it to the chart and the view.
        if (XrtChart* c = xrtChart(view->chart()))
            c->setSizePx(chartWidth, chartHeight);
        window.clientSize = {chartWidth, chartHeight};
        view->OnSize(chartWidth, chartHeight);
        QImage page(pageWidth, pageHeight, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        {
            fw::CDC dc(&painter, &page);
            dc.setPrinting(true);
            EXPECT_EQ(dc.GetDeviceCaps(fw::HORZRES), pageWidth);
            EXPECT_EQ(dc.GetDeviceCaps(fw::VERTRES), pageHeight);
            printSpectrumChart(*view, dc, chartWidth, chartHeight);
        }
        painter.end();
        if (const char* dump = std::getenv("SPECTRUM_PRINT_DUMP"))
            page.save(QString::fromUtf8(dump) + QString::number(pageWidth) + ".png");
        return page;
    }

    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices installed{ui};
    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    std::unique_ptr<CHarluneSpectrumDoc> document;
    std::unique_ptr<CHarluneSpectrumView> view;
};

// The bounding box of the pixels that are not white.
QRect inkBox(const QImage& page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixel(x, y) != qRgb(255, 255, 255))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(SpectrumPrinting, TheChartFillsThePageAndIsCentred)
{
    struct Case
    {
        const char* name;
        int pageW, pageH, chartW, chartH;
        QRect area;
    };
    const Case cases[] = {
        {"wide chart, portrait page", 200, 300, 400, 200, QRect(0, 100, 200, 100)},
        {"tall chart, landscape page", 300, 200, 200, 400, QRect(100, 0, 100, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintedView p;
        // A dark chart background makes the drawn area visible on the white page.
        XrtSetValues(p.view->chart(), {{kXrtBackgroundColor, xrtRgb(0, 0, 64)}});
        p.frame.viewPrefs.PrintBWOnly = 0;
        const QRect box = inkBox(p.print(c.pageW, c.pageH, c.chartW, c.chartH));
        EXPECT_NEAR(box.left(), c.area.left(), 1);
        EXPECT_NEAR(box.top(), c.area.top(), 1);
        EXPECT_NEAR(box.right(), c.area.right(), 1);
        EXPECT_NEAR(box.bottom(), c.area.bottom(), 1);
        EXPECT_EQ(p.ui.waitCursorShows(), 1);
        EXPECT_EQ(p.ui.waitCursorDepth(), 0);
    }
}

TEST(SpectrumPrinting, BlackAndWhiteThenEverythingAsBefore)
{
    PrintedView p;
    XrtHandle chart = p.view->chart();
    const std::filesystem::path folder = freshFolder("print-bitmap");
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    const std::string bitmap = (folder / "back.bmp").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(bitmap), "BMP"));
    p.window.chosenFile = bitmap;
    p.view->OnSelectBitmap();
    p.view->OnBackgroundVisible(); // hidden from here on

    XrtSetValues(chart, {{kXrtBackgroundColor, xrtRgb(0, 0, 128)},
                         {kXrtForegroundColor, xrtRgb(255, 255, 0)},
                         {kXrtLegendBackgroundColor, xrtRgb(10, 200, 30)},
                         {kXrtLegendForegroundColor, xrtRgb(200, 10, 30)}});
    std::array<XrtDataStyle, 16> styles{};
    for (int t = 0; t < 16; ++t) {
        styles[t] = XrtDataStyle{2, 2, xrtRgb(255, 16 * t, 0), 2, 3, xrtRgb(0, 255, 16 * t), 2};
        XrtSetNthDataStyle(chart, t, &styles[t]);
    }
    const XrtDataStyle marker{2, 2, xrtRgb(0, 255, 0), 1, 1, xrtRgb(0, 255, 0), 0};
    const XrtDataStyle grid{4, 2, xrtRgb(255, 255, 0), 1, 1, xrtRgb(255, 255, 0), 0};
    XrtSetValues(chart, {{kXrtMarkerStyle, marker},
                         {kXrtMarkerShown, 1},
                         {kXrtHorizontalGridStyle, grid},
                         {kXrtVerticalGridStyle, grid}});

    const QImage page = p.print(300, 400, 400, 200);
    int inked = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            ASSERT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c))
                << "colour at " << x << "," << y;
            inked += c != qRgb(255, 255, 255) ? 1 : 0;
        }
    EXPECT_GT(inked, 100); // something was drawn

    for (int t = 0; t < 16; ++t) {
        XrtDataStyle style{};
        XrtGetNthDataStyle(chart, t, &style);
        EXPECT_EQ(style, styles[t]) << t;
    }
    EXPECT_EQ(XrtGetValue(chart, kXrtMarkerStyle).toDataStyle(), marker);
    EXPECT_EQ(XrtGetValue(chart, kXrtHorizontalGridStyle).toDataStyle(), grid);
    EXPECT_EQ(XrtGetValue(chart, kXrtVerticalGridStyle).toDataStyle(), grid);
    EXPECT_EQ(XrtGetValue(chart, kXrtBackgroundColor).toInt(), xrtRgb(0, 0, 128));
    EXPECT_EQ(XrtGetValue(chart, kXrtForegroundColor).toInt(), xrtRgb(255, 255, 0));
    EXPECT_EQ(XrtGetValue(chart, kXrtLegendBackgroundColor).toInt(), xrtRgb(10, 200, 30));
    EXPECT_EQ(XrtGetValue(chart, kXrtLegendForegroundColor).toInt(), xrtRgb(200, 10, 30));
    // The hidden picture stays hidden; a shown one comes back.
    EXPECT_TRUE(XrtGetValue(chart, kXrtBackgroundBitmap).isNull());
    p.view->OnBackgroundVisible();
    p.print(300, 400, 400, 200);
    EXPECT_EQ(XrtGetValue(chart, kXrtBackgroundBitmap).toText(), bitmap);
    EXPECT_EQ(XrtGetValue(chart, kXrtRepaint).toInt(), 1);
}

TEST(SpectrumPrinting, AChartWithoutAreaPrintsNothing)
{
    PrintedView p;
    const QImage page = p.print(300, 400, 0, 0);
    EXPECT_TRUE(inkBox(page).isEmpty());
    // The swap was undone all the same.
    EXPECT_EQ(XrtGetValue(p.view->chart(), kXrtRepaint).toInt(), 1);
}

TEST(SpectrumPrinting, GarbageSettingsAndABadPictureStillDraw)
{
    const std::filesystem::path folder = freshFolder("print-garbage");
    writeBytes(folder / "notapicture.bmp", "this is text, not a bitmap");
    for (const std::string& picture :
         {(folder / "notapicture.bmp").string(), (folder / "missing.bmp").string()}) {
        SCOPED_TRACE(picture);
        writeBytes(folder / "bad.display",
                   "[GraphSettings\\Trace0]\r\nLineColor=99999999999\r\nLineWidth=-5\r\n"
                   "PointSize=100000\r\nLinePattern=77\r\n"
                   "[GraphSettings]\r\nBackgroundColor=4294967295\r\nYAxisMin=1e308\r\n"
                   "YAxisMax=-1e308\r\nBackgroundBitmapActive=1\r\nBackgroundBitmapFilename=" +
                       picture +
                       "\r\n[Legend]\r\nFontSize=100000\r\nBorderWidth=-9\r\n"
                       "[AxisFont]\r\nSize=0\r\n[Grid]\r\nLineWidth=100000\r\n");
        PrintedView p;
        p.view->ReadDisplaySettings((folder / "bad.display").string());
        p.view->OnGridEnabled();
        p.frame.viewPrefs.PrintBWOnly = 0;
        const QImage page = p.print(300, 400, 400, 200);
        EXPECT_FALSE(page.isNull());
        // The path stays the view's; the chart draws no picture from it.
        EXPECT_EQ(XrtGetValue(p.view->chart(), kXrtBackgroundBitmap).toText(), picture);
    }
}

} // namespace
