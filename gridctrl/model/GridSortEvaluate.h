#pragma once

namespace gridctrl::model {

class CGridCellInfo;

// Sort flag: descending order (the two cells are swapped before comparing).
constexpr int kSortDescending = 2;

// The grid's cell comparison for sorting: below 0 when `first` sorts before `second`, 0 when
// they are equal, above 0 after. A missing cell sorts after a present one. The first cell's
// format decides how: text compares byte-wise (UTF-8 code point order), numbers, Booleans and
// numeric cells by value. Empty cells sort after every non-empty one in either kind.
int gridSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags);

} // namespace gridctrl::model
