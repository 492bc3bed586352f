#include "gridctrl/model/GridPrinter.h"

#include "gridctrl/model/GridControl.h"
#include "tests/gridctrl/model/FakeGridSystem.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace gridctrl::model {
namespace {

using test::FakeGridSystem;

// An A4 printer at 600 dots per inch.
constexpr GridPrintDevice kA4{4960, 7015, 210, 297, false};

// Records what a page prints.
class RecordingTarget : public GridPrintTarget
{
public:
    struct Printed
    {
        int col;
        int row;
        GridRect rect;
        double scale;
    };
    void beginPage(int divisor) override { m_divisor = divisor; }
    void setClip(const GridRect* rect) override { m_clips += rect ? 1 : 0; }
    void printCell(CGridCellType&, const GridRect& rect, int col, int row, CGridCellInfo&,
                   double scale) override
    {
        m_cells.push_back({col, row, rect, scale});
    }
    void line(int, int, int, int) override { ++m_lines; }

    int m_divisor = 0;
    int m_clips = 0;
    int m_lines = 0;
    std::vector<Printed> m_cells;
};

class GridPrinterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_grid.SetNumberCols(20);
        m_grid.SetNumberRows(100);
    }

    FakeGridSystem m_system;
    ScopedGridSystem m_scope{m_system};
    CGridControl m_grid;
};

TEST_F(GridPrinterTest, A4Example)
{
    const int pages = m_grid.PrintInit(kA4, 0, 0, 19, 99);
    EXPECT_EQ(m_grid.printer().printableWidth(), 606);
    ASSERT_FALSE(m_grid.printer().pages().empty());
    EXPECT_EQ(m_grid.printer().pages()[0].startCol, 0);
    EXPECT_EQ(m_grid.printer().pages()[0].endCol, 7); // 8 columns of 75 pixels
    EXPECT_EQ(m_grid.printer().pages()[1].startCol, 8);
    EXPECT_EQ(m_grid.printer().columnPages(), 3);
    EXPECT_EQ(pages, m_grid.printer().columnPages() * m_grid.printer().rowBands());
    EXPECT_EQ(m_grid.printer().unitDivisor(), 4960 / 450);
}

TEST_F(GridPrinterTest, EveryColumnOnExactlyOneColumnPage)
{
    const int widths[] = {75, 700, 0, 30, 605, 606, 607, 1, 75, 75};
    for (int col = 0; col < 10; ++col) {
        m_grid.SetColWidth(col, widths[col]);
    }
    m_grid.PrintInit(kA4, 0, 0, 9, 0);
    std::map<int, int> seen;
    for (const auto& page : m_grid.printer().pages()) {
        EXPECT_LE(page.startCol, page.endCol);
        for (int col = page.startCol; col <= page.endCol; ++col) {
            ++seen[col];
        }
    }
    for (int col = 0; col < 10; ++col) {
        EXPECT_EQ(seen[col], 1) << col;
    }
    // The 700-pixel column ends the page it falls on.
    EXPECT_EQ(m_grid.printer().pages()[0].endCol, 1);
}

TEST_F(GridPrinterTest, SecondPageOfATwoByTwoBlock)
{
    // 9 columns (two pages across) and rows that need two bands.
    const int rowsPerBand = m_grid.printer().printableHeight(); // 0 before PrintInit
    EXPECT_EQ(rowsPerBand, 0);
    m_grid.PrintInit(kA4, 0, 0, 8, 99);
    const int bandRows = m_grid.printer().pages()[0].endRow + 1;
    ASSERT_EQ(m_grid.PrintInit(kA4, 0, 0, 8, bandRows + 1), 4);
    const auto& page2 = m_grid.printer().pages()[1];
    EXPECT_EQ(page2.page, 2);
    EXPECT_EQ(page2.startCol, 8);
    EXPECT_EQ(page2.startRow, 0);
    EXPECT_EQ(m_grid.printer().pages()[2].startCol, 0);
    EXPECT_EQ(m_grid.printer().pages()[2].startRow, bandRows);
}

TEST_F(GridPrinterTest, Options)
{
    long value = -1;
    EXPECT_EQ(m_grid.PrintSetOption(10, 5), 0);
    EXPECT_EQ(m_grid.PrintGetOption(10, &value), 0);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(m_grid.PrintSetOption(7, 5), 0);
    EXPECT_EQ(m_grid.PrintGetOption(7, &value), 1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(m_grid.PrintSetOption(3, -1), 1);
    EXPECT_EQ(m_grid.PrintGetOption(3, &value), 0);
    EXPECT_EQ(value, 25);
}

TEST_F(GridPrinterTest, HeadingsOnlyWhenAsked)
{
    ASSERT_GT(m_grid.PrintInit(kA4, 0, 0, 2, 2), 0);
    RecordingTarget target;
    ASSERT_EQ(m_grid.PrintPage(target, 1), 0);
    for (const auto& cell : target.m_cells) {
        EXPECT_GE(cell.col, 0);
        EXPECT_GE(cell.row, 0);
    }
    EXPECT_EQ(target.m_cells.size(), 9u);
    EXPECT_EQ(target.m_lines, 4);
    m_grid.PrintSetOption(1, 1);
    m_grid.PrintSetOption(2, 1);
    m_grid.PrintInit(kA4, 0, 0, 2, 2);
    RecordingTarget withHeadings;
    m_grid.PrintPage(withHeadings, 1);
    EXPECT_EQ(withHeadings.m_cells.size(), 16u); // corner, 3 + 3 headings, 9 cells
    EXPECT_EQ(withHeadings.m_cells[0].col, -1);
    EXPECT_EQ(withHeadings.m_cells[0].row, -1);
    EXPECT_EQ(m_grid.PrintPage(withHeadings, 2), 1);
}

TEST_F(GridPrinterTest, EmptyBlocksAndImpossibleMargins)
{
    EXPECT_EQ(m_grid.PrintInit(kA4, 3, 0, 2, 5), 0);
    struct Case
    {
        const char* name;
        GridPrintDevice device;
        int option;
        long margin;
    } cases[] = {
        {"margins wider than the paper", kA4, 3, 200},
        {"margins taller than the paper", kA4, 4, 290},
        {"no size", {4960, 7015, 0, 0, false}, 0, 0},
        {"no resolution", {0, 0, 210, 297, false}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGridControl grid;
        grid.SetNumberCols(3);
        grid.SetNumberRows(3);
        if (c.option) {
            ASSERT_EQ(grid.PrintSetOption(c.option, c.margin), 0);
        }
        EXPECT_EQ(grid.PrintInit(c.device, 0, 0, 2, 2), 0);
        RecordingTarget target;
        EXPECT_EQ(grid.PrintPage(target, 1), 1);
        EXPECT_TRUE(target.m_cells.empty());
    }
    // Headings wider than what the margins leave.
    CGridControl grid;
    grid.SetNumberCols(3);
    grid.SetNumberRows(3);
    grid.SetSideHeadingWidth(1024);
    grid.PrintSetOption(1, 1);
    grid.PrintSetOption(3, 100);
    grid.PrintSetOption(5, 100);
    EXPECT_EQ(grid.PrintInit(kA4, 0, 0, 2, 2), 0);
}

TEST_F(GridPrinterTest, ZeroSizedRowsAndColumnsAreNotPrinted)
{
    m_grid.SetRowHeight(1, 0);
    m_grid.SetColWidth(1, 0);
    m_grid.PrintSetOption(2, 1);
    m_grid.SetTopHeadingRowHeight(-1, 0);
    ASSERT_GT(m_grid.PrintInit(kA4, 0, 0, 2, 2), 0);
    RecordingTarget target;
    ASSERT_EQ(m_grid.PrintPage(target, 1), 0);
    EXPECT_EQ(target.m_cells.size(), 4u);
    for (const auto& cell : target.m_cells) {
        EXPECT_NE(cell.col, 1);
        EXPECT_NE(cell.row, 1);
        EXPECT_TRUE(std::isfinite(cell.scale));
        EXPECT_GT(cell.scale, 0);
    }
}

TEST_F(GridPrinterTest, JoinedBlockPrintedOnce)
{
    m_grid.EnableJoins(1);
    ASSERT_EQ(m_grid.JoinCellBlock(0, 0, 1, 1), 0);
    m_grid.PrintInit(kA4, 0, 0, 2, 2);
    RecordingTarget target;
    m_grid.PrintPage(target, 1);
    EXPECT_EQ(target.m_cells.size(), 6u); // the block once, and 5 plain cells
    const auto& block = target.m_cells[0];
    EXPECT_EQ(block.col, 0);
    EXPECT_EQ(block.row, 0);
    EXPECT_EQ(block.rect.right, target.m_cells[1].rect.left);
    EXPECT_EQ(target.m_cells[3].row, 2);
    EXPECT_EQ(block.rect.bottom, target.m_cells[3].rect.top);
}

TEST_F(GridPrinterTest, PresetExtentAndDivisorGiveTheSamePages)
{
    m_grid.PrintInit(kA4, 0, 0, 19, 99);
    const auto divided = m_grid.printer().pages();
    GridPrintDevice preset = kA4;
    preset.presetExtent = true;
    m_grid.PrintInit(preset, 0, 0, 19, 99);
    const auto& direct = m_grid.printer().pages();
    ASSERT_EQ(divided.size(), direct.size());
    for (std::size_t i = 0; i < direct.size(); ++i) {
        EXPECT_EQ(divided[i].startCol, direct[i].startCol);
        EXPECT_EQ(divided[i].endRow, direct[i].endRow);
    }
    RecordingTarget target;
    m_grid.PrintPage(target, 1);
    EXPECT_EQ(target.m_divisor, 1);
    EXPECT_EQ(target.m_clips, 0);
}

} // namespace
} // namespace gridctrl::model
