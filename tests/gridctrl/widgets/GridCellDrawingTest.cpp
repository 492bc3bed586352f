#include "gridctrl/widgets/GridCellDrawing.h"

#include "gridctrl/model/GridCellTypeGeometry.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace gridctrl::widgets {
namespace {

namespace fw = platform::framework;
using model::CGridCellInfo;

QApplication& cellDrawingApplication()
{
    static int argc = 1;
    static char name[] = "GridCellDrawingTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

QColor rgbOf(fw::COLORREF c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

class GridCellDrawingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        cellDrawingApplication();
        m_grid.SetNumberCols(5);
        m_grid.SetNumberRows(5);
    }

    // Draws cell (col, row) into a white image of its rectangle's size.
    QImage draw(int col, int row, int width = 120, int height = 20, GridCellDrawState state = {},
                int* overflowEnd = nullptr)
    {
        QImage image(width * 3, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        fw::CDC dc(&painter, &image);
        CGridCellInfo cell;
        m_grid.GetDisplayCell(col, row, &cell);
        drawGridCell(dc, m_grid, fw::RECT{0, 0, width, height}, col, row, cell, state, overflowEnd);
        return image;
    }

    static int countPixels(const QImage& image, const fw::RECT& r, std::function<bool(QColor)> test)
    {
        int n = 0;
        for (int y = std::max(0, r.top); y < std::min(image.height(), r.bottom); ++y) {
            for (int x = std::max(0, r.left); x < std::min(image.width(), r.right); ++x) {
                n += test(QColor(image.pixel(x, y))) ? 1 : 0;
            }
        }
        return n;
    }
    static bool dark(QColor c) { return c.lightness() < 100; }

    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    model::CGridControl m_grid;
};

TEST_F(GridCellDrawingTest, CheckBoxMarksAndCaption)
{
    const fw::COLORREF shadow = m_system.sysColor(16);
    m_grid.QuickSetCellType(0, 0, 2);
    m_grid.QuickSetCellTypeEx(0, 0, model::kParamCheckThreeState);
    m_grid.QuickSetNumber(0, 0, 2);
    m_grid.QuickSetLabel(0, 0, "Caption");
    const QImage two = draw(0, 0);
    // The box: 3 pixels in, side 12 (height 19 inside the grid line: side 12 at most).
    const fw::RECT inside{4, 4, 15, 16};
    EXPECT_GT(countPixels(two, inside, [&](QColor c) { return c == rgbOf(shadow); }), 5);
    EXPECT_GT(countPixels(two, inside, [&](QColor c) { return c == rgbOf(m_system.sysColor(15)); }),
              5);                                            // the pattern fill
    EXPECT_GT(countPixels(two, {21, 0, 119, 19}, dark), 10); // the caption right of the box

    m_grid.QuickSetNumber(0, 0, 0);
    const QImage zero = draw(0, 0);
    EXPECT_EQ(
        countPixels(zero, inside, [&](QColor c) { return c == rgbOf(shadow) || c == Qt::black; }),
        0);

    m_grid.QuickSetCellTypeEx(0, 0, model::kParamCheckAligned);
    const QImage noCaption = draw(0, 0);
    EXPECT_EQ(countPixels(noCaption, {21, 0, 119, 19}, dark), 0);

    // A value far outside 0 to 2 draws as the last state.
    m_grid.QuickSetCellTypeEx(0, 0, model::kParamCheckThreeState);
    m_grid.QuickSetNumber(0, 0, 1e9);
    EXPECT_EQ(draw(0, 0), two);
}

TEST_F(GridCellDrawingTest, ReadOnlyDropListHasAGreyEmbossedArrow)
{
    m_grid.QuickSetCellType(1, 1, 1);
    m_grid.QuickSetLabel(1, 1, "a\nb\n");
    const QImage enabled = draw(1, 1);
    CGridCellInfo cell;
    m_grid.GetCell(1, 1, &cell);
    cell.SetReadOnly(1);
    m_grid.SetCell(1, 1, &cell);
    const QImage readOnly = draw(1, 1);
    const int buttonLeft = 119 - m_system.systemMetric(2);
    const fw::RECT button{buttonLeft, 0, 119, 19};
    EXPECT_GT(countPixels(enabled, button, [](QColor c) { return c == Qt::black; }), 5);
    EXPECT_EQ(countPixels(readOnly, button, [](QColor c) { return c == Qt::black; }), 0);
    EXPECT_GT(countPixels(readOnly, button, [](QColor c) { return c == QColor(128, 128, 128); }),
              5);
    EXPECT_GT(countPixels(readOnly, button, [](QColor c) { return c == Qt::white; }), 0);
}

TEST_F(GridCellDrawingTest, ArrowColumns)
{
    m_grid.QuickSetCellType(2, 2, 3);
    const QImage image = draw(2, 2, 41, 21);
    // Inside the grid line: 40 x 20, centre (20, 10); one right arrow.
    for (const auto& column : model::arrowColumns({0, 0, 40, 20}, 1)) {
        for (int y = column.top; y < column.top + column.height; ++y) {
            EXPECT_EQ(QColor(image.pixel(column.x, y)), Qt::black) << column.x << "," << y;
        }
        EXPECT_NE(QColor(image.pixel(column.x, column.top - 1)), Qt::black);
    }
    m_grid.QuickSetCellTypeEx(2, 2, 0x100);
    EXPECT_EQ(countPixels(draw(2, 2, 41, 21), {0, 0, 40, 20}, dark), 0);
    // Under 4 pixels wide: background only.
    m_grid.QuickSetCellTypeEx(2, 2, 0x10);
    EXPECT_EQ(countPixels(draw(2, 2, 4, 21), {0, 0, 3, 20}, dark), 0);
}

TEST_F(GridCellDrawingTest, TextModesEllipsisWrapClip)
{
    const std::string text = "Fish & chips with a long tail of words";
    auto rowsWithInk = [](const QImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < 60; ++x) {
                if (dark(QColor(image.pixel(x, y)))) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    };
    m_grid.EnableTextOverflow(0); // on by default: the clipped text would run on
    m_grid.QuickSetText(0, 3, text);
    m_grid.QuickSetCellTypeEx(0, 3, 0);
    const QImage clipped = draw(0, 3, 60, 60);
    m_grid.QuickSetCellTypeEx(0, 3, model::kParamWrap);
    const QImage wrapped = draw(0, 3, 60, 60);
    m_grid.QuickSetCellTypeEx(0, 3, model::kParamEllipsis);
    const QImage ellipsis = draw(0, 3, 60, 60);
    EXPECT_GT(rowsWithInk(wrapped), rowsWithInk(clipped) * 2);
    EXPECT_NE(clipped, ellipsis);
    for (const QImage* image : {&clipped, &wrapped, &ellipsis}) {
        EXPECT_EQ(countPixels(*image, {60, 0, 180, 60}, dark), 0); // nothing past the cell
    }
}

TEST_F(GridCellDrawingTest, TextOverflowsIntoEmptyNeighbours)
{
    m_grid.EnableTextOverflow(1);
    m_grid.SetColWidth(0, 40);
    m_grid.SetColWidth(1, 40);
    m_grid.SetColWidth(2, 40);
    m_grid.QuickSetText(0, 4, "a text far wider than its column");
    int end = -1;
    draw(0, 4, 40, 20, {}, &end);
    EXPECT_GE(end, 2);
    m_grid.QuickSetText(2, 4, "full");
    draw(0, 4, 40, 20, {}, &end);
    EXPECT_EQ(end, 1);
    m_grid.EnableTextOverflow(0);
    draw(0, 4, 40, 20, {}, &end);
    EXPECT_EQ(end, 0);
}

TEST_F(GridCellDrawingTest, BadInputDrawsNothingOrSafely)
{
    m_grid.QuickSetCellType(0, 0, 7); // unregistered: a normal cell
    m_grid.QuickSetText(0, 0, "seven");
    m_grid.QuickSetCellType(1, 0, 0);
    m_grid.QuickSetText(1, 0, "seven");
    EXPECT_EQ(draw(0, 0), draw(1, 0));
    // Zero and negative rectangles.
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QImage before = image;
    {
        QPainter painter(&image);
        fw::CDC dc(&painter, &image);
        CGridCellInfo cell;
        m_grid.GetDisplayCell(0, 0, &cell);
        drawGridCell(dc, m_grid, fw::RECT{5, 5, 5, 9}, 0, 0, cell, {});
        drawGridCell(dc, m_grid, fw::RECT{5, 5, 2, 2}, 0, 0, cell, {});
    }
    EXPECT_EQ(image, before);
    // A bitmap that was removed from the control is not drawn.
    std::vector<std::uint8_t> bmp(54 + 16, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = 54;
    bmp[14] = 40;
    bmp[18] = 2;
    bmp[22] = 2;
    bmp[26] = 1;
    bmp[28] = 24;
    const int index = m_grid.addBitmapBytes(bmp);
    ASSERT_GE(index, 0);
    m_grid.QuickSetBitmapIndex(3, 3, index);
    draw(3, 3);
    m_grid.RemoveBitmap(index);
    draw(3, 3);
    // A drop list of 100,000 choices.
    std::string label;
    for (int i = 0; i < 100000; ++i) {
        label += "choice\n";
    }
    m_grid.QuickSetCellType(4, 4, 1);
    m_grid.QuickSetLabel(4, 4, label);
    draw(4, 4);
}

} // namespace
} // namespace gridctrl::widgets
