#include "gridctrl/widgets/GridVScrollBar.h"

#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridHintWnd.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QCursor>
#include <QMouseEvent>

#include <cmath>

namespace gridctrl::widgets {

CGridVScrollBar::CGridVScrollBar(model::CGridControl& control, GridWidget& grid)
    : QScrollBar(Qt::Vertical, &grid), m_control(control), m_grid(grid)
{
    setTracking(false); // the value changes on release; sliderMoved reports the track
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

void CGridVScrollBar::Update()
{
    const model::CGridSheetState& sheet = *m_control.currentSheet();
    m_updating = true;
    if (sheet.m_greatestTopRow != m_lastGreatest || sheet.m_vScrollMode != m_lastMode ||
        sheet.m_lockedRows != m_lastLocked || sheet.m_cellAreaHeight != m_lastHeight) {
        m_lastGreatest = sheet.m_greatestTopRow;
        m_lastMode = sheet.m_vScrollMode;
        m_lastLocked = sheet.m_lockedRows;
        m_lastHeight = sheet.m_cellAreaHeight;
        m_setup =
            model::vScrollSetup(sheet.m_greatestTopRow, sheet.m_lockedRows, sheet.m_vScrollMode,
                                sheet.m_cellAreaHeight, sheet.m_defaultRowHeight, sheet.m_topRow);
        // The system's maximum counts the page; Qt's is the last position.
        setRange(m_setup.minimum,
                 std::max(m_setup.minimum, m_setup.maximum - std::max(1, m_setup.page) + 1));
        setPageStep(std::max(1, m_setup.page));
        setSingleStep(1);
        m_lastTop = -1;
    }
    if (sheet.m_topRow != m_lastTop || sheet.m_vScrollMode == 2) {
        m_lastTop = sheet.m_topRow;
        setValue(sheet.m_vScrollMode == 2
                     ? 1
                     : static_cast<int>(std::lround(sheet.m_topRow * m_setup.rowToPosition)));
    }
    m_updating = false;
    update();
}

void CGridVScrollBar::onAction(int action)
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
        m_control.MoveTopRow(0);
        break;
    case SliderSingleStepAdd:
        m_control.MoveTopRow(1);
        break;
    case SliderPageStepSub:
        m_control.MoveTopRow(2);
        break;
    case SliderPageStepAdd:
        m_control.MoveTopRow(3);
        break;
    case SliderToMinimum:
        m_control.MoveTopRow(4);
        break;
    case SliderToMaximum:
        m_control.MoveTopRow(5);
        break;
    default:
        break;
    }
    sheet.m_moveReason = 0;
    Update();
    // The core decided where the grid went: the bar shows that instead of its own step.
    setSliderPosition(value());
}

void CGridVScrollBar::thumbTrack(int position)
{
    model::CGridSheetState& sheet = *m_control.currentSheet();
    if (sheet.m_vScrollMode == 2) {
        return;
    }
    m_thumbRow = model::thumbRow(position - (m_setup.positionToRow == 1.0 ? sheet.m_lockedRows : 0),
                                 m_setup.positionToRow, sheet.m_lockedRows);
    if (sheet.m_vScrollMode == 1) {
        sheet.m_moveReason = 4;
        m_control.SetTopRow(std::lround(position * m_setup.positionToRow));
        sheet.m_moveReason = 0;
    }
    if (sheet.m_vScrollHints) {
        std::string text = std::to_string(m_thumbRow);
        if (m_control.OnVScrollTip(m_thumbRow, &text)) {
            CGridHintWnd& hint = m_grid.hint();
            hint.SetHintText(text);
            hint.SetPlacement(CGridHintWnd::kRightAtX | CGridHintWnd::kCentreY);
            const QPoint cursor = m_grid.mapFromGlobal(QCursor::pos());
            hint.MoveHintWindow(geometry().left() - 1, cursor.y(), 40);
        }
    }
}

void CGridVScrollBar::thumbPosition(int position)
{
    model::CGridSheetState& sheet = *m_control.currentSheet();
    if (sheet.m_vScrollHints) {
        m_grid.hint().Hide();
    }
    if (!m_grid.cellArea()->hasFocus()) {
        m_grid.cellArea()->setFocus();
    }
    sheet.m_moveReason = 4;
    if (sheet.m_vScrollMode == 2) {
        // The spin control: only its arrows move the grid.
        if (position != 1) {
            m_control.MoveTopRow(position < 1 ? 0 : 1);
        }
    } else {
        m_control.SetTopRow(std::lround(position * m_setup.positionToRow));
    }
    sheet.m_moveReason = 0;
    m_lastTop = -1;
    Update();
}

void CGridVScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const QPoint global = mapToGlobal(event->position().toPoint());
        m_control.ShowPopupMenu(0, 0, {global.x(), global.y()}, model::kSectionVScrollBar);
    }
    QScrollBar::mousePressEvent(event);
}

} // namespace gridctrl::widgets
