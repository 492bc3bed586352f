#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridPrinter.h"
#include "platform/framework/CDC.h"

namespace gridctrl::widgets {

// A grid page drawn on a printer device context: the printer's mapping, clipping, each cell
// through its cell type at the print scale (its font scaled with it) framed by its border.
// GUI thread only.
class GridCdcPrintTarget : public model::GridPrintTarget
{
public:
    GridCdcPrintTarget(platform::framework::CDC& dc, model::CGridControl& control)
        : m_dc(dc), m_control(control)
    {}

    void beginPage(int divisor) override;
    void setClip(const model::GridRect* rect) override;
    void printCell(model::CGridCellType& type, const model::GridRect& rect, int col, int row,
                   model::CGridCellInfo& cell, double scale) override;
    void line(int x1, int y1, int x2, int y2) override;

private:
    platform::framework::CDC& m_dc;
    model::CGridControl& m_control;
};

// What printing reads of a device context: its resolution and size, and whether it already
// has a window extent (print preview). Sets the extent to 1 by 1 as the printer expects and
// puts a preset one back.
model::GridPrintDevice gridPrintDevice(platform::framework::CDC& dc);

// Lays out the pages of a block on the device context; their number.
int gridPrintInit(platform::framework::CDC& dc, model::CGridControl& control, int startCol,
                  long startRow, int endCol, long endRow);

} // namespace gridctrl::widgets
