#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/widgets/GridTextCache.h"

#include <QWidget>

class QTimer;

namespace gridctrl::widgets {

class GridWidget;

// The top heading (section 2): paints the heading rows over the visible columns, sizes
// columns and heading rows by their borders, fits a column to its content on a double click
// on its border and drags a column to a new place. GUI thread only.
class CGridTopHeading : public QWidget
{
public:
    CGridTopHeading(model::CGridControl& control, GridWidget& grid);

    void Update() { QWidget::update(); }
    // A help request (F1, `request` 1) or hit test (0) for the heading cell at a point.
    void helpRequestAt(QPoint point, int request = 1);
    // The column being dragged and the column before which it would go (-1: none).
    int dragCol() const { return m_dragCol; }
    int dropPosition() const { return m_dropPos; }
    // One pass of the column drag's scrolling while the pointer is beyond the cell area.
    bool autoScrollPass();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The column and heading row under a point (-1 and the heading row, or nothing).
    bool cellAt(QPoint p, int& col, long& row, model::GridRect& rect) const;
    void findBorder(QPoint p);
    void dragTo(QPoint p);
    void endDrag();

    model::CGridControl& m_control;
    GridWidget& m_grid;
    GridTextCache m_textCache; // the headings' texts, laid out once for every paint
    bool m_sizing = false;
    bool m_armed = false;
    bool m_sizingHeadingRow = false;
    int m_sizeIndex = 0;
    int m_startSize = 0;
    QPoint m_startPoint;
    int m_startTotal = 0;
    int m_dragCol = -1;
    int m_dropPos = -1;
    QPoint m_lastPoint;
    QTimer* m_scrollTimer = nullptr;
};

} // namespace gridctrl::widgets
