#include "gridctrl/widgets/GridWidget.h"

#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace gridctrl::widgets {
namespace {

QApplication& widgetApplication()
{
    static int argc = 1;
    static char name[] = "GridWidgetTest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the pointing device QTest makes must not outlive it at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class GridWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        widgetApplication();
        m_widget.resize(640, 400);
        m_grid.SetNumberCols(12);
        m_grid.SetNumberRows(200);
        for (int row = 0; row < 200; ++row) {
            for (int col = 0; col < 12; ++col) {
                m_grid.QuickSetText(col, row,
                                    "R" + std::to_string(row) + "C" + std::to_string(col));
            }
        }
        for (int col = 0; col < 12; ++col) {
            m_grid.QuickSetText(col, -1, std::string(1, static_cast<char>('A' + col)));
        }
        m_widget.show();
        m_grid.AdjustComponentSizes();
    }

    QPoint cellPoint(int col, long row)
    {
        model::GridRect r;
        m_grid.GetCellRect(col, row, &r);
        const model::GridRect area = m_grid.currentSheet()->m_cellAreaRect;
        return QPoint(area.left + (r.left + r.right) / 2, area.top + (r.top + r.bottom) / 2);
    }

    QApplication& m_app = widgetApplication(); // before any widget
    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    model::CGridControl m_grid;
    GridWidget m_widget{m_grid};
};

TEST_F(GridWidgetTest, ClicksKeysAndTheWheelReachTheCore)
{
    const model::GridRect area = m_grid.currentSheet()->m_cellAreaRect;
    QTest::mouseClick(m_widget.cellArea(), Qt::LeftButton, Qt::NoModifier,
                      cellPoint(2, 3) - QPoint(area.left, area.top));
    EXPECT_EQ(m_grid.GetCurrentCol(), 2);
    EXPECT_EQ(m_grid.GetCurrentRow(), 3);
    QTest::keyClick(&m_widget, Qt::Key_Down);
    EXPECT_EQ(m_grid.GetCurrentRow(), 4);
    QTest::keyClick(&m_widget, Qt::Key_End);
    EXPECT_EQ(m_grid.GetCurrentCol(), 11);
    QTest::keyClick(&m_widget, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(m_grid.GetCurrentRow(), 199);
    const long top = m_grid.GetTopRow();
    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&m_widget, &event);
    };
    wheel(120);
    EXPECT_EQ(m_grid.GetTopRow(), top - 3);
    wheel(60);
    EXPECT_EQ(m_grid.GetTopRow(), top - 3);
    wheel(60);
    EXPECT_EQ(m_grid.GetTopRow(), top - 6);
}

TEST_F(GridWidgetTest, ScrollBarsFollowAndDriveTheCore)
{
    auto bars = m_widget.findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(bars.size(), 2);
    QScrollBar* vertical = bars[0]->orientation() == Qt::Vertical ? bars[0] : bars[1];
    QScrollBar* horizontal = vertical == bars[0] ? bars[1] : bars[0];
    EXPECT_TRUE(vertical->isVisible());
    m_grid.SetTopRow(50);
    EXPECT_EQ(vertical->value(), 50);
    vertical->setValue(20);
    EXPECT_EQ(m_grid.GetTopRow(), 20);
    horizontal->setValue(3);
    EXPECT_EQ(m_grid.GetLeftCol(), 3);
    // Above 1000 possible top rows the bar runs 0 to 1000.
    m_grid.SetNumberRows(100000);
    m_grid.AdjustComponentSizes();
    EXPECT_EQ(vertical->maximum(), 1000);
    vertical->setValue(500);
    EXPECT_NEAR(m_grid.GetTopRow(), m_grid.currentSheet()->m_greatestTopRow / 2, 1);
}

TEST_F(GridWidgetTest, ScreenshotOfJoinsTypesSelectionAndTabs)
{
    m_grid.EnableJoins(1);
    m_grid.JoinCellBlock(1, 1, 2, 2);
    m_grid.QuickSetText(1, 1, "Joined block");
    m_grid.QuickSetAlignment(1, 1, 4 | 32);
    m_grid.QuickSetCellType(0, 4, 2);
    m_grid.QuickSetNumber(0, 4, 1);
    m_grid.QuickSetLabel(0, 4, "Checked");
    m_grid.QuickSetCellType(1, 4, 2);
    m_grid.QuickSetCellTypeEx(1, 4, model::kParamCheckThreeState);
    m_grid.QuickSetNumber(1, 4, 2);
    m_grid.QuickSetLabel(1, 4, "Undecided");
    m_grid.QuickSetCellType(2, 4, 1);
    m_grid.QuickSetText(2, 4, "Choice");
    m_grid.QuickSetLabel(2, 4, "Choice\nOther\n");
    m_grid.QuickSetCellType(3, 4, 3);
    m_grid.QuickSetCellTypeEx(3, 4, 0x40);
    m_grid.QuickSetBackColor(4, 4, 0xCCFFFF);
    m_grid.QuickSetText(4, 4, "Coloured");
    m_grid.SetMultiSelectMode(1);
    m_grid.GotoCell(5, 6);
    m_grid.SelectRange(5, 6, 6, 8);
    for (int i = 0; i < 4; ++i) {
        m_grid.AddTab("Sheet " + std::to_string(i + 1), i);
    }
    m_grid.SetTabWidth(300);
    m_grid.SetCurrentTab(1);
    m_grid.AdjustComponentSizes();
    const QImage shot = m_widget.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    QDir().mkpath(HARLUNE_ARTEFACT_DIR);
    EXPECT_TRUE(shot.save(QStringLiteral(HARLUNE_ARTEFACT_DIR) + "/grid-widget.png"));
}

} // namespace
} // namespace gridctrl::widgets
