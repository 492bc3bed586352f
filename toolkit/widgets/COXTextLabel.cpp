#include "toolkit/widgets/COXTextLabel.h"

#include "platform/framework/ControlIds.h"

#include <QPalette>

COXTextLabel::COXTextLabel(QWidget* parent) : QLabel(parent) {}

bool COXTextLabel::Create(const std::string& text, uint32_t style,
                          const platform::framework::RECT& rect, QWidget* parent, unsigned id)
{
    if (parent == nullptr)
        return false;
    setParent(parent);
    setText(QString::fromStdString(text));
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    platform::framework::setControlId(this, id);
    setVisible((style & WS_VISIBLE) != 0);
    return true;
}

void COXTextLabel::SetBkColor(platform::framework::COLORREF color, bool redraw)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window,
                     QColor(static_cast<int>(platform::framework::GetRValue(color)),
                            static_cast<int>(platform::framework::GetGValue(color)),
                            static_cast<int>(platform::framework::GetBValue(color))));
    setPalette(colours);
    setAutoFillBackground(true);
    if (redraw)
        repaint();
}
