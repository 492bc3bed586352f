#pragma once

#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridControl.h"
#include "platform/framework/CDC.h"

#include <functional>

namespace gridctrl::widgets {

class GridTextCache;

// How a cell is drawn: selected, the current cell, and the scale of a printing device context
// (printer units per screen pixel; 1 on the screen).
struct GridCellDrawState
{
    bool selected = false;
    int selectedValue = 0; // the deciding selection block's index + 1
    bool current = false;
    bool printing = false;
    double scale = 1.0;
    bool keepFont = false; // the caller selected the font (printing scales it)
    // The window's laid-out texts, which the cell's text is drawn from where they match the
    // DC; null draws every text through the DC.
    GridTextCache* textCache = nullptr;
    // Whether a cell's text may run on over the empty cell of column `col` in its row, beyond
    // the cell being empty (the cell area: a column on show beside it, drawn highlighted as
    // the cell is); null allows every empty cell.
    std::function<bool(int col)> mayCover;
};

// How a cell takes part in text overflow: a normal cell whose text may run on into the empty
// cells to its right, an empty normal cell that such a text may cover, or neither.
enum class GridOverflowRole
{
    None,
    Source,
    Coverable,
};
GridOverflowRole overflowRoleOf(model::CGridControl& control, const model::CGridCellInfo& cell);

// The font of a registered grid font as the device context takes it.
platform::framework::CFont gridFont(const model::GridObject* font);

// Draws a cell's border and returns the rectangle inside it; the sheet's grid lines at the
// right and bottom where the cell has no border there.
platform::framework::RECT drawCellBorder(platform::framework::CDC& dc,
                                         const model::CGridSheetState& sheet,
                                         const model::CGridCellInfo& cell,
                                         platform::framework::RECT rect, double scale = 1.0);

// Draws the body of a cell (text or label, colours, bitmap, alignment and the three text modes)
// inside `rect`. `showLabel` draws the label instead of the text.
void drawCellBody(platform::framework::CDC& dc, model::CGridControl& control,
                  const model::CGridCellInfo& cell, const platform::framework::RECT& rect,
                  const GridCellDrawState& state, bool showLabel);

// Draws one cell as its cell type shows it (the built-in types by their identifiers; an
// unknown index as a normal cell). A zero or negative rectangle draws nothing. A normal cell
// whose text is wider than it, with the sheet's text overflow on, draws its border, background
// and text across the empty cells to its right as far as the text reaches; `overflowEndCol`
// receives the last column the text covers (else the cell's own column), which the caller
// leaves alone.
void drawGridCell(platform::framework::CDC& dc, model::CGridControl& control,
                  const platform::framework::RECT& rect, int col, int row,
                  model::CGridCellInfo& cell, const GridCellDrawState& state,
                  int* overflowEndCol = nullptr);

} // namespace gridctrl::widgets
