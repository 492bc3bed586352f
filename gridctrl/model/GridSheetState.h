#pragma once

#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridDataSource.h"
#include "gridctrl/model/GridMemDataSource.h"
#include "gridctrl/model/GridObject.h"
#include "gridctrl/model/GridObjectTable.h"
#include "gridctrl/model/GridSelectList.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gridctrl::model {

// One column's record: its width, its own data source (none: the sheet's current source),
// its default cell (may be absent) and the data column its cells are stored under. A column
// move exchanges records, so the mapped column travels with the data.
struct GridColumnInfo
{
    int width = 75;
    CGridDataSource* dataSource = nullptr; // borrowed
    std::unique_ptr<CGridCellInfo> defaultCell;
    int mappedColumn = 0;
};

// A rectangle in client pixels.
struct GridRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The standard mouse pointers.
enum class GridCursorShape
{
    Arrow,
    SizeWestEast,
    SizeNorthSouth,
    Cross,
    PointingHand,
    Wait,
};

// A mouse pointer a sheet shows: a standard shape, or a picture (top-down 0xAARRGGBB rows,
// transparent where alpha is 0) with its hot spot.
struct GridCursor
{
    GridCursor() = default;
    explicit GridCursor(GridCursorShape standard) : shape(standard) {}

    GridCursorShape shape = GridCursorShape::Arrow;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    int hotX = 0;
    int hotY = 0;

    bool hasPicture() const
    {
        return width > 0 && height > 0 &&
               pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
    friend bool operator==(const GridCursor&, const GridCursor&) = default;
};

// Everything that belongs to one sheet of the grid control: size, scroll position, current
// cell, column and row geometry, headings, defaults, selection, fonts and its own cell store.
// The control and its child windows read and write the fields directly. The sheet is the host
// of its own memory source until a control attaches that source to itself. GUI thread only.
class CGridSheetState : public GridDataSourceHost
{
public:
    CGridSheetState();
    ~CGridSheetState() override;
    CGridSheetState(const CGridSheetState&) = delete;
    CGridSheetState& operator=(const CGridSheetState&) = delete;

    // The data source of a column: its own, else the sheet's current one.
    CGridDataSource* dataSourceOf(int col) const;

    CGridSheetState* currentSheet() override { return this; }
    int onSortEvaluate(const CGridCellInfo* first, const CGridCellInfo* second, int flags) override;

    int m_numCols = 0;
    int m_currentCol = -1;
    int m_previousCurrentCol = -1;
    int m_leftCol = 0;
    int m_previousLeftCol = 0;
    int m_greatestLeftCol = 0;
    int m_defaultColWidth = 75;
    int m_rightCol = 0;
    int m_dragCol = -1;
    std::vector<GridColumnInfo> m_colInfo;

    int m_numRows = 0;
    int m_currentRow = -1;
    int m_previousCurrentRow = -1;
    int m_topRow = 0;
    int m_previousTopRow = 0;
    int m_greatestTopRow = 0;
    std::vector<int> m_rowHeights; // empty while every row has the default height
    int m_defaultRowHeight = 20;
    int m_uniformRowHeight = 0;
    int m_bottomRow = 0;
    int m_dragRow = -1;

    int m_numTopHeadingRows = 1;
    std::vector<int> m_topHeadingRowHeights{20};
    int m_numSideHeadingCols = 1;
    std::vector<int> m_sideHeadingColWidths{25};
    std::unique_ptr<CGridCellInfo> m_gridDefaultCell;
    std::unique_ptr<CGridCellInfo> m_headingDefaultCell;
    CGridCellInfo m_scratchCell;
    int m_topHeadingHeight = 20; // 0 to 1024
    int m_sideHeadingWidth = 40; // 0 to 1024
    int m_vScrollBarWidth = 0;   // 0 to 1024
    int m_hScrollBarHeight = 0;  // 0 to 1024
    int m_tabBarWidth = 150;
    int m_notifyFlags[2] = {1, 1};
    int m_cellAreaWidth = 0;
    int m_cellAreaHeight = 0;
    GridRect m_cellAreaRect;
    GridRect m_topHeadingRect;
    GridRect m_sideHeadingRect;
    GridRect m_cornerRect;
    GridRect m_vScrollRect;
    GridRect m_hScrollRect;
    GridRect m_tabBarRect;
    int m_wholeRowHighlight = 0;
    int m_multiSelection = 0;
    int m_currentCellMode = 1;           // 0 to 3
    int m_drawingOptions[3] = {1, 1, 1}; // the second: raised and sunken border width, 1 to 16
    int m_popupMenuEnabled = 0;
    int m_cellAreaHints = 0;
    int m_vScrollHints = 0;
    int m_hScrollHints = 0;
    int m_colSizingMode = 1;
    int m_navigationFlags[5] = {1, 1, 0, 1, 1};
    int m_vScrollMode = 0;
    int m_hThumbTracking = 0;
    int m_ballisticMode = 0;      // 0 to 3
    int m_ballisticDelayMs = 200; // 0 to 32000
    int m_ballisticKeyMode = 0;   // 0 to 1000
    int m_ballisticKeyDelayMs = 0;
    int m_lockedCols = 0;
    int m_lockedRows = 0;
    int m_lockedColsWidth = 0;
    int m_lockedRowsHeight = 0;
    GridObject* m_defaultFont = nullptr; // borrowed from an object table
    int m_currentDataSourceIndex = 0;
    CGridDataSource* m_currentDataSource = nullptr;
    std::unique_ptr<CGridMemDataSource> m_ownDataSource;
    int m_moveReason = 0;
    unsigned m_mouseKeyFlags = 0;
    std::unique_ptr<CGridSelectList> m_selectList;
    GridCursor m_normalCursor{GridCursorShape::Arrow};
    GridCursor m_colSizingCursor{GridCursorShape::SizeWestEast};
    GridCursor m_rowSizingCursor{GridCursorShape::SizeNorthSouth};
    int m_editValues[2] = {0, 0};
    int m_cellTextMargin = 4;
    std::unique_ptr<CGridObjectTable> m_objectTable;
    std::unique_ptr<GridPen> m_gridLinePen;
    int m_editPlacementMode = 0;
    int m_cancelEditOnFocusLoss = 0;
    int m_rowHighlightOption = 1;
};

} // namespace gridctrl::model
