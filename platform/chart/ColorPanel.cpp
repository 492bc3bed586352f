#include "platform/chart/ColorPanel.h"

#include "platform/chart/ChartRenderer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace platform::chart {

CColorPanel::CColorPanel(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(16, 16);
}

void CColorPanel::SetBackColor(XrtColor color)
{
    // Only the COLORREF's colour bytes count; the high byte is not a colour.
    color &= 0x00FFFFFF;
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void CColorPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(m_color));
    p.setPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CColorPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CColorPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space) {
        emit Click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace platform::chart
