#pragma once

#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridDataSource.h"

#include <memory>
#include <string_view>
#include <vector>

namespace gridctrl::model {

// The sheet's own sparse in-memory cell store. Rows are an array and each row an array of
// cell places, so that a sheet's cells lie in a few contiguous blocks; a plain cell (text,
// format, value, precision) is held in its place without a block of its own, any other cell
// as a full cell info. Rows before row 0 hold the top heading cells and places before column
// 0 the side heading cells; a row with places always reaches column 0. GUI thread only.
class CGridMemDataSource : public CGridDataSource
{
public:
    CGridMemDataSource();
    ~CGridMemDataSource() override;
    CGridMemDataSource(const CGridMemDataSource&) = delete;
    CGridMemDataSource& operator=(const CGridMemDataSource&) = delete;

    // The index of the last row (0 for an empty store); the cursor moves there.
    int GetLastRow() override;
    // Rows and cells come into being when a cell is set: these change nothing.
    int AppendRow() override;
    int AppendCol() override;
    // Links an empty row in before `row`, which must exist (1 otherwise).
    int InsertRow(int row) override;
    // Links an empty place in before the data column in every row that reaches it, and moves
    // the mapped data columns of the host's sheet along.
    int InsertCol(int col) override;
    // A row that does not exist counts as deleted.
    int DeleteRow(int row) override;
    int DeleteCol(int col) override;
    // Empties one place; 1 when it does not exist.
    int DeleteCell(int col, int row) override;
    int RemoveAll() override;
    // Merges the stored cell into `cell`; 1 when there is none.
    int GetCell(int col, int row, CGridCellInfo& cell) override;
    // Stores a copy of `cell`, creating rows and places as needed in either direction.
    int SetCell(int col, int row, const CGridCellInfo& cell) override;
    int FindFirst(std::string_view text, int& col, int& row, int flags) override;
    // Steps once from (col, row), then searches one full pass with wrapping; 0 and the
    // position of the first match, 1 when nothing matches.
    int FindNext(std::string_view text, int& col, int& row, int flags) override;
    // Sorts the data rows (row 0 to the end) by the given data columns, stable; heading rows
    // stay where they are. 1 when there are no data rows or no columns.
    int SortBy(const int* cols, int count, int flags) override;
    int SortBy(int col, int flags) override;
    // The nearest data column left of `col` in `row` whose text is not empty.
    int GetPrevNonBlankCol(int& col, int row) override;

private:
    struct StoredCell;
    struct Row;

    Row* findRow(int row);
    StoredCell* findPlace(int col, int row);
    Row& ensureRow(int row);
    StoredCell& ensurePlace(Row& row, int col);
    int widestRow() const;
    int compareCells(const CGridCellInfo* first, const CGridCellInfo* second, int flags);

    std::vector<Row> m_rows;
    int m_firstRow = 0; // the index of m_rows.front()
    int m_searchCol = 0;
    int m_searchRow = 0;
};

} // namespace gridctrl::model
