#include "gridctrl/model/HarluneGridCtrl.h"

#include "gridctrl/model/GridSystem.h"

namespace gridctrl::model {

void CHarluneGridCtrl::OnTopHeadingClicked(int col, long, int down, const GridRect*,
                                           const GridPoint*, int)
{
    if (down && col >= 0 && col < GetNumberCols() && GetNumberRows() > 0) {
        selectWholeLines(true, col);
    }
}

void CHarluneGridCtrl::OnSideHeadingClicked(int, long row, int down, const GridRect*,
                                            const GridPoint*, int)
{
    if (down && row >= 0 && row < GetNumberRows() && GetNumberCols() > 0) {
        selectWholeLines(false, row);
    }
}

void CHarluneGridCtrl::OnCornerClicked(int down, const GridRect*, const GridPoint*, int)
{
    if (down && GetNumberCols() > 0 && GetNumberRows() > 0) {
        ClearSelection();
        SelectRange(0, 0, GetNumberCols() - 1, GetNumberRows() - 1);
        RedrawAll();
    }
}

void CHarluneGridCtrl::selectWholeLines(bool columns, long index)
{
    const int lastCol = GetNumberCols() - 1;
    const long lastRow = GetNumberRows() - 1;
    CGridSheetState& sheet = *currentSheet();
    const GridSystem& system = gridSystem();
    if (sheet.m_multiSelection && system.isKeyDown(kVirtualKeyShift)) {
        // The current block stretches over the whole columns (rows) from its anchor's column
        // (row), or from the current cell's when nothing is selected, to the clicked one.
        int anchorCol = GetCurrentCol();
        int anchorRow = static_cast<int>(GetCurrentRow());
        sheet.m_selectList->GetStartCell(anchorCol, anchorRow);
        const int line = static_cast<int>(index);
        if (columns) {
            anchorCol = anchorCol >= 0 && anchorCol <= lastCol ? anchorCol : line;
            sheet.m_selectList->ReshapeBlock(anchorCol, 0, line, static_cast<int>(lastRow));
            sheet.m_dragCol = line;
            sheet.m_dragRow = static_cast<int>(lastRow);
        } else {
            anchorRow = anchorRow >= 0 && anchorRow <= lastRow ? anchorRow : line;
            sheet.m_selectList->ReshapeBlock(0, anchorRow, lastCol, line);
            sheet.m_dragCol = lastCol;
            sheet.m_dragRow = line;
        }
    } else {
        // Alone the click selects its column (row) only; with Ctrl it adds one more block,
        // as Ctrl with a click on a cell does.
        if (!system.isKeyDown(kVirtualKeyControl)) {
            ClearSelection();
        }
        if (columns) {
            SelectRange(static_cast<int>(index), 0, static_cast<int>(index), lastRow);
        } else {
            SelectRange(0, index, lastCol, index);
        }
    }
    RedrawAll();
}

void CHarluneGridCtrl::OnCharDown(unsigned* key, int)
{
    if (key) {
        StartEdit(static_cast<int>(*key));
    }
}

int CHarluneGridCtrl::OnEditStart(int col, long row, CGridEditBase**)
{
    CGridCellInfo cell;
    if (GetCell(col, row, &cell) == 0 || cell.GetPropertyFlags() != 0) {
        cell.ClearProperty(CGridCellInfo::kPropValue);
        SetCell(col, row, &cell);
    }
    return 1;
}

void CHarluneGridCtrl::OnTabSelected(long id)
{
    if (id >= 0 && id < GetNumberSheets()) {
        SelectSheet(static_cast<int>(id), 1);
    }
}

COLORREF CHarluneGridCtrl::OnGetDefBackColor(int)
{
    return 0xFFFFFF;
}

int CHarluneGridCtrl::OnDrawFocusRect(void*, GridRect* rect)
{
    if (rect) {
        --rect->right;
        --rect->bottom;
    }
    return 0;
}

} // namespace gridctrl::model
