#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridRedrawList.h"
#include "gridctrl/widgets/GridTextCache.h"

#include <QRegion>
#include <QWidget>

#include <chrono>

class QTimer;

namespace gridctrl::widgets {

// The grid's cell area: paints the cells through their cell types from a redraw list, so a
// change repaints only the cells it touched, moves its painted pixels when the view scrolls,
// and turns mouse, keyboard and wheel input into the control's operations and hooks (section
// 1). Holds no state of the grid beyond what a gesture in progress needs. GUI thread only.
class CGridCellArea : public QWidget
{
public:
    CGridCellArea(model::CGridControl& control, QWidget* parent);
    ~CGridCellArea() override;

    // Queues cells for the next paint.
    void RedrawCell(int col, long row);
    void RedrawRow(long row);
    void RedrawCol(int col);
    void RedrawRange(int left, long top, int right, long bottom);
    // Invalidates the whole area.
    void Update();
    // The left column or top row changed: moves the painted pixels where it can, queues the
    // columns or rows that came into view.
    void Moved();
    // The current cell may have changed: queues the previous and the new one.
    void currentCellChanged();
    // Keeps the off-screen drawing flag (Qt draws off-screen anyway).
    void SetDoubleBuffer(int on) { m_doubleBuffer = on != 0; }
    bool doubleBuffer() const { return m_doubleBuffer; }

    // One pass of the drag selection's auto-scroll while the pointer is outside the area with
    // the left button held; a timer runs it, tests call it after moving the clock. Returns
    // true when the selection moved.
    bool autoScrollPass();
    bool isAutoScrolling() const { return m_autoScroll; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void queue(int left, long top, int right, long bottom);
    // Widens a queued range by the cells of its rows whose picture it may change through text
    // overflow.
    void widenForOverflow(int& left, long top, int& right, long bottom);
    // Whether cell (col, row) is drawn in the highlight colours.
    bool drawnHighlighted(int col, long row);
    void drawFocusFrame(platform::framework::CDC& dc, const model::GridRect& rect, bool focused);
    void queueRect(const QRect& rect);
    model::CGridCellType* typeAt(int col, long row, model::CGridCellInfo& cell);
    unsigned keyFlags(Qt::KeyboardModifiers modifiers) const;
    void moveByKey(unsigned key, int step, bool ctrl);
    std::chrono::nanoseconds now() const;

    model::CGridControl& m_control;
    model::CGridRedrawList m_redraw;
    QRegion m_listRegion;    // the pixels the queued cells cover
    bool m_fullPaint = true; // the next paint draws the whole sheet
    bool m_doubleBuffer = false;
    bool m_askingForRows = false;
    int m_previousCol = -1;
    long m_previousRow = -1;
    GridTextCache m_textCache; // the cells' texts, laid out once for every paint

    // Gestures in progress.
    bool m_pressHeld = false; // the current cell's type holds the press
    bool m_leftDown = false;
    bool m_autoScroll = false;
    QPoint m_lastPoint;
    QTimer* m_autoScrollTimer = nullptr;
    std::chrono::nanoseconds m_lastAutoStep{0};
    int m_keyCount = 0;
    std::chrono::nanoseconds m_lastKeyStep{0};
    int m_lastTipCol = -1;
    long m_lastTipRow = -1;
};

} // namespace gridctrl::widgets
