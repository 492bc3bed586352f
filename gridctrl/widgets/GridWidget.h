#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridScrollMath.h"
#include "gridctrl/model/GridTabList.h"

#include <QPointer>
#include <QWidget>

class QScrollBar;

namespace gridctrl::widgets {

// A first Qt face of the grid control: one widget that implements the control's windows,
// paints the corner, headings, cells (through the cell types), the selection, the current
// cell and the tab bar from the core's layout, and turns clicks, arrow keys, Page Up/Down,
// Home/End and the wheel into core calls. It holds no state the core does not hold. GUI
// thread only.
class GridWidget : public QWidget, public model::GridWindows
{
public:
    explicit GridWidget(model::CGridControl& control, QWidget* parent = nullptr);
    ~GridWidget() override;

    model::CGridControl& control() const { return m_control; }

    // GridWindows.
    int clientWidth() const override { return width(); }
    int clientHeight() const override { return height(); }
    void update(int section) override;
    void placeChildren(const model::GridLayoutRects& rects) override;
    void redrawAll() override { QWidget::update(); }
    void redrawCell(int, int, int) override { QWidget::update(); }
    void redrawRange(int, int, int, int) override { QWidget::update(); }
    void setFocus(int) override { QWidget::setFocus(); }
    bool hasFocus(int) const override { return QWidget::hasFocus(); }
    int textWidth(std::string_view text, model::GridObject* font) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    model::CGridControl& m_control;
    model::GridWheelAccumulator m_wheel;
    void updateScrollBars();

    QScrollBar* m_vBar = nullptr;
    QScrollBar* m_hBar = nullptr;
    model::GridVScrollSetup m_vSetup;
    bool m_updatingBars = false;
    model::CGridEditBase* m_edit = nullptr;
    model::CGridEditBase* m_maskedEdit = nullptr;
};

} // namespace gridctrl::widgets
