#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridScrollMath.h"

#include <QScrollBar>

namespace gridctrl::widgets {

class GridWidget;

// The vertical scroll bar (section 6). Above 1000 possible top rows it runs 0 to 1000 and
// converts by its factors; in scroll mode 2 it is a three-position spin control whose arrows
// move the grid. Dragging the thumb shows the row it names in the hint window. GUI thread
// only.
class CGridVScrollBar : public QScrollBar
{
public:
    CGridVScrollBar(model::CGridControl& control, GridWidget& grid);

    // Re-reads the sheet: range and factors when they changed, the position when the top row
    // changed.
    void Update();
    const model::GridVScrollSetup& setup() const { return m_setup; }
    // The row under the thumb while it is dragged.
    int thumbRow() const { return m_thumbRow; }

    // Thumb dragged to `position` (as the bar reports it while tracking).
    void thumbTrack(int position);
    // Thumb released at `position`.
    void thumbPosition(int position);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void onAction(int action);

    model::CGridControl& m_control;
    GridWidget& m_grid;
    model::GridVScrollSetup m_setup;
    int m_lastGreatest = -2;
    int m_lastMode = -2;
    int m_lastLocked = -2;
    int m_lastHeight = -2;
    long m_lastTop = -1;
    int m_thumbRow = 0;
    bool m_updating = false;
};

} // namespace gridctrl::widgets
