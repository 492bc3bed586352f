#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridCornerButton.h"
#include "gridctrl/widgets/GridDrawnCellType.h"
#include "gridctrl/widgets/GridDropTarget.h"
#include "gridctrl/widgets/GridHScrollBar.h"
#include "gridctrl/widgets/GridHintWnd.h"
#include "gridctrl/widgets/GridSectionPaint.h"
#include "gridctrl/widgets/GridSideHeading.h"
#include "gridctrl/widgets/GridTabBar.h"
#include "gridctrl/widgets/GridTopHeading.h"
#include "gridctrl/widgets/GridVScrollBar.h"
#include "gridctrl/widgets/GridWidget.h"
#include "platform/win/ManualClock.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"
#include "tests/gridctrl/widgets/GridTestWidgets.h"
#include "tests/gridctrl/widgets/RecordingGridControl.h"

#include <QMimeData>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <set>

namespace gridctrl::widgets {
namespace {

using test::click;
using test::moveTo;
using test::press;
using test::release;

// A cell type that counts the cells it draws.
class CountingCellType : public CGridDrawnCellType
{
public:
    CountingCellType() : CGridDrawnCellType("Counting", "counting") {}
    void OnDraw(platform::framework::CDC&, const platform::framework::RECT&, int col, long row,
                model::CGridCellInfo&, int, int) override
    {
        drawn.insert({col, row});
        ++count;
    }
    void reset()
    {
        drawn.clear();
        count = 0;
    }
    std::set<std::pair<int, long>> drawn;
    int count = 0;
};

class GridChildWindowsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_widget.resize(640, 400);
        m_grid.SetNumberCols(12);
        m_grid.SetNumberRows(200);
        for (int col = 0; col < 12; ++col) {
            m_grid.QuickSetText(col, -1, std::string(1, static_cast<char>('A' + col)));
        }
        m_widget.show();
        m_grid.AdjustComponentSizes();
        QApplication::setActiveWindow(&m_widget);
    }

    void TearDown() override { platform::win::setClock(nullptr); }

    // The centre of a cell in the cell area's pixels.
    QPoint cellPoint(int col, long row)
    {
        model::GridRect r;
        m_grid.GetCellRect(col, row, &r);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // The right border of a column in the top heading's pixels.
    int columnBorder(int col)
    {
        model::GridRect r;
        m_grid.GetCellRect(col, 0, &r);
        return r.right;
    }
    QWidget* area() { return m_widget.cellArea(); }

    QApplication& m_app = test::testApplication();
    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    test::RecordingGridControl m_grid;
    GridWidget m_widget{m_grid};
};

TEST_F(GridChildWindowsTest, ClicksInEachSectionReachTheirHooks)
{
    click(area(), cellPoint(2, 3));
    EXPECT_EQ(m_grid.GetCurrentCol(), 2);
    EXPECT_EQ(m_grid.GetCurrentRow(), 3);
    const auto lclicks = m_grid.named("OnLClicked");
    ASSERT_EQ(lclicks.size(), 2u);
    EXPECT_EQ(lclicks[0].arg, 1); // down, then up
    EXPECT_EQ(lclicks[1].arg, 0);
    EXPECT_EQ(lclicks[0].col, 2);
    EXPECT_EQ(lclicks[0].row, 3);

    m_grid.calls.clear();
    click(m_widget.topHeading(), QPoint(cellPoint(4, 0).x(), 10));
    auto top = m_grid.named("OnTopHeadingClicked");
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].col, 4);
    EXPECT_EQ(top[0].row, -1);

    m_grid.calls.clear();
    click(m_widget.sideHeading(), QPoint(10, cellPoint(0, 5).y()));
    auto side = m_grid.named("OnSideHeadingClicked");
    ASSERT_EQ(side.size(), 2u);
    EXPECT_EQ(side[0].col, -1);
    EXPECT_EQ(side[0].row, 5);
    EXPECT_TRUE(area()->hasFocus()); // a heading press gives the cell area the focus
}

TEST_F(GridChildWindowsTest, RightClicksOpenTheMenuOfTheirSectionOnlyWhenEnabled)
{
    struct Case
    {
        const char* name;
        QWidget* window;
        QPoint point;
        int section;
    };
    m_grid.AddTab("One", 7);
    m_grid.AdjustComponentSizes();
    const Case cases[] = {
        {"cell area", area(), cellPoint(1, 1), 1},
        {"top heading", m_widget.topHeading(), QPoint(cellPoint(1, 0).x(), 5), 2},
        {"side heading", m_widget.sideHeading(), QPoint(5, cellPoint(0, 1).y()), 3},
        {"corner", m_widget.cornerButton(), QPoint(5, 5), 4},
        {"horizontal bar", m_widget.hScrollBar(), QPoint(30, 5), 5},
        {"vertical bar", m_widget.vScrollBar(), QPoint(5, 60), 6},
        {"tab bar", m_widget.tabBar(), QPoint(60, 5), 7},
    };
    for (int enabled : {0, 1}) {
        m_grid.EnablePopupMenu(enabled);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (enabled ? " enabled" : " disabled"));
            ASSERT_TRUE(c.window->isVisible());
            m_grid.calls.clear();
            click(c.window, c.point, Qt::RightButton);
            const auto menus = m_grid.named("OnMenuStart");
            if (enabled) {
                ASSERT_EQ(menus.size(), 1u);
                EXPECT_EQ(menus[0].arg, c.section);
            } else {
                EXPECT_TRUE(menus.empty());
            }
        }
    }
    // The right-click hooks hear the press and the release.
    m_grid.calls.clear();
    click(m_widget.cornerButton(), QPoint(5, 5), Qt::RightButton);
    EXPECT_EQ(m_grid.named("OnCornerRClicked").size(), 2u);
}

TEST_F(GridChildWindowsTest, KeyTableMovesTheCurrentCell)
{
    m_grid.EnableJoins(1);
    m_grid.JoinCellBlock(3, 2, 4, 3);
    struct Case
    {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        int fromCol;
        long fromRow;
        int col;
        long row;
    };
    const Case cases[] = {
        {"right", Qt::Key_Right, Qt::NoModifier, 1, 1, 2, 1},
        {"left", Qt::Key_Left, Qt::NoModifier, 1, 1, 0, 1},
        {"down", Qt::Key_Down, Qt::NoModifier, 1, 1, 1, 2},
        {"up", Qt::Key_Up, Qt::NoModifier, 1, 1, 1, 0},
        {"right past a joined block", Qt::Key_Right, Qt::NoModifier, 2, 2, 3, 2},
        {"out of a joined block", Qt::Key_Right, Qt::NoModifier, 3, 2, 5, 2},
        {"home", Qt::Key_Home, Qt::NoModifier, 5, 5, 0, 5},
        {"end", Qt::Key_End, Qt::NoModifier, 5, 5, 11, 5},
        {"ctrl home", Qt::Key_Home, Qt::ControlModifier, 5, 5, 5, 0},
        {"ctrl end", Qt::Key_End, Qt::ControlModifier, 5, 5, 5, 199},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_grid.GotoCell(c.fromCol, c.fromRow);
        QTest::keyClick(area(), static_cast<Qt::Key>(c.key), c.modifiers);
        EXPECT_EQ(m_grid.GetCurrentCol(), c.col);
        EXPECT_EQ(m_grid.GetCurrentRow(), c.row);
    }
    // Page Down moves by a page, Page Up back.
    m_grid.GotoCell(0, 0);
    QTest::keyClick(area(), Qt::Key_PageDown);
    EXPECT_GT(m_grid.GetCurrentRow(), 5);
    QTest::keyClick(area(), Qt::Key_PageUp);
    EXPECT_EQ(m_grid.GetCurrentRow(), 0);
    // The hooks hear the virtual keys.
    m_grid.calls.clear();
    QTest::keyClick(area(), Qt::Key_Down);
    ASSERT_EQ(m_grid.named("OnKeyDown").size(), 1u);
    EXPECT_EQ(m_grid.named("OnKeyDown")[0].arg, 0x28);
    EXPECT_EQ(m_grid.named("OnKeyUp").size(), 1u);
    // Tab stays in the grid: it reaches the hook instead of moving the focus.
    m_grid.calls.clear();
    area()->setFocus();
    QTest::keyClick(area(), Qt::Key_Tab);
    ASSERT_EQ(m_grid.named("OnKeyDown").size(), 1u);
    EXPECT_EQ(m_grid.named("OnKeyDown")[0].arg, 0x09);
}

TEST_F(GridChildWindowsTest, KeyAccelerationStepsGrowWhileTheKeyIsHeld)
{
    auto clock = std::make_shared<platform::win::ManualClock>();
    platform::win::setClock(clock);
    m_grid.SetBallisticKeyMode(2);
    m_grid.SetBallisticKeyDelay(100);
    m_grid.GotoCell(0, 0);
    // Counts 1..5 with k = 2: q = 0, 1, 1, 2, 2; steps 1, 2, 2, 9, 9.
    const long expected[] = {1, 3, 5, 14, 23};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        clock->advance(std::chrono::milliseconds(150));
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(area(), &down);
        EXPECT_EQ(m_grid.GetCurrentRow(), expected[i]);
    }
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(area(), &up);
    // The count starts again; a second press within the delay of the first step is skipped.
    m_grid.GotoCell(0, 0);
    QKeyEvent first(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(area(), &first);
    EXPECT_EQ(m_grid.GetCurrentRow(), 1);
    m_grid.SetBallisticKeyMode(3); // the second key down is still slow (q = 0)
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(area(), &repeat);
    EXPECT_EQ(m_grid.GetCurrentRow(), 1);
    clock->advance(std::chrono::milliseconds(100));
    QApplication::sendEvent(area(), &repeat);
    EXPECT_EQ(m_grid.GetCurrentRow(), 2);
}

TEST_F(GridChildWindowsTest, VerticalBarAboveAThousandRowsAndInSpinMode)
{
    m_grid.SetNumberRows(100000);
    m_grid.SetLockedRows(2);
    m_grid.EnableVScrollTips(1);
    m_grid.AdjustComponentSizes();
    CGridVScrollBar* bar = m_widget.vScrollBar();
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 1000);
    const int greatest = m_grid.currentSheet()->m_greatestTopRow;
    bar->thumbTrack(500);
    const auto tips = m_grid.named("OnVScrollTip");
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_NEAR(tips[0].row, greatest / 2 + 2, 1);
    EXPECT_EQ(m_widget.hint().hintText(), "Row " + std::to_string(tips[0].row));
    bar->thumbPosition(500);
    EXPECT_NEAR(m_grid.GetTopRow(), greatest / 2, 1);

    // Mode 2: three positions, the bar stays at 1 and only its arrows move the grid.
    m_grid.SetVScrollMode(2);
    EXPECT_EQ(bar->maximum() - bar->minimum(), 2);
    EXPECT_EQ(bar->value(), 1);
    const long top = m_grid.GetTopRow();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(m_grid.GetTopRow(), top + 1);
    EXPECT_EQ(bar->value(), 1);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(m_grid.GetTopRow(), top);
    EXPECT_EQ(bar->value(), 1);
}

TEST_F(GridChildWindowsTest, HorizontalThumbNamesItsColumnAndFollowsWithTracking)
{
    m_grid.SetLockedCols(1);
    m_grid.EnableHScrollTips(1);
    m_grid.AdjustComponentSizes();
    CGridHScrollBar* bar = m_widget.hScrollBar();
    ASSERT_TRUE(bar->isVisible());
    bar->thumbTrack(3);
    EXPECT_EQ(bar->thumbCol(), 4);     // locked columns + position
    EXPECT_EQ(m_grid.GetLeftCol(), 1); // without tracking the grid waits for the release
    EXPECT_EQ(m_widget.hint().hintText(), "4");
    // Bottom edge at the bar's top - 1.
    EXPECT_EQ(m_widget.hint().placedRect().bottom() + 1, bar->geometry().top() - 1);
    bar->thumbPosition(3);
    EXPECT_EQ(m_grid.GetLeftCol(), 4);
    m_grid.SetHScrollMode(1);
    bar->thumbTrack(2);
    EXPECT_EQ(m_grid.GetLeftCol(), 3);
}

TEST_F(GridChildWindowsTest, RowAndHeadingSizingThroughTheBorders)
{
    // A row by its bottom border in the side heading.
    QWidget* side = m_widget.sideHeading();
    model::GridRect r;
    m_grid.GetCellRect(0, 2, &r);
    test::moveTo(side, QPoint(10, r.bottom - 1));
    press(side, QPoint(10, r.bottom - 1));
    moveTo(side, QPoint(10, r.bottom + 14), Qt::LeftButton);
    release(side, QPoint(10, r.bottom + 14));
    EXPECT_EQ(m_grid.GetRowHeight(2), 35);
    EXPECT_EQ(m_grid.GetRowHeight(3), 20);
    // The top heading's height by its heading row's bottom border.
    QWidget* top = m_widget.topHeading();
    const int height = m_grid.GetTopHeadingHeight();
    const int x = cellPoint(1, 0).x();
    moveTo(top, QPoint(x, height - 1));
    press(top, QPoint(x, height - 1));
    moveTo(top, QPoint(x, height + 9), Qt::LeftButton);
    release(top, QPoint(x, height + 9));
    EXPECT_EQ(m_grid.GetTopHeadingHeight(), height + 10);
}

TEST_F(GridChildWindowsTest, HintIsKeptInsideTheControl)
{
    CGridHintWnd& hint = m_widget.hint();
    hint.SetHintText("Row 12");
    struct Case
    {
        const char* name;
        int flags;
        int x;
        int y;
        int left;
    };
    const Case cases[] = {
        {"left edge at -10", 0, -10, 50, 0},
        {"centred near the left", CGridHintWnd::kCentreX, 2, 50, 0},
        {"right edge at x", CGridHintWnd::kRightAtX, 300, 50, 300 - hint.placedRect().width()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hint.SetPlacement(c.flags);
        hint.MoveHintWindow(c.x, c.y, 40);
        if (c.flags == CGridHintWnd::kRightAtX) {
            EXPECT_EQ(hint.placedRect().right() + 1, 300);
        } else {
            EXPECT_EQ(hint.placedRect().left(), c.left);
        }
        EXPECT_GE(hint.placedRect().width(), 40);
    }
    hint.SetPlacement(0);
    hint.MoveHintWindow(10000, 10000, 40);
    EXPECT_EQ(hint.placedRect().right() + 1, m_widget.width());
    EXPECT_EQ(hint.placedRect().bottom() + 1, m_widget.height());
}

TEST_F(GridChildWindowsTest, ColumnSizingStopsAtZeroAndOpensAHiddenNeighbourFirst)
{
    QWidget* heading = m_widget.topHeading();
    const int border = columnBorder(1);
    moveTo(heading, QPoint(border - 1, 10));
    press(heading, QPoint(border - 1, 10));
    moveTo(heading, QPoint(-5000, 10), Qt::LeftButton);
    EXPECT_EQ(m_grid.GetColWidth(1), 0);
    release(heading, QPoint(-5000, 10));
    const auto sized = m_grid.named("OnColSized");
    ASSERT_EQ(sized.size(), 1u);
    EXPECT_EQ(sized[0].col, 1);
    EXPECT_EQ(sized[0].arg, 0);
    EXPECT_FALSE(m_grid.named("OnColSizing").empty());

    // Column 1 now has width 0: at the shared border, it is the one that is sized.
    m_grid.calls.clear();
    const int shared = columnBorder(0);
    moveTo(heading, QPoint(shared + 1, 10));
    press(heading, QPoint(shared + 1, 10));
    moveTo(heading, QPoint(shared + 31, 10), Qt::LeftButton);
    release(heading, QPoint(shared + 31, 10));
    EXPECT_EQ(m_grid.GetColWidth(1), 30);
    EXPECT_EQ(m_grid.GetColWidth(0), 75);
    EXPECT_EQ(m_grid.named("OnColSized").at(0).col, 1);
}

TEST_F(GridChildWindowsTest, CornerClickCallsItsHookTwiceAndSizesNothing)
{
    const int side = m_grid.GetSideHeadingWidth();
    const int top = m_grid.GetTopHeadingHeight();
    QWidget* corner = m_widget.cornerButton();
    moveTo(corner, QPoint(10, 8));
    click(corner, QPoint(10, 8));
    const auto clicks = m_grid.named("OnCornerClicked");
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].arg, 1);
    EXPECT_EQ(clicks[1].arg, 0);
    EXPECT_EQ(m_grid.GetSideHeadingWidth(), side);
    EXPECT_EQ(m_grid.GetTopHeadingHeight(), top);

    // By its right edge the corner sizes the side heading.
    moveTo(corner, QPoint(side - 1, 8));
    press(corner, QPoint(side - 1, 8));
    moveTo(corner, QPoint(side + 20, 8), Qt::LeftButton);
    release(corner, QPoint(side + 20, 8));
    EXPECT_EQ(m_grid.GetSideHeadingWidth(), side + 20);
}

TEST_F(GridChildWindowsTest, DoubleClickOnAColumnBorderFitsTheColumn)
{
    m_grid.QuickSetText(2, 0, "A rather long text that needs a wide column");
    const int border = columnBorder(2);
    QWidget* heading = m_widget.topHeading();
    moveTo(heading, QPoint(border, 10));
    test::doubleClick(heading, QPoint(border, 10));
    EXPECT_GT(m_grid.GetColWidth(2), 75);
    const auto sized = m_grid.named("OnColSized");
    ASSERT_FALSE(sized.empty());
    EXPECT_EQ(sized.back().col, 2);
    EXPECT_EQ(sized.back().arg, m_grid.GetColWidth(2));
}

TEST_F(GridChildWindowsTest, ColumnDragAskedByOnCanColMove)
{
    m_grid.EnableColSwapping(1);
    for (int col = 0; col < 12; ++col) {
        m_grid.QuickSetText(col, 0, "c" + std::to_string(col));
    }
    QWidget* heading = m_widget.topHeading();
    auto drag = [&](int from, int toBefore) {
        const QPoint start(cellPoint(from, 0).x(), 10);
        model::GridRect r;
        m_grid.GetCellRect(toBefore, 0, &r);
        const QPoint target(r.left + 5, 10); // the left half: before that column
        moveTo(heading, start);
        press(heading, start);
        moveTo(heading, target, Qt::LeftButton);
        EXPECT_TRUE(m_widget.marker()->isVisible());
        release(heading, target);
        EXPECT_FALSE(m_widget.marker()->isVisible());
    };
    m_grid.canColMove = 0;
    drag(1, 4);
    EXPECT_EQ(m_grid.QuickGetText(1, 0), "c1");
    ASSERT_EQ(m_grid.named("OnCanColMove").size(), 1u);
    EXPECT_TRUE(m_grid.named("OnColMoved").empty());

    m_grid.calls.clear();
    m_grid.canColMove = 1;
    drag(1, 4);
    const auto moved = m_grid.named("OnColMoved");
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].col, 1);
    EXPECT_EQ(moved[0].row, 3);
    EXPECT_EQ(m_grid.QuickGetText(3, 0), "c1");
    EXPECT_EQ(m_grid.QuickGetText(1, 0), "c2");

    // Beyond the cell area's right edge the drag scrolls a column per pass.
    auto* top = static_cast<CGridTopHeading*>(heading);
    const QPoint start(cellPoint(2, 0).x(), 10);
    moveTo(heading, start);
    press(heading, start);
    moveTo(heading, QPoint(heading->width() + 30, 10), Qt::LeftButton);
    EXPECT_FALSE(m_widget.marker()->isVisible());
    const int left = m_grid.GetLeftCol();
    EXPECT_TRUE(top->autoScrollPass());
    EXPECT_EQ(m_grid.GetLeftCol(), left + 1);
    release(heading, QPoint(heading->width() + 30, 10));
    EXPECT_EQ(top->dragCol(), -1);
}

TEST_F(GridChildWindowsTest, DragSelectionScrollsByTheBallisticModes)
{
    auto clock = std::make_shared<platform::win::ManualClock>();
    platform::win::setClock(clock);
    m_grid.SetMultiSelectMode(1);
    struct Case
    {
        int mode;
        int beyond; // pixels below the cell area
        long step;
    };
    // n = 1 + 60 / 20 = 4 rows: mode 0 one row, then 4, 16 and 64.
    const Case cases[] = {{0, 60, 1}, {1, 60, 4}, {2, 60, 16}, {3, 60, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        m_grid.SetBallisticMode(c.mode);
        m_grid.SetTopRow(0);
        press(area(), cellPoint(1, 1));
        const QPoint outside(cellPoint(1, 1).x(), area()->height() + c.beyond);
        moveTo(area(), outside, Qt::LeftButton);
        auto* cells = static_cast<CGridCellArea*>(area());
        ASSERT_TRUE(cells->isAutoScrolling());
        const int before = m_grid.currentSheet()->m_dragRow;
        EXPECT_TRUE(cells->autoScrollPass());
        EXPECT_EQ(m_grid.currentSheet()->m_dragRow, before + c.step);
        EXPECT_EQ(m_grid.GetCurrentRow(), 1); // the selection's fixed end stays
        release(area(), outside);
        EXPECT_FALSE(cells->isAutoScrolling());
    }
    // A step of one waits for the ballistic delay between passes.
    m_grid.SetBallisticDelay(200);
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        m_grid.SetBallisticMode(mode);
        m_grid.SetTopRow(0);
        press(area(), cellPoint(1, 1));
        moveTo(area(), QPoint(cellPoint(1, 1).x(), area()->height() + 5), Qt::LeftButton);
        auto* cells = static_cast<CGridCellArea*>(area());
        EXPECT_TRUE(cells->autoScrollPass());
        EXPECT_FALSE(cells->autoScrollPass());
        clock->advance(std::chrono::milliseconds(199));
        EXPECT_FALSE(cells->autoScrollPass());
        clock->advance(std::chrono::milliseconds(1));
        EXPECT_TRUE(cells->autoScrollPass());
        release(area(), QPoint(0, area()->height() + 5));
    }
}

TEST_F(GridChildWindowsTest, RedrawListDrawsOnlyWhatChanged)
{
    auto* counting = new CountingCellType;
    std::unique_ptr<CountingCellType> owner(counting);
    const int index = m_grid.AddCellType(counting);
    model::CGridCellInfo cell;
    cell.SetCellType(index);
    for (int col = 0; col < 12; ++col) {
        m_grid.SetColumnDefaultCell(col, &cell);
    }
    m_grid.SetRowHeight(0, 20);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_widget));
    // Let every pending paint happen, then count from nothing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return counting->count > 0; }, 2000));
    QApplication::processEvents();
    counting->reset();

    // A changed cell redraws that cell only.
    m_grid.QuickSetText(2, 3, "changed");
    m_grid.RedrawCell(2, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counting->count > 0; }, 2000));
    EXPECT_EQ(counting->drawn, (std::set<std::pair<int, long>>{{2, 3}}));

    // A one-row scroll draws the one row that came into view.
    counting->reset();
    const std::vector<GridLine> before = visibleRows(m_grid, area()->height());
    m_grid.MoveTopRow(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return counting->count > 0; }, 2000));
    std::set<long> rows;
    for (const auto& [col, row] : counting->drawn) {
        rows.insert(row);
    }
    const long newRow = before.back().index + 1;
    EXPECT_TRUE(rows.count(newRow) == 1);
    EXPECT_LE(rows.size(), 2u); // the new row, and the one it completes when cut at the edge
    for (long row : rows) {
        EXPECT_GE(row, newRow - 1);
    }
    m_grid.RemoveCellType(index);
}

TEST_F(GridChildWindowsTest, HelpRequestGoesThroughOnHelpToTheHelpHandler)
{
    int shown = -1;
    m_grid.setHelpHandler([&](int context) { shown = context; });
    m_grid.helpContext = 4711;
    QCursor::setPos(area()->mapToGlobal(cellPoint(3, 4)));
    QTest::keyClick(area(), Qt::Key_F1);
    EXPECT_EQ(shown, 4711);
    const auto help = m_grid.named("OnHelp");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].arg, 11); // section 1, a help request
}

TEST_F(GridChildWindowsTest, HelpRequestOverAHeadingNamesItsSection)
{
    QCursor::setPos(m_widget.topHeading()->mapToGlobal(QPoint(cellPoint(2, 0).x(), 10)));
    QTest::keyClick(area(), Qt::Key_F1);
    const auto help = m_grid.named("OnHelp");
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].col, 2);
    EXPECT_EQ(help[0].row, -1);
    EXPECT_EQ(help[0].arg, 21); // section 2, a help request

    // A help hit test (What's This) on the side heading.
    m_grid.calls.clear();
    const QPoint p(5, cellPoint(0, 4).y());
    QHelpEvent hit(QEvent::WhatsThis, p, m_widget.sideHeading()->mapToGlobal(p));
    QApplication::sendEvent(m_widget.sideHeading(), &hit);
    ASSERT_EQ(m_grid.named("OnHelp").size(), 1u);
    EXPECT_EQ(m_grid.named("OnHelp")[0].row, 4);
    EXPECT_EQ(m_grid.named("OnHelp")[0].arg, 30); // section 3, a hit test
}

TEST_F(GridChildWindowsTest, ToolTipsComeFromOnHint)
{
    auto tip = [&](QPoint p) {
        QHelpEvent event(QEvent::ToolTip, p, area()->mapToGlobal(p));
        QApplication::sendEvent(area(), &event);
    };
    tip(cellPoint(2, 3));
    EXPECT_TRUE(m_grid.named("OnHint").empty()); // cell tips are off
    m_grid.EnableCellTips(1);
    tip(cellPoint(2, 3));
    const auto hints = m_grid.named("OnHint");
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_EQ(hints[0].col, 2);
    EXPECT_EQ(hints[0].row, 3);
    EXPECT_EQ(hints[0].arg, 1);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "Col:2 Row:3");
    m_grid.hintAnswer = 0;
    tip(cellPoint(4, 5));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST_F(GridChildWindowsTest, PaintingAsksForRowsWhenItRunsOut)
{
    m_grid.SetNumberRows(3);
    m_grid.rowsUpTo = 40;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_widget));
    // Each paint that ends with room left asks once; the rows added fill the area.
    const long wanted = area()->height() / 20 + 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_grid.GetNumberRows() >= wanted; }, 5000));
    EXPECT_LE(m_grid.GetNumberRows(), wanted + 5);
    EXPECT_GE(m_grid.count("OnRowsExhausted"), 2);
}

TEST_F(GridChildWindowsTest, DropTargetTakesTextOnlyAndPastesWhereTheHookAllows)
{
    m_grid.EnableDragDrop(1);
    ASSERT_TRUE(area()->acceptDrops());
    auto drop = [&](QMimeData& data, QPoint p) {
        QDragEnterEvent enter(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area(), &enter);
        QDragMoveEvent move(p, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area(), &move);
        QDropEvent event(QPointF(p), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area(), &event);
        return event.isAccepted();
    };
    QMimeData text;
    text.setText("dropped");
    m_grid.dragDropAnswer = 0;
    EXPECT_FALSE(drop(text, cellPoint(2, 2)));
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "");
    m_grid.dragDropAnswer = 1;
    EXPECT_TRUE(drop(text, cellPoint(2, 2)));
    EXPECT_EQ(m_grid.QuickGetText(2, 2), "dropped");
    EXPECT_EQ(m_grid.GetCurrentCol(), 2);

    // Data that is not text never reaches the hook.
    m_grid.calls.clear();
    QMimeData image;
    image.setData("image/png", QByteArray("\x89PNG", 4));
    EXPECT_FALSE(drop(image, cellPoint(3, 3)));
    EXPECT_TRUE(m_grid.named("OnDragDrop").empty());
    // Text with a NUL byte is cut there.
    QMimeData nul;
    nul.setText(QString::fromUtf8("ab\0cd", 5));
    EXPECT_TRUE(drop(nul, cellPoint(3, 3)));
    EXPECT_EQ(m_grid.QuickGetText(3, 3), "ab");

    // Text beyond the limit is refused and changes nothing.
    QMimeData huge;
    huge.setText(QString(int(CGridDropTarget::kMaxDropBytes + 1), QChar('x')));
    EXPECT_FALSE(drop(huge, cellPoint(4, 4)));
    EXPECT_EQ(m_grid.QuickGetText(4, 4), "");

    // Dragging near an edge scrolls by one row or column.
    m_grid.SetTopRow(10);
    m_grid.SetLeftCol(3);
    struct Case
    {
        const char* name;
        QPoint point;
        int left;
        long top;
    };
    const int w = area()->width();
    const int h = area()->height();
    const Case cases[] = {
        {"left", QPoint(3, h / 2), 2, 10},
        {"right", QPoint(w - 3, h / 2), 4, 10},
        {"top", QPoint(w / 2, 3), 3, 9},
        {"bottom", QPoint(w / 2, h - 3), 3, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_grid.SetTopRow(10);
        m_grid.SetLeftCol(3);
        QDragEnterEvent enter(c.point, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area(), &enter);
        QDragMoveEvent move(c.point, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area(), &move);
        EXPECT_EQ(m_grid.GetLeftCol(), c.left);
        EXPECT_EQ(m_grid.GetTopRow(), c.top);
    }
}

} // namespace
} // namespace gridctrl::widgets
