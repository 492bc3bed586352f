#include "gridctrl/widgets/GridHintWnd.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace gridctrl::widgets {

namespace {

QColor hintQColor(model::COLORREF c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace

CGridHintWnd::CGridHintWnd(QWidget* control)
    : QWidget(control, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_control(control)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_lineHeight = QFontMetrics(m_font).boundingRect(QStringLiteral("X")).height();
    hide();
}

void CGridHintWnd::SetHintFont(const QFont& font)
{
    m_font = font;
    m_lineHeight = QFontMetrics(m_font).boundingRect(QStringLiteral("Xy")).height() + 3;
}

void CGridHintWnd::SetHintText(const std::string& text, bool redraw)
{
    m_text = text;
    if (redraw) {
        update();
    }
}

void CGridHintWnd::SetTextColor(model::COLORREF colour)
{
    m_textColor = colour;
}

void CGridHintWnd::SetBackColor(model::COLORREF colour)
{
    m_backColor = colour;
}

void CGridHintWnd::MoveHintWindow(int x, int y, int minWidth)
{
    const QFontMetrics metrics(m_font);
    const int w = std::max(metrics.horizontalAdvance(QString::fromStdString(m_text)) + 4,
                           std::max(0, minWidth));
    const int h = std::max(m_lineHeight, metrics.height()) + 2;
    int left = x;
    if (m_placement & kCentreX) {
        left = x - w / 2;
    } else if (m_placement & kRightAtX) {
        left = x - w;
    }
    int top = y;
    if (m_placement & kCentreY) {
        top = y - h / 2;
    } else if (m_placement & kBottomAtY) {
        top = y - h;
    }
    // Inside the control: shifted right or down first, then back from the right or bottom.
    const int cw = m_control->width();
    const int ch = m_control->height();
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (left + w > cw) {
        left = std::max(0, cw - w);
    }
    if (top + h > ch) {
        top = std::max(0, ch - h);
    }
    m_placed = QRect(left, top, w, h);
    hide();
    setGeometry(QRect(m_control->mapToGlobal(QPoint(left, top)), QSize(w, h)));
    show();
    update();
}

void CGridHintWnd::Hide()
{
    hide();
}

void CGridHintWnd::Show()
{
    show();
}

void CGridHintWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), hintQColor(m_backColor));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setFont(m_font);
    painter.setPen(hintQColor(m_textColor));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(m_text));
}

} // namespace gridctrl::widgets
