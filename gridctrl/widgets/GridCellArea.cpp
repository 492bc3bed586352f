#include "gridctrl/widgets/GridCellArea.h"

#include "gridctrl/model/GridScrollMath.h"
#include "gridctrl/model/GridSystem.h"
#include "gridctrl/widgets/GridCellDrawing.h"
#include "gridctrl/widgets/GridKeys.h"
#include "gridctrl/widgets/GridQtResources.h"
#include "gridctrl/widgets/GridSectionPaint.h"
#include "gridctrl/widgets/GridWidget.h"
#include "platform/win/Clock.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <functional>

namespace gridctrl::widgets {

namespace fw = platform::framework;
using model::CGridCellInfo;
using model::GridPoint;
using model::GridRect;

namespace {

constexpr int kAutoScrollIntervalMs = 20;

// Sets the sheet's move reason for the length of a gesture's core calls, then back to 0.
class MoveReason
{
public:
    MoveReason(model::CGridControl& control, int reason) : m_sheet(*control.currentSheet())
    {
        m_sheet.m_moveReason = reason;
    }
    ~MoveReason() { m_sheet.m_moveReason = 0; }
    MoveReason(const MoveReason&) = delete;
    MoveReason& operator=(const MoveReason&) = delete;

private:
    model::CGridSheetState& m_sheet;
};

} // namespace

CGridCellArea::CGridCellArea(model::CGridControl& control, QWidget* parent)
    : QWidget(parent), m_control(control)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_autoScrollTimer = new QTimer(this);
    m_autoScrollTimer->setInterval(kAutoScrollIntervalMs);
    connect(m_autoScrollTimer, &QTimer::timeout, this, [this] { autoScrollPass(); });
}

CGridCellArea::~CGridCellArea() = default;

std::chrono::nanoseconds CGridCellArea::now() const
{
    return platform::win::processClock()->now();
}

// ---- redraw ---------------------------------------------------------------------------------

void CGridCellArea::queueRect(const QRect& rect)
{
    const QRect visible = rect.intersected(this->rect());
    if (visible.isEmpty()) {
        return;
    }
    m_listRegion += visible;
    QWidget::update(visible);
}

void CGridCellArea::queue(int left, long top, int right, long bottom)
{
    if (m_fullPaint) {
        return; // the whole sheet is drawn anyway
    }
    const auto clampRow = [](long row) {
        return static_cast<int>(std::clamp<long>(row, INT_MIN, INT_MAX));
    };
    widenForOverflow(left, top, right, bottom);
    m_redraw.Add(left, clampRow(top), right, clampRow(bottom));
    GridRect r;
    if (m_control.GetRangeRect(left, top, right, bottom, &r) == 0) {
        queueRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
    }
}

void CGridCellArea::widenForOverflow(int& left, long top, int& right, long bottom)
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    if (!sheet.m_navigationFlags[3] || !isVisible()) {
        return;
    }
    // A changed cell may take or give back room that a text on its left ran on over, and its
    // own text may run on over more or fewer of the empty cells on its right.
    const std::vector<GridLine> cols = visibleCols(m_control, width());
    if (cols.empty()) {
        return;
    }
    const int lastShown = cols.back().index;
    const auto shown = [&](int col) {
        return col >= 0 && col <= lastShown && (col < sheet.m_lockedCols || col >= sheet.m_leftCol);
    };
    CGridCellInfo cell;
    const auto roleAt = [&](int col, long row) {
        m_control.GetDisplayCell(col, row, &cell);
        return overflowRoleOf(m_control, cell);
    };
    int wideLeft = left;
    int wideRight = right;
    for (const GridLine& line : visibleRows(m_control, height())) {
        const long row = line.index;
        if (row < top || row > bottom) {
            continue;
        }
        int col = left - 1;
        while (shown(col) && roleAt(col, row) == GridOverflowRole::Coverable) {
            --col;
        }
        if (shown(col) && roleAt(col, row) == GridOverflowRole::Source) {
            wideLeft = std::min(wideLeft, col);
        }
        col = right + 1;
        while (shown(col) && roleAt(col, row) == GridOverflowRole::Coverable) {
            ++col;
        }
        wideRight = std::max(wideRight, col - 1);
    }
    left = wideLeft;
    right = wideRight;
}

bool CGridCellArea::drawnHighlighted(int col, long row)
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    const bool current = (col == sheet.m_currentCol && row == sheet.m_currentRow) ||
                         (sheet.m_wholeRowHighlight && row == sheet.m_currentRow);
    if (current) {
        return (sheet.m_currentCellMode & 2) != 0;
    }
    return selectedValueOf(m_control, col, row) > 0;
}

void CGridCellArea::drawFocusFrame(fw::CDC& dc, const GridRect& rect, bool focused)
{
    GridRect frame = rect;
    if (m_control.OnDrawFocusRect(&dc, &frame) == 0) {
        frame = rect;
    }
    QPainter& painter = *dc.painter();
    painter.save();
    painter.setPen(QPen(Qt::black, focused ? 2 : 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(frame.left + 1, frame.top + 1, frame.right - frame.left - 3,
                           frame.bottom - frame.top - 3));
    painter.restore();
}

void CGridCellArea::RedrawCell(int col, long row)
{
    int endCol = col;
    long endRow = row;
    if (col >= 0 && row >= 0 && m_control.GetJoinRange(&col, &row, &endCol, &endRow) == 0) {
        queue(col, row, endCol, endRow); // the whole joined block
        return;
    }
    queue(col, row, col, row);
}

void CGridCellArea::RedrawRow(long row)
{
    queue(0, row, std::max(0, m_control.GetNumberCols() - 1), row);
}

void CGridCellArea::RedrawCol(int col)
{
    queue(col, 0, col, std::max(0L, m_control.GetNumberRows() - 1));
}

void CGridCellArea::RedrawRange(int left, long top, int right, long bottom)
{
    queue(left, top, right, bottom);
}

void CGridCellArea::Update()
{
    m_fullPaint = true;
    m_redraw.Clear();
    m_listRegion = QRegion();
    QWidget::update();
}

void CGridCellArea::currentCellChanged()
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    if (sheet.m_multiSelection) {
        Update(); // a move may change any part of the selection
        return;
    }
    const int col = sheet.m_currentCol;
    const long row = sheet.m_currentRow;
    if (col == m_previousCol && row == m_previousRow) {
        return;
    }
    for (const auto& [c, r] : {std::pair<int, long>{m_previousCol, m_previousRow}, {col, row}}) {
        if (c < 0 || r < 0 || c >= sheet.m_numCols || r >= sheet.m_numRows) {
            continue;
        }
        if (sheet.m_wholeRowHighlight) {
            RedrawRow(r);
        } else {
            RedrawCell(c, r);
        }
    }
    m_previousCol = col;
    m_previousRow = row;
}

void CGridCellArea::Moved()
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    if (m_fullPaint) {
        return; // a whole repaint is pending: it shows the new position
    }
    const bool hintsOn = sheet.m_vScrollHints || sheet.m_hScrollHints;
    const bool wholeVisible = isVisible() && visibleRegion() == QRegion(rect());
    // Texts that run on over empty cells start and end elsewhere once the columns have moved
    // under the locked ones: a sideways scroll draws them anew.
    const bool overflowMoves =
        sheet.m_navigationFlags[3] && sheet.m_leftCol != sheet.m_previousLeftCol;
    if (hintsOn || !wholeVisible || overflowMoves) {
        Update();
        return;
    }
    // The distance in pixels between the previous and the new left column and top row.
    auto span = [&](long from, long to, bool cols) {
        long long pixels = 0;
        for (long i = std::min(from, to); i < std::max(from, to); ++i) {
            pixels += cols ? m_control.colWidthOf(static_cast<int>(i)) : m_control.rowHeightOf(i);
            if (pixels > INT_MAX / 2) {
                break;
            }
        }
        return static_cast<int>(std::min<long long>(pixels, INT_MAX / 2)) * (to > from ? -1 : 1);
    };
    const int dx = span(sheet.m_previousLeftCol, sheet.m_leftCol, true);
    const int dy = span(sheet.m_previousTopRow, sheet.m_topRow, false);
    const int lockedW = sheet.m_lockedColsWidth;
    const int lockedH = sheet.m_lockedRowsHeight;
    if (std::abs(dx) >= width() - lockedW || std::abs(dy) >= height() - lockedH ||
        (dx != 0 && dy != 0)) {
        Update();
        return;
    }
    if (dx != 0) {
        const QRect moving(lockedW, 0, width() - lockedW, height());
        QWidget::scroll(dx, 0, moving);
        const int stripLeft = dx < 0 ? width() + dx : lockedW;
        const int stripRight = dx < 0 ? width() : lockedW + dx;
        for (const GridLine& line : visibleCols(m_control, width())) {
            if (line.index >= sheet.m_lockedCols && line.start < stripRight &&
                line.start + line.size > stripLeft) {
                m_redraw.Add(line.index, 0, line.index, std::max(0, sheet.m_numRows - 1));
            }
        }
        m_listRegion += QRect(stripLeft, 0, stripRight - stripLeft, height());
    }
    if (dy != 0) {
        const QRect moving(0, lockedH, width(), height() - lockedH);
        QWidget::scroll(0, dy, moving);
        const int stripTop = dy < 0 ? height() + dy : lockedH;
        const int stripBottom = dy < 0 ? height() : lockedH + dy;
        for (const GridLine& line : visibleRows(m_control, height())) {
            if (line.index >= sheet.m_lockedRows && line.start < stripBottom &&
                line.start + line.size > stripTop) {
                m_redraw.Add(0, line.index, std::max(0, sheet.m_numCols - 1), line.index);
            }
        }
        m_listRegion += QRect(0, stripTop, width(), stripBottom - stripTop);
    }
}

void CGridCellArea::paintEvent(QPaintEvent* event)
{
    model::CGridSheetState& sheet = *m_control.currentSheet();
    const bool fromList =
        !m_fullPaint && !m_redraw.isEmpty() && event->region().subtracted(m_listRegion).isEmpty();
    if (!fromList) {
        // A paint the operations did not ask for (exposure, resize): the whole sheet.
        m_redraw.Clear();
        m_redraw.Add(0, 0, sheet.m_numCols, sheet.m_numRows);
    }
    QPainter painter(this);
    fw::CDC dc(&painter, this);
    m_control.OnPrepareDC(&dc, 0, model::kSectionCellArea);
    m_textCache.beginPaint(painter, this);
    const std::vector<GridLine> cols = visibleCols(m_control, width());
    const std::vector<GridLine> rows = visibleRows(m_control, height());
    CGridCellInfo cell;
    const bool focused = QWidget::hasFocus();
    const bool overflowOn = sheet.m_navigationFlags[3] != 0;
    int right = 0;
    int bottom = 0;
    for (const GridLine& rowLine : rows) {
        bottom = rowLine.start + rowLine.size;
        const long lineRow = rowLine.index;
        // A cell left of the last queued one may run its text on over it: such a cell is drawn
        // even when it is not queued itself (the paint region clips it to the queued ones).
        int lastQueued = -1;
        if (overflowOn) {
            for (auto line = cols.rbegin(); line != cols.rend(); ++line) {
                if (m_redraw.Contains(line->index, lineRow)) {
                    lastQueued = line->index;
                    break;
                }
            }
        }
        int coveredTo = -1; // the last column a text on the left runs on over
        for (const GridLine& colLine : cols) {
            right = colLine.start + colLine.size;
            GridRect r{colLine.start, rowLine.start, colLine.start + colLine.size,
                       rowLine.start + rowLine.size};
            if (colLine.index <= coveredTo) {
                // Under that text; the current cell keeps its frame.
                if (colLine.index == sheet.m_currentCol && lineRow == sheet.m_currentRow &&
                    (sheet.m_currentCellMode & 1) != 0) {
                    drawFocusFrame(dc, r, focused);
                }
                continue;
            }
            const bool queued = m_redraw.Contains(colLine.index, lineRow);
            if (!queued && colLine.index >= lastQueued) {
                continue;
            }
            int col = colLine.index;
            long row = lineRow;
            int startCol = col;
            long startRow = row;
            const bool joined = m_control.GetJoinStartCell(&startCol, &startRow) == 0;
            if (!queued) {
                // Only a text that may run on over the queued cells is wanted here.
                if (joined) {
                    continue;
                }
                m_control.GetDisplayCell(col, row, &cell);
                if (overflowRoleOf(m_control, cell) != GridOverflowRole::Source) {
                    continue;
                }
            } else if (joined) {
                // A joined block is drawn once, with the rectangle of the whole block.
                if (m_redraw.ContainsCell(startCol, static_cast<int>(startRow))) {
                    continue;
                }
                m_redraw.AppendCell(startCol, static_cast<int>(startRow));
                col = startCol;
                row = startRow;
                m_control.GetCellRect(col, row, &r);
            }
            if (queued) {
                m_control.GetDisplayCell(col, row, &cell);
            }
            const bool current = (col == sheet.m_currentCol && row == sheet.m_currentRow) ||
                                 (sheet.m_wholeRowHighlight && row == sheet.m_currentRow);
            std::function<bool(int)> mayCover;
            if (overflowOn) {
                // Over columns on show beside it that are drawn as it is (a selected cell
                // keeps its highlight).
                const bool lit = drawnHighlighted(col, row);
                mayCover = [this, &sheet, row, lit](int next) {
                    return (next < sheet.m_lockedCols || next >= sheet.m_leftCol) &&
                           drawnHighlighted(next, row) == lit;
                };
            }
            int overflowEnd = col;
            paintGridCell(dc, m_control, r, col, row, cell,
                          current ? 0 : selectedValueOf(m_control, col, row), current, &m_textCache,
                          std::move(mayCover), &overflowEnd);
            if (overflowEnd > col) {
                coveredTo = overflowEnd;
            }
            if (col == sheet.m_currentCol && row == sheet.m_currentRow &&
                (sheet.m_currentCellMode & 1) != 0) {
                drawFocusFrame(dc, r, focused);
            }
        }
    }
    if (!fromList) {
        // Below the last row and right of the last column: the background.
        const fw::COLORREF back = m_control.OnGetDefBackColor(model::kSectionCellArea);
        const QColor colour(back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF);
        if (right < width()) {
            painter.fillRect(QRect(right, 0, width() - right, height()), colour);
        }
        if (bottom < height()) {
            painter.fillRect(QRect(0, bottom, std::min(right, width()), height() - bottom), colour);
        }
    }
    m_textCache.endPaint();
    m_redraw.Clear();
    m_listRegion = QRegion();
    m_fullPaint = false;
    m_previousCol = sheet.m_currentCol;
    m_previousRow = sheet.m_currentRow;
    const bool roomLeft =
        bottom < height() && (rows.empty() || rows.back().index == sheet.m_numRows - 1);
    if (!fromList && roomLeft && !m_askingForRows) {
        // Painting ran out of rows: the control may add some, which the next paint shows.
        m_askingForRows = true;
        if (m_control.askForMoreRows() > 0) {
            Update();
        }
        m_askingForRows = false;
    }
}

// ---- input ----------------------------------------------------------------------------------

model::CGridCellType* CGridCellArea::typeAt(int col, long row, CGridCellInfo& cell)
{
    m_control.GetDisplayCell(col, row, &cell);
    model::CGridCellType* type = m_control.GetCellType(
        cell.HasProperty(CGridCellInfo::kPropCellType) ? cell.GetCellType() : 0);
    return type ? type : m_control.GetCellType(0);
}

unsigned CGridCellArea::keyFlags(Qt::KeyboardModifiers modifiers) const
{
    return (modifiers & Qt::ShiftModifier ? model::kMouseKeyShift : 0) |
           (modifiers & Qt::ControlModifier ? model::kMouseKeyControl : 0);
}

void CGridCellArea::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    const bool onCell = m_control.GetCellFromPoint(p.x(), p.y(), &col, &row, &rect) == 0;
    if (event->button() == Qt::LeftButton) {
        QWidget::setFocus();
        m_leftDown = true;
        m_lastPoint = p;
        if (!onCell) {
            return;
        }
        {
            MoveReason reason(m_control, 1);
            m_control.currentSheet()->m_mouseKeyFlags = keyFlags(event->modifiers());
            m_control.GotoCell(col, row);
        }
        CGridCellInfo cell;
        model::CGridCellType* type = typeAt(col, row, cell);
        const int processed = type->OnLClicked(col, static_cast<int>(row), 1, rect, point);
        m_pressHeld = processed != 0;
        m_control.OnLClicked(col, row, 1, &rect, &point, processed);
    } else if (event->button() == Qt::RightButton) {
        if (onCell) {
            MoveReason reason(m_control, 2);
            m_control.GotoCell(col, row);
        }
        CGridCellInfo cell;
        const int processed =
            onCell ? typeAt(col, row, cell)->OnRClicked(col, static_cast<int>(row), 1, rect, point)
                   : 0;
        m_control.OnRClicked(col, row, 1, &rect, &point, processed);
        const QPoint global = mapToGlobal(p);
        m_control.ShowPopupMenu(col, row, {global.x(), global.y()}, model::kSectionCellArea);
    }
    QWidget::update();
}

void CGridCellArea::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    int col = -1;
    long row = -1;
    GridRect rect;
    const bool onCell = m_control.GetCellFromPoint(p.x(), p.y(), &col, &row, &rect) == 0;
    if (event->button() == Qt::LeftButton) {
        m_leftDown = false;
        m_autoScroll = false;
        m_autoScrollTimer->stop();
        int processed = 0;
        if (m_pressHeld || onCell) {
            CGridCellInfo cell;
            const int typeCol = m_pressHeld ? m_control.GetCurrentCol() : col;
            const long typeRow = m_pressHeld ? m_control.GetCurrentRow() : row;
            processed = typeAt(typeCol, typeRow, cell)
                            ->OnLClicked(typeCol, static_cast<int>(typeRow), 0, rect, point);
        }
        m_pressHeld = false;
        m_control.OnLClicked(col, row, 0, &rect, &point, processed);
    } else if (event->button() == Qt::RightButton) {
        CGridCellInfo cell;
        const int processed =
            onCell ? typeAt(col, row, cell)->OnRClicked(col, static_cast<int>(row), 0, rect, point)
                   : 0;
        m_control.OnRClicked(col, row, 0, &rect, &point, processed);
    }
}

void CGridCellArea::mouseDoubleClickEvent(QMouseEvent* event)
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
    int processed = 0;
    if (m_control.GetCellFromPoint(p.x(), p.y(), &col, &row, &rect) == 0) {
        CGridCellInfo cell;
        processed = typeAt(col, row, cell)->OnDClicked(col, static_cast<int>(row), rect, point);
    }
    m_control.OnDClicked(col, row, &rect, &point, processed);
}

void CGridCellArea::mouseMoveEvent(QMouseEvent* event)
{
    setCursor(gridQCursor(m_control.currentSheet()->m_normalCursor));
    if (m_control.isEditing()) {
        return;
    }
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    const unsigned flags = keyFlags(event->modifiers()) |
                           (event->buttons() & Qt::LeftButton ? 0x1u : 0u) |
                           (event->buttons() & Qt::RightButton ? 0x2u : 0u);
    int col = -1;
    long row = -1;
    const bool onCell = m_control.GetCellFromPoint(p.x(), p.y(), &col, &row) == 0;
    CGridCellInfo cell;
    if (m_pressHeld) {
        const int current = m_control.GetCurrentCol();
        const long currentRow = m_control.GetCurrentRow();
        const int processed =
            typeAt(current, currentRow, cell)
                ->OnMouseMove(current, static_cast<int>(currentRow), point, flags);
        m_control.OnMouseMove(col, row, &point, flags, processed);
        return;
    }
    model::CGridSheetState& sheet = *m_control.currentSheet();
    sheet.m_moveReason = 3;
    sheet.m_mouseKeyFlags = keyFlags(event->modifiers());
    const int processed =
        onCell ? typeAt(col, row, cell)->OnMouseMove(col, static_cast<int>(row), point, flags) : 0;
    m_control.OnMouseMove(col, row, &point, flags, processed);
    m_lastPoint = p;
    if (m_leftDown && (event->buttons() & Qt::LeftButton)) {
        if (onCell) {
            m_autoScroll = false;
            m_autoScrollTimer->stop();
            m_control.GotoCell(col, row);
        } else if (!rect().contains(p)) {
            if (!m_autoScroll) {
                m_autoScroll = true;
                m_lastAutoStep = std::chrono::nanoseconds::min();
                m_autoScrollTimer->start();
            }
        }
    }
    sheet.m_moveReason = 0;
}

bool CGridCellArea::autoScrollPass()
{
    if (!m_autoScroll) {
        return false;
    }
    model::CGridSheetState& sheet = *m_control.currentSheet();
    const int mode = sheet.m_ballisticMode;
    int dxCols = 0;
    int dyRows = 0;
    const QPoint p = m_lastPoint;
    if (p.x() < 0) {
        dxCols = -model::ballisticStep(mode, -p.x(), sheet.m_defaultColWidth);
    } else if (p.x() >= width()) {
        dxCols = model::ballisticStep(mode, p.x() - width(), sheet.m_defaultColWidth);
    }
    if (p.y() < 0) {
        dyRows = -model::ballisticStep(mode, -p.y(), sheet.m_defaultRowHeight);
    } else if (p.y() >= height()) {
        dyRows = model::ballisticStep(mode, p.y() - height(), sheet.m_defaultRowHeight);
    }
    if (dxCols == 0 && dyRows == 0) {
        return false;
    }
    // Steps of one line wait for the ballistic delay between passes.
    if (std::abs(dxCols) <= 1 && std::abs(dyRows) <= 1 &&
        m_lastAutoStep != std::chrono::nanoseconds::min() &&
        now() - m_lastAutoStep < std::chrono::milliseconds(sheet.m_ballisticDelayMs)) {
        return false;
    }
    m_lastAutoStep = now();
    MoveReason reason(m_control, 3);
    const int fromCol = sheet.m_dragCol;
    const int fromRow = sheet.m_dragRow;
    if (dxCols != 0) {
        const int target = static_cast<int>(std::clamp<long long>(
            static_cast<long long>(sheet.m_dragCol) + dxCols, 0, std::max(0, sheet.m_numCols - 1)));
        m_control.GotoCol(target);
    }
    if (dyRows != 0) {
        const long target = static_cast<long>(std::clamp<long long>(
            static_cast<long long>(sheet.m_dragRow) + dyRows, 0, std::max(0, sheet.m_numRows - 1)));
        m_control.GotoRow(target);
    }
    return sheet.m_dragCol != fromCol || sheet.m_dragRow != fromRow;
}

void CGridCellArea::moveByKey(unsigned key, int step, bool ctrl)
{
    switch (key) {
    case kVkLeft:
        step == 1 ? m_control.MoveCurrentCol(0) : m_control.MoveCurrentColBy(-step);
        break;
    case kVkRight:
        step == 1 ? m_control.MoveCurrentCol(1) : m_control.MoveCurrentColBy(step);
        break;
    case kVkUp:
        step == 1 ? m_control.MoveCurrentRow(0) : m_control.MoveCurrentRowBy(-step);
        break;
    case kVkDown:
        step == 1 ? m_control.MoveCurrentRow(1) : m_control.MoveCurrentRowBy(step);
        break;
    case kVkPrior:
        m_control.MoveCurrentRow(2);
        break;
    case kVkNext:
        m_control.MoveCurrentRow(3);
        break;
    case kVkHome:
        ctrl ? m_control.MoveCurrentRow(4) : m_control.MoveCurrentCol(4);
        break;
    case kVkEnd:
        ctrl ? m_control.MoveCurrentRow(5) : m_control.MoveCurrentCol(5);
        break;
    default:
        break;
    }
}

void CGridCellArea::keyPressEvent(QKeyEvent* event)
{
    model::CGridSheetState& sheet = *m_control.currentSheet();
    sheet.m_moveReason = 0;
    unsigned key = virtualKeyOf(*event);
    if (key == kVkF1) {
        // Help for whatever the mouse is over, the headings included.
        if (auto* grid = dynamic_cast<GridWidget*>(parentWidget())) {
            grid->helpRequestAt(QCursor::pos());
        }
        return;
    }
    const bool arrow = key == kVkLeft || key == kVkRight || key == kVkUp || key == kVkDown;
    int step = 1;
    if (arrow && sheet.m_ballisticKeyMode > 0) {
        ++m_keyCount;
        step = model::keyAccelerationStep(m_keyCount, sheet.m_ballisticKeyMode);
        const bool slow = m_keyCount / sheet.m_ballisticKeyMode == 0 && m_keyCount > 1;
        if (slow && sheet.m_ballisticKeyDelayMs > 0) {
            // A repeat within the delay of the last step is skipped: the GUI never waits.
            if (now() - m_lastKeyStep < std::chrono::milliseconds(sheet.m_ballisticKeyDelayMs)) {
                --m_keyCount; // a skipped repeat does not count as held longer
                return;
            }
        }
        m_lastKeyStep = now();
    }
    const int col = m_control.GetCurrentCol();
    const long row = m_control.GetCurrentRow();
    int processed = 0;
    if (key != 0 && col >= 0 && row >= 0 && col < sheet.m_numCols && row < sheet.m_numRows) {
        CGridCellInfo cell;
        processed = typeAt(col, row, cell)->OnKeyDown(col, static_cast<int>(row), &key);
    }
    if (key != 0) {
        m_control.OnKeyDown(&key, processed);
    }
    moveByKey(key, step, (event->modifiers() & Qt::ControlModifier) != 0);
    // A printable key also types a character, as the system's character message does.
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isPrint()) {
        unsigned ch = typed.at(0).unicode();
        int charProcessed = 0;
        if (col >= 0 && row >= 0 && col < sheet.m_numCols && row < sheet.m_numRows) {
            CGridCellInfo cell;
            charProcessed = typeAt(col, row, cell)->OnCharDown(col, static_cast<int>(row), &ch);
        }
        m_control.OnCharDown(&ch, charProcessed);
    }
}

void CGridCellArea::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        return; // a held key keeps its count
    }
    m_keyCount = 0;
    unsigned key = virtualKeyOf(*event);
    if (key == 0) {
        return;
    }
    const int col = m_control.GetCurrentCol();
    const long row = m_control.GetCurrentRow();
    int processed = 0;
    if (col >= 0 && row >= 0 && col < m_control.GetNumberCols() &&
        row < m_control.GetNumberRows()) {
        CGridCellInfo cell;
        processed = typeAt(col, row, cell)->OnKeyUp(col, static_cast<int>(row), &key);
    }
    m_control.OnKeyUp(&key, processed);
}

void CGridCellArea::wheelEvent(QWheelEvent* event)
{
    // Handled by the control's window, which keeps the wheel's running sum.
    event->ignore();
}

void CGridCellArea::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_keyCount = 0;
    m_control.OnSetFocus(model::kSectionCellArea);
    currentCellChanged();
    RedrawCell(m_control.GetCurrentCol(), m_control.GetCurrentRow());
}

void CGridCellArea::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_control.OnKillFocus(model::kSectionCellArea);
    RedrawCell(m_control.GetCurrentCol(), m_control.GetCurrentRow());
}

bool CGridCellArea::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        int col = -1;
        long row = -1;
        std::string text;
        if (m_control.currentSheet()->m_cellAreaHints &&
            m_control.GetCellFromPoint(help->pos().x(), help->pos().y(), &col, &row) == 0 &&
            m_control.OnHint(col, row, model::kSectionCellArea, &text) == 1) {
            QToolTip::showText(help->globalPos(), QString::fromStdString(text), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        // Tab and Shift+Tab are keys of the grid, not focus moves.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // The arrows and the other keys of the table belong to the grid, not to shortcuts;
        // Ctrl and Alt with a letter are the frame's accelerators (Copy, Paste, Print).
        auto* key = static_cast<QKeyEvent*>(event);
        if (isGridKey(*key)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

} // namespace gridctrl::widgets
