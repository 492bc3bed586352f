#pragma once

#include "gridctrl/model/GridCellInfo.h"
#include "gridctrl/model/GridCellType.h"
#include "gridctrl/model/GridSheetState.h"

#include <vector>

namespace gridctrl::model {

class CGridControl;

// What printing reads of the printer: resolution in pixels, size in millimetres, and whether
// the device context already had a window extent (print preview).
struct GridPrintDevice
{
    int horzRes = 0;
    int vertRes = 0;
    int horzSize = 0;
    int vertSize = 0;
    bool presetExtent = false;
};

// One printed page: its number (from 1) and its block of cells.
struct GridPrintPageInfo
{
    int page = 0;
    int startCol = 0;
    int endCol = 0;
    int startRow = 0;
    int endRow = 0;
};

// Where a page is drawn: the drawing layer implements it over a device context, in printer
// units (printer pixels divided by the unit divisor unless the extent was preset).
class GridPrintTarget
{
public:
    virtual ~GridPrintTarget() = default;
    // Sets the mapping: printer units of `divisor` pixels (1: pixels as they are).
    virtual void beginPage(int divisor) = 0;
    // Clips to a rectangle; null removes the clip.
    virtual void setClip(const GridRect* rect) = 0;
    // Draws one cell through its type's print operation, scaled by `scale` printer units per
    // screen pixel of the row.
    virtual void printCell(CGridCellType& type, const GridRect& rect, int col, int row,
                           CGridCellInfo& cell, double scale) = 0;
    virtual void line(int x1, int y1, int x2, int y2) = 0;
};

// Prints a block of the current sheet page by page, across then down, scaling screen pixels
// to the paper (3.79 screen pixels per millimetre across, 3.78 down). GUI thread only.
class CGridPrinter
{
public:
    explicit CGridPrinter(CGridControl& control) : m_control(control) {}

    // Lays out the pages; their number (0 when the printable area is empty or the device
    // reports no size).
    int PrintInit(const GridPrintDevice& device, int startCol, long startRow, int endCol,
                  long endRow);
    // 0 when printed, 1 for a page PrintInit did not produce.
    int PrintPage(GridPrintTarget& target, int page);
    // 0 when set; 1 for a negative margin (unchanged). Unknown numbers change nothing (0).
    int PrintSetOption(int option, long value);
    // 0 and the value; 1 and 0 for an unknown number.
    int PrintGetOption(int option, long* value) const;

    const std::vector<GridPrintPageInfo>& pages() const { return m_pages; }
    int columnPages() const { return m_colPages; }
    int rowBands() const { return m_rowBands; }
    int unitDivisor() const { return m_unitDivisor; }
    double horizontalScale() const { return m_hScale; }
    double verticalScale() const { return m_vScale; }
    GridRect printableArea() const { return {m_left, m_top, m_right, m_bottom}; }
    // The screen width in pixels that fits the printable width (0 before PrintInit).
    int printableWidth() const { return m_printWidth; }
    int printableHeight() const { return m_printHeight; }

private:
    CGridControl& m_control;
    std::vector<GridPrintPageInfo> m_pages;
    int m_colPages = 0;
    int m_rowBands = 0;
    float m_vScale = 0;
    float m_hScale = 0;
    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
    int m_bottom = 0;
    int m_pageWidth = 0;
    int m_pageHeight = 0;
    int m_unitDivisor = 7;
    bool m_presetExtent = false;
    int m_margins[4] = {25, 25, 25, 25}; // left, top, right, bottom
    int m_frame = 1;
    int m_printSideHeading = 0;
    int m_printTopHeading = 0;
    int m_printWidth = 0;
    int m_printHeight = 0;
};

} // namespace gridctrl::model
