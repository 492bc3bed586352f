#pragma once

#include "gridctrl/model/GridColor.h"

#include <QFont>
#include <QWidget>

#include <optional>
#include <string>

namespace gridctrl::widgets {

// The small tip window the scroll bars show while their thumb is dragged: one line of text,
// placed by flags around a point of the control and kept inside the control. GUI thread only.
class CGridHintWnd : public QWidget
{
public:
    // Placement flags: 4 centres horizontally on x, 2 puts the right edge at x (else the left
    // edge); 32 centres vertically on y, 16 puts the bottom at y (else the top).
    static constexpr int kCentreX = 4;
    static constexpr int kRightAtX = 2;
    static constexpr int kCentreY = 32;
    static constexpr int kBottomAtY = 16;

    // `control` is the grid control's window, whose client area the hint stays inside.
    explicit CGridHintWnd(QWidget* control);

    void SetHintFont(const QFont& font);
    void SetHintText(const std::string& text, bool redraw = true);
    const std::string& hintText() const { return m_text; }
    void SetTextColor(model::COLORREF colour);
    void SetBackColor(model::COLORREF colour);
    void SetPlacement(int flags) { m_placement = flags; }
    void SetOption(int option) { m_option = option; }
    // Moves the hint to (x, y) of the control's client area with at least `minWidth` pixels.
    void MoveHintWindow(int x, int y, int minWidth);
    void Hide();
    void Show();
    // Where the last move put the hint, in the control's client pixels.
    QRect placedRect() const { return m_placed; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* m_control;
    std::string m_text;
    model::COLORREF m_textColor = 0;
    model::COLORREF m_backColor = 0xE1FFFF; // RGB(255, 255, 224)
    int m_placement = 1;
    int m_option = 1;
    QFont m_font;
    int m_lineHeight = 0;
    QRect m_placed;
};

} // namespace gridctrl::widgets
