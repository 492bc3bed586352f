#pragma once

namespace gridctrl::model {

class CGridCellInfo;

// Computes a cell as it is shown: a cell that names an evaluator is handed to it by
// CGridControl::GetDisplayCell after the stored cell has been read, and the evaluator may
// change any of its properties (a formula writing its result as the text, for example). The
// cell borrows the evaluator; its owner keeps it alive while cells name it. GUI thread only.
class CGridCellEvaluator
{
public:
    virtual ~CGridCellEvaluator() = default;

    // The cell at (col, row) of the current sheet, filled from its column default and its
    // data source.
    virtual void EvaluateCell(int col, long row, CGridCellInfo* cell) = 0;
};

} // namespace gridctrl::model
