// Long texts in the grid's window as the screen shows them after whole and partial paints.
#include "gridctrl/widgets/GridWidget.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace gridctrl::widgets {
namespace {

QApplication& overflowApplication()
{
    static int argc = 1;
    static char name[] = "GridOverflowTest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the pointing device QTest makes must not outlive it at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A long text beside empty cells runs on over them, on the screen as it is after each change:
// a whole paint, and the partial paints of a move, of a neighbour that fills or empties and of
// the text itself.
class GridOverflowTest : public ::testing::Test
{
protected:
    static constexpr int kColWidth = 60;
    static constexpr const char* kLongText = "Absorbance of sample 12 at 25 C";

    void SetUp() override
    {
        m_grid.SetNumberCols(6);
        m_grid.SetNumberRows(8);
        for (int col = 0; col < 6; ++col) {
            m_grid.SetColWidth(col, kColWidth);
        }
        m_grid.QuickSetText(0, 2, kLongText); // beside empty cells
        m_grid.QuickSetText(0, 3, kLongText); // beside a filled cell
        m_grid.QuickSetText(1, 3, "7");
        m_grid.QuickSetAlignment(1, 3, 2);
        m_grid.QuickSetText(0, 4, kLongText); // beside selected cells
        m_widget.resize(480, 260);
        m_widget.show();
        m_grid.AdjustComponentSizes();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_widget));
    }

    // What the screen shows of the grid's window now.
    QImage shown() const { return m_widget.screen()->grabWindow(m_widget.winId()).toImage(); }

    // The inside of a cell on the screen, clear of its lines and of the current cell's frame,
    // from `from` to `to` of its width.
    QRect inside(int col, long row, double from = 0.0, double to = 1.0)
    {
        model::GridRect r;
        m_grid.GetCellRect(col, row, &r);
        const model::GridRect area = m_grid.currentSheet()->m_cellAreaRect;
        const int left = area.left + r.left + 4;
        const int width = r.right - r.left - 8;
        return QRect(left + static_cast<int>(width * from), area.top + r.top + 4,
                     static_cast<int>(width * (to - from)), r.bottom - r.top - 8);
    }

    // The dark (text) pixels in a rectangle of the screen.
    int ink(const QRect& rect) const
    {
        const QImage image = shown();
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                n += QColor(image.pixel(x, y)).lightness() < 100 ? 1 : 0;
            }
        }
        return n;
    }

    QApplication& m_app = overflowApplication(); // before any widget
    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    model::CGridControl m_grid;
    GridWidget m_widget{m_grid};
};

TEST_F(GridOverflowTest, ALongTextRunsOnOverEmptyCellsAndStopsAtAFilledOne)
{
    const auto shows = [&](const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 5000);
    };
    // Over the two empty cells it needs; cut at the edge of its own cell beside "7".
    EXPECT_TRUE(shows([&] { return ink(inside(1, 2)) > 0 && ink(inside(2, 2)) > 0; }));
    EXPECT_EQ(ink(inside(4, 2)), 0);
    EXPECT_GT(ink(inside(0, 3)), 0);
    EXPECT_EQ(ink(inside(1, 3, 0.0, 0.6)), 0);

    // The current cell moves onto the covered cell: the text stays, under the cell's frame.
    m_grid.GotoCell(0, 2);
    QTest::keyClick(m_widget.cellArea(), Qt::Key_Right);
    ASSERT_EQ(m_grid.GetCurrentCol(), 1);
    const QRect frame = inside(1, 2).adjusted(-4, -4, 4, 4);
    EXPECT_TRUE(shows([&] { return ink(QRect(frame.left() + 1, frame.top() + 1, 2, 4)) > 0; }));
    EXPECT_GT(ink(inside(1, 2)), 0);
    EXPECT_GT(ink(inside(2, 2)), 0);

    // The neighbour fills: the text is cut at its own cell's edge and leaves nothing behind.
    m_grid.QuickSetText(1, 2, "9");
    m_grid.QuickSetAlignment(1, 2, 2);
    m_grid.RedrawCell(1, 2);
    EXPECT_TRUE(shows([&] { return ink(inside(2, 2)) == 0; }));
    EXPECT_EQ(ink(inside(1, 2, 0.0, 0.6)), 0);
    EXPECT_GT(ink(inside(0, 2)), 0);

    // It empties again: the text runs on again.
    m_grid.QuickSetText(1, 2, "");
    m_grid.RedrawCell(1, 2);
    EXPECT_TRUE(shows([&] { return ink(inside(2, 2)) > 0; }));
    EXPECT_GT(ink(inside(1, 2, 0.0, 0.6)), 0);

    // The text itself gets short: the cells it covered show empty.
    m_grid.QuickSetText(0, 2, "ab");
    m_grid.RedrawCell(0, 2);
    EXPECT_TRUE(shows([&] { return ink(inside(2, 2)) == 0; }));
    EXPECT_EQ(ink(inside(1, 2, 0.0, 0.6)), 0);

    // Selected cells beside it keep their highlight: the text stops before them.
    m_grid.SetMultiSelectMode(1);
    m_grid.GotoCell(5, 7);
    m_grid.SelectRange(1, 4, 2, 4);
    m_grid.RedrawAll();
    const QColor highlight = QColor(0, 0, 0x80);
    EXPECT_TRUE(shows([&] {
        const QImage image = shown();
        const QRect cell = inside(1, 4);
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                if (QColor(image.pixel(x, y)) != highlight) {
                    return false;
                }
            }
        }
        return true;
    }));
    EXPECT_GT(ink(inside(0, 4)), 0);
}

} // namespace
} // namespace gridctrl::widgets
