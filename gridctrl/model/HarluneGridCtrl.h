#pragma once

#include "gridctrl/model/GridControl.h"

namespace gridctrl::model {

// The grid control as the grid window uses it: heading and corner clicks select whole
// columns, rows or the sheet (Ctrl adds a column or row to the selection, Shift extends it), typing
// starts an edit, tabs select sheets, and every section's background is white. GUI thread only.
class CHarluneGridCtrl : public CGridControl
{
public:
    void OnTopHeadingClicked(int col, long row, int down, const GridRect* rect,
                             const GridPoint* point, int processed) override;
    void OnSideHeadingClicked(int col, long row, int down, const GridRect* rect,
                              const GridPoint* point, int processed) override;
    void OnCornerClicked(int down, const GridRect* rect, const GridPoint* point,
                         int processed) override;
    void OnCharDown(unsigned* key, int processed) override;
    // Drops only the number held as a double, so that the edit shows the cell's text; the
    // cell keeps its colours, font, border, alignment and precision.
    int OnEditStart(int col, long row, CGridEditBase** editor) override;
    void OnTabSelected(long id) override;
    COLORREF OnGetDefBackColor(int section) override;
    int OnDrawFocusRect(void* dc, GridRect* rect) override;

private:
    // A press on the heading of column (columns) or row index, with the Shift and Ctrl keys.
    void selectWholeLines(bool columns, long index);
};

} // namespace gridctrl::model
