#include "platform/chart/Chart2D.h"
#include "platform/chart/Xrt.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace platform::chart {
namespace {

// Eight channels with a legend on a real X server; the screenshot is kept as an artefact.
TEST(Chart2DScreenshotTest, EightChannelsWithALegend)
{
    QWidget view;
    view.resize(900, 560);
    CChart2D chart;
    ASSERT_TRUE(chart.Create("", CChart2D::kStyleVisible, QRect(0, 0, 900, 560), &view, 0));
    XrtHandle c = chart.chartHandle();
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, 16, 2048);
    std::vector<double> x(2048), y(2048);
    std::vector<std::string> labels(16);
    XrtSetValues(c, {{kXrtRepaint, 0}});
    for (int set = 0; set < 8; ++set) {
        for (int i = 0; i < 2048; ++i) {
            x[i] = 350.0 + i * 0.35;
            double centre = 450.0 + set * 45.0;
            y[i] = 300.0 + 3000.0 * std::exp(-std::pow((x[i] - centre) / 18.0, 2)) +
                   40.0 * std::sin(i * 0.3 + set);
        }
        XrtDataSetXData(data, set, x.data(), 2048, 0);
        XrtDataSetYData(data, set, y.data(), 2048, 0);
        labels[set] = set == 0 ? "Master" : "Slave " + std::to_string(set);
    }
    XrtDataStyle grid;
    grid.linePattern = kXrtLineDotted;
    grid.lineColor = xrtRgb(160, 160, 160);
    XrtSetValues(c, {{kXrtData, static_cast<int>(data)},
                     {kXrtLegendLabels, labels},
                     {kXrtLegendAnchor, 17},
                     {kXrtHeaderStrings, std::vector<std::string>{"Eight channels"}},
                     {kXrtXAxisTitle, "Wavelength (nm)"},
                     {kXrtYAxisTitle, "Intensity (counts)"},
                     {kXrtHorizontalGridStyle, grid},
                     {kXrtVerticalGridStyle, grid},
                     {kXrtXMin, 350.0},
                     {kXrtXMax, 1066.45},
                     {kXrtYMin, 0.0},
                     {kXrtYMax, 4000.0},
                     {kXrtRepaint, 1}});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.paintCount() > 0; }, 20000));
    QImage shot;
    // The X server shows the window's pixels once the paint has been flushed.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            shot = view.screen()->grabWindow(view.winId()).toImage();
            return !shot.isNull() && shot.pixel(shot.width() / 2, 5) == qRgb(255, 255, 255);
        },
        20000));
    QDir().mkpath(HARLUNE_ARTEFACT_DIR);
    QString path = QStringLiteral(HARLUNE_ARTEFACT_DIR) + "/chart2d-eight-channels.png";
    ASSERT_TRUE(shot.save(path, "PNG"));

    // Every channel's colour and the legend made it to the screen.
    QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    XrtLayout l = xrtChart(c)->layout();
    ASSERT_EQ(l.legendEntries.size(), 8u);
    for (int set = 0; set < 8; ++set) {
        SCOPED_TRACE(set);
        XrtColor color = xrtChart(c)->dataStyle(set).lineColor;
        QRgb want = qRgb(xrtRed(color), xrtGreen(color), xrtBlue(color));
        int count = 0;
        for (int py = l.plotArea.top; py < l.plotArea.bottom(); ++py)
            for (int px = l.plotArea.left; px < l.plotArea.right(); ++px)
                count += rgb.pixel(px, py) == want;
        EXPECT_GT(count, 50);
    }
    XrtDataDestroy(data);
}

} // namespace
} // namespace platform::chart
