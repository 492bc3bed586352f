#include "gridctrl/widgets/GridCornerButton.h"

#include "gridctrl/model/GridSystem.h"
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

constexpr int kEdgePixels = 4;

} // namespace

CGridCornerButton::CGridCornerButton(model::CGridControl& control, GridWidget& grid)
    : QWidget(&grid), m_control(control)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CGridCornerButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    fw::CDC dc(&painter, this);
    m_control.OnPrepareDC(&dc, 0, 2);
    const fw::COLORREF face = model::gridSystem().sysColor(model::kColorBtnFace);
    painter.fillRect(rect(), QColor(face & 0xFF, (face >> 8) & 0xFF, (face >> 16) & 0xFF));
    CGridCellInfo cell;
    m_control.GetDisplayCell(-1, -1, &cell);
    paintGridCell(dc, m_control, {0, 0, width(), height()}, -1, -1, cell, 0, false);
}

void CGridCornerButton::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    const GridRect rect{0, 0, width(), height()};
    if (event->button() == Qt::RightButton) {
        m_control.OnCornerRClicked(1, &rect, &point, 0);
        const QPoint global = mapToGlobal(p);
        m_control.ShowPopupMenu(-1, -1, {global.x(), global.y()}, model::kSectionCorner);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_overEdge) {
        m_sizing = true;
    }
    m_control.OnCornerClicked(1, &rect, &point, 0);
}

void CGridCornerButton::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (!m_sizing) {
        if (event->buttons() & Qt::LeftButton) {
            return;
        }
        m_overEdge = false;
        m_sizingTop = false;
        m_sizingSide = false;
        if (m_control.currentSheet()->m_colSizingMode != 0) {
            if (std::abs(p.x() - width()) <= kEdgePixels && m_control.OnCanSizeSideHeading()) {
                m_overEdge = m_sizingSide = true;
            } else if (std::abs(p.y() - height()) <= kEdgePixels &&
                       m_control.OnCanSizeTopHeading()) {
                m_overEdge = m_sizingTop = true;
            }
        }
        const model::CGridSheetState& sheet = *m_control.currentSheet();
        setCursor(gridQCursor(m_sizingSide  ? sheet.m_colSizingCursor
                              : m_sizingTop ? sheet.m_rowSizingCursor
                                            : sheet.m_normalCursor));
        return;
    }
    if (m_sizingSide) {
        int size = std::clamp(p.x(), 0, 1024);
        m_control.OnSideHeadingSizing(&size);
        m_control.SetSideHeadingWidth(std::clamp(size, 0, 1024));
    } else if (m_sizingTop) {
        int size = std::clamp(p.y(), 0, 1024);
        m_control.OnTopHeadingSizing(&size);
        m_control.SetTopHeadingHeight(std::clamp(size, 0, 1024));
    }
}

void CGridCornerButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    const GridRect rect{0, 0, width(), height()};
    if (event->button() == Qt::RightButton) {
        m_control.OnCornerRClicked(0, &rect, &point, 0);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (m_sizing) {
        m_sizing = false;
        if (m_sizingSide) {
            int size = m_control.GetSideHeadingWidth();
            m_control.OnSideHeadingSized(&size);
        } else if (m_sizingTop) {
            int size = m_control.GetTopHeadingHeight();
            m_control.OnTopHeadingSized(&size);
        }
        m_control.RedrawAll();
    }
    m_control.OnCornerClicked(0, &rect, &point, 0);
}

void CGridCornerButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    const GridPoint point{p.x(), p.y()};
    const GridRect rect{0, 0, width(), height()};
    m_control.OnCornerDClicked(&rect, &point, 0);
}

} // namespace gridctrl::widgets
