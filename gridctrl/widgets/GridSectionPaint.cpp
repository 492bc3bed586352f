#include "gridctrl/widgets/GridSectionPaint.h"

#include "gridctrl/widgets/GridCellDrawing.h"

namespace gridctrl::widgets {

namespace fw = platform::framework;

std::vector<GridLine> visibleCols(const model::CGridControl& control, int width)
{
    auto& sheet = *const_cast<model::CGridControl&>(control).currentSheet();
    std::vector<GridLine> lines;
    int x = 0;
    auto visit = [&](int col) {
        const int w = control.colWidthOf(col);
        if (w > 0) {
            lines.push_back({col, x, w});
        }
        x += std::max(0, w);
    };
    for (int col = 0; col < sheet.m_lockedCols && col < sheet.m_numCols && x < width; ++col) {
        visit(col);
    }
    for (int col = std::max(sheet.m_leftCol, sheet.m_lockedCols);
         col < sheet.m_numCols && x < width; ++col) {
        visit(col);
    }
    return lines;
}

std::vector<GridLine> visibleRows(const model::CGridControl& control, int height)
{
    auto& sheet = *const_cast<model::CGridControl&>(control).currentSheet();
    std::vector<GridLine> lines;
    int y = 0;
    auto visit = [&](long row) {
        const int h = control.rowHeightOf(row);
        if (h > 0) {
            lines.push_back({static_cast<int>(row), y, h});
        }
        y += std::max(0, h);
    };
    for (long row = 0; row < sheet.m_lockedRows && row < sheet.m_numRows && y < height; ++row) {
        visit(row);
    }
    for (long row = std::max(sheet.m_topRow, sheet.m_lockedRows);
         row < sheet.m_numRows && y < height; ++row) {
        visit(row);
    }
    return lines;
}

std::vector<GridLine> sideHeadingCols(const model::CGridControl& control)
{
    auto& sheet = *const_cast<model::CGridControl&>(control).currentSheet();
    std::vector<GridLine> lines;
    int x = 0;
    for (int col = -sheet.m_numSideHeadingCols; col <= -1; ++col) {
        const int w = control.colWidthOf(col);
        if (w > 0) {
            lines.push_back({col, x, w});
        }
        x += std::max(0, w);
    }
    return lines;
}

std::vector<GridLine> topHeadingRows(const model::CGridControl& control)
{
    auto& sheet = *const_cast<model::CGridControl&>(control).currentSheet();
    std::vector<GridLine> lines;
    int y = 0;
    for (int row = -sheet.m_numTopHeadingRows; row <= -1; ++row) {
        const int h = control.rowHeightOf(row);
        if (h > 0) {
            lines.push_back({row, y, h});
        }
        y += std::max(0, h);
    }
    return lines;
}

void paintGridCell(fw::CDC& dc, model::CGridControl& control, const model::GridRect& rect, int col,
                   long row, model::CGridCellInfo& cell, int selectedValue, bool current,
                   GridTextCache* textCache, std::function<bool(int)> mayCover, int* overflowEndCol)
{
    GridCellDrawState state;
    state.textCache = textCache;
    state.mayCover = std::move(mayCover);
    state.selected = selectedValue > 0;
    state.selectedValue = selectedValue;
    state.current = current;
    const int saved = dc.SaveDC();
    drawGridCell(dc, control, fw::RECT{rect.left, rect.top, rect.right, rect.bottom}, col,
                 static_cast<int>(row), cell, state, overflowEndCol);
    dc.RestoreDC(saved);
}

int selectedValueOf(model::CGridControl& control, int col, long row)
{
    int block = -1;
    if (control.IsSelected(col, row, &block) == 0) {
        return 0;
    }
    return std::max(0, block) + 1;
}

} // namespace gridctrl::widgets
