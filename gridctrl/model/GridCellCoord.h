#pragma once

#include <cstdint>

namespace gridctrl::model {

// A cell address, column then row. 0-based inside the grid control; column -1 (and lower,
// for several heading columns) is the side heading, row -1 (and lower) the top heading,
// (-1, -1) the corner.
struct GridCellCoord
{
    std::int32_t col = 0;
    std::int32_t row = 0;

    friend bool operator==(const GridCellCoord&, const GridCellCoord&) = default;
};

} // namespace gridctrl::model
