#pragma once

#include "gridctrl/model/GridCellCoord.h"

#include <vector>

namespace gridctrl::model {

class CGridRedrawList;
class CGridSheetState;

// The selection of one sheet: a list of blocks, later blocks overriding earlier ones (a block
// may deselect). Reads the sheet's column count and current cell, adds changed cells to the
// cell area's redraw list when one is set, and reads Shift and Ctrl from the installed
// GridSystem. GUI thread only.
class CGridSelectList
{
public:
    // Mode bits.
    static constexpr int kModeMulti = 1;    // several cells may be selected
    static constexpr int kModeWholeRow = 2; // blocks span whole rows

    explicit CGridSelectList(const CGridSheetState* sheet = nullptr);

    void setSheet(const CGridSheetState* sheet) { m_sheet = sheet; }
    // The cell area's redraw list (not owned), or none.
    void setRedrawList(CGridRedrawList* redraw) { m_redraw = redraw; }

    void Reset();
    void ClearAll();
    int StartBlock(int col, int row);
    // 1 when no block is active.
    int EndBlock(int col, int row);
    void ToggleCell(int col, int row);
    // The current block now runs from (anchorCol, anchorRow) to (col, row); earlier blocks
    // stay. Without a current block it is the only block. The start cell is kept unless no
    // block was active.
    void ReshapeBlock(int anchorCol, int anchorRow, int col, int row);
    // The selected flag of the last block holding the cell; its index when asked (-1: none).
    int IsSelected(int col, int row, int* blockIndex = nullptr) const;
    int IsColSelected(int col) const;
    int IsRowSelected(int row) const;
    int GetStartCell(int& col, int& row) const;
    int GetCurrentBlock(int& left, int& top, int& right, int& bottom) const;
    int GetTotalRange(int& left, int& top, int& right, int& bottom) const;
    void InvalidateSelection(CGridRedrawList& redraw) const;
    void SetSelectMode(int mode);
    int GetSelectMode() const { return m_mode; }
    int GetSelectCount() const { return m_count; }
    int EnumFirstSelected(int& col, int& row);
    int EnumNextSelected(int& col, int& row);
    int EnumFirstBlock(int& left, int& top, int& right, int& bottom);
    int EnumNextBlock(int& left, int& top, int& right, int& bottom);

    // Selection by input. Mouse key flags as in a mouse event (kMouseKeyShift, ...).
    int OnMouseSelect(int col, int row, unsigned flags);
    int OnRightClickSelect(int col, int row);
    int OnKeyMove(int col, int row);
    int OnDragSelect(int col, int row);

    bool isActive() const { return m_active; }
    int blockCount() const { return static_cast<int>(m_blocks.size()); }

private:
    struct Block
    {
        int anchorCol;
        int endCol;
        int anchorRow;
        int endRow;
        int left;
        int right;
        int top;
        int bottom;
        int selected;

        bool contains(int col, int row) const
        {
            return col >= left && col <= right && row >= top && row <= bottom;
        }
    };

    int numberOfColumns() const;
    void computeBounds(Block& block) const;
    void plainClick(int col, int row);
    void forgetLastCells();
    // Shift with a click or a move: the current block grows to the cell, or a block runs from
    // the sheet's current cell when there is none.
    void extendTo(int col, int row);

    const CGridSheetState* m_sheet;
    CGridRedrawList* m_redraw = nullptr;
    std::vector<Block> m_blocks;
    int m_anchorCol = 0;
    int m_anchorRow = 0;
    bool m_active = false;
    int m_current = -1;
    int m_mode = 0;
    int m_count = 0;
    bool m_newBlock = false;
    // Enumeration: the bounding box, the next cell and block, whether enumerating.
    int m_enumLeft = 0;
    int m_enumTop = 0;
    int m_enumRight = 0;
    int m_enumBottom = 0;
    int m_enumCol = 0;
    int m_enumRow = 0;
    bool m_enumerating = false;
    int m_enumBlock = 0;
    // The cell of the last mouse press, and the last cell a press, drag or key reached:
    // repeated calls at the same cell change nothing.
    GridCellCoord m_lastPress{-1, -1};
    GridCellCoord m_lastReached{-1, -1};
    int m_startCol = 0;
    int m_startRow = 0;
};

} // namespace gridctrl::model
