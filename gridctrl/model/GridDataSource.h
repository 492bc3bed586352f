#pragma once

#include <string_view>

namespace gridctrl::model {

class CGridCellInfo;
class CGridEditBase;
class CGridSheetState;

// What a data source asks of the control it is attached to.
class GridDataSourceHost
{
public:
    virtual ~GridDataSourceHost() = default;
    // The sheet on show: its size and its column records (the mapped data columns).
    virtual CGridSheetState* currentSheet() = 0;
    // The control's cell comparison for sorting (below 0: `first` sorts before `second`).
    virtual int onSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second,
                               int flags) = 0;
};

// Find flags.
constexpr int kFindPartial = 1;    // the text may occur anywhere in the cell
constexpr int kFindIgnoreCase = 2; // case does not matter
constexpr int kFindBackwards = 4;  // search upwards (and leftwards)
constexpr int kFindAllColumns = 8; // search every column row by row, not only the start column

// The cell store a sheet reads and writes through. The base class supports nothing: every
// operation answers -1, the notifications allow. Results are 0 for success and a non-zero
// code for failure. The reserved slots keep their place and their arguments; nothing calls
// them. GUI thread only.
class CGridDataSource
{
public:
    virtual ~CGridDataSource();

    // The control this source is attached to (not owned), or none.
    void attach(GridDataSourceHost* host) { m_host = host; }
    GridDataSourceHost* host() const { return m_host; }
    // The index of this source in the control's list (-1 until registered).
    void SetIndex(int index) { m_index = index; }
    int getIndex() const { return m_index; }

    virtual int reserved1(long, long) { return -1; }
    virtual int reserved2(long, long) { return -1; }
    // The number of columns and of rows the source holds; -1 when it cannot tell.
    // CGridControl::SetGridUsingDataSource sizes the sheet from them.
    virtual int GetNumCols() { return -1; }
    virtual int GetNumRows() { return -1; }
    virtual int reserved5(long, long) { return -1; }
    virtual int GetLastRow() { return -1; }
    virtual int reserved7() { return -1; }
    virtual int reserved8(long, long) { return -1; }
    virtual int reserved9(long, long) { return -1; }
    virtual int reserved10(long, long) { return -1; }
    virtual int reserved11(long, long) { return -1; }
    virtual int AppendRow() { return -1; }
    virtual int InsertRow(int) { return -1; }
    virtual int AppendCol() { return -1; }
    virtual int InsertCol(int) { return -1; }
    virtual int DeleteRow(int) { return -1; }
    virtual int DeleteCol(int) { return -1; }
    virtual int DeleteCell(int, int) { return -1; }
    virtual int RemoveAll() { return -1; }
    virtual int GetCell(int, int, CGridCellInfo&) { return -1; }
    virtual int SetCell(int, int, const CGridCellInfo&) { return -1; }
    virtual int FindFirst(std::string_view, int&, int&, int) { return -1; }
    virtual int FindNext(std::string_view, int&, int&, int) { return -1; }
    virtual int SortBy(const int*, int, int) { return -1; }
    virtual int SortBy(int, int) { return -1; }
    virtual int reserved26(long, long, long) { return -1; }
    virtual int reserved27(long, long, long) { return -1; }
    virtual int reserved28(long, long, long) { return -1; }
    // Navigation passed the last row: the source may supply rows (count in `supplied`).
    virtual int OnRowsExhausted(int, int, int&) { return -1; }
    virtual void OnRowChange(int, int) {}
    virtual void OnColChange(int, int) {}
    // 1 allows the move of the current cell.
    virtual int OnCanMove(int, int, int, int) { return 1; }
    virtual int reserved33() { return -1; }
    virtual int reserved34() { return -1; }
    virtual int reserved35() { return -1; }
    // The edit notifications: 1 allows (accepts, continues).
    virtual int OnEditStart(int, int, CGridEditBase*&) { return 1; }
    virtual int OnEditKey(int, int, CGridEditBase*, unsigned&) { return 1; }
    virtual int OnEditEnd(int, int, CGridEditBase*, std::string_view, int) { return 1; }
    virtual int OnEditNext(int, int, int&, int&) { return 1; }
    virtual int GetPrevNonBlankCol(int&, int) { return -1; }

private:
    GridDataSourceHost* m_host = nullptr;
    int m_index = -1;
};

} // namespace gridctrl::model
