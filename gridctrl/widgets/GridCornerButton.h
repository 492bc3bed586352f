#pragma once

#include "gridctrl/model/GridControl.h"

#include <QWidget>

namespace gridctrl::widgets {

class GridWidget;

// The corner button between the headings (section 4): draws the heading cell (-1, -1) and
// sizes the side heading's width by its right edge and the top heading's height by its
// bottom edge. GUI thread only.
class CGridCornerButton : public QWidget
{
public:
    CGridCornerButton(model::CGridControl& control, GridWidget& grid);

    void Update() { QWidget::update(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    model::CGridControl& m_control;
    bool m_sizing = false;
    bool m_overEdge = false;
    bool m_sizingTop = false;
    bool m_sizingSide = false;
};

} // namespace gridctrl::widgets
