#pragma once

#include "gridctrl/model/GridCellCoord.h"

#include <cstdint>

namespace gridctrl::model {

// An inclusive block of cells: start column, start row, end column, end row.
struct GridCellRange
{
    std::int32_t startCol = 0;
    std::int32_t startRow = 0;
    std::int32_t endCol = 0;
    std::int32_t endRow = 0;

    // True when start is not after end in either direction, as range operations require.
    bool isOrdered() const { return startCol <= endCol && startRow <= endRow; }

    bool contains(GridCellCoord cell) const
    {
        return cell.col >= startCol && cell.col <= endCol && cell.row >= startRow &&
               cell.row <= endRow;
    }

    friend bool operator==(const GridCellRange&, const GridCellRange&) = default;
};

// The join numbers a cell of a joined block carries: the origin (top left) holds flag 1 and
// the distances to the far corner; every other cell flag 0 and the negative distance back to
// the origin.
struct GridJoin
{
    std::int32_t originFlag = 0;
    std::int32_t colOffset = 0;
    std::int32_t rowOffset = 0;

    friend bool operator==(const GridJoin&, const GridJoin&) = default;
};

// Join numbers of `cell` inside the ordered block `block`.
constexpr GridJoin joinNumbersFor(const GridCellRange& block, GridCellCoord cell)
{
    if (cell.col == block.startCol && cell.row == block.startRow) {
        return {1, block.endCol - block.startCol, block.endRow - block.startRow};
    }
    return {0, block.startCol - cell.col, block.startRow - cell.row};
}

} // namespace gridctrl::model
