#include "platform/chart/Chart2D.h"

#include "platform/chart/ColorPanel.h"
#include "platform/chart/Xrt.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace platform::chart {
namespace {

TEST(Chart2DTest, CreateBindsAChartThatDiesWithTheWindow)
{
    QWidget view;
    view.resize(300, 300);
    XrtHandle handle = 0;
    {
        CChart2D chart;
        EXPECT_EQ(chart.chartHandle(), 0u);
        ASSERT_TRUE(chart.Create("", CChart2D::kStyleVisible, QRect(0, 0, 300, 300), &view, 0));
        handle = chart.chartHandle();
        ASSERT_NE(handle, 0u);
        EXPECT_EQ(chart.parentWidget(), &view);
        EXPECT_EQ(xrtChart(handle)->widthPx(), 300);
        chart.resize(420, 200); // hidden: the resize event waits, the size does not
        EXPECT_EQ(xrtChart(handle)->widthPx(), 420);
        EXPECT_EQ(xrtChart(handle)->heightPx(), 200);
    }
    EXPECT_EQ(xrtChart(handle), nullptr);
    EXPECT_EQ(XrtSetValues(handle, {{kXrtRepaint, 1}}), 0);

    CChart2D orphan;
    EXPECT_FALSE(orphan.Create("", CChart2D::kStyleVisible, QRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(orphan.chartHandle(), 0u);
}

TEST(Chart2DTest, ManyChangesRepaintTheWindowOnlyAFewTimes)
{
    QWidget view;
    view.resize(400, 300);
    CChart2D chart;
    ASSERT_TRUE(chart.Create("", CChart2D::kStyleVisible, QRect(0, 0, 400, 300), &view, 0));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.paintCount() > 0; }, 20000));
    std::uint64_t before = chart.paintCount();
    for (int i = 0; i < 500; ++i)
        XrtSetValues(chart.chartHandle(), {{kXrtYMax, 100.0 + i}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.paintCount() > before; }, 20000));
    EXPECT_LE(chart.paintCount() - before, 3u);
    EXPECT_EQ(xrtChart(chart.chartHandle())->repaintRequests(), 500u + 0u);
}

TEST(Chart2DTest, TheWindowShowsItsChart)
{
    QWidget view;
    view.resize(400, 300);
    CChart2D chart;
    ASSERT_TRUE(chart.Create("", CChart2D::kStyleVisible, QRect(0, 0, 400, 300), &view, 0));
    XrtHandle data = XrtDataCreate(kXrtDataGeneral, 1, 2);
    double x[] = {0.0, 10.0};
    double y[] = {5.0, 5.0};
    XrtDataSetXData(data, 0, x, 2, 0);
    XrtDataSetYData(data, 0, y, 2, 0);
    XrtDataStyle style;
    style.lineColor = xrtRgb(255, 0, 255);
    XrtSetNthDataStyle(chart.chartHandle(), 0, &style);
    XrtSetValues(chart.chartHandle(), {{kXrtData, static_cast<int>(data)},
                                       {kXrtBackgroundColor, xrtRgb(255, 255, 224)},
                                       {kXrtYMin, 0.0},
                                       {kXrtYMax, 10.0}});
    QImage shot = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(2, 2), qRgb(255, 255, 224));
    int px = 0, py = 0;
    ASSERT_EQ(XrtUnmap(chart.chartHandle(), 5.0, 5.0, &px, &py), 1);
    EXPECT_EQ(shot.pixel(px, py), qRgb(255, 0, 255));
    XrtDataDestroy(data);
}

TEST(Chart2DTest, ColorPanelShowsItsBackColorAndReportsClicks)
{
    CColorPanel panel;
    panel.resize(40, 20);
    QSignalSpy clicks(&panel, &CColorPanel::Click);
    struct Case
    {
        const char* name;
        XrtColor set;
        XrtColor read;
    };
    const Case cases[] = {{"red", xrtRgb(255, 0, 0), xrtRgb(255, 0, 0)},
                          {"teal", xrtRgb(0, 128, 128), xrtRgb(0, 128, 128)},
                          {"high byte dropped", 0xFF00FF00u, 0x0000FF00u}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        panel.SetBackColor(k.set);
        EXPECT_EQ(panel.GetBackColor(), k.read);
        QImage image = panel.grab().toImage();
        EXPECT_EQ(image.pixel(20, 10), qRgb(xrtRed(k.read), xrtGreen(k.read), xrtBlue(k.read)));
    }
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(&panel, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 2);
}

} // namespace
} // namespace platform::chart
