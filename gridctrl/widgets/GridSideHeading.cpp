#include "gridctrl/widgets/GridSideHeading.h"

#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridQtResources.h"
#include "gridctrl/widgets/GridSectionPaint.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace gridctrl::widgets {

namespace fw = platform::framework;
using model::CGridCellInfo;
using model::GridPoint;
using model::GridRect;

namespace {

constexpr int kSideHeadingBorderPixels = 3;

} // namespace

CGridSideHeading::CGridSideHeading(model::CGridControl& control, GridWidget& grid)
    : QWidget(&grid), m_control(control), m_grid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CGridSideHeading::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    fw::CDC dc(&painter, this);
    m_control.OnPrepareDC(&dc, 0, model::kSectionSideHeading);
    m_textCache.beginPaint(painter, this);
    const std::vector<GridLine> rows = visibleRows(m_control, height());
    const std::vector<GridLine> cols = sideHeadingCols(m_control);
    CGridCellInfo cell;
    int bottom = 0;
    for (const GridLine& rowLine : rows) {
        bottom = rowLine.start + rowLine.size;
        for (const GridLine& colLine : cols) {
            m_control.GetDisplayCell(colLine.index, rowLine.index, &cell);
            paintGridCell(dc, m_control,
                          {colLine.start, rowLine.start, colLine.start + colLine.size,
                           rowLine.start + rowLine.size},
                          colLine.index, rowLine.index, cell, 0, false, &m_textCache);
        }
    }
    m_textCache.endPaint();
    const fw::COLORREF c = m_control.OnGetDefBackColor(model::kSectionSideHeading);
    const QColor back(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    if (bottom < height()) {
        painter.fillRect(QRect(0, bottom, width(), height() - bottom), back);
    }
    // Right of the heading columns when they are narrower than the heading.
    const int right = cols.empty() ? 0 : cols.back().start + cols.back().size;
    if (right < width()) {
        painter.fillRect(QRect(right, 0, width() - right, bottom), back);
    }
}

bool CGridSideHeading::cellAt(QPoint p, int& col, long& row, GridRect& rect) const
{
    col = 0;
    row = -1;
    bool found = false;
    for (const GridLine& line : visibleRows(m_control, height())) {
        if (p.y() >= line.start && p.y() < line.start + line.size) {
            row = line.index;
            rect.top = line.start;
            rect.bottom = line.start + line.size;
        }
    }
    for (const GridLine& line : sideHeadingCols(m_control)) {
        if (p.x() >= line.start && p.x() < line.start + line.size) {
            col = line.index;
            rect.left = line.start;
            rect.right = line.start + line.size;
            found = true;
        }
    }
    return row >= 0 && found;
}

void CGridSideHeading::findBorder(QPoint p)
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    m_armed = false;
    if (sheet.m_colSizingMode != 0) {
        long long edge = 0;
        auto test = [&](long row) {
            edge += m_control.rowHeightOf(row);
            if (std::abs(p.y() - edge) < kSideHeadingBorderPixels) {
                long sized = row;
                if (row + 1 < sheet.m_numRows && m_control.rowHeightOf(row + 1) == 0) {
                    sized = row + 1; // a hidden row can be pulled open
                }
                if (m_control.OnCanSizeRow(sized)) {
                    m_armed = true;
                    m_sizingHeadingCol = false;
                    m_sizeIndex = sized;
                }
                return true;
            }
            return false;
        };
        bool hit = false;
        for (long row = 0; !hit && row < sheet.m_lockedRows && edge <= sheet.m_cellAreaHeight;
             ++row) {
            hit = test(row);
        }
        for (long row = std::max(sheet.m_topRow, sheet.m_lockedRows);
             !hit && row < sheet.m_numRows && edge <= sheet.m_cellAreaHeight; ++row) {
            hit = test(row);
        }
        if (!hit) {
            const std::vector<GridLine> cols = sideHeadingCols(m_control);
            for (auto it = cols.rbegin(); it != cols.rend(); ++it) {
                if (std::abs(p.x() - (it->start + it->size)) < kSideHeadingBorderPixels) {
                    if (m_control.OnCanSizeSideHeading()) {
                        m_armed = true;
                        m_sizingHeadingCol = true;
                        m_sizeIndex = it->index;
                    }
                    break;
                }
            }
        }
    }
    setCursor(gridQCursor(!m_armed             ? sheet.m_normalCursor
                          : m_sizingHeadingCol ? sheet.m_colSizingCursor
                                               : sheet.m_rowSizingCursor));
}

int CGridSideHeading::typeClick(QPoint p, int down)
{
    int col = -1;
    long row = -1;
    GridRect rect;
    if (!cellAt(p, col, row, rect)) {
        return 0;
    }
    CGridCellInfo cell;
    m_control.GetDisplayCell(col, row, &cell);
    model::CGridCellType* type = m_control.GetCellType(
        cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0);
    return type ? type->OnLClicked(col, static_cast<int>(row), down, rect, {p.x(), p.y()}) : 0;
}

void CGridSideHeading::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    cellAt(p, col, row, rect);
    if (event->button() == Qt::RightButton) {
        const int processed = typeClick(p, 0);
        m_control.OnSideHeadingRClicked(col, row, 1, &rect, &point, processed);
        const QPoint global = mapToGlobal(p);
        m_control.ShowPopupMenu(col, row, {global.x(), global.y()}, model::kSectionSideHeading);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_grid.cellArea()->setFocus();
    findBorder(p);
    if (m_armed) {
        m_sizing = true;
        m_startPoint = p;
        m_startTotal = m_control.GetSideHeadingWidth();
        m_startSize = m_sizingHeadingCol ? m_control.colWidthOf(static_cast<int>(m_sizeIndex))
                                         : m_control.rowHeightOf(m_sizeIndex);
        return;
    }
    const int processed = typeClick(p, 1);
    m_control.OnSideHeadingClicked(col, row, 1, &rect, &point, processed);
}

void CGridSideHeading::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || !m_sizing) {
        if (!(event->buttons() & Qt::LeftButton)) {
            findBorder(p);
        }
        return;
    }
    if (!m_sizingHeadingCol) {
        const long long wanted = static_cast<long long>(m_startSize) + (p.y() - m_startPoint.y());
        int height = static_cast<int>(std::clamp<long long>(wanted, 0, 1 << 20));
        m_control.OnRowSizing(m_sizeIndex, &height);
        m_control.SetRowHeight(m_sizeIndex, std::max(0, height));
        if (m_control.currentSheet()->m_colSizingMode == 1) {
            Update();
            m_grid.showMarker(false, p.y());
        } else {
            m_control.RedrawAll();
        }
        return;
    }
    const long long wanted = static_cast<long long>(m_startSize) + (p.x() - m_startPoint.x());
    const int width = static_cast<int>(std::clamp<long long>(wanted, 0, 1024));
    int total = std::clamp(m_startTotal + (width - m_startSize), 0, 1024);
    if (m_control.OnSideHeadingSizing(&total) == 1) {
        m_control.SetSideHeadingColWidth(static_cast<int>(m_sizeIndex), width);
        m_control.SetSideHeadingWidth(std::clamp(total, 0, 1024));
    }
}

void CGridSideHeading::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    cellAt(p, col, row, rect);
    if (event->button() == Qt::RightButton) {
        const int processed = typeClick(p, 0);
        m_control.OnSideHeadingRClicked(col, row, 0, &rect, &point, processed);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_sizing) {
        m_sizing = false;
        m_grid.hideMarker();
        if (m_sizingHeadingCol) {
            int total = m_control.GetSideHeadingWidth();
            m_control.OnSideHeadingSized(&total);
        } else {
            int height = m_control.rowHeightOf(m_sizeIndex);
            m_control.OnRowSized(m_sizeIndex, &height);
            m_control.SetRowHeight(m_sizeIndex, std::max(0, height));
        }
        m_control.RedrawAll();
        return;
    }
    const int processed = typeClick(p, 0);
    m_control.OnSideHeadingClicked(col, row, 0, &rect, &point, processed);
}

void CGridSideHeading::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    cellAt(p, col, row, rect);
    const int processed = typeClick(p, 0);
    m_control.OnSideHeadingDClicked(col, row, &rect, &point, processed);
}

void CGridSideHeading::helpRequestAt(QPoint point, int request)
{
    int col = -1;
    long row = -1;
    GridRect rect;
    cellAt(point, col, row, rect);
    m_control.helpRequest(col, row, model::kSectionSideHeading, request);
}

} // namespace gridctrl::widgets
