#include "gridctrl/model/GridBuiltInCellTypes.h"
#include "gridctrl/model/GridTabGeometry.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridDropListWnd.h"
#include "gridctrl/widgets/GridTabBar.h"
#include "gridctrl/widgets/GridWidget.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"
#include "tests/gridctrl/widgets/GridTestWidgets.h"
#include "tests/gridctrl/widgets/RecordingGridControl.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace gridctrl::widgets {
namespace {

using test::click;

class GridTabBarAndListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window.resize(640, 400);
        m_widget->setGeometry(0, 0, 640, 360);
        m_grid.SetNumberCols(12);
        m_grid.SetNumberRows(50);
        m_window.show();
        m_grid.AdjustComponentSizes();
        QApplication::setActiveWindow(&m_window);
    }

    CGridTabBar* tabs() { return m_widget->tabBar(); }
    // A point inside tab `index`, `dx` pixels from its left edge, at height `y`.
    QPoint tabPoint(int index, int dx, int y = 2)
    {
        return QPoint(model::tabLeft(tabs()->scrollBarWidth(), tabs()->scrollOffset(),
                                     tabs()->tabWidths(), index) +
                          dx,
                      y);
    }

    QApplication& m_app = test::testApplication();
    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    test::RecordingGridControl m_grid;
    QWidget m_window;
    GridWidget* m_widget = new GridWidget(m_grid, &m_window);
};

TEST_F(GridTabBarAndListTest, TabBarHoldsSixtyFourTabsNamedByIds)
{
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(m_grid.AddTab("Sheet " + std::to_string(i), 100 + i), 0);
    }
    EXPECT_EQ(m_grid.AddTab("one too many", 999), 1);
    EXPECT_EQ(tabs()->GetTabCount(), 64);
    EXPECT_EQ(m_grid.SetCurrentTab(12345), 1);
    EXPECT_TRUE(m_grid.named("OnTabSelected").empty());
    // The largest offset lets the last tab be reached, and making it current scrolls to it.
    EXPECT_GT(tabs()->largestOffset(), 0);
    ASSERT_EQ(m_grid.SetCurrentTab(163), 0);
    EXPECT_GT(tabs()->scrollOffset(), 0);
    EXPECT_LE(tabs()->scrollOffset(), tabs()->largestOffset());
    // A label set by id after a deletion names that tab, not the one at its old position.
    ASSERT_EQ(m_grid.DeleteTab(101), 0);
    ASSERT_EQ(m_grid.SetTabLabel(105, "Renamed"), 0);
    EXPECT_EQ(m_grid.GetTabLabel(105), "Renamed");
    EXPECT_EQ(tabs()->GetTabLabel(4), "Renamed");
    EXPECT_EQ(tabs()->GetTabLabel(5), "Sheet 6");
    EXPECT_EQ(m_grid.SetTabLabel(101, "gone"), 1);
}

TEST_F(GridTabBarAndListTest, ClicksSelectTabsAndTheCurrentTabWinsTheOverlap)
{
    for (int i = 0; i < 3; ++i) {
        m_grid.AddTab("Tab " + std::to_string(i), 10 + i);
    }
    m_grid.AdjustComponentSizes();
    ASSERT_TRUE(tabs()->isVisible());
    click(tabs(), tabPoint(2, 12));
    EXPECT_EQ(tabs()->GetCurrentTab(), 2);
    auto selected = m_grid.named("OnTabSelected");
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].row, 12);

    // Where tabs 0 and 1 overlap (the last two pixels of tab 0), the current tab is hit.
    const int w0 = tabs()->tabWidths()[0];
    EXPECT_EQ(tabs()->tabAtX(tabPoint(0, w0 + 1).x()), 0);
    click(tabs(), tabPoint(1, 5));
    EXPECT_EQ(tabs()->GetCurrentTab(), 1);
    EXPECT_EQ(tabs()->tabAtX(tabPoint(0, w0 + 1).x()), 1);
    // A point left of every tab hits none.
    EXPECT_EQ(tabs()->tabAtX(tabs()->scrollBarWidth() - 2), -1);
}

TEST_F(GridTabBarAndListTest, ArrowsScrollAndTheRightEdgeSizesTheBar)
{
    for (int i = 0; i < 20; ++i) {
        m_grid.AddTab("A long sheet name " + std::to_string(i), i);
    }
    m_grid.AdjustComponentSizes();
    ASSERT_GT(tabs()->largestOffset(), 5);
    auto* arrows = tabs()->findChild<QScrollBar*>(QStringLiteral("tabArrows"));
    ASSERT_NE(arrows, nullptr);
    EXPECT_EQ(arrows->width(), tabs()->scrollBarWidth());
    arrows->triggerAction(QAbstractSlider::SliderSingleStepSub); // at 0 already
    EXPECT_EQ(tabs()->scrollOffset(), 0);
    arrows->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(tabs()->scrollOffset(), 5);
    arrows->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(tabs()->scrollOffset(), 0);

    // Dragging the rightmost pixels sets the bar's width, never below 40.
    const int right = tabs()->width() - 2;
    test::moveTo(tabs(), QPoint(right, 5));
    test::press(tabs(), QPoint(right, 5));
    test::moveTo(tabs(), QPoint(300, 5), Qt::LeftButton);
    EXPECT_EQ(tabs()->width(), 300);
    test::moveTo(tabs(), QPoint(-100, 5), Qt::LeftButton);
    EXPECT_EQ(tabs()->width(), CGridTabBar::kMinWidth);
    test::release(tabs(), QPoint(-100, 5));
    EXPECT_EQ(m_grid.currentSheet()->m_tabBarWidth, CGridTabBar::kMinWidth);
}

class DropListTest : public GridTabBarAndListTest
{
protected:
    void SetUp() override
    {
        GridTabBarAndListTest::SetUp();
        m_grid.QuickSetCellType(2, 2, 1);
        m_grid.QuickSetLabel(2, 2, "Red\nGreen\nBlue\n");
        m_grid.QuickSetText(2, 2, "Red");
        m_type = dynamic_cast<model::CGridDropListCellType*>(m_grid.GetCellType(1));
        ASSERT_NE(m_type, nullptr);
        ASSERT_NE(m_widget->dropList(), nullptr);
    }

    CGridDropListWnd* list() { return m_widget->dropList(); }
    void open()
    {
        m_widget->cellArea()->setFocus();
        ASSERT_TRUE(m_type->openList(2, 2));
        ASSERT_TRUE(list()->isVisible());
        ASSERT_TRUE(list()->isListOpen());
    }
    std::vector<int> messages() const
    {
        std::vector<int> found;
        for (const auto& call : m_grid.named("OnCellTypeMessage")) {
            found.push_back(call.arg);
        }
        return found;
    }

    model::CGridDropListCellType* m_type = nullptr;
};

TEST_F(DropListTest, EnterTakesTheChoiceAfterMessages102And101)
{
    open();
    list()->setCurrentRow(2);
    m_grid.calls.clear();
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(messages(), (std::vector<int>{102, 101}));
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "Blue");
    EXPECT_FALSE(list()->isListOpen());
    EXPECT_EQ(m_type->listCol(), -1);
    EXPECT_EQ(m_type->listRow(), -1);

    // The hook may change the text on message 101.
    open();
    m_grid.changeTo = "Cyan";
    list()->setCurrentRow(1);
    QTest::keyClick(list(), Qt::Key_Enter);
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "Cyan");
}

TEST_F(DropListTest, AClickTakesTheChoiceAndEscapeClosesWithoutOne)
{
    open();
    const QRect item = list()->visualItemRect(list()->item(1));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "Green");

    open();
    list()->setCurrentRow(2);
    QTest::keyClick(list(), Qt::Key_Escape);
    EXPECT_FALSE(list()->isVisible());
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "Green");
    EXPECT_EQ(m_type->listCol(), -2); // closed without a choice
}

TEST_F(DropListTest, FocusLossClosesWithoutAChoice)
{
    QLineEdit outside(&m_window);
    outside.setGeometry(0, 370, 50, 20);
    outside.show();
    open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->hasFocus(); }, 2000));
    outside.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list()->isVisible(); }, 2000));
    EXPECT_FALSE(list()->isListOpen());
    EXPECT_EQ(m_type->listCol(), -2);
    EXPECT_EQ(m_type->listRow(), -2);
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "Red");
}

TEST_F(DropListTest, AReadOnlyCellKeepsItsText)
{
    open();
    model::CGridCellInfo cell;
    m_grid.GetCell(2, 2, &cell);
    cell.SetReadOnly(1);
    m_grid.SetCell(2, 2, &cell);
    list()->setCurrentRow(2);
    m_grid.calls.clear();
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "Red");
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(list()->isListOpen());
}

} // namespace
} // namespace gridctrl::widgets
