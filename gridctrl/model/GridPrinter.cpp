#include "gridctrl/model/GridPrinter.h"

#include "gridctrl/model/GridControl.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace gridctrl::model {

namespace {

constexpr double kPixelsPerMmAcross = 3.79;
constexpr double kPixelsPerMmDown = 3.78;

int roundToInt(double value)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    return static_cast<int>(
        std::clamp(std::lround(value), static_cast<long>(INT_MIN), static_cast<long>(INT_MAX)));
}

// Splits sizes[0..] into pages of at most `limit` after `base`; each page is a pair of
// indexes. A size of at least `limit`, or one that does not fit even alone after the base,
// ends the page it falls on.
std::vector<std::pair<int, int>> paginate(const std::vector<int>& sizes, int base, int limit)
{
    std::vector<std::pair<int, int>> pages;
    const int count = static_cast<int>(sizes.size());
    long long running = base;
    int first = 0;
    for (int i = 0; i < count; ++i) {
        const int size = sizes[static_cast<std::size_t>(i)];
        running += size;
        if (running <= limit) {
            continue;
        }
        if (size >= limit || i == first) {
            pages.emplace_back(first, i);
            first = i + 1;
            running = base;
        } else {
            pages.emplace_back(first, i - 1);
            first = i;
            running = static_cast<long long>(base) + size;
        }
    }
    if (first < count) {
        pages.emplace_back(first, count - 1);
    }
    return pages;
}

} // namespace

int CGridPrinter::PrintInit(const GridPrintDevice& device, int startCol, long startRow, int endCol,
                            long endRow)
{
    m_pages.clear();
    m_colPages = 0;
    m_rowBands = 0;
    m_printWidth = 0;
    m_printHeight = 0;
    m_presetExtent = device.presetExtent;
    CGridSheetState* sheet = m_control.currentSheet();
    if (!sheet || device.horzSize <= 0 || device.vertSize <= 0 || device.horzRes <= 0 ||
        device.vertRes <= 0) {
        return 0;
    }
    startCol = std::max(startCol, 0);
    startRow = std::max(startRow, 0L);
    endCol = std::min(endCol, sheet->m_numCols - 1);
    endRow = std::min(endRow, static_cast<long>(sheet->m_numRows) - 1);
    const auto [left, top, right, bottom] = m_margins;
    int width = roundToInt((device.horzSize - left - right) * kPixelsPerMmAcross);
    int height = roundToInt((device.vertSize - top - bottom) * kPixelsPerMmDown);
    if (m_printSideHeading) {
        width -= sheet->m_sideHeadingWidth;
    }
    if (m_printTopHeading) {
        height -= sheet->m_topHeadingHeight;
    }
    if (width <= 0 || height <= 0) {
        return 0; // nothing fits between the margins
    }
    m_printWidth = width;
    m_printHeight = height;
    const double pxPerMmX = static_cast<double>(device.horzRes) / device.horzSize;
    const double pxPerMmY = static_cast<double>(device.vertRes) / device.vertSize;
    m_vScale = static_cast<float>(pxPerMmY * (device.vertSize - top - bottom) / height);
    m_hScale = static_cast<float>(pxPerMmX * (device.horzSize - left - right) / width);
    m_left = roundToInt(pxPerMmX * left);
    m_top = roundToInt(pxPerMmY * top);
    m_right = roundToInt(device.horzRes - pxPerMmX * right);
    m_bottom = roundToInt(device.vertRes - pxPerMmY * bottom);
    m_pageWidth = device.horzRes;
    m_pageHeight = device.vertRes;
    if (!m_presetExtent) {
        m_unitDivisor = std::max(1, device.horzRes / 450);
        m_left /= m_unitDivisor;
        m_top /= m_unitDivisor;
        m_right /= m_unitDivisor;
        m_bottom /= m_unitDivisor;
        m_pageWidth /= m_unitDivisor;
        m_pageHeight /= m_unitDivisor;
        m_vScale /= static_cast<float>(m_unitDivisor);
        m_hScale /= static_cast<float>(m_unitDivisor);
    }
    if (endCol < startCol || endRow < startRow) {
        return 0;
    }
    std::vector<int> widths;
    for (int col = startCol; col <= endCol; ++col) {
        widths.push_back(m_control.GetColWidth(col));
    }
    std::vector<int> heights;
    for (long row = startRow; row <= endRow; ++row) {
        heights.push_back(m_control.GetRowHeight(row));
    }
    const auto colPages =
        paginate(widths, m_printSideHeading ? sheet->m_sideHeadingWidth : 0, width);
    const auto bands = paginate(heights, m_printTopHeading ? sheet->m_topHeadingHeight : 0, height);
    m_colPages = static_cast<int>(colPages.size());
    m_rowBands = static_cast<int>(bands.size());
    int number = 0;
    for (const auto& band : bands) {
        for (const auto& cols : colPages) {
            m_pages.push_back({++number, startCol + cols.first, startCol + cols.second,
                               static_cast<int>(startRow) + band.first,
                               static_cast<int>(startRow) + band.second});
        }
    }
    return m_colPages * m_rowBands;
}

int CGridPrinter::PrintPage(GridPrintTarget& target, int page)
{
    const auto found = std::find_if(m_pages.begin(), m_pages.end(),
                                    [page](const GridPrintPageInfo& p) { return p.page == page; });
    if (found == m_pages.end()) {
        return 1;
    }
    const GridPrintPageInfo info = *found;
    CGridSheetState& sheet = *m_control.currentSheet();
    target.beginPage(m_presetExtent ? 1 : m_unitDivisor);

    // Column edges, zero-width columns left out.
    const int firstCol = m_printSideHeading ? -sheet.m_numSideHeadingCols : info.startCol;
    std::vector<int> cols;
    std::vector<int> colLeft;
    std::vector<int> colRight;
    int x = m_left;
    for (int col = firstCol; col <= info.endCol; ++col) {
        if (col >= 0 && col < info.startCol) {
            col = info.startCol;
        }
        const int w = m_control.GetColWidth(col);
        if (w <= 0) {
            continue;
        }
        cols.push_back(col);
        colLeft.push_back(x);
        x += roundToInt(w * static_cast<double>(m_hScale));
        colRight.push_back(x);
    }
    const long firstRow = m_printTopHeading ? -sheet.m_numTopHeadingRows : info.startRow;
    int y = m_top;
    int regionRight = cols.empty() ? m_left : colRight.back();
    int regionBottom = m_top;
    CGridCellInfo cell;
    for (long row = firstRow; row <= info.endRow; ++row) {
        if (row >= 0 && row < info.startRow) {
            row = info.startRow;
        }
        const int h = m_control.GetRowHeight(row);
        if (h <= 0) {
            continue; // rows of no height are not printed (and never divided by)
        }
        const int rowTop = y;
        const int rowBottom = y + roundToInt(h * static_cast<double>(m_vScale));
        y = rowBottom;
        regionBottom = rowBottom;
        for (std::size_t i = 0; i < cols.size(); ++i) {
            const int col = cols[i];
            GridRect rect{colLeft[i], rowTop, colRight[i], rowBottom};
            double scale = static_cast<double>(rect.bottom - rect.top) / h;
            if (col < 0 && row < 0) {
                if (col != -1 || row != -1) {
                    continue;
                }
                // The corner: the whole heading corner, one unit shorter at the bottom.
                rect = {
                    m_left, m_top,
                    m_left + roundToInt(sheet.m_sideHeadingWidth * static_cast<double>(m_hScale)),
                    m_top + roundToInt(sheet.m_topHeadingHeight * static_cast<double>(m_vScale)) -
                        1};
                const int headingRows = std::max(1, sheet.m_numTopHeadingRows);
                scale = h > 0 ? static_cast<double>(rect.bottom - rect.top) / headingRows / h : 1.0;
            }
            m_control.GetDisplayCell(col, row, &cell);
            int originFlag = 0;
            int colOffset = 0;
            int rowOffset = 0;
            if (col >= 0 && row >= 0 && cell.GetJoin(originFlag, colOffset, rowOffset) == 0) {
                const int originCol = originFlag == 1 ? col : col + colOffset;
                const long originRow = originFlag == 1 ? row : row + rowOffset;
                // Printed once: at the origin, or at the first cell of the page in the block.
                const bool firstOnPage =
                    (originCol >= info.startCol ? col == originCol : col == info.startCol) &&
                    (originRow >= info.startRow ? row == originRow : row == info.startRow);
                if (!firstOnPage) {
                    continue;
                }
                int endCol = col;
                long endRow = row;
                int startCol = originCol;
                long startRow = originRow;
                if (m_control.GetJoinRange(&startCol, &startRow, &endCol, &endRow) == 0) {
                    endCol = std::min(endCol, info.endCol);
                    endRow = std::min<long>(endRow, info.endRow);
                    for (std::size_t j = i + 1; j < cols.size() && cols[j] <= endCol; ++j) {
                        rect.right = colRight[j];
                    }
                    int rowsSpanned = 0;
                    int yy = rowTop;
                    for (long r = row; r <= endRow; ++r) {
                        const int rh = m_control.GetRowHeight(r);
                        yy += roundToInt(rh * static_cast<double>(m_vScale));
                        rowsSpanned += rh > 0 ? 1 : 0;
                    }
                    rect.bottom = yy;
                    if (rowsSpanned >= 2) {
                        scale = static_cast<double>(rect.bottom - rect.top) / rowsSpanned / h;
                    }
                    m_control.GetDisplayCell(originCol, originRow, &cell);
                }
            }
            if (!m_presetExtent) {
                target.setClip(&rect);
            }
            CGridCellType* type = m_control.GetCellType(
                cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0);
            target.printCell(*type, rect, col, static_cast<int>(row), cell, scale);
            if (!m_presetExtent) {
                target.setClip(nullptr);
            }
        }
    }
    if (m_frame && !cols.empty() && regionBottom > m_top) {
        target.line(m_left, regionBottom, regionRight, regionBottom);
        target.line(regionRight, m_top, regionRight, regionBottom);
        target.line(m_left, m_top, regionRight, m_top);
        target.line(m_left, m_top, m_left, regionBottom);
    }
    return 0;
}

int CGridPrinter::PrintSetOption(int option, long value)
{
    switch (option) {
    case 1:
        m_printSideHeading = value != 0;
        return 0;
    case 2:
        m_printTopHeading = value != 0;
        return 0;
    case 3:
    case 4:
    case 5:
    case 6:
        if (value < 0 || value > 10000) {
            return 1;
        }
        m_margins[option - 3] = static_cast<int>(value);
        return 0;
    case 10:
        m_frame = value != 0;
        return 0;
    default:
        return 0;
    }
}

int CGridPrinter::PrintGetOption(int option, long* value) const
{
    long result = 0;
    int code = 0;
    switch (option) {
    case 1:
        result = m_printSideHeading;
        break;
    case 2:
        result = m_printTopHeading;
        break;
    case 3:
    case 4:
    case 5:
    case 6:
        result = m_margins[option - 3];
        break;
    case 10:
        result = m_frame;
        break;
    default:
        code = 1;
        break;
    }
    if (value) {
        *value = result;
    }
    return code;
}

} // namespace gridctrl::model
