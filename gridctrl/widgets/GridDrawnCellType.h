#pragma once

#include "gridctrl/model/GridCellType.h"
#include "platform/framework/CDC.h"

namespace gridctrl::widgets {

// A cell type that paints its cells itself. The child windows hand every cell of such a type
// to OnDraw instead of the built-in drawing. GUI thread only.
class CGridDrawnCellType : public model::CGridCellType
{
public:
    using model::CGridCellType::CGridCellType;

    // Draws a cell inside `rect`; `selected` is the selection block's index + 1 (0: not
    // selected), `current` 1 for the current cell.
    virtual void OnDraw(platform::framework::CDC& dc, const platform::framework::RECT& rect,
                        int col, long row, model::CGridCellInfo& cell, int selected,
                        int current) = 0;
};

} // namespace gridctrl::widgets
