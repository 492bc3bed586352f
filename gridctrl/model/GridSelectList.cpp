#include "gridctrl/model/GridSelectList.h"

#include "gridctrl/model/GridRedrawList.h"
#include "gridctrl/model/GridSheetState.h"
#include "gridctrl/model/GridSystem.h"

#include <algorithm>

namespace gridctrl::model {

CGridSelectList::CGridSelectList(const CGridSheetState* sheet) : m_sheet(sheet) {}

int CGridSelectList::numberOfColumns() const
{
    return m_sheet ? m_sheet->m_numCols : 0;
}

void CGridSelectList::computeBounds(Block& block) const
{
    block.left = std::min(block.anchorCol, block.endCol);
    block.right = std::max(block.anchorCol, block.endCol);
    block.top = std::min(block.anchorRow, block.endRow);
    block.bottom = std::max(block.anchorRow, block.endRow);
    if (m_mode & kModeWholeRow) {
        block.left = 0;
        block.right = numberOfColumns();
    }
}

void CGridSelectList::Reset()
{
    m_count = 0;
    ClearAll();
}

void CGridSelectList::ClearAll()
{
    m_blocks.clear();
    m_active = false;
    m_current = -1;
    m_count = 0;
    m_newBlock = false;
    m_enumerating = false;
    m_enumBlock = 0;
    m_lastPress = {-1, -1};
    m_lastReached = {-1, -1};
}

int CGridSelectList::StartBlock(int col, int row)
{
    m_anchorCol = col;
    m_anchorRow = row;
    m_startCol = col;
    m_startRow = row;
    m_active = true;
    Block block{col, col, row, row, 0, 0, 0, 0, 1};
    computeBounds(block);
    m_blocks.push_back(block);
    m_current = static_cast<int>(m_blocks.size()) - 1;
    m_newBlock = true;
    ++m_count;
    if (m_redraw) {
        m_redraw->Add(block.left, block.top, block.right, block.bottom);
    }
    forgetLastCells();
    return 0;
}

void CGridSelectList::forgetLastCells()
{
    // The selection changed by other means than this cell: a press or move there afterwards
    // is not a repeat. The input operations record their cell after this.
    m_lastPress = {-1, -1};
    m_lastReached = {-1, -1};
}

int CGridSelectList::EndBlock(int col, int row)
{
    if (!m_active || m_current < 0) {
        return 1;
    }
    Block& block = m_blocks[static_cast<std::size_t>(m_current)];
    const Block old = block;
    block.endCol = col;
    block.endRow = row;
    computeBounds(block);
    block.selected = 1;
    // The block's end is where the moving cell is: a later move that stays there (a scroll)
    // keeps the block.
    m_lastReached = {col, row};
    if (m_newBlock) {
        ++m_count;
        m_newBlock = false;
    }
    if (m_redraw) {
        // The rows between the old and the new end across both column spans, and the columns
        // between the old and the new end across both row spans.
        m_redraw->Add(std::min(old.left, block.left), std::min(old.endRow, row),
                      std::max(old.right, block.right), std::max(old.endRow, row));
        m_redraw->Add(std::min(old.endCol, col), std::min(old.top, block.top),
                      std::max(old.endCol, col), std::max(old.bottom, block.bottom));
    }
    return 0;
}

void CGridSelectList::ToggleCell(int col, int row)
{
    for (auto it = m_blocks.rbegin(); it != m_blocks.rend(); ++it) {
        if (it->left == col && it->right == col && it->top == row && it->bottom == row) {
            it->selected = it->selected ? 0 : 1;
            if (m_redraw) {
                m_redraw->AddCell(col, row);
            }
            return;
        }
    }
    const int wasSelected = IsSelected(col, row);
    StartBlock(col, row);
    m_blocks.back().selected = wasSelected ? 0 : 1;
}

int CGridSelectList::IsSelected(int col, int row, int* blockIndex) const
{
    for (std::size_t i = m_blocks.size(); i-- > 0;) {
        if (m_blocks[i].contains(col, row)) {
            if (blockIndex) {
                *blockIndex = static_cast<int>(i);
            }
            return m_blocks[i].selected;
        }
    }
    if (blockIndex) {
        *blockIndex = -1;
    }
    return 0;
}

int CGridSelectList::IsColSelected(int col) const
{
    for (auto it = m_blocks.rbegin(); it != m_blocks.rend(); ++it) {
        if ((m_mode & kModeWholeRow) || (col >= it->left && col <= it->right)) {
            return it->selected;
        }
    }
    return 0;
}

int CGridSelectList::IsRowSelected(int row) const
{
    for (auto it = m_blocks.rbegin(); it != m_blocks.rend(); ++it) {
        if (row >= it->top && row <= it->bottom) {
            return it->selected;
        }
    }
    return 0;
}

int CGridSelectList::GetStartCell(int& col, int& row) const
{
    if (!m_active) {
        return 1;
    }
    col = m_startCol;
    row = m_startRow;
    return 0;
}

int CGridSelectList::GetCurrentBlock(int& left, int& top, int& right, int& bottom) const
{
    if (!m_active || m_current < 0) {
        return 1;
    }
    const Block& block = m_blocks[static_cast<std::size_t>(m_current)];
    left = block.left;
    top = block.top;
    right = block.right;
    bottom = block.bottom;
    return 0;
}

int CGridSelectList::GetTotalRange(int& left, int& top, int& right, int& bottom) const
{
    if (m_blocks.empty()) {
        return 1;
    }
    left = m_blocks.front().left;
    top = m_blocks.front().top;
    right = m_blocks.front().right;
    bottom = m_blocks.front().bottom;
    for (const Block& block : m_blocks) {
        left = std::min(left, block.left);
        top = std::min(top, block.top);
        right = std::max(right, block.right);
        bottom = std::max(bottom, block.bottom);
    }
    return 0;
}

void CGridSelectList::InvalidateSelection(CGridRedrawList& redraw) const
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    if (GetTotalRange(left, top, right, bottom) == 0) {
        redraw.Add(left, top, right, bottom);
    }
}

void CGridSelectList::SetSelectMode(int mode)
{
    ClearAll();
    m_mode = mode;
}

int CGridSelectList::EnumFirstSelected(int& col, int& row)
{
    if (m_blocks.empty()) {
        m_enumerating = false;
        col = m_sheet ? m_sheet->m_currentCol : -1;
        row = m_sheet ? m_sheet->m_currentRow : -1;
        return 0;
    }
    GetTotalRange(m_enumLeft, m_enumTop, m_enumRight, m_enumBottom);
    // The current cell widens the box too (when there is one).
    if (m_sheet && m_sheet->m_currentCol >= 0 && m_sheet->m_currentRow >= 0) {
        m_enumLeft = std::min(m_enumLeft, m_sheet->m_currentCol);
        m_enumRight = std::max(m_enumRight, m_sheet->m_currentCol);
        m_enumTop = std::min(m_enumTop, m_sheet->m_currentRow);
        m_enumBottom = std::max(m_enumBottom, m_sheet->m_currentRow);
    }
    m_enumCol = m_enumLeft;
    m_enumRow = m_enumTop;
    m_enumerating = true;
    return EnumNextSelected(col, row);
}

int CGridSelectList::EnumNextSelected(int& col, int& row)
{
    if (!m_enumerating) {
        return 1;
    }
    const bool wholeRow = (m_mode & kModeWholeRow) != 0;
    while (m_enumRow <= m_enumBottom) {
        const int lastCol = wholeRow ? m_enumLeft : m_enumRight;
        while (m_enumCol <= lastCol) {
            const int c = m_enumCol++;
            if (IsSelected(c, m_enumRow)) {
                col = c;
                row = m_enumRow;
                return 0;
            }
        }
        ++m_enumRow;
        m_enumCol = m_enumLeft;
    }
    m_enumerating = false;
    return 1;
}

int CGridSelectList::EnumFirstBlock(int& left, int& top, int& right, int& bottom)
{
    m_enumBlock = 0;
    return EnumNextBlock(left, top, right, bottom);
}

int CGridSelectList::EnumNextBlock(int& left, int& top, int& right, int& bottom)
{
    if (m_enumBlock < 0 || m_enumBlock >= static_cast<int>(m_blocks.size())) {
        return 1;
    }
    const Block& block = m_blocks[static_cast<std::size_t>(m_enumBlock++)];
    left = block.left;
    top = block.top;
    right = block.right;
    bottom = block.bottom;
    return 0;
}

void CGridSelectList::plainClick(int col, int row)
{
    if (m_redraw) {
        InvalidateSelection(*m_redraw);
    }
    ClearAll();
    StartBlock(col, row);
}

void CGridSelectList::extendTo(int col, int row)
{
    if (EndBlock(col, row) == 0) {
        return;
    }
    // No block (a copy or a plain move cleared it): the block runs from the current cell.
    const bool fromCurrent = m_sheet && m_sheet->m_currentCol >= 0 && m_sheet->m_currentRow >= 0 &&
                             m_sheet->m_currentCol < m_sheet->m_numCols &&
                             m_sheet->m_currentRow < m_sheet->m_numRows;
    if (!fromCurrent) {
        plainClick(col, row);
        return;
    }
    plainClick(m_sheet->m_currentCol, m_sheet->m_currentRow);
    EndBlock(col, row);
}

void CGridSelectList::ReshapeBlock(int anchorCol, int anchorRow, int col, int row)
{
    if (!m_active || m_current < 0) {
        plainClick(anchorCol, anchorRow);
    } else {
        Block& block = m_blocks[static_cast<std::size_t>(m_current)];
        if (m_redraw) {
            m_redraw->Add(block.left, block.top, block.right, block.bottom);
        }
        block.anchorCol = anchorCol;
        block.anchorRow = anchorRow;
        m_anchorCol = anchorCol;
        m_anchorRow = anchorRow;
        forgetLastCells();
    }
    EndBlock(col, row);
}

int CGridSelectList::OnMouseSelect(int col, int row, unsigned flags)
{
    const GridCellCoord cell{col, row};
    if (cell == m_lastPress) {
        return 0;
    }
    if (flags & kMouseKeyControl) {
        StartBlock(col, row);
    } else if (flags & kMouseKeyShift) {
        extendTo(col, row);
    } else {
        plainClick(col, row);
    }
    m_lastPress = cell;
    m_lastReached = cell;
    return 0;
}

int CGridSelectList::OnRightClickSelect(int col, int row)
{
    if (IsSelected(col, row)) {
        return 1;
    }
    plainClick(col, row);
    m_lastPress = {col, row};
    m_lastReached = {col, row};
    return 0;
}

int CGridSelectList::OnKeyMove(int col, int row)
{
    const GridCellCoord cell{col, row};
    if (cell == m_lastReached) {
        return 0;
    }
    // Ctrl with a moving key only makes the move go further (to the first or last row, ...):
    // unlike Ctrl with a click it adds no block, so the moved-to cell replaces the selection
    // unless Shift extends it.
    if (gridSystem().isKeyDown(kVirtualKeyShift)) {
        extendTo(col, row);
    } else {
        plainClick(col, row);
    }
    // A later press at this cell is a new click, not a repeat.
    m_lastPress = {-1, -1};
    m_lastReached = cell;
    return 0;
}

int CGridSelectList::OnDragSelect(int col, int row)
{
    const GridCellCoord cell{col, row};
    if (cell == m_lastReached) {
        return 0;
    }
    if (EndBlock(col, row) != 0) {
        plainClick(col, row);
    }
    m_lastPress = {-1, -1};
    m_lastReached = cell;
    return 0;
}

} // namespace gridctrl::model
