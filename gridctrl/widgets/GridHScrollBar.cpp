#include "gridctrl/widgets/GridHScrollBar.h"

#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridHintWnd.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QCursor>
#include <QMouseEvent>

#include <algorithm>

namespace gridctrl::widgets {

CGridHScrollBar::CGridHScrollBar(model::CGridControl& control, GridWidget& grid)
    : QScrollBar(Qt::Horizontal, &grid), m_control(control), m_grid(grid)
{
    setTracking(false);
    connect(this, &QAbstractSlider::actionTriggered, this,
            [this](int action) { onAction(action); });
    connect(this, &QAbstractSlider::sliderMoved, this,
            [this](int position) { thumbTrack(position); });
    connect(this, &QAbstractSlider::valueChanged, this, [this](int position) {
        if (!m_updating) {
            thumbPosition(position);
        }
    });
}

void CGridHScrollBar::Update()
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    m_updating = true;
    const int areaWidth = sheet.m_cellAreaWidth - sheet.m_lockedColsWidth;
    if (sheet.m_greatestLeftCol != m_lastGreatest || sheet.m_lockedCols != m_lastLocked ||
        areaWidth != m_lastWidth) {
        m_lastGreatest = sheet.m_greatestLeftCol;
        m_lastLocked = sheet.m_lockedCols;
        m_lastWidth = areaWidth;
        const int page = std::max(0, areaWidth) / std::max(1, sheet.m_defaultColWidth);
        setRange(0, std::max(0, sheet.m_greatestLeftCol - sheet.m_lockedCols));
        setPageStep(std::max(1, page));
        setSingleStep(1);
    }
    setValue(std::max(0, sheet.m_leftCol - sheet.m_lockedCols));
    m_updating = false;
    update();
}

void CGridHScrollBar::onAction(int action)
{
    if (action == SliderMove || action == SliderNoAction) {
        return;
    }
    if (!m_grid.cellArea()->hasFocus()) {
        m_grid.cellArea()->setFocus();
    }
    model::CGridSheetState& sheet = *m_control.currentSheet();
    sheet.m_moveReason = 4;
    switch (action) {
    case SliderSingleStepSub:
        m_control.MoveLeftCol(0);
        break;
    case SliderSingleStepAdd:
        m_control.MoveLeftCol(1);
        break;
    case SliderPageStepSub:
        m_control.MoveLeftCol(2);
        break;
    case SliderPageStepAdd:
        m_control.MoveLeftCol(3);
        break;
    case SliderToMinimum:
        m_control.MoveLeftCol(4);
        break;
    case SliderToMaximum:
        m_control.MoveLeftCol(5);
        break;
    default:
        break;
    }
    sheet.m_moveReason = 0;
    Update();
    setSliderPosition(value());
}

void CGridHScrollBar::thumbTrack(int position)
{
    model::CGridSheetState& sheet = *m_control.currentSheet();
    m_thumbCol = sheet.m_lockedCols + position;
    if (sheet.m_hThumbTracking) {
        sheet.m_moveReason = 4;
        m_control.SetLeftCol(m_thumbCol);
        sheet.m_moveReason = 0;
    }
    if (sheet.m_hScrollHints) {
        std::string text = std::to_string(m_thumbCol);
        if (m_control.OnHScrollTip(m_thumbCol, &text)) {
            CGridHintWnd& hint = m_grid.hint();
            hint.SetHintText(text);
            hint.SetPlacement(CGridHintWnd::kCentreX | CGridHintWnd::kBottomAtY);
            const QPoint cursor = m_grid.mapFromGlobal(QCursor::pos());
            hint.MoveHintWindow(cursor.x(), geometry().top() - 1, 20);
        }
    }
}

void CGridHScrollBar::thumbPosition(int position)
{
    model::CGridSheetState& sheet = *m_control.currentSheet();
    if (sheet.m_hScrollHints) {
        m_grid.hint().Hide();
    }
    if (!m_grid.cellArea()->hasFocus()) {
        m_grid.cellArea()->setFocus();
    }
    sheet.m_moveReason = 4;
    m_control.SetLeftCol(sheet.m_lockedCols + position);
    sheet.m_moveReason = 0;
    Update();
}

void CGridHScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const QPoint global = mapToGlobal(event->position().toPoint());
        m_control.ShowPopupMenu(0, 0, {global.x(), global.y()}, model::kSectionHScrollBar);
    }
    QScrollBar::mousePressEvent(event);
}

} // namespace gridctrl::widgets
