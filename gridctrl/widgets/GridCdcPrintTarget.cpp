#include "gridctrl/widgets/GridCdcPrintTarget.h"

#include "gridctrl/widgets/GridCellDrawing.h"

#include <algorithm>
#include <cmath>

namespace gridctrl::widgets {

namespace fw = platform::framework;

model::GridPrintDevice gridPrintDevice(fw::CDC& dc)
{
    model::GridPrintDevice device;
    device.horzRes = dc.GetDeviceCaps(fw::HORZRES);
    device.vertRes = dc.GetDeviceCaps(fw::VERTRES);
    device.horzSize = dc.GetDeviceCaps(fw::HORZSIZE);
    device.vertSize = dc.GetDeviceCaps(fw::VERTSIZE);
    dc.SetMapMode(fw::MM_ANISOTROPIC);
    const fw::SIZE previous = dc.SetWindowExt(1, 1);
    if (previous.cx != 1 || previous.cy != 1) {
        device.presetExtent = true;
        dc.SetWindowExt(previous.cx, previous.cy);
    }
    return device;
}

int gridPrintInit(fw::CDC& dc, model::CGridControl& control, int startCol, long startRow,
                  int endCol, long endRow)
{
    return control.PrintInit(gridPrintDevice(dc), startCol, startRow, endCol, endRow);
}

void GridCdcPrintTarget::beginPage(int divisor)
{
    if (divisor <= 1) {
        return; // the extent was preset: draw in its units
    }
    m_dc.SetMapMode(fw::MM_ANISOTROPIC);
    m_dc.SetWindowExt(1, 1);
    m_dc.SetViewportExt(divisor, divisor);
}

void GridCdcPrintTarget::setClip(const model::GridRect* rect)
{
    m_dc.SelectClipRgnNone();
    if (rect) {
        m_dc.IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom);
    }
}

void GridCdcPrintTarget::printCell(model::CGridCellType&, const model::GridRect& rect, int col,
                                   int row, model::CGridCellInfo& cell, double scale)
{
    if (!(scale > 0) || !std::isfinite(scale) || rect.right <= rect.left ||
        rect.bottom <= rect.top) {
        return;
    }
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    const int saved = m_dc.SaveDC();
    // The cell's font (or the sheet's) at the print scale.
    const model::GridObject* fontObject =
        cell.HasProperty(model::CGridCellInfo::kPropFont) ? cell.GetFont() : sheet.m_defaultFont;
    fw::CFont font = gridFont(fontObject);
    font.logFont.lfHeight = static_cast<int32_t>(
        std::lround(std::clamp(font.logFont.lfHeight * scale, -100000.0, 100000.0)));
    m_dc.SelectObject(font);
    GridCellDrawState state;
    state.printing = true;
    state.keepFont = true;
    state.scale = scale;
    const fw::RECT box{rect.left, rect.top, rect.right, rect.bottom};
    drawGridCell(m_dc, m_control, box, col, row, cell, state);
    drawCellBorder(m_dc, sheet, cell, box, scale);
    m_dc.RestoreDC(saved);
}

void GridCdcPrintTarget::line(int x1, int y1, int x2, int y2)
{
    m_dc.SelectObject(fw::CPen{fw::PS_SOLID, 0, 0});
    m_dc.MoveTo(x1, y1);
    m_dc.LineTo(x2, y2);
}

} // namespace gridctrl::widgets
