#include "gridctrl/model/HarluneGridCtrl.h"

namespace gridctrl::model {

void CHarluneGridCtrl::OnTopHeadingClicked(int col, long, int down, const GridRect*,
                                           const GridPoint*, int)
{
    if (down && col >= 0 && GetNumberRows() > 0) {
        SelectRange(col, 0, col, GetNumberRows() - 1);
        RedrawAll();
    }
}

void CHarluneGridCtrl::OnSideHeadingClicked(int, long row, int down, const GridRect*,
                                            const GridPoint*, int)
{
    if (down && row >= 0 && GetNumberCols() > 0) {
        SelectRange(0, row, GetNumberCols() - 1, row);
        RedrawAll();
    }
}

void CHarluneGridCtrl::OnCornerClicked(int down, const GridRect*, const GridPoint*, int)
{
    if (down && GetNumberCols() > 0 && GetNumberRows() > 0) {
        SelectRange(0, 0, GetNumberCols() - 1, GetNumberRows() - 1);
        RedrawAll();
    }
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
