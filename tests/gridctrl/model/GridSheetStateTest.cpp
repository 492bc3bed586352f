#include "gridctrl/model/GridSheetState.h"

#include "gridctrl/model/GridRedrawList.h"
#include "tests/gridctrl/model/FakeGridSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace gridctrl::model {
namespace {

using test::FakeGridSystem;

TEST(GridSheetState, NewSheetDefaults)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CGridSheetState sheet;
    EXPECT_EQ(sheet.m_numCols, 0);
    EXPECT_EQ(sheet.m_numRows, 0);
    EXPECT_EQ(sheet.m_currentCol, -1);
    EXPECT_EQ(sheet.m_currentRow, -1);
    EXPECT_EQ(sheet.m_defaultColWidth, 75);
    EXPECT_EQ(sheet.m_defaultRowHeight, 20);
    EXPECT_TRUE(sheet.m_rowHeights.empty());
    EXPECT_EQ(sheet.m_numTopHeadingRows, 1);
    EXPECT_EQ(sheet.m_topHeadingRowHeights, std::vector<int>{20});
    EXPECT_EQ(sheet.m_numSideHeadingCols, 1);
    EXPECT_EQ(sheet.m_sideHeadingColWidths, std::vector<int>{25});
    EXPECT_EQ(sheet.m_topHeadingHeight, 20);
    EXPECT_EQ(sheet.m_sideHeadingWidth, 40);
    EXPECT_EQ(sheet.m_cellTextMargin, 4);
    EXPECT_EQ(sheet.m_vScrollBarWidth, system.systemMetric(kMetricVScrollWidth));
    EXPECT_EQ(sheet.m_hScrollBarHeight, system.systemMetric(kMetricHScrollHeight));
    EXPECT_EQ(sheet.m_ballisticDelayMs, 200);
    EXPECT_EQ(sheet.m_currentCellMode, 1);
    EXPECT_EQ(sheet.m_colSizingMode, 1);
    EXPECT_EQ(sheet.m_navigationFlags[1], 1);
    EXPECT_EQ(sheet.m_navigationFlags[2], 0);
    EXPECT_EQ(sheet.m_rowHighlightOption, 1);
    ASSERT_NE(sheet.m_gridLinePen, nullptr);
    EXPECT_EQ(sheet.m_gridLinePen->colour(), rgbColor(220, 220, 220));
    EXPECT_EQ(sheet.m_gridLinePen->width(), 1);
    EXPECT_EQ(sheet.m_gridDefaultCell->GetPropertyFlags(), 0u);
    EXPECT_EQ(sheet.m_headingDefaultCell->GetBackColor(), system.sysColor(kColorBtnFace));
    EXPECT_EQ(sheet.m_headingDefaultCell->GetBorder(), 0x2000);
    EXPECT_EQ(sheet.m_headingDefaultCell->GetAlignment(), 0x24);
    EXPECT_EQ(sheet.m_currentDataSourceIndex, 0);
    EXPECT_EQ(sheet.m_currentDataSource, sheet.m_ownDataSource.get());
    EXPECT_EQ(sheet.m_ownDataSource->host(), &sheet);
    EXPECT_EQ(sheet.m_selectList->GetSelectCount(), 0);
    EXPECT_EQ(sheet.m_objectTable->GetCount(), 0);
}

TEST(GridSheetState, ColumnsWithoutTheirOwnSourceUseTheCurrentOne)
{
    CGridSheetState sheet;
    CGridMemDataSource other;
    sheet.m_colInfo.push_back(GridColumnInfo{});
    sheet.m_colInfo.push_back(GridColumnInfo{75, &other, nullptr, 1});
    sheet.m_numCols = 2;
    EXPECT_EQ(sheet.dataSourceOf(0), sheet.m_ownDataSource.get());
    EXPECT_EQ(sheet.dataSourceOf(1), &other);
    EXPECT_EQ(sheet.dataSourceOf(-1), sheet.m_ownDataSource.get());
    EXPECT_EQ(sheet.dataSourceOf(7), sheet.m_ownDataSource.get());
}

// A sheet of 6 x 6 with its selection list drawing into a redraw list.
class GridSelectListTest : public ::testing::Test
{
protected:
    GridSelectListTest() : m_scope(m_system)
    {
        m_sheet.m_numCols = 6;
        m_sheet.m_numRows = 6;
        list().setRedrawList(&m_redraw);
    }

    CGridSelectList& list() { return *m_sheet.m_selectList; }

    // The selected cells of the 6 x 6 area, row by row, as "c,r".
    std::vector<std::string> selected()
    {
        std::vector<std::string> out;
        for (int r = 0; r < 6; ++r) {
            for (int c = 0; c < 6; ++c) {
                if (list().IsSelected(c, r)) {
                    out.push_back(std::to_string(c) + "," + std::to_string(r));
                }
            }
        }
        return out;
    }

    FakeGridSystem m_system;
    ScopedGridSystem m_scope;
    CGridSheetState m_sheet;
    CGridRedrawList m_redraw;
};

using Cells = std::vector<std::string>;

TEST_F(GridSelectListTest, ClickSelectsOneCellAndCountsOne)
{
    list().OnMouseSelect(1, 1, 0);
    EXPECT_EQ(selected(), Cells{"1,1"});
    EXPECT_EQ(list().GetSelectCount(), 1);
    list().OnDragSelect(1, 1); // still over the same cell
    EXPECT_EQ(list().GetSelectCount(), 1);
    list().OnDragSelect(2, 2);
    EXPECT_EQ(list().GetSelectCount(), 2);
    list().OnDragSelect(3, 2);
    EXPECT_EQ(list().GetSelectCount(), 2);
    EXPECT_EQ(selected(), (Cells{"1,1", "2,1", "3,1", "1,2", "2,2", "3,2"}));
}

TEST_F(GridSelectListTest, DragBackToTheAnchorShrinksTheBlock)
{
    list().OnMouseSelect(1, 1, 0);
    list().OnDragSelect(2, 2);
    list().OnDragSelect(1, 1);
    EXPECT_EQ(selected(), Cells{"1,1"});
    // A click where the drag ended is a new click.
    list().OnDragSelect(2, 1);
    list().OnMouseSelect(2, 1, 0);
    EXPECT_EQ(selected(), Cells{"2,1"});
    EXPECT_EQ(list().GetSelectCount(), 1);
}

TEST_F(GridSelectListTest, CtrlClickAddsABlockOnceAndToggleDeselects)
{
    list().OnMouseSelect(0, 0, 0);
    list().OnMouseSelect(2, 3, kMouseKeyControl);
    EXPECT_EQ(selected(), (Cells{"0,0", "2,3"}));
    EXPECT_EQ(list().blockCount(), 2);
    const int count = list().GetSelectCount();
    list().OnMouseSelect(2, 3, kMouseKeyControl); // the recorded cell: nothing changes
    EXPECT_EQ(list().blockCount(), 2);
    EXPECT_EQ(list().GetSelectCount(), count);
    list().ToggleCell(2, 3);
    EXPECT_EQ(selected(), Cells{"0,0"});
    list().ToggleCell(2, 3);
    EXPECT_EQ(selected(), (Cells{"0,0", "2,3"}));
    // Toggling a cell inside a bigger block adds a deselecting one-cell block.
    list().OnMouseSelect(4, 4, kMouseKeyControl);
    list().OnDragSelect(5, 5);
    list().ToggleCell(5, 4);
    EXPECT_EQ(selected(), (Cells{"0,0", "2,3", "4,4", "4,5", "5,5"}));
}

TEST_F(GridSelectListTest, ShiftClickSelectsTheRectangle)
{
    list().OnMouseSelect(3, 1, 0);
    list().OnMouseSelect(1, 2, kMouseKeyShift);
    EXPECT_EQ(selected(), (Cells{"1,1", "2,1", "3,1", "1,2", "2,2", "3,2"}));
    int left, top, right, bottom;
    ASSERT_EQ(list().GetCurrentBlock(left, top, right, bottom), 0);
    EXPECT_EQ((std::vector<int>{left, top, right, bottom}), (std::vector<int>{1, 1, 3, 2}));
    int col, row;
    ASSERT_EQ(list().GetStartCell(col, row), 0);
    EXPECT_EQ(std::make_pair(col, row), std::make_pair(3, 1));
    // A plain click starts over.
    list().OnMouseSelect(5, 5, 0);
    EXPECT_EQ(selected(), Cells{"5,5"});
}

TEST_F(GridSelectListTest, ShiftClickWithoutSelectionSelectsTheCell)
{
    list().OnMouseSelect(2, 2, kMouseKeyShift);
    EXPECT_EQ(selected(), Cells{"2,2"});
}

TEST_F(GridSelectListTest, RightClickKeepsASelectedCell)
{
    list().OnMouseSelect(0, 0, 0);
    list().OnDragSelect(1, 1);
    EXPECT_EQ(list().OnRightClickSelect(1, 0), 1);
    EXPECT_EQ(selected().size(), 4u);
    EXPECT_EQ(list().OnRightClickSelect(4, 4), 0);
    EXPECT_EQ(selected(), Cells{"4,4"});
}

TEST_F(GridSelectListTest, KeyMovesFollowShiftAndCtrl)
{
    struct Step
    {
        int col;
        int row;
        int key; // 0: none
        Cells cells;
    };
    const Step steps[] = {
        {1, 1, 0, {"1,1"}},
        {2, 1, kVirtualKeyShift, {"1,1", "2,1"}},
        {2, 2, kVirtualKeyShift, {"1,1", "2,1", "1,2", "2,2"}},
        {1, 1, kVirtualKeyShift, {"1,1"}},
        // Ctrl only makes a key move go further: the selection starts over.
        {4, 4, kVirtualKeyControl, {"4,4"}},
        {5, 4, kVirtualKeyShift, {"4,4", "5,4"}},
        {0, 0, 0, {"0,0"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.col) + "," + std::to_string(s.row));
        m_system.m_keys.clear();
        if (s.key) {
            m_system.m_keys.insert(s.key);
        }
        list().OnKeyMove(s.col, s.row);
        EXPECT_EQ(selected(), s.cells);
    }
}

TEST_F(GridSelectListTest, EndBlockQueuesTheChangedStrips)
{
    list().OnMouseSelect(1, 1, 0);
    m_redraw.Clear();
    list().OnDragSelect(3, 2);
    for (int r = 1; r <= 2; ++r) {
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(m_redraw.Contains(c, r), 1) << c << "," << r;
        }
    }
    EXPECT_EQ(m_redraw.Contains(0, 0), 0);
    EXPECT_EQ(m_redraw.Contains(4, 3), 0);
    m_redraw.Clear();
    list().OnDragSelect(2, 1); // shrinking repaints the cells that left the block
    EXPECT_EQ(m_redraw.Contains(3, 2), 1);
    EXPECT_EQ(m_redraw.Contains(3, 1), 1);
    EXPECT_EQ(m_redraw.Contains(1, 2), 1);
    // A plain click repaints the old selection.
    m_redraw.Clear();
    list().OnMouseSelect(5, 5, 0);
    EXPECT_EQ(m_redraw.Contains(1, 1), 1);
    EXPECT_EQ(m_redraw.Contains(2, 1), 1);
    EXPECT_EQ(list().EndBlock(0, 0), 0);
    list().ClearAll();
    EXPECT_EQ(list().EndBlock(0, 0), 1);
}

TEST_F(GridSelectListTest, EnumeratesSelectedCellsRowByRow)
{
    int col = 0;
    int row = 0;
    m_sheet.m_currentCol = 4;
    m_sheet.m_currentRow = 2;
    ASSERT_EQ(list().EnumFirstSelected(col, row), 0);
    EXPECT_EQ(std::make_pair(col, row), std::make_pair(4, 2));
    EXPECT_EQ(list().EnumNextSelected(col, row), 1);

    list().OnMouseSelect(3, 0, 0);
    list().OnDragSelect(4, 1);
    list().OnMouseSelect(0, 1, kMouseKeyControl);
    list().ToggleCell(4, 1);
    Cells seen;
    for (int result = list().EnumFirstSelected(col, row); result == 0;
         result = list().EnumNextSelected(col, row)) {
        seen.push_back(std::to_string(col) + "," + std::to_string(row));
    }
    EXPECT_EQ(seen, (Cells{"3,0", "4,0", "0,1", "3,1"}));
    EXPECT_EQ(list().EnumNextSelected(col, row), 1);

    Cells blocks;
    int left, top, right, bottom;
    for (int result = list().EnumFirstBlock(left, top, right, bottom); result == 0;
         result = list().EnumNextBlock(left, top, right, bottom)) {
        blocks.push_back(std::to_string(left) + std::to_string(top) + std::to_string(right) +
                         std::to_string(bottom));
    }
    EXPECT_EQ(blocks, (Cells{"3041", "0101", "4141"}));
}

TEST_F(GridSelectListTest, WholeRowModeSpansTheColumns)
{
    list().SetSelectMode(CGridSelectList::kModeMulti | CGridSelectList::kModeWholeRow);
    EXPECT_EQ(list().GetSelectMode(), 3);
    list().OnMouseSelect(2, 1, 0);
    list().OnDragSelect(3, 2);
    int left, top, right, bottom;
    ASSERT_EQ(list().GetTotalRange(left, top, right, bottom), 0);
    EXPECT_EQ((std::vector<int>{left, top, right, bottom}), (std::vector<int>{0, 1, 6, 2}));
    EXPECT_EQ(list().IsColSelected(5), 1);
    EXPECT_EQ(list().IsRowSelected(2), 1);
    EXPECT_EQ(list().IsRowSelected(3), 0);
    int col, row;
    Cells seen;
    for (int result = list().EnumFirstSelected(col, row); result == 0;
         result = list().EnumNextSelected(col, row)) {
        seen.push_back(std::to_string(col) + "," + std::to_string(row));
    }
    EXPECT_EQ(seen, (Cells{"0,1", "0,2"}));
    list().SetSelectMode(0);
    EXPECT_EQ(list().blockCount(), 0);
    EXPECT_EQ(list().GetTotalRange(left, top, right, bottom), 1);
    EXPECT_EQ(list().GetStartCell(col, row), 1);
}

TEST(GridRedrawList, RangesCellsAndBounds)
{
    CGridRedrawList list;
    int l = 9, t = 9, r = 9, b = 9;
    EXPECT_EQ(list.GetBounds(l, t, r, b), 0);
    EXPECT_EQ(l + t + r + b, 0);
    EXPECT_EQ(list.Contains(0, 0), 0);
    list.Add(2, 2, 3, 3);
    list.AddCell(7, 0);
    EXPECT_EQ(list.GetBounds(l, t, r, b), 1);
    EXPECT_EQ((std::vector<int>{l, t, r, b}), (std::vector<int>{2, 0, 7, 3}));
    struct Probe
    {
        int col;
        int row;
        int inside;
    };
    const Probe probes[] = {{2, 2, 1}, {3, 3, 1}, {7, 0, 1}, {5, 1, 0}, {4, 3, 0}, {1, 2, 0}};
    for (const Probe& p : probes) {
        EXPECT_EQ(list.Contains(p.col, p.row), p.inside) << p.col << "," << p.row;
    }
    list.Extend(0, 5, 1, 6); // widens the first range and the bounds
    EXPECT_EQ(list.rangeCount(), 2);
    EXPECT_EQ(list.Contains(0, 6), 1);
    EXPECT_EQ(list.Contains(1, 4), 1);
    EXPECT_EQ(list.ContainsCell(4, 4), 0);
    list.AppendCell(4, 4);
    EXPECT_EQ(list.ContainsCell(4, 4), 1);
    list.Clear();
    EXPECT_EQ(list.Contains(2, 2), 0);
    EXPECT_EQ(list.ContainsCell(4, 4), 0);
    list.ExtendCell(1, 1);
    EXPECT_EQ(list.Contains(1, 1), 1);
}

TEST(GridObjectTable, EntriesAreIndexedReusedAndGrown)
{
    CGridObjectTable table;
    std::vector<GridObject*> objects;
    for (int i = 0; i < 11; ++i) {
        auto object = std::make_unique<GridObject>();
        objects.push_back(object.get());
        EXPECT_EQ(table.Add(std::move(object), 1), i);
    }
    EXPECT_EQ(table.GetCapacity(), 20);
    EXPECT_EQ(table.GetCount(), 11);
    EXPECT_EQ(table.Find(objects[4]), 4);
    EXPECT_EQ(table.GetObject(4), objects[4]);
    EXPECT_EQ(table.Add(nullptr, 1), -1);

    std::unique_ptr<GridObject> removed = table.Remove(4);
    EXPECT_EQ(removed.get(), objects[4]); // handed back, not deleted
    EXPECT_EQ(table.Remove(4), nullptr);
    EXPECT_EQ(table.GetObject(4), nullptr);
    EXPECT_EQ(table.Find(objects[4]), -1);
    EXPECT_EQ(table.GetCount(), 10);
    const CGridObjectTable::Words words{1, 2, 3, 4};
    EXPECT_EQ(table.Add(std::move(removed), 2, &words), 4); // the free entry is reused
    ASSERT_NE(table.getWords(4), nullptr);
    EXPECT_EQ((*table.getWords(4))[3], 4);
    EXPECT_EQ((*table.getWords(0))[0], 0);

    struct CountCase
    {
        int index;
        int setResult;
        int count;
    };
    const CountCase cases[] = {{4, 0, 5}, {-1, 1, 0}, {20, 1, 0}, {15, 2, 0}};
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(table.SetCount(c.index, 5), c.setResult);
        EXPECT_EQ(table.GetCount(c.index), c.count);
    }
    table.RemoveAll();
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_EQ(table.GetCapacity(), 0);
    EXPECT_EQ(table.GetObject(0), nullptr);
}

} // namespace
} // namespace gridctrl::model
