#include "gridctrl/model/GridControl.h"

#include "gridctrl/model/GridBitmap.h"
#include "gridctrl/model/GridSortEvaluate.h"
#include "gridctrl/model/HarluneGridCtrl.h"
#include "tests/gridctrl/model/FakeGridSystem.h"
#include "tests/gridctrl/model/GridControlFakes.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

using test::FakeClipboard;
using test::FakeEditor;
using test::FakeFindDialog;
using test::FakeGridSystem;
using test::FakeMenu;
using test::FakeWindows;
using test::RecordingControl;
using test::RecordingHarluneControl;
using test::RecordingSource;

// A control of 10 x 10 cells in a 400 x 300 client (75-pixel columns, 20-pixel rows).
class GridControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_windows.m_width = 400;
        m_windows.m_height = 300;
        for (auto* control : {static_cast<CGridControl*>(&m_grid)}) {
            control->setWindows(&m_windows);
            control->setEditors(&m_edit, &m_masked);
            control->setClipboard(&m_clipboard);
            control->setFindDialog(&m_find);
            control->setPopupMenu(&m_menu);
            control->CreateGrid();
            control->SetNumberCols(10);
            control->SetNumberRows(10);
        }
        m_grid.m_log.clear();
    }

    FakeGridSystem m_system;
    ScopedGridSystem m_scope{m_system};
    FakeWindows m_windows;
    FakeEditor m_edit;
    FakeEditor m_masked;
    FakeClipboard m_clipboard;
    FakeFindDialog m_find;
    FakeMenu m_menu;
    RecordingControl m_grid;
};

TEST_F(GridControlTest, SheetCounts)
{
    struct Case
    {
        int count;
        int result;
        int sheets;
    } cases[] = {{0, 1, 1}, {1025, 1, 1}, {1024, 0, 1024}, {3, 0, 3}, {1, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(m_grid.SetNumberSheets(c.count), c.result);
        EXPECT_EQ(m_grid.GetNumberSheets(), c.sheets);
    }
}

TEST_F(GridControlTest, ShrinkingSheetsMovesToTheLastAndCallsSetupForNewOnes)
{
    ASSERT_EQ(m_grid.SetNumberSheets(4), 0);
    EXPECT_EQ(m_grid.m_log,
              (std::vector<std::string>{"sheetsetup 1", "sheetsetup 2", "sheetsetup 3"}));
    EXPECT_EQ(m_grid.GetCurrentSheet(), 0);
    ASSERT_EQ(m_grid.SelectSheet(3), 0);
    ASSERT_EQ(m_grid.SetNumberSheets(2), 0);
    EXPECT_EQ(m_grid.GetCurrentSheet(), 1);
    EXPECT_EQ(m_grid.SelectSheet(2), 1);
}

TEST_F(GridControlTest, RowCountsAndUniformHeights)
{
    ASSERT_EQ(m_grid.SetRowHeight(3, 35), 0);
    ASSERT_EQ(m_grid.SetNumberRows(64001), 0);
    EXPECT_EQ(m_grid.currentSheet()->m_uniformRowHeight, 1);
    EXPECT_EQ(m_grid.GetRowHeight(3), 20);
    ASSERT_EQ(m_grid.SetUniformRowHeight(0), 0);
    EXPECT_EQ(m_grid.currentSheet()->m_rowHeights.size(), 64001u);
    EXPECT_EQ(m_grid.GetRowHeight(64000), 20);
    EXPECT_EQ(m_grid.SetNumberRows(-1), 1);
}

TEST_F(GridControlTest, ShrinkingRowsMovesTheCurrentRow)
{
    ASSERT_EQ(m_grid.GotoCell(2, 9), 0);
    ASSERT_EQ(m_grid.SetNumberRows(5), 0);
    EXPECT_EQ(m_grid.GetCurrentRow(), 4);
}

TEST_F(GridControlTest, HeadingRescale)
{
    struct Case
    {
        std::vector<int> heights;
        int total;
        std::vector<int> expected;
    } cases[] = {
        {{10, 30}, 40, {10, 30}},
        {{10, 20}, 40, {13, 27}},
        {{0, 0}, 40, {20, 20}}, // sizes of 0 share the total evenly
        {{0, 0, 0}, 10, {4, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        ASSERT_EQ(m_grid.SetTopHeadingRows(static_cast<int>(c.heights.size())), 0);
        for (std::size_t i = 0; i < c.heights.size(); ++i) {
            ASSERT_EQ(m_grid.SetTopHeadingRowHeight(-1 - static_cast<int>(i), c.heights[i]), 0);
        }
        ASSERT_EQ(m_grid.SetTopHeadingHeight(c.total), 0);
        EXPECT_EQ(m_grid.currentSheet()->m_topHeadingRowHeights, c.expected);
        ASSERT_EQ(m_grid.SetSideHeadingCols(static_cast<int>(c.heights.size())), 0);
        for (std::size_t i = 0; i < c.heights.size(); ++i) {
            ASSERT_EQ(m_grid.SetSideHeadingColWidth(-1 - static_cast<int>(i), c.heights[i]), 0);
        }
        ASSERT_EQ(m_grid.SetSideHeadingWidth(c.total), 0);
        EXPECT_EQ(m_grid.currentSheet()->m_sideHeadingColWidths, c.expected);
    }
    EXPECT_EQ(m_grid.SetTopHeadingHeight(1025), 1);
    EXPECT_EQ(m_grid.SetTopHeadingRows(65), 1);
    EXPECT_EQ(m_grid.SetTopHeadingRowHeight(-9, 10), 1);
    EXPECT_EQ(m_grid.SetTopHeadingRowHeight(-1, 1025), 2);
}

TEST_F(GridControlTest, ColumnWidthsAndFitting)
{
    EXPECT_EQ(m_grid.SetColWidth(2, -5), 1);
    EXPECT_EQ(m_grid.GetColWidth(2), 75);
    EXPECT_EQ(m_grid.SetDefaultColWidth(-1), 1);
    // All widths 0: the area is shared evenly instead of dividing by 0.
    for (int col = 0; col < 3; ++col) {
        m_grid.SetColWidth(col, 0);
    }
    const int client = m_grid.currentSheet()->m_cellAreaWidth;
    ASSERT_GT(client, 0);
    ASSERT_EQ(m_grid.FitColumnsToWidth(0, 2), 0);
    EXPECT_EQ(m_grid.GetColWidth(0), client / 3);
    EXPECT_EQ(m_grid.GetColWidth(0) + m_grid.GetColWidth(1) + m_grid.GetColWidth(2), client);
    EXPECT_EQ(m_grid.FitColumnsToWidth(-1, 2), 1);
    EXPECT_EQ(m_grid.FitColumnsToWidth(3, 2), 1);
    EXPECT_EQ(m_grid.FitColumnsToWidth(0, 10), 1);
}

TEST_F(GridControlTest, AutoFitColumnsCodesAndMeasure)
{
    EXPECT_EQ(m_grid.AutoFitColumns(3, 1, 20, 1), 3);
    EXPECT_EQ(m_grid.AutoFitColumns(0, 10, 20, 1), 2);
    EXPECT_EQ(m_grid.AutoFitColumns(-2, 1, 20, 1), 1);
    m_grid.QuickSetText(1, 0, std::string(20, 'x'));
    m_grid.QuickSetText(1, 5, std::string(3, 'x'));
    ASSERT_EQ(m_grid.AutoFitColumns(0, 1, 20, 0), 0);
    EXPECT_EQ(m_grid.GetColWidth(0), 5);          // the starting best width 3, plus 2
    EXPECT_EQ(m_grid.GetColWidth(1), 20 * 7 + 2); // measured by the windows' text width
}

TEST_F(GridControlTest, FontsAreCountedByTheirFields)
{
    const int first = m_grid.AddFont("Arial", 14, 400);
    EXPECT_EQ(m_grid.AddFont("Arial", 14, 400), first);
    EXPECT_NE(m_grid.AddFont("Arial", 14, 700), first);
    EXPECT_EQ(m_grid.fontUseCount(first), 2);
    ASSERT_EQ(m_grid.RemoveFont(first), 0);
    EXPECT_NE(m_grid.GetFont(first), nullptr);
    ASSERT_EQ(m_grid.RemoveFont(first), 0);
    EXPECT_EQ(m_grid.GetFont(first), nullptr);
    EXPECT_EQ(m_grid.RemoveFont(first), 1);
    // A face name of 32 characters is not used.
    const int longFace = m_grid.AddFont(std::string(32, 'F'), 10, 400);
    EXPECT_EQ(dynamic_cast<GridFont*>(m_grid.GetFont(longFace))->spec().faceName, "");
}

TEST_F(GridControlTest, MenuItemsSeparatorsAndCommands)
{
    m_grid.AppendMenuItem(1000, "Copy");
    m_grid.AppendMenuItem(1001, "");
    m_grid.AppendMenuItem(0xFFFFFFFFu, "Ignored");
    ASSERT_EQ(m_grid.menuItems().size(), 3u);
    EXPECT_FALSE(m_grid.menuItems()[0].separator);
    EXPECT_TRUE(m_grid.menuItems()[1].separator);
    EXPECT_TRUE(m_grid.menuItems()[2].separator);

    EXPECT_EQ(m_grid.ShowPopupMenu(2, 3, {5, 5}, kSectionCellArea), 1); // menu off
    m_grid.EnablePopupMenu(1);
    m_grid.m_allowMenu = 0;
    EXPECT_EQ(m_grid.ShowPopupMenu(2, 3, {5, 5}, kSectionCellArea), 2);
    m_grid.m_allowMenu = 1;
    m_menu.m_answer = 1000u;
    EXPECT_EQ(m_grid.ShowPopupMenu(2, 3, {5, 5}, kSectionTopHeading), 0);
    EXPECT_EQ(m_grid.m_log.back(), "menu 2,3 s2 id1000");
    m_menu.m_answer = std::nullopt;
    EXPECT_EQ(m_grid.ShowPopupMenu(2, 3, {5, 5}, kSectionCellArea), 3);
    EXPECT_EQ(m_grid.RemoveMenuItem(1000), 0);
    EXPECT_EQ(m_grid.RemoveMenuItem(1000), 1);
}

TEST_F(GridControlTest, TabsByIdAfterADeletion)
{
    m_grid.AddTab("Sheet A", 10);
    m_grid.AddTab("Sheet B", 20);
    m_grid.AddTab("Sheet C", 30);
    ASSERT_EQ(m_grid.DeleteTab(10), 0);
    ASSERT_EQ(m_grid.SetTabLabel(30, "Renamed"), 0);
    EXPECT_EQ(m_grid.GetTabLabel(30), "Renamed");
    EXPECT_EQ(m_grid.GetTabLabel(20), "Sheet B");
    EXPECT_EQ(m_grid.GetTabLabel(10), "");
    EXPECT_EQ(m_grid.SetTabLabel(10, "x"), 1);
    m_grid.m_log.clear();
    EXPECT_EQ(m_grid.SetCurrentTab(99), 1);
    EXPECT_TRUE(m_grid.m_log.empty());
    EXPECT_EQ(m_grid.SetCurrentTab(30), 0);
    EXPECT_EQ(m_grid.m_log, std::vector<std::string>{"tab 30"});
    EXPECT_EQ(m_grid.GetCurrentTab(), 1); // its position
}

// Columns 0 to 3 of a 4-column grid hold "c0" .. "c3" in row 0 and a width of 10 + column.
class ColumnRecordTest : public GridControlTest
{
protected:
    void SetUp() override
    {
        GridControlTest::SetUp();
        m_grid.SetNumberCols(4);
        for (int col = 0; col < 4; ++col) {
            m_grid.SetColWidth(col, 10 + col);
            m_grid.QuickSetText(col, 0, "c" + std::to_string(col));
            CGridCellInfo def;
            def.SetTextColor(static_cast<COLORREF>(100 + col));
            m_grid.SetColumnDefaultCell(col, &def);
        }
    }

    std::vector<std::string> texts()
    {
        std::vector<std::string> out;
        for (int col = 0; col < m_grid.GetNumberCols(); ++col) {
            out.push_back(m_grid.QuickGetText(col, 0));
        }
        return out;
    }
    std::vector<int> widths()
    {
        std::vector<int> out;
        for (int col = 0; col < m_grid.GetNumberCols(); ++col) {
            out.push_back(m_grid.GetColWidth(col));
        }
        return out;
    }
    std::vector<COLORREF> defaults()
    {
        std::vector<COLORREF> out;
        for (int col = 0; col < m_grid.GetNumberCols(); ++col) {
            CGridCellInfo def;
            m_grid.GetColumnDefaultCell(col, &def);
            out.push_back(def.HasProperty(CGridCellInfo::kPropTextColor) ? def.GetTextColor() : 0);
        }
        return out;
    }
};

TEST_F(ColumnRecordTest, MoveColPosition)
{
    struct Case
    {
        int from;
        int to;
        int before;
        int result;
        std::vector<std::string> texts;
    } cases[] = {
        {0, 2, 0, 0, {"c1", "c2", "c0", "c3"}}, {3, 0, 1, 0, {"c3", "c0", "c1", "c2"}},
        {1, 1, 1, 0, {"c0", "c1", "c2", "c3"}}, {1, 0, 0, 0, {"c0", "c1", "c2", "c3"}},
        {4, 0, 1, 1, {"c0", "c1", "c2", "c3"}}, {0, 4, 1, 0, {"c1", "c2", "c3", "c0"}},
        {0, 4, 0, 1, {"c0", "c1", "c2", "c3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " " + std::to_string(c.to));
        SetUp();
        EXPECT_EQ(m_grid.MoveColPosition(c.from, c.to, c.before), c.result);
        EXPECT_EQ(texts(), c.texts);
        // Widths and default cells travel with the data.
        for (int col = 0; col < 4; ++col) {
            const int origin = c.texts[static_cast<std::size_t>(col)][1] - '0';
            EXPECT_EQ(widths()[static_cast<std::size_t>(col)], 10 + origin);
            EXPECT_EQ(defaults()[static_cast<std::size_t>(col)],
                      static_cast<COLORREF>(100 + origin));
        }
    }
}

TEST_F(ColumnRecordTest, DataWrittenAfterAMoveIsReadUnderTheMovedColumn)
{
    ASSERT_EQ(m_grid.MoveColPosition(0, 3, 1), 0); // c1 c2 c0 c3
    m_grid.QuickSetText(2, 5, "moved");
    ASSERT_EQ(m_grid.MoveColPosition(2, 0, 1), 0); // c0 c1 c2 c3
    EXPECT_EQ(m_grid.QuickGetText(0, 5), "moved");
    EXPECT_EQ(m_grid.QuickGetText(0, 0), "c0");
}

TEST_F(ColumnRecordTest, InsertAndDeleteColumns)
{
    struct Case
    {
        const char* name;
        bool insert;
        int col;
        int result;
        std::vector<std::string> texts;
        std::vector<int> widths;
    } cases[] = {
        {"insert at 1", true, 1, 0, {"c0", "", "c1", "c2", "c3"}, {10, 75, 11, 12, 13}},
        {"insert at end", true, 4, 0, {"c0", "c1", "c2", "c3", ""}, {10, 11, 12, 13, 75}},
        {"insert past end", true, 5, 1, {"c0", "c1", "c2", "c3"}, {10, 11, 12, 13}},
        {"insert negative", true, -1, 1, {"c0", "c1", "c2", "c3"}, {10, 11, 12, 13}},
        {"delete 1", false, 1, 0, {"c0", "c2", "c3"}, {10, 12, 13}},
        {"delete last", false, 3, 0, {"c0", "c1", "c2"}, {10, 11, 12}},
        {"delete past end", false, 4, 1, {"c0", "c1", "c2", "c3"}, {10, 11, 12, 13}},
        {"delete huge", false, 1 << 30, 1, {"c0", "c1", "c2", "c3"}, {10, 11, 12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        EXPECT_EQ(c.insert ? m_grid.InsertCol(c.col) : m_grid.DeleteCol(c.col), c.result);
        EXPECT_EQ(texts(), c.texts);
        EXPECT_EQ(widths(), c.widths);
    }
}

TEST_F(ColumnRecordTest, InsertAfterAMoveKeepsTheMovedData)
{
    ASSERT_EQ(m_grid.MoveColPosition(3, 0, 1), 0); // c3 c0 c1 c2
    ASSERT_EQ(m_grid.InsertCol(2), 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"c3", "c0", "", "c1", "c2"}));
    m_grid.QuickSetText(2, 1, "new");
    EXPECT_EQ(m_grid.QuickGetText(2, 1), "new");
    EXPECT_EQ(m_grid.QuickGetText(3, 1), "");
}

TEST_F(GridControlTest, NotificationSequence)
{
    RecordingSource source;
    const int index = m_grid.AddDataSource(&source);
    ASSERT_EQ(index, 1);
    ASSERT_EQ(m_grid.SetDefDataSource(index), 0);
    ASSERT_EQ(m_grid.GotoCell(0, 0), 0);
    source.m_log.clear();
    m_grid.m_log.clear();
    ASSERT_EQ(m_grid.GotoCell(1, 2), 0);
    std::vector<std::string> both = source.m_log;
    EXPECT_EQ(source.m_log, (std::vector<std::string>{"src.col 0>1", "src.row 0>2"}));
    EXPECT_EQ(m_grid.m_log, (std::vector<std::string>{"col 0>1", "row 0>2", "cell"}));
    // A move past the bottom scrolls: the top row changes after the cell.
    m_grid.m_log.clear();
    ASSERT_EQ(m_grid.GotoCell(1, 9), 0);
    ASSERT_EQ(m_grid.m_log.size(), 3u);
    EXPECT_EQ(m_grid.m_log[0], "row 2>9");
    EXPECT_EQ(m_grid.m_log[1], "cell");
    EXPECT_EQ(m_grid.m_log[2].substr(0, 6), "top 0>");
    m_grid.RemoveDataSource(index);
}

TEST_F(GridControlTest, RefusedMovesChangeNothing)
{
    RecordingSource source;
    m_grid.SetDefDataSource(m_grid.AddDataSource(&source));
    ASSERT_EQ(m_grid.GotoCell(0, 0), 0);
    source.m_allowMove = 0;
    EXPECT_EQ(m_grid.GotoCell(1, 1), 2);
    source.m_allowMove = 1;
    m_grid.m_allowMove = 0;
    EXPECT_EQ(m_grid.MoveCurrentRow(1), 2);
    m_grid.m_allowMove = 1;
    m_grid.m_allowView = 0;
    EXPECT_EQ(m_grid.GotoCell(9, 9), 2); // would scroll
    EXPECT_EQ(m_grid.GotoCell(1, 1), 0); // visible: no view hook asked
    m_grid.m_allowView = 1;
    EXPECT_EQ(m_grid.GetCurrentCol(), 1);
    EXPECT_EQ(m_grid.GetTopRow(), 0);
    EXPECT_EQ(m_grid.GotoCell(10, 0), 1);
    m_grid.RemoveDataSource(1);
}

TEST_F(GridControlTest, LastRowAsksForRows)
{
    RecordingSource source;
    m_grid.SetDefDataSource(m_grid.AddDataSource(&source));
    ASSERT_EQ(m_grid.GotoCell(0, 9), 0);
    m_grid.m_log.clear();
    EXPECT_EQ(m_grid.MoveCurrentRow(1), 1);
    EXPECT_EQ(source.m_log.back(), "src.exhausted 10 1");
    EXPECT_EQ(m_grid.m_log.front(), "exhausted 10 1 0");
    EXPECT_EQ(m_grid.GetCurrentRow(), 9);
    source.m_supply = 5;
    EXPECT_EQ(m_grid.MoveCurrentRow(1), 0);
    EXPECT_EQ(m_grid.GetNumberRows(), 15);
    EXPECT_EQ(m_grid.GetCurrentRow(), 10);
    // Far past the end the row becomes the last one.
    source.m_supply = 0;
    EXPECT_EQ(m_grid.MoveCurrentRowBy(1000), 0);
    EXPECT_EQ(m_grid.GetCurrentRow(), 14);
    m_grid.RemoveDataSource(1);
}

TEST_F(GridControlTest, WritesOutsideTheSheetAreRefused)
{
    CGridCellInfo cell;
    cell.SetText("x");
    EXPECT_EQ(m_grid.SetCell(0, 2147483647L, &cell), 1);
    EXPECT_EQ(m_grid.SetCell(0, 10, &cell), 1);
    EXPECT_EQ(m_grid.SetCell(10, 0, &cell), 1);
    EXPECT_EQ(m_grid.SetCell(-2, 0, &cell), 1);
    EXPECT_EQ(m_grid.SetCell(-1, -1, &cell), 0);
    EXPECT_EQ(m_grid.currentSheet()->m_ownDataSource->GetLastRow(), 0);
    EXPECT_EQ(m_grid.QuickSetText(0, 2147483647L, "x"), 0);
    EXPECT_EQ(m_grid.currentSheet()->m_ownDataSource->GetLastRow(), 0);
}

TEST_F(GridControlTest, MovesPastJoinedBlocks)
{
    m_grid.EnableJoins(1);
    ASSERT_EQ(m_grid.JoinCellBlock(1, 2, 2, 4), 0);
    ASSERT_EQ(m_grid.GotoCell(1, 1), 0);
    EXPECT_EQ(m_grid.MoveCurrentRow(1), 0); // onto the block: its origin
    EXPECT_EQ(m_grid.GetCurrentRow(), 2);
    EXPECT_EQ(m_grid.MoveCurrentRow(1), 0); // out of it below
    EXPECT_EQ(m_grid.GetCurrentRow(), 5);
    EXPECT_EQ(m_grid.GotoCell(2, 3), 0); // inside: the origin
    EXPECT_EQ(m_grid.GetCurrentCol(), 1);
    EXPECT_EQ(m_grid.GetCurrentRow(), 2);
    EXPECT_EQ(m_grid.MoveCurrentRow(0), 0); // up out of it
    EXPECT_EQ(m_grid.GetCurrentRow(), 1);
    EXPECT_EQ(m_grid.GotoCell(1, 2), 0);
    EXPECT_EQ(m_grid.MoveCurrentCol(1), 0); // right out of it
    EXPECT_EQ(m_grid.GetCurrentCol(), 3);
    EXPECT_EQ(m_grid.JoinCellBlock(2, 2, 1, 4), 1);
    EXPECT_EQ(m_grid.JoinCellBlock(1, 2, 2, 10), 1);
}

TEST_F(GridControlTest, EditRefusalsAndReadOnly)
{
    RecordingSource source;
    m_grid.SetDefDataSource(m_grid.AddDataSource(&source));
    m_grid.QuickSetText(1, 1, "abc");
    source.m_allowEditStart = 0;
    EXPECT_EQ(m_grid.StartEditAt(1, 1), 1);
    EXPECT_FALSE(m_grid.isEditing());
    source.m_allowEditStart = 1;
    m_grid.m_allowEditStart = 0;
    EXPECT_EQ(m_grid.StartEditAt(1, 1), 1);
    EXPECT_FALSE(m_edit.m_visible);
    m_grid.m_allowEditStart = 1;
    m_grid.m_allowMove = 0;
    EXPECT_EQ(m_grid.StartEditAt(2, 2), 2);
    m_grid.m_allowMove = 1;
    CGridCellInfo cell;
    m_grid.GetCell(3, 3, &cell);
    cell.SetReadOnly(1);
    m_grid.SetCell(3, 3, &cell);
    EXPECT_EQ(m_grid.StartEditAt(3, 3), 1);
    m_grid.currentSheet(); // keep
    EXPECT_FALSE(m_grid.isEditing());
    m_grid.RemoveDataSource(1);
}

TEST_F(GridControlTest, EditFlow)
{
    m_grid.QuickSetText(1, 1, "abc");
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 'x'), 0);
    EXPECT_TRUE(m_edit.m_visible);
    EXPECT_EQ(m_edit.m_text, "abc");
    EXPECT_EQ(m_edit.m_typed, std::vector<unsigned>{'x'});
    EXPECT_EQ(m_edit.m_rect.right - m_edit.m_rect.left, 74);
    // A refused end keeps the editor open.
    m_grid.m_allowEditEnd = 0;
    EXPECT_EQ(m_grid.EndEdit("new", 0, 0, 0, 0), 1);
    EXPECT_TRUE(m_edit.m_visible);
    EXPECT_EQ(m_grid.QuickGetText(1, 1), "abc");
    m_grid.m_allowEditEnd = 1;
    EXPECT_EQ(m_grid.EndEdit("new", 0, 0, 0, 0), 0);
    EXPECT_FALSE(m_edit.m_visible);
    EXPECT_EQ(m_grid.QuickGetText(1, 1), "new");
    // Cancelling leaves the text.
    ASSERT_EQ(m_grid.StartEdit(), 0);
    EXPECT_EQ(m_grid.EndEdit("zzz", 1, 0, 0, 0), 0);
    EXPECT_EQ(m_grid.QuickGetText(1, 1), "new");
    // A masked cell gets the masked editor.
    CGridCellInfo cell;
    m_grid.GetCell(2, 2, &cell);
    cell.SetMask("###");
    m_grid.SetCell(2, 2, &cell);
    ASSERT_EQ(m_grid.StartEditAt(2, 2), 0);
    EXPECT_TRUE(m_masked.m_visible);
    EXPECT_EQ(m_masked.m_mask, "###");
    m_grid.CancelEdit();
    EXPECT_FALSE(m_masked.m_visible);
}

TEST_F(GridControlTest, EditMoveOnWraps)
{
    ASSERT_EQ(m_grid.StartEditAt(9, 3), 0);
    EXPECT_EQ(m_grid.EndEdit("last", 0, 1, 10, 3), 1);
    EXPECT_TRUE(m_grid.isEditing());
    EXPECT_EQ(m_grid.GetCurrentCol(), 0);
    EXPECT_EQ(m_grid.GetCurrentRow(), 3);
    EXPECT_EQ(m_grid.QuickGetText(9, 3), "last");
    EXPECT_EQ(m_grid.EndEdit("first", 0, 1, -1, 3), 1);
    EXPECT_EQ(m_grid.GetCurrentCol(), 9);
    m_grid.m_allowEditNext = 0;
    EXPECT_EQ(m_grid.EndEdit("x", 0, 1, 0, 4), 0);
    EXPECT_FALSE(m_grid.isEditing());
}

TEST(HarluneGridCtrl, EditStartKeepsTheCellsFormatting)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    FakeEditor edit;
    FakeEditor masked;
    RecordingHarluneControl grid;
    grid.setEditors(&edit, &masked);
    grid.CreateGrid();
    grid.SetNumberCols(3);
    grid.SetNumberRows(3);
    grid.QuickSetNumber(1, 1, 2.5);
    grid.QuickSetTextColor(1, 1, 0x123456);
    grid.QuickSetBackColor(1, 1, 0x654321);
    grid.QuickSetAlignment(1, 1, 2);
    CGridCellInfo before;
    grid.GetCell(1, 1, &before);
    ASSERT_TRUE(before.HasProperty(CGridCellInfo::kPropValue));
    ASSERT_EQ(grid.StartEditAt(1, 1), 0);
    grid.EndEdit("", 1, 0, 0, 0); // Escape
    CGridCellInfo after;
    grid.GetCell(1, 1, &after);
    EXPECT_EQ(after.GetPropertyFlags(), before.GetPropertyFlags() & ~CGridCellInfo::kPropValue);
    EXPECT_EQ(after.GetTextColor(), 0x123456u);
    EXPECT_EQ(after.GetBackColor(), 0x654321u);
    EXPECT_EQ(after.GetAlignment(), 2);
    EXPECT_STREQ(after.GetTextPtr(), before.GetTextPtr());
}

TEST(HarluneGridCtrl, HeadingAndCornerClicksSelect)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CHarluneGridCtrl grid;
    grid.CreateGrid();
    grid.SetNumberCols(3);
    grid.SetNumberRows(4);
    grid.SetMultiSelectMode(1);
    grid.OnTopHeadingClicked(1, -1, 1, nullptr, nullptr, 0);
    EXPECT_TRUE(grid.IsSelected(1, 3));
    EXPECT_FALSE(grid.IsSelected(0, 3));
    grid.OnCornerClicked(1, nullptr, nullptr, 0);
    EXPECT_TRUE(grid.IsSelected(2, 3));
    EXPECT_EQ(grid.OnGetDefBackColor(kSectionTopHeading), 0xFFFFFFu);
}

TEST_F(GridControlTest, CopyCutAndPaste)
{
    m_grid.SetMultiSelectMode(1);
    m_grid.QuickSetText(0, 0, "a");
    m_grid.QuickSetText(1, 0, "b");
    m_grid.QuickSetText(0, 1, "c");
    m_grid.QuickSetText(1, 1, "d");
    m_grid.QuickSetTextColor(1, 1, 0xFF);
    m_grid.SelectRange(0, 0, 1, 1);
    ASSERT_EQ(m_grid.Copy(), 0);
    EXPECT_EQ(m_clipboard.m_text, "a\tb\nc\td");
    m_grid.SelectRange(0, 0, 1, 1);
    ASSERT_EQ(m_grid.Cut(), 0);
    CGridCellInfo cell;
    m_grid.GetCell(1, 1, &cell);
    EXPECT_EQ(cell.GetPropertyFlags(), 0u);

    struct Case
    {
        const char* name;
        int col;
        long row;
        std::string text;
        std::vector<std::tuple<int, long, std::string>> expected;
    } cases[] = {
        {"crlf", 0, 0, "1\t2\r\n3\t4", {{0, 0, "1"}, {1, 0, "2"}, {0, 1, "3"}, {1, 1, "4"}}},
        {"last column", 9, 2, "x\ty", {{9, 2, "x"}}},
        {"cr and lf", 5, 5, "p\rq\nr", {{5, 5, "p"}, {5, 6, "q"}, {5, 7, "r"}}},
        {"bottom", 3, 9, "u\nv", {{3, 9, "u"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_grid.GotoCell(c.col, c.row);
        ASSERT_EQ(m_grid.PasteText(c.text), 0);
        for (const auto& [col, row, text] : c.expected) {
            EXPECT_EQ(m_grid.QuickGetText(col, row), text);
            m_grid.GetCell(col, row, &cell);
            EXPECT_EQ(cell.GetFormat(), CGridCellInfo::kFormatText);
        }
        EXPECT_EQ(m_grid.GetNumberRows(), 10);
        EXPECT_EQ(m_grid.GetNumberCols(), 10);
    }
    m_grid.GotoCell(0, 0);
    m_grid.PasteText("1\t2\r\n3\t4");
    EXPECT_TRUE(m_grid.IsSelected(1, 1));
    EXPECT_FALSE(m_grid.IsSelected(2, 1));
    // An empty clipboard pastes nothing.
    m_clipboard.m_text.reset();
    EXPECT_EQ(m_grid.Paste(), 1);
}

TEST_F(GridControlTest, PastingAMegabyteDropsWhatLiesOutside)
{
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "field";
        text += (i % 1000 == 999) ? '\n' : '\t';
    }
    ASSERT_GT(text.size(), 500000u);
    m_grid.GotoCell(0, 0);
    ASSERT_EQ(m_grid.PasteText(text), 0);
    EXPECT_EQ(m_grid.GetNumberRows(), 10);
    EXPECT_EQ(m_grid.QuickGetText(9, 9), "field");
    EXPECT_EQ(m_grid.currentSheet()->m_ownDataSource->GetLastRow(), 9);
}

TEST_F(GridControlTest, FindOptionsBecomeFlags)
{
    struct Case
    {
        bool wholeCell;
        bool matchCase;
        bool down;
        int extra;
        const char* text;
        int col;
        long row;
    } cases[] = {
        // Cells: (2, 3) "Alpha beta", (4, 6) "alpha", (1, 8) "ALPHA".
        {false, false, true, 0, "BETA", 2, 3},
        {false, true, true, 0, "BETA", 0, 0},  // case matters: not found
        {true, false, true, 1, "alpha", 4, 6}, // whole cell, all columns
        {true, true, true, 1, "ALPHA", 1, 8},
        {false, false, false, 1, "alpha", 1, 8}, // upwards from (0, 0): wraps to the last match
    };
    m_grid.QuickSetText(2, 3, "Alpha beta");
    m_grid.QuickSetText(4, 6, "alpha");
    m_grid.QuickSetText(1, 8, "ALPHA");
    ASSERT_EQ(m_grid.ReplaceDialog(), 0);
    EXPECT_EQ(m_grid.FindDialog(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        m_grid.GotoCell(c.extra ? 0 : 2, 0);
        m_grid.SetFindOption(c.extra);
        GridFindRequest request;
        request.findText = c.text;
        request.wholeCell = c.wholeCell;
        request.matchCase = c.matchCase;
        request.searchDown = c.down;
        request.findNext = true;
        const int focusBefore = m_find.m_focused;
        m_grid.OnFindReplace(request);
        if (c.col == 0 && c.row == 0) {
            EXPECT_EQ(m_find.m_focused, focusBefore + 1);
            EXPECT_EQ(m_grid.GetCurrentRow(), 0);
        } else {
            EXPECT_EQ(m_grid.GetCurrentCol(), c.col);
            EXPECT_EQ(m_grid.GetCurrentRow(), c.row);
        }
    }
    GridFindRequest closing;
    closing.closing = true;
    m_grid.OnFindReplace(closing);
    EXPECT_FALSE(m_grid.isFindDialogOpen());
    EXPECT_EQ(m_grid.FindDialog(), 0);
}

TEST_F(GridControlTest, ReplaceAllEndsAndReplacesOnlyTheMatch)
{
    m_grid.QuickSetText(0, 1, "cat");
    m_grid.QuickSetText(0, 4, "a");
    m_grid.QuickSetText(3, 7, "bAnana");
    m_grid.SetFindOption(1);
    ASSERT_EQ(m_grid.ReplaceDialog(), 0);
    GridFindRequest request;
    request.findText = "a";
    request.replaceText = "aa";
    request.replaceAll = true;
    m_grid.GotoCell(0, 0);
    m_grid.OnFindReplace(request);
    EXPECT_EQ(m_grid.QuickGetText(0, 1), "caat");
    EXPECT_EQ(m_grid.QuickGetText(0, 4), "aa");
    EXPECT_EQ(m_grid.QuickGetText(3, 7), "baanaanaa");

    // Replace acts only on a matching current cell.
    GridFindRequest replace;
    replace.findText = "dog";
    replace.replaceText = "x";
    replace.replaceCurrent = true;
    m_grid.GotoCell(0, 1);
    m_grid.OnFindReplace(replace);
    EXPECT_EQ(m_grid.QuickGetText(0, 1), "caat");
    replace.findText = "AA";
    m_grid.OnFindReplace(replace);
    EXPECT_EQ(m_grid.QuickGetText(0, 1), "cxt");
    replace.wholeCell = true;
    replace.findText = "cx";
    m_grid.OnFindReplace(replace);
    EXPECT_EQ(m_grid.QuickGetText(0, 1), "cxt");
    replace.findText = "CXT";
    m_grid.OnFindReplace(replace);
    EXPECT_EQ(m_grid.QuickGetText(0, 1), "x");
}

TEST_F(GridControlTest, FoundDataColumnIsMappedBack)
{
    m_grid.QuickSetText(0, 5, "needle");
    ASSERT_EQ(m_grid.MoveColPosition(0, 3, 0), 0); // data column 0 now shows at grid column 3
    ASSERT_EQ(m_grid.QuickGetText(3, 5), "needle");
    m_grid.SetFindOption(1);
    ASSERT_EQ(m_grid.FindDialog(), 0);
    GridFindRequest request;
    request.findText = "needle";
    request.findNext = true;
    m_grid.GotoCell(0, 0);
    m_grid.OnFindReplace(request);
    EXPECT_EQ(m_grid.GetCurrentCol(), 3);
    EXPECT_EQ(m_grid.GetCurrentRow(), 5);
}

TEST_F(GridControlTest, SortThroughTheControlsHook)
{
    m_grid.SetNumberRows(5);
    m_grid.QuickSetText(1, 0, "pear");
    m_grid.QuickSetNumber(1, 1, 3);
    m_grid.QuickSetText(1, 3, "apple");
    m_grid.QuickSetNumber(1, 4, 1);
    ASSERT_EQ(m_grid.MoveColPosition(1, 4, 1), 0); // the sorted data now shows at column 3
    ASSERT_EQ(m_grid.SortBy(3, 0), 0);
    EXPECT_GT(m_grid.m_sortCalls, 0);
    std::vector<std::string> ascending;
    for (int row = 0; row < 5; ++row) {
        ascending.push_back(m_grid.QuickGetText(3, row));
    }
    EXPECT_EQ(ascending.back(), "");
    ASSERT_EQ(m_grid.SortBy(3, kSortDescending), 0);
    EXPECT_EQ(m_grid.QuickGetText(3, 0), "");
    EXPECT_EQ(m_grid.SortBy(10, 0), 1);
}

class DropControl : public RecordingControl
{
public:
    int OnDragDrop(const std::string*, int col, long row) override
    {
        m_dropCol = col;
        m_dropRow = row;
        return m_accept;
    }
    int m_accept = 0;
    int m_dropCol = -9;
    long m_dropRow = -9;
};

TEST(GridControlDropTarget, DropsPasteOnlyWhenAccepted)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    FakeWindows windows;
    windows.m_width = 400;
    windows.m_height = 300;
    DropControl grid;
    grid.setWindows(&windows);
    grid.CreateGrid();
    grid.SetNumberCols(30);
    grid.SetNumberRows(100);
    // (80, 45) in the cell area is column 1, row 2.
    EXPECT_EQ(grid.dropTargetDrop("x\ty", 80, 45), 0);
    EXPECT_EQ(grid.m_dropCol, 1);
    EXPECT_EQ(grid.m_dropRow, 2);
    EXPECT_EQ(grid.QuickGetText(1, 2), "");
    grid.m_accept = 1;
    EXPECT_EQ(grid.dropTargetDrop("x\ty", 80, 45), 1);
    EXPECT_EQ(grid.QuickGetText(1, 2), "x");
    EXPECT_EQ(grid.QuickGetText(2, 2), "y");
    EXPECT_EQ(grid.GetCurrentCol(), 1);
    EXPECT_EQ(grid.dropTargetDrop(std::string(1, '\0') + "z", -5, -5), 1); // outside: no paste
    EXPECT_EQ(grid.QuickGetText(0, 0), "");

    // Drag scroll near each edge.
    const int width = grid.currentSheet()->m_cellAreaWidth;
    const int height = grid.currentSheet()->m_cellAreaHeight;
    grid.dropTargetScroll(width - 3, 50);
    EXPECT_EQ(grid.GetLeftCol(), 1);
    grid.dropTargetScroll(3, 50);
    EXPECT_EQ(grid.GetLeftCol(), 0);
    grid.dropTargetScroll(50, height - 3);
    EXPECT_EQ(grid.GetTopRow(), 1);
    grid.dropTargetScroll(50, 3);
    EXPECT_EQ(grid.GetTopRow(), 0);
    grid.dropTargetScroll(50, 50);
    EXPECT_EQ(grid.GetTopRow(), 0);
}

TEST_F(GridControlTest, LayoutGivesSevenRectangles)
{
    const GridLayoutRects& r = m_windows.m_rects;
    EXPECT_EQ(r.corner.right, 40);
    EXPECT_EQ(r.corner.bottom, 20);
    EXPECT_EQ(r.cellArea.left, 40);
    EXPECT_EQ(r.cellArea.top, 20);
    // 10 columns of 75 do not fit 400 pixels: both bars are shown.
    EXPECT_EQ(r.vScrollBar.right, 400);
    EXPECT_EQ(r.vScrollBar.right - r.vScrollBar.left, 102);
    EXPECT_EQ(r.hScrollBar.bottom, 300);
    EXPECT_EQ(r.hScrollBar.bottom - r.hScrollBar.top, 103);
    m_grid.SetNumberCols(2);
    m_grid.RedrawAll();
    EXPECT_EQ(m_windows.m_rects.hScrollBar.bottom - m_windows.m_rects.hScrollBar.top, 0);
    EXPECT_EQ(m_grid.currentSheet()->m_hScrollBarHeight, 103);
}

TEST_F(GridControlTest, CellFromPointAndRect)
{
    int col = -1;
    long row = -1;
    ASSERT_EQ(m_grid.GetCellFromPoint(80, 45, &col, &row), 0);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 2);
    GridRect rect;
    ASSERT_EQ(m_grid.GetCellRect(1, 2, &rect), 0);
    EXPECT_EQ(rect.left, 75);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right, 150);
    EXPECT_EQ(rect.bottom, 60);
    EXPECT_EQ(m_grid.GetCellFromPoint(-10, 5, &col, &row), 1);
}

TEST(GridBitmap, BadFilesGiveMinusOne)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CGridControl grid;
    // A valid 2 x 2, 24-bit bottom-up image.
    auto make = [](int bits, std::int32_t width, std::int32_t height, std::uint32_t compression,
                   std::uint32_t offset, std::size_t pixelBytes) {
        std::vector<std::uint8_t> b(54, 0);
        b[0] = 'B';
        b[1] = 'M';
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i) {
                b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
            }
        };
        put32(10, offset);
        put32(14, 40);
        put32(18, static_cast<std::uint32_t>(width));
        put32(22, static_cast<std::uint32_t>(height));
        b[26] = 1;
        b[28] = static_cast<std::uint8_t>(bits);
        put32(30, compression);
        b.resize(54 + pixelBytes, 0x80);
        return b;
    };
    const auto good = make(24, 2, 2, 0, 54, 16);
    const int index = grid.addBitmapBytes(good);
    ASSERT_GE(index, 0);
    const auto* bitmap = dynamic_cast<const GridBitmap*>(grid.GetBitmap(index));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width(), 2);
    EXPECT_EQ(bitmap->pixels()[0], 0xFF808080u);

    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"file header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 14)},
        {"info header cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 40)},
        {"pixels cut", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
        {"zero width", make(24, 0, 2, 0, 54, 16)},
        {"negative width", make(24, -2, 2, 0, 54, 16)},
        {"zero height", make(24, 2, 0, 0, 54, 16)},
        {"huge", make(24, 0x7FFFFFFF, 0x7FFFFFFF, 0, 54, 16)},
        {"min height", make(24, 2, INT32_MIN, 0, 54, 16)},
        {"rle8", make(8, 2, 2, 1, 54 + 1024, 1032)},
        {"jpeg", make(24, 2, 2, 4, 54, 16)},
        {"palette past end", make(8, 2, 2, 0, 54 + 1024, 100)},
        {"offset past end", make(24, 2, 2, 0, 100000, 16)},
    };
    for (int bits = 0; bits <= 64; ++bits) {
        if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
            cases.push_back({"bits", make(bits, 2, 2, 0, 54, 64)});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(grid.addBitmapBytes(c.bytes), -1);
    }
    // Every supported depth decodes a correctly sized file.
    for (int bits : {1, 4, 8, 16, 32}) {
        SCOPED_TRACE(bits);
        const std::uint32_t palette = bits < 16 ? (4u << bits) : 0;
        EXPECT_GE(grid.addBitmapBytes(make(bits, 3, 2, 0, 54 + palette, palette + 32)), 0);
    }
    EXPECT_EQ(grid.AddBitmap("/nonexistent/file.bmp"), -1);
}

TEST(GridControlCellTypes, BuiltInsAndLookUp)
{
    FakeGridSystem system;
    ScopedGridSystem scope(system);
    CGridControl grid;
    EXPECT_EQ(grid.GetCellType(0)->GetName(), "Normal Cell Type (default)");
    EXPECT_EQ(grid.GetCellType(1)->GetName(), "DropList");
    EXPECT_EQ(grid.GetCellType(2)->GetName(), "CheckBox");
    EXPECT_EQ(grid.GetCellType(3)->GetName(), "Side Arrows");
    EXPECT_EQ(grid.GetCellType(7), grid.GetCellType(0));
    EXPECT_EQ(grid.GetCellType(-1), grid.GetCellType(0));
    CGridCellType mine("Mine", "id");
    EXPECT_EQ(grid.AddCellType(&mine), 4);
    EXPECT_EQ(grid.GetCellType(4), &mine);
    EXPECT_EQ(grid.RemoveCellType(4), 0);
    EXPECT_EQ(grid.GetCellType(4), grid.GetCellType(0));
    EXPECT_EQ(grid.AddCellType(nullptr), -1);
    EXPECT_EQ(grid.SetCellTypeOption(9, 1), 1);
}

} // namespace
} // namespace gridctrl::model
