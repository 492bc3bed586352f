#pragma once

#include "platform/framework/WinTypes.h"

#include <QLabel>

#include <cstdint>
#include <string>

// A static text control that the program colours: created with its text, style, rectangle,
// parent and control id, and given a background colour. Only what the program's frames use.
// GUI thread only.
class COXTextLabel : public QLabel
{
public:
    static constexpr uint32_t WS_VISIBLE = 0x10000000;

    explicit COXTextLabel(QWidget* parent = nullptr);

    // Places the label on parent at rect (parent's client coordinates) with the text and the
    // control id; shown when style has WS_VISIBLE. False without a parent.
    bool Create(const std::string& text, uint32_t style, const platform::framework::RECT& rect,
                QWidget* parent, unsigned id);
    // Fills the label's background with the colour; redraw repaints at once.
    void SetBkColor(platform::framework::COLORREF color, bool redraw = true);
};
