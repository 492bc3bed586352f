#include "gridctrl/widgets/GridWidget.h"

#include "gridctrl/model/GridSystem.h"
#include "gridctrl/model/GridTabGeometry.h"
#include "gridctrl/widgets/GridCellDrawing.h"
#include "gridctrl/widgets/GridInPlaceEdit.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace gridctrl::widgets {

namespace fw = platform::framework;
using model::CGridCellInfo;
using model::GridRect;

GridWidget::GridWidget(model::CGridControl& control, QWidget* parent)
    : QWidget(parent), m_control(control)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_control.setWindows(this);
    auto* edit = new CGridInPlaceEdit(control, this);
    auto* masked = new CGridEdit(control, this);
    m_edit = edit;
    m_maskedEdit = masked;
    m_control.setEditors(edit, masked);
    m_vBar = new QScrollBar(Qt::Vertical, this);
    m_hBar = new QScrollBar(Qt::Horizontal, this);
    // The bars drive the core; the core's notifications set them back (guarded).
    connect(m_vBar, &QScrollBar::valueChanged, this, [this](int position) {
        if (m_updatingBars) {
            return;
        }
        m_control.currentSheet()->m_moveReason = 4;
        if (m_vSetup.maximum == 2 && m_vSetup.page == 0) {
            m_control.MoveTopRow(position < 1 ? 0 : 1); // the spin control
        } else {
            m_control.SetTopRow(std::lround(position * m_vSetup.positionToRow));
        }
        m_control.currentSheet()->m_moveReason = 0;
        updateScrollBars();
    });
    connect(m_hBar, &QScrollBar::valueChanged, this, [this](int position) {
        if (m_updatingBars) {
            return;
        }
        m_control.currentSheet()->m_moveReason = 4;
        m_control.SetLeftCol(m_control.currentSheet()->m_lockedCols + position);
        m_control.currentSheet()->m_moveReason = 0;
    });
}

void GridWidget::placeChildren(const model::GridLayoutRects& rects)
{
    auto place = [](QWidget* child, const model::GridRect& r) {
        const bool shown = r.right > r.left && r.bottom > r.top;
        child->setGeometry(r.left, r.top, std::max(0, r.right - r.left),
                           std::max(0, r.bottom - r.top));
        child->setVisible(shown);
    };
    place(m_vBar, rects.vScrollBar);
    place(m_hBar, rects.hScrollBar);
    updateScrollBars();
}

void GridWidget::update(int section)
{
    if (section == model::kSectionVScrollBar || section == model::kSectionHScrollBar) {
        updateScrollBars();
    }
    QWidget::update();
}

void GridWidget::updateScrollBars()
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    m_updatingBars = true;
    m_vSetup =
        model::vScrollSetup(sheet.m_greatestTopRow, sheet.m_lockedRows, sheet.m_vScrollMode,
                            sheet.m_cellAreaHeight, sheet.m_defaultRowHeight, sheet.m_topRow);
    m_vBar->setRange(m_vSetup.minimum,
                     std::max(m_vSetup.minimum, m_vSetup.maximum - m_vSetup.page + 1));
    m_vBar->setPageStep(std::max(1, m_vSetup.page));
    m_vBar->setValue(m_vSetup.position);
    const int columns = std::max(0, sheet.m_greatestLeftCol - sheet.m_lockedCols);
    m_hBar->setRange(0, columns);
    m_hBar->setPageStep(std::max(1, sheet.m_rightCol - sheet.m_leftCol));
    m_hBar->setValue(sheet.m_leftCol - sheet.m_lockedCols);
    m_updatingBars = false;
}

GridWidget::~GridWidget()
{
    m_control.CancelEdit();
    m_control.setEditors(nullptr, nullptr);
    m_control.setWindows(nullptr);
}

int GridWidget::textWidth(std::string_view text, model::GridObject* font) const
{
    const QFont qtFont = platform::qt::fontFromLogFont(gridFont(font).logFont);
    return QFontMetrics(qtFont).horizontalAdvance(
        QString::fromUtf8(text.data(), static_cast<int>(text.size())));
}

void GridWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_control.AdjustComponentSizes();
}

void GridWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    fw::CDC dc(&painter, this);
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    const model::GridSystem& system = model::gridSystem();
    painter.fillRect(rect(), QColor(0xC0, 0xC0, 0xC0));
    const GridRect area = sheet.m_cellAreaRect;
    // Rows and columns on show: the locked ones, then from the top row and left column.
    std::vector<int> cols;
    for (int c = 0; c < sheet.m_lockedCols; ++c) {
        cols.push_back(c);
    }
    for (int c = sheet.m_leftCol; c < sheet.m_numCols && c <= sheet.m_rightCol; ++c) {
        cols.push_back(c);
    }
    std::vector<int> rows;
    for (int r = 0; r < sheet.m_lockedRows; ++r) {
        rows.push_back(r);
    }
    for (int r = sheet.m_topRow; r < sheet.m_numRows && r <= sheet.m_bottomRow; ++r) {
        rows.push_back(r);
    }
    CGridCellInfo cell;
    auto paintCell = [&](int col, int row, GridRect r, const GridRect& clip, bool heading) {
        if (r.right <= r.left || r.bottom <= r.top) {
            return;
        }
        dc.SaveDC();
        dc.IntersectClipRect(clip.left, clip.top, clip.right, clip.bottom);
        m_control.GetDisplayCell(col, row, &cell);
        GridCellDrawState state;
        if (!heading) {
            int block = -1;
            state.selected = m_control.IsSelected(col, row, &block) != 0 &&
                             !(col == sheet.m_currentCol && row == sheet.m_currentRow);
            state.current = col == sheet.m_currentCol && row == sheet.m_currentRow;
        }
        drawGridCell(dc, m_control, fw::RECT{r.left, r.top, r.right, r.bottom}, col, row, cell,
                     state);
        if (state.current && QWidget::hasFocus()) {
            painter.setPen(QPen(Qt::black, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(
                QRect(r.left + 1, r.top + 1, r.right - r.left - 3, r.bottom - r.top - 3));
        } else if (state.current) {
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(
                QRect(r.left + 1, r.top + 1, r.right - r.left - 3, r.bottom - r.top - 3));
        }
        dc.RestoreDC(-1);
    };
    // Cells; joined blocks once, at their origin.
    std::vector<std::pair<int, long>> drawnBlocks;
    for (int row : rows) {
        for (int col : cols) {
            int startCol = col;
            long startRow = row;
            if (m_control.GetJoinStartCell(&startCol, &startRow) == 0) {
                const std::pair<int, long> origin{startCol, startRow};
                if (std::find(drawnBlocks.begin(), drawnBlocks.end(), origin) !=
                    drawnBlocks.end()) {
                    continue;
                }
                drawnBlocks.push_back(origin);
            }
            GridRect r;
            m_control.GetCellRect(startCol, startRow, &r);
            r = {r.left + area.left, r.top + area.top, r.right + area.left, r.bottom + area.top};
            paintCell(startCol, static_cast<int>(startRow), r, area, false);
        }
    }
    // Headings and the corner.
    const GridRect top = sheet.m_topHeadingRect;
    const GridRect side = sheet.m_sideHeadingRect;
    for (int col : cols) {
        GridRect r;
        m_control.GetCellRect(col, 0, &r);
        paintCell(col, -1, {r.left + area.left, top.top, r.right + area.left, top.bottom}, top,
                  true);
    }
    for (int row : rows) {
        GridRect r;
        m_control.GetCellRect(0, row, &r);
        paintCell(-1, row, {side.left, r.top + area.top, side.right, r.bottom + area.top}, side,
                  true);
    }
    paintCell(-1, -1, sheet.m_cornerRect, sheet.m_cornerRect, true);
    // The tab bar.
    const GridRect bar = sheet.m_tabBarRect;
    if (bar.right > bar.left && bar.bottom > bar.top) {
        const auto* tabs = dynamic_cast<const model::GridTabList*>(&m_control.tabBar());
        painter.fillRect(QRect(bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top),
                         QColor(0xC0, 0xC0, 0xC0));
        if (tabs) {
            QFont font(QStringLiteral("Arial"));
            font.setPixelSize(std::max(8, std::min(14, bar.bottom - bar.top - 2)));
            painter.setFont(font);
            std::vector<int> widths;
            for (const auto& tab : tabs->tabs()) {
                widths.push_back(model::tabWidthFor(
                    QFontMetrics(font).horizontalAdvance(QString::fromStdString(tab.label))));
            }
            const long current = tabs->GetCurrentTab();
            auto drawTab = [&](int i) {
                const int left = bar.left + model::tabLeft(0, 0, widths, i);
                const auto shape = model::tabTrapezoid(left, widths[static_cast<std::size_t>(i)],
                                                       bar.bottom - bar.top - 1);
                QPolygon polygon;
                for (const auto& p : shape) {
                    polygon << QPoint(p.x, bar.top + p.y);
                }
                const auto& tab = tabs->tabs()[static_cast<std::size_t>(i)];
                const fw::COLORREF back = i == current ? 0xFFFFFF : tab.backColor;
                painter.setPen(Qt::black);
                painter.setBrush(QColor(back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF));
                painter.drawPolygon(polygon);
                painter.drawText(QRect(left + 10, bar.top + 1, widths[static_cast<std::size_t>(i)],
                                       bar.bottom - bar.top - 1),
                                 Qt::AlignLeft | Qt::AlignVCenter,
                                 QString::fromStdString(tab.label));
            };
            for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
                if (i != current) {
                    drawTab(i);
                }
            }
            if (current >= 0 && current < static_cast<int>(widths.size())) {
                drawTab(static_cast<int>(current));
            }
        }
    }
    (void)system;
}

void GridWidget::mousePressEvent(QMouseEvent* event)
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    const QPoint p = event->position().toPoint();
    const GridRect area = sheet.m_cellAreaRect;
    int col = -1;
    long row = -1;
    if (m_control.GetCellFromPoint(p.x() - area.left, p.y() - area.top, &col, &row) == 0) {
        m_control.currentSheet()->m_moveReason = 1;
        m_control.currentSheet()->m_mouseKeyFlags =
            (event->modifiers() & Qt::ShiftModifier ? model::kMouseKeyShift : 0) |
            (event->modifiers() & Qt::ControlModifier ? model::kMouseKeyControl : 0);
        m_control.GotoCell(col, row);
        m_control.currentSheet()->m_moveReason = 0;
    }
    QWidget::update();
}

void GridWidget::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        m_control.MoveCurrentCol(0);
        break;
    case Qt::Key_Right:
        m_control.MoveCurrentCol(1);
        break;
    case Qt::Key_Up:
        m_control.MoveCurrentRow(0);
        break;
    case Qt::Key_Down:
        m_control.MoveCurrentRow(1);
        break;
    case Qt::Key_PageUp:
        m_control.MoveCurrentRow(2);
        break;
    case Qt::Key_PageDown:
        m_control.MoveCurrentRow(3);
        break;
    case Qt::Key_Home:
        ctrl ? m_control.MoveCurrentRow(4) : m_control.MoveCurrentCol(4);
        break;
    case Qt::Key_End:
        ctrl ? m_control.MoveCurrentRow(5) : m_control.MoveCurrentCol(5);
        break;
    default: {
        const QString typed = event->text();
        if (typed.size() == 1 && typed.at(0).isPrint()) {
            unsigned key = typed.at(0).unicode();
            m_control.OnCharDown(&key, 0); // a derived control may start editing with it
            return;
        }
        QWidget::keyPressEvent(event);
        return;
    }
    }
    QWidget::update();
}

void GridWidget::wheelEvent(QWheelEvent* event)
{
    const int rows = m_wheel.add(event->angleDelta().y());
    if (rows != 0) {
        m_control.currentSheet()->m_moveReason = 3;
        m_control.MoveTopRowBy(rows);
        m_control.currentSheet()->m_moveReason = 0;
    }
    event->accept();
}

} // namespace gridctrl::widgets
