#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/widgets/GridTextCache.h"

#include <QWidget>

namespace gridctrl::widgets {

class GridWidget;

// The side heading (section 3): paints the heading columns beside the visible rows and sizes
// rows and heading columns by their borders. GUI thread only.
class CGridSideHeading : public QWidget
{
public:
    CGridSideHeading(model::CGridControl& control, GridWidget& grid);

    void Update() { QWidget::update(); }
    // A help request (F1, `request` 1) or hit test (0) for the heading cell at a point.
    void helpRequestAt(QPoint point, int request = 1);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool cellAt(QPoint p, int& col, long& row, model::GridRect& rect) const;
    void findBorder(QPoint p);
    int typeClick(QPoint p, int down);

    model::CGridControl& m_control;
    GridWidget& m_grid;
    GridTextCache m_textCache; // the headings' texts, laid out once for every paint
    bool m_sizing = false;
    bool m_armed = false;
    bool m_sizingHeadingCol = false;
    long m_sizeIndex = 0;
    int m_startSize = 0;
    QPoint m_startPoint;
    int m_startTotal = 0;
};

} // namespace gridctrl::widgets
