#include "gridctrl/model/GridBitmap.h"
#include "gridctrl/model/GridCellEvaluator.h"
#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridMemDataSource.h"
#include "tests/gridctrl/model/FakeGridSystem.h"
#include "tests/gridctrl/model/GridControlFakes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

using test::FakeGridSystem;
using test::FakeWindows;

// A memory source that says how big it is.
class SizedSource : public CGridMemDataSource
{
public:
    SizedSource(int cols, int rows) : m_cols(cols), m_rows(rows) {}
    int GetNumCols() override { return m_cols; }
    int GetNumRows() override { return m_rows; }

private:
    int m_cols;
    int m_rows;
};

class GridControlMembers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_windows.m_width = 400;
        m_windows.m_height = 300;
        m_grid.setWindows(&m_windows);
        m_grid.CreateGrid();
        m_grid.SetNumberCols(4);
        m_grid.SetNumberRows(5);
    }
    void TearDown() override { CGridControl::setBitmapResources({}); }

    FakeGridSystem m_system;
    ScopedGridSystem m_scope{m_system};
    FakeWindows m_windows;
    CGridControl m_grid;
};

TEST_F(GridControlMembers, SetGridUsingDataSourceTakesTheSourcesSize)
{
    SizedSource sized(7, 12);
    SizedSource noRows(3, -1);
    SizedSource noCols(0, 9);
    SizedSource tooWide(CGridControl::kMaxCols + 1, 9);
    const int sizedIndex = m_grid.AddDataSource(&sized);
    const int noRowsIndex = m_grid.AddDataSource(&noRows);
    const int noColsIndex = m_grid.AddDataSource(&noCols);
    const int tooWideIndex = m_grid.AddDataSource(&tooWide);
    struct Case
    {
        const char* name;
        int index;
        int result;
        int cols;
        long rows;
    };
    const Case cases[] = {
        {"a source with its size", sizedIndex, 0, 7, 12},
        {"a source without a row count keeps the rows", noRowsIndex, 0, 3, 12},
        {"no columns is refused", noColsIndex, 2, 3, 12},
        {"more columns than a sheet holds is refused", tooWideIndex, 2, 3, 12},
        {"no such source", 99, 1, 3, 12},
        {"an index below zero", -1, 1, 3, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(m_grid.SetGridUsingDataSource(c.index), c.result);
        EXPECT_EQ(m_grid.GetNumberCols(), c.cols);
        EXPECT_EQ(m_grid.GetNumberRows(), c.rows);
    }

    // Swapped in as the sheet's source, it serves every cell.
    sized.SetCell(6, 11, [] {
        CGridCellInfo cell;
        cell.SetText("from the source");
        return cell;
    }());
    ASSERT_EQ(m_grid.SetDefDataSource(sizedIndex), 0);
    ASSERT_EQ(m_grid.SetGridUsingDataSource(sizedIndex), 0);
    EXPECT_EQ(m_grid.QuickGetText(6, 11), "from the source");
    EXPECT_EQ(m_grid.QuickSetText(0, 0, "written"), 0);
    CGridCellInfo stored;
    sized.GetCell(0, 0, stored);
    EXPECT_STREQ(stored.GetTextPtr(), "written");

    // The sources leave the control before they go out of scope.
    for (const int index : {tooWideIndex, noColsIndex, noRowsIndex, sizedIndex})
        EXPECT_EQ(m_grid.RemoveDataSource(index), 0);
}

TEST_F(GridControlMembers, BitmapsAddedByResourceIdOrName)
{
    std::vector<std::string> asked;
    CGridControl::setBitmapResources([&](unsigned id, std::string_view name) {
        asked.push_back(std::to_string(id) + ":" + std::string(name));
        if (id == 238 || name == "Logo") {
            return std::optional<GridBitmap>(GridBitmap(2, 1, {0xFFFF0000u, 0xFF00FF00u}));
        }
        if (id == 9) { // pixels that do not fit the size
            return std::optional<GridBitmap>(GridBitmap(3, 3, {0xFF000000u}));
        }
        return std::optional<GridBitmap>();
    });
    struct Case
    {
        const char* name;
        unsigned id;
        const char* resourceName;
        bool found;
    };
    const Case cases[] = {
        {"by id", 238, "", true},
        {"by name", 0, "Logo", true},
        {"a missing id", 4711, "", false},
        {"a broken bitmap", 9, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int index = m_grid.AddBitmap(c.id, c.resourceName);
        if (!c.found) {
            EXPECT_EQ(index, -1);
            continue;
        }
        ASSERT_GE(index, 0);
        const auto* bitmap = dynamic_cast<const GridBitmap*>(m_grid.GetBitmap(index));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->width(), 2);
        EXPECT_EQ(bitmap->pixels()[1], 0xFF00FF00u);
        // A cell shows it through the bitmap index.
        EXPECT_EQ(m_grid.QuickSetBitmapIndex(1, 1, index), 0);
        CGridCellInfo cell;
        m_grid.GetCell(1, 1, &cell);
        EXPECT_EQ(cell.GetBitmap(), bitmap);
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"238:", "0:Logo", "4711:", "9:"}));

    // Without resources nothing is found.
    CGridControl::setBitmapResources({});
    EXPECT_EQ(m_grid.AddBitmap(238u), -1);
}

TEST_F(GridControlMembers, StyleCellGoesOverTheCell)
{
    CGridCellInfo style;
    style.SetTextColor(0x0000FF);
    style.SetAlignment(4);

    // The stored cell sets the text colour too, and the background; the column default sets
    // the alignment and the border.
    CGridCellInfo columnDefault;
    columnDefault.SetAlignment(1);
    columnDefault.SetBorder(2);
    ASSERT_EQ(m_grid.SetColumnDefaultCell(1, &columnDefault), 0);
    CGridCellInfo stored;
    stored.SetText("styled");
    stored.SetTextColor(0x00FF00);
    stored.SetBackColor(0x123456);
    stored.SetStyleCell(&style);
    ASSERT_EQ(m_grid.SetCell(1, 2, &stored), 0);

    CGridCellInfo shown;
    ASSERT_EQ(m_grid.GetDisplayCell(1, 2, &shown), 0);
    struct Case
    {
        const char* property;
        long long shown;
        long long expected;
    };
    const Case cases[] = {
        {"text colour: the style's, though the cell sets one", shown.GetTextColor(), 0x0000FF},
        {"alignment: the style's over the column default", shown.GetAlignment(), 4},
        {"background: the cell's, the style sets none", shown.GetBackColor(), 0x123456},
        {"border: the column default's", shown.GetBorder(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        EXPECT_EQ(c.shown, c.expected);
    }
    EXPECT_STREQ(shown.GetTextPtr(), "styled");

    // A style that names a style of its own is not followed.
    CGridCellInfo outer;
    outer.SetTextColor(0xABCDEF);
    style.SetStyleCell(&outer);
    m_grid.GetDisplayCell(1, 2, &shown);
    EXPECT_EQ(shown.GetTextColor(), 0x0000FFu);
}

// Records the cell it was handed and writes its result into it.
class SummingEvaluator : public CGridCellEvaluator
{
public:
    void EvaluateCell(int col, long row, CGridCellInfo* cell) override
    {
        seen.push_back({col, row, cell->GetTextPtr() ? cell->GetTextPtr() : ""});
        cell->SetText("=" + std::to_string(col + row));
    }
    struct Seen
    {
        int col;
        long row;
        std::string text;
    };
    std::vector<Seen> seen;
};

TEST_F(GridControlMembers, EvaluatorSeesItsCellBeforeTheStyle)
{
    SummingEvaluator evaluator;
    CGridCellInfo style;
    style.SetBackColor(0x00FF00);
    CGridCellInfo stored;
    stored.SetText("2+3");
    stored.SetEvaluator(&evaluator);
    stored.SetStyleCell(&style);
    ASSERT_EQ(m_grid.SetCell(2, 3, &stored), 0);
    CGridCellInfo plain;
    plain.SetText("no evaluator");
    ASSERT_EQ(m_grid.SetCell(0, 0, &plain), 0);

    EXPECT_EQ(m_grid.QuickGetText(2, 3), "=5");
    EXPECT_EQ(m_grid.QuickGetText(0, 0), "no evaluator");
    ASSERT_EQ(evaluator.seen.size(), 1u);
    EXPECT_EQ(evaluator.seen[0].col, 2);
    EXPECT_EQ(evaluator.seen[0].row, 3);
    EXPECT_EQ(evaluator.seen[0].text, "2+3");
    CGridCellInfo shown;
    m_grid.GetDisplayCell(2, 3, &shown);
    EXPECT_EQ(shown.GetBackColor(), 0x00FF00u);
    // The stored cell keeps what the user wrote.
    CGridCellInfo raw;
    m_grid.GetCell(2, 3, &raw);
    EXPECT_STREQ(raw.GetTextPtr(), "2+3");
}

// A selection list of a class of the user's.
class CountingSelectList : public CGridSelectList
{
public:
    using CGridSelectList::CGridSelectList;
};

TEST_F(GridControlMembers, SelectListAndCursorsAreReplaced)
{
    ASSERT_EQ(m_grid.SetMultiSelectMode(1), 0);
    auto list = std::make_unique<CountingSelectList>();
    CountingSelectList* raw = list.get();
    EXPECT_EQ(m_grid.SetNewSelectList(nullptr), 1);
    ASSERT_EQ(m_grid.SetNewSelectList(std::move(list)), 0);
    EXPECT_EQ(m_grid.currentSheet()->m_selectList.get(), raw);
    EXPECT_EQ(raw->GetSelectMode() & CGridSelectList::kModeMulti, CGridSelectList::kModeMulti);
    ASSERT_EQ(m_grid.SelectRange(1, 1, 2, 2), 0);
    EXPECT_EQ(raw->IsSelected(2, 2), 1);
    EXPECT_EQ(raw->IsSelected(3, 3), 0);

    GridCursor hand{GridCursorShape::PointingHand};
    GridCursor picture;
    picture.width = 2;
    picture.height = 2;
    picture.pixels = {0xFF000000u, 0, 0, 0xFF000000u};
    picture.hotX = 1;
    GridCursor cross{GridCursorShape::Cross};
    const CGridSheetState& sheet = *m_grid.currentSheet();
    EXPECT_EQ(sheet.m_normalCursor.shape, GridCursorShape::Arrow);
    EXPECT_EQ(sheet.m_colSizingCursor.shape, GridCursorShape::SizeWestEast);
    EXPECT_EQ(sheet.m_rowSizingCursor.shape, GridCursorShape::SizeNorthSouth);
    EXPECT_EQ(m_grid.SetArrowCursor(nullptr), 1);
    EXPECT_EQ(m_grid.SetColSizeCursor(nullptr), 1);
    EXPECT_EQ(m_grid.SetRowSizeCursor(nullptr), 1);
    EXPECT_EQ(sheet.m_normalCursor.shape, GridCursorShape::Arrow);
    EXPECT_EQ(m_grid.SetArrowCursor(&hand), 0);
    EXPECT_EQ(m_grid.SetColSizeCursor(&picture), 0);
    EXPECT_EQ(m_grid.SetRowSizeCursor(&cross), 0);
    EXPECT_EQ(sheet.m_normalCursor, hand);
    EXPECT_EQ(sheet.m_colSizingCursor, picture);
    EXPECT_TRUE(sheet.m_colSizingCursor.hasPicture());
    EXPECT_EQ(sheet.m_rowSizingCursor, cross);
    // The cursors belong to the sheet: a new sheet starts with the standard ones.
    ASSERT_EQ(m_grid.SetNumberSheets(2), 0);
    ASSERT_EQ(m_grid.SelectSheet(1), 0);
    EXPECT_EQ(m_grid.currentSheet()->m_normalCursor.shape, GridCursorShape::Arrow);
}

} // namespace
} // namespace gridctrl::model
