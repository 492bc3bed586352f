#include "gridctrl/widgets/GridTopHeading.h"

#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridQtResources.h"
#include "gridctrl/widgets/GridSectionPaint.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace gridctrl::widgets {

namespace fw = platform::framework;
using model::CGridCellInfo;
using model::GridPoint;
using model::GridRect;

namespace {

constexpr int kTopHeadingBorderPixels = 3;

QColor topHeadingQColor(fw::COLORREF c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace

CGridTopHeading::CGridTopHeading(model::CGridControl& control, GridWidget& grid)
    : QWidget(&grid), m_control(control), m_grid(grid)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_scrollTimer = new QTimer(this);
    m_scrollTimer->setInterval(50);
    connect(m_scrollTimer, &QTimer::timeout, this, [this] { autoScrollPass(); });
}

void CGridTopHeading::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    fw::CDC dc(&painter, this);
    m_control.OnPrepareDC(&dc, 0, model::kSectionTopHeading);
    m_textCache.beginPaint(painter, this);
    const std::vector<GridLine> cols = visibleCols(m_control, width());
    const std::vector<GridLine> rows = topHeadingRows(m_control);
    CGridCellInfo cell;
    int right = 0;
    for (const GridLine& colLine : cols) {
        right = colLine.start + colLine.size;
        for (const GridLine& rowLine : rows) {
            m_control.GetDisplayCell(colLine.index, rowLine.index, &cell);
            paintGridCell(dc, m_control,
                          {colLine.start, rowLine.start, colLine.start + colLine.size,
                           rowLine.start + rowLine.size},
                          colLine.index, rowLine.index, cell, 0, false, &m_textCache);
        }
    }
    m_textCache.endPaint();
    const QColor back = topHeadingQColor(m_control.OnGetDefBackColor(model::kSectionTopHeading));
    if (right < width()) {
        painter.fillRect(QRect(right, 0, width() - right, height()), back);
    }
    // Below the heading rows when they are lower than the heading.
    const int bottom = rows.empty() ? 0 : rows.back().start + rows.back().size;
    if (bottom < height()) {
        painter.fillRect(QRect(0, bottom, right, height() - bottom), back);
    }
    if (m_dragCol >= 0 && m_dropPos >= 0) {
        // The drop position's bar, shown over the heading as over the cell area.
        for (const GridLine& line : cols) {
            if (line.index == m_dropPos || (m_dropPos >= m_control.GetNumberCols() &&
                                            line.index == m_control.GetNumberCols() - 1)) {
                const int x = line.index == m_dropPos ? line.start : line.start + line.size;
                painter.fillRect(QRect(x - 1, 0, 2, height()), Qt::black);
            }
        }
    }
}

bool CGridTopHeading::cellAt(QPoint p, int& col, long& row, GridRect& rect) const
{
    col = -1;
    row = -1;
    for (const GridLine& line : visibleCols(m_control, width())) {
        if (p.x() >= line.start && p.x() < line.start + line.size) {
            col = line.index;
            rect.left = line.start;
            rect.right = line.start + line.size;
        }
    }
    bool found = false;
    for (const GridLine& line : topHeadingRows(m_control)) {
        if (p.y() >= line.start && p.y() < line.start + line.size) {
            row = line.index;
            rect.top = line.start;
            rect.bottom = line.start + line.size;
            found = true;
        }
    }
    return col >= 0 && found;
}

void CGridTopHeading::findBorder(QPoint p)
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    m_armed = false;
    if (sheet.m_colSizingMode != 0) {
        // Walk the columns from the first, jumping from the last locked one to the left column.
        int edge = 0;
        auto test = [&](int col) {
            edge += m_control.colWidthOf(col);
            if (std::abs(p.x() - edge) < kTopHeadingBorderPixels) {
                int sized = col;
                if (col + 1 < sheet.m_numCols && m_control.colWidthOf(col + 1) == 0) {
                    sized = col + 1; // a hidden column can be pulled open
                }
                if (m_control.OnCanSizeCol(sized)) {
                    m_armed = true;
                    m_sizingHeadingRow = false;
                    m_sizeIndex = sized;
                }
                return true;
            }
            return false;
        };
        bool hit = false;
        for (int col = 0; !hit && col < sheet.m_lockedCols && edge <= sheet.m_cellAreaWidth;
             ++col) {
            hit = test(col);
        }
        for (int col = std::max(sheet.m_leftCol, sheet.m_lockedCols);
             !hit && col < sheet.m_numCols && edge <= sheet.m_cellAreaWidth; ++col) {
            hit = test(col);
        }
        if (!hit) {
            // The bottom borders of the heading rows, from the last one up.
            const std::vector<GridLine> rows = topHeadingRows(m_control);
            for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
                if (std::abs(p.y() - (it->start + it->size)) < kTopHeadingBorderPixels) {
                    if (m_control.OnCanSizeTopHeading()) {
                        m_armed = true;
                        m_sizingHeadingRow = true;
                        m_sizeIndex = it->index;
                    }
                    break;
                }
            }
        }
    }
    setCursor(gridQCursor(!m_armed             ? sheet.m_normalCursor
                          : m_sizingHeadingRow ? sheet.m_rowSizingCursor
                                               : sheet.m_colSizingCursor));
}

void CGridTopHeading::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    const bool onCell = cellAt(p, col, row, rect);
    if (event->button() == Qt::RightButton) {
        m_control.OnTopHeadingRClicked(col, row, 1, &rect, &point, 0);
        const QPoint global = mapToGlobal(p);
        m_control.ShowPopupMenu(col, row, {global.x(), global.y()}, model::kSectionTopHeading);
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
        m_startTotal = m_control.GetTopHeadingHeight();
        m_startSize = m_sizingHeadingRow ? m_control.rowHeightOf(m_sizeIndex)
                                         : m_control.colWidthOf(m_sizeIndex);
        return;
    }
    if (onCell && m_control.OnColMoveStart(col)) {
        m_dragCol = col;
        m_dropPos = -1;
    }
    int processed = 0;
    if (onCell) {
        CGridCellInfo cell;
        m_control.GetDisplayCell(col, row, &cell);
        if (model::CGridCellType* type = m_control.GetCellType(
                cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0)) {
            processed = type->OnLClicked(col, static_cast<int>(row), 1, rect, point);
        }
    }
    m_control.OnTopHeadingClicked(col, row, 1, &rect, &point, processed);
}

void CGridTopHeading::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    m_lastPoint = p;
    model::CGridSheetState& sheet = *m_control.currentSheet();
    if (!(event->buttons() & Qt::LeftButton)) {
        findBorder(p);
        return;
    }
    if (m_sizing && !m_sizingHeadingRow) {
        long long wanted = static_cast<long long>(m_startSize) + (p.x() - m_startPoint.x());
        int width = static_cast<int>(std::clamp<long long>(wanted, 0, 1 << 20));
        m_control.OnColSizing(m_sizeIndex, &width);
        width = std::max(0, width);
        m_control.SetColWidth(m_sizeIndex, width);
        if (sheet.m_colSizingMode == 1) {
            Update();
            m_grid.showMarker(true, p.x());
        } else {
            m_control.RedrawAll();
        }
        return;
    }
    if (m_sizing) {
        long long wanted = static_cast<long long>(m_startSize) + (p.y() - m_startPoint.y());
        const int height = static_cast<int>(std::clamp<long long>(wanted, 0, 1024));
        int total = std::clamp(m_startTotal + (height - m_startSize), 0, 1024);
        if (m_control.OnTopHeadingSizing(&total) == 1) {
            m_control.SetTopHeadingRowHeight(m_sizeIndex, height);
            m_control.SetTopHeadingHeight(std::clamp(total, 0, 1024));
        }
        return;
    }
    if (m_dragCol >= 0 && sheet.m_navigationFlags[2]) {
        dragTo(p);
    }
}

void CGridTopHeading::dragTo(QPoint p)
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    if (p.x() >= 0 && p.x() < sheet.m_cellAreaWidth) {
        m_scrollTimer->stop();
        for (const GridLine& line : visibleCols(m_control, width())) {
            if (p.x() >= line.start && p.x() < line.start + line.size) {
                int target = line.index;
                if (p.x() >= line.start + line.size / 2) {
                    target = line.index + 1; // the right half targets the place after it
                }
                target = std::min(target, sheet.m_numCols);
                if (target != m_dropPos) {
                    m_dropPos = target;
                    Update();
                    int x = line.start;
                    if (target > line.index) {
                        x = line.start + line.size;
                    }
                    m_grid.showMarker(true, x);
                }
                break;
            }
        }
    } else {
        m_grid.hideMarker();
        if (!m_scrollTimer->isActive()) {
            m_scrollTimer->start();
        }
    }
}

bool CGridTopHeading::autoScrollPass()
{
    if (m_dragCol < 0) {
        m_scrollTimer->stop();
        return false;
    }
    const int before = m_control.GetLeftCol();
    if (m_lastPoint.x() < 0) {
        m_control.MoveLeftCol(0);
    } else if (m_lastPoint.x() >= m_control.currentSheet()->m_cellAreaWidth) {
        m_control.MoveLeftCol(1);
    } else {
        m_scrollTimer->stop();
    }
    return m_control.GetLeftCol() != before;
}

void CGridTopHeading::endDrag()
{
    const int from = m_dragCol;
    const int position = m_dropPos;
    m_dragCol = -1;
    m_dropPos = -1;
    m_scrollTimer->stop();
    m_grid.hideMarker();
    if (from >= 0 && position >= 0 && position != from && position != from + 1) {
        // The index the column has once moved: a place after it counts it as removed.
        const int to = position > from ? position - 1 : position;
        if (m_control.OnCanColMove(from, to)) {
            if (m_control.MoveColPosition(from, position, 1) == 0) {
                m_control.OnColMoved(from, to);
            }
        }
    }
    m_control.RedrawAll();
}

void CGridTopHeading::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    const bool onCell = cellAt(p, col, row, rect);
    if (event->button() == Qt::RightButton) {
        m_control.OnTopHeadingRClicked(col, row, 0, &rect, &point, 0);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_sizing) {
        m_sizing = false;
        m_grid.hideMarker();
        if (m_sizingHeadingRow) {
            int total = m_control.GetTopHeadingHeight();
            m_control.OnTopHeadingSized(&total);
        } else {
            int width = m_control.colWidthOf(m_sizeIndex);
            m_control.OnColSized(m_sizeIndex, &width);
            m_control.SetColWidth(m_sizeIndex, std::max(0, width));
        }
        m_control.RedrawAll();
        return;
    }
    if (m_dragCol >= 0) {
        endDrag();
    }
    int processed = 0;
    if (onCell) {
        CGridCellInfo cell;
        m_control.GetDisplayCell(col, row, &cell);
        if (model::CGridCellType* type = m_control.GetCellType(
                cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0)) {
            processed = type->OnLClicked(col, static_cast<int>(row), 0, rect, point);
        }
    }
    m_control.OnTopHeadingClicked(col, row, 0, &rect, &point, processed);
}

void CGridTopHeading::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    findBorder(p);
    if (m_armed && !m_sizingHeadingRow) {
        m_control.AutoFitColumns(m_sizeIndex, m_sizeIndex, 20, 1);
        int width = m_control.colWidthOf(m_sizeIndex);
        m_control.OnColSized(m_sizeIndex, &width);
        m_control.RedrawAll();
        return;
    }
    int col = -1;
    long row = -1;
    GridRect rect;
    int processed = 0;
    if (cellAt(p, col, row, rect)) {
        CGridCellInfo cell;
        m_control.GetDisplayCell(col, row, &cell);
        if (model::CGridCellType* type = m_control.GetCellType(
                cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0)) {
            processed = type->OnDClicked(col, static_cast<int>(row), rect, point);
        }
    }
    m_control.OnTopHeadingDClicked(col, row, &rect, &point, processed);
}

void CGridTopHeading::helpRequestAt(QPoint point, int request)
{
    int col = -1;
    long row = -1;
    GridRect rect;
    cellAt(point, col, row, rect);
    m_control.helpRequest(col, row, model::kSectionTopHeading, request);
}

} // namespace gridctrl::widgets
