#pragma once

#include "gridctrl/model/GridControl.h"

#include <QScrollBar>

namespace gridctrl::widgets {

class GridWidget;

// The horizontal scroll bar (section 5): positions count from the first unlocked column.
// Dragging the thumb shows the column it names in the hint window and, with the sheet's
// tracking flag, moves the grid at once. GUI thread only.
class CGridHScrollBar : public QScrollBar
{
public:
    CGridHScrollBar(model::CGridControl& control, GridWidget& grid);

    void Update();
    int thumbCol() const { return m_thumbCol; }
    void thumbTrack(int position);
    void thumbPosition(int position);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void onAction(int action);

    model::CGridControl& m_control;
    GridWidget& m_grid;
    int m_lastGreatest = -1;
    int m_lastLocked = -1;
    int m_lastWidth = -1;
    int m_thumbCol = 0;
    bool m_updating = false;
};

} // namespace gridctrl::widgets
