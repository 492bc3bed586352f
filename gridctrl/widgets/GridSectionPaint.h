#pragma once

#include "gridctrl/model/GridControl.h"
#include "platform/framework/CDC.h"

#include <functional>
#include <vector>

namespace gridctrl::widgets {

// One column or row on show: its index, where it starts and its size, in pixels from the cell
// area's top left corner.
struct GridLine
{
    int index = 0;
    int start = 0;
    int size = 0;
};

// The columns on show in `width` pixels: 0 through the locked ones, then from the left column
// on; columns of width 0 are left out. The last one may reach past `width`.
std::vector<GridLine> visibleCols(const model::CGridControl& control, int width);
// The rows on show in `height` pixels, likewise from the locked rows and the top row.
std::vector<GridLine> visibleRows(const model::CGridControl& control, int height);
// Heading columns (-1 leftmost ... ) of the side heading and heading rows of the top heading,
// placed from the heading's left (top) edge.
std::vector<GridLine> sideHeadingCols(const model::CGridControl& control);
std::vector<GridLine> topHeadingRows(const model::CGridControl& control);

class GridTextCache;

// Draws one cell through its cell type with the device context's state kept around it; texts
// come from `textCache` where it has them. A text that runs on over empty cells to the right
// covers only those `mayCover` allows (null: all) and gives the last one in `overflowEndCol`
// (see drawGridCell).
void paintGridCell(platform::framework::CDC& dc, model::CGridControl& control,
                   const model::GridRect& rect, int col, long row, model::CGridCellInfo& cell,
                   int selectedValue, bool current, GridTextCache* textCache = nullptr,
                   std::function<bool(int col)> mayCover = {}, int* overflowEndCol = nullptr);

// The selected value a cell is drawn with: the deciding block's index + 1, 0 when the cell is
// not selected.
int selectedValueOf(model::CGridControl& control, int col, long row);

} // namespace gridctrl::widgets
