#include "toolkit/widgets/COXBitmapMenuPopupWnd.h"

#include "platform/framework/Menu.h"
#include "toolkit/widgets/COXBitmapMenu.h"
#include "toolkit/widgets/SystemColors.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace fw = platform::framework;

COXBitmapMenuPopupWnd::COXBitmapMenuPopupWnd(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_font(QApplication::font("QMenu")),
      m_handle([this](unsigned message, uintptr_t wParam, intptr_t) -> intptr_t {
          if (message == fw::kTimerMessage && wParam == kSelectionTimer)
              onSelectionTimer();
          return 0;
      })
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toolkit::widgets::toQColor(toolkit::widgets::GetSysColor(
                                           toolkit::widgets::COLOR_BTNFACE)));
    setPalette(palette);
}

COXBitmapMenuPopupWnd::~COXBitmapMenuPopupWnd()
{
    if (m_menu)
        m_menu->setPopupWnd(nullptr);
}

bool COXBitmapMenuPopupWnd::active() const
{
    return m_menu && m_menu->customizeMode();
}

void COXBitmapMenuPopupWnd::ShowMenu(COXBitmapMenu* menu, int alignment, int x, int y)
{
    if (m_menu && m_menu != menu)
        m_menu->setPopupWnd(nullptr);
    m_menu = menu;
    if (!m_menu)
        return;
    m_menu->setPopupWnd(this);
    m_menu->SetCustomizable(true);
    m_menu->setCustomizeMode(true);
    m_font = QApplication::font("QMenu");
    m_menu->CalcExtents();
    LayoutMenu(alignment, x, y);
    setGeometry(m_windowRect);
    show();
    raise();
}

bool COXBitmapMenuPopupWnd::HideMenu()
{
    if (m_menu && m_menu->dragging())
        return false;
    if (m_menu) {
        m_menu->SelectItem(-1);
        m_menu->setPopupWnd(nullptr);
    }
    m_menu = nullptr;
    hide();
    return true;
}

void COXBitmapMenuPopupWnd::LayoutMenu(int alignment, int x, int y)
{
    m_alignment = alignment;
    std::vector<QSize> sizes;
    const int count = m_menu ? fw::GetMenuItemCount(m_menu->handle()) : 0;
    for (int i = 0; i < count; ++i)
        sizes.push_back(m_menu->MeasureItem(i).value_or(QSize(0, 0)));
    const OXPopupLayout layout = layoutBitmapMenuPopup(sizes, alignment, x, y, 1, 1);
    m_windowRect = layout.window;
    m_itemRects = layout.items;
}

void COXBitmapMenuPopupWnd::RecalcAndRefresh()
{
    if (!m_menu) {
        hide();
        return;
    }
    m_menu->CalcExtents();
    int x = m_windowRect.left();
    if (m_alignment == 4)
        x += m_windowRect.width() / 2;
    else if (m_alignment == 8)
        x += m_windowRect.width();
    LayoutMenu(m_alignment, x, m_windowRect.top());
    if (isVisible()) {
        setGeometry(m_windowRect);
        update();
    } else {
        hide();
    }
}

int COXBitmapMenuPopupWnd::itemAt(const QPoint& point) const
{
    for (size_t i = 0; i < m_itemRects.size(); ++i)
        if (m_itemRects[i].translated(1, 1).contains(point))
            return static_cast<int>(i);
    return -1;
}

bool COXBitmapMenuPopupWnd::leftButtonDown() const
{
    return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}

void COXBitmapMenuPopupWnd::onSelectionTimer()
{
    m_handle.KillTimer(kSelectionTimer);
    m_timer = 0;
    if (active() && leftButtonDown())
        m_menu->OnDragStart(m_menu->selectedIndex());
}

void COXBitmapMenuPopupWnd::mousePressEvent(QMouseEvent* event)
{
    if (!active())
        return;
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (m_timer != 0)
            return;
        m_menu->SelectItem(itemAt(point));
        m_timer = m_handle.SetTimer(kSelectionTimer, kSelectionDelayMs);
    } else {
        m_menu->SelectItem(itemAt(point));
    }
    update();
}

void COXBitmapMenuPopupWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (!active() || event->button() != Qt::RightButton || m_menu->selectedIndex() < 0)
        return;
    m_menu->ShowCustomizeMenu(m_menu->selectedIndex(), event->globalPosition().toPoint());
}

void COXBitmapMenuPopupWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (active() && m_timer != 0 && (event->buttons() & Qt::LeftButton) == 0) {
        m_handle.KillTimer(kSelectionTimer);
        m_timer = 0;
    }
}

bool COXBitmapMenuPopupWnd::event(QEvent* event)
{
    if (event->type() == QEvent::ApplicationFontChange || event->type() == QEvent::StyleChange) {
        m_font = QApplication::font("QMenu");
        RecalcAndRefresh();
    }
    return QWidget::event(event);
}

void COXBitmapMenuPopupWnd::paintEvent(QPaintEvent*)
{
    if (!m_menu)
        return;
    QPainter painter(this);
    painter.setFont(m_font);
    const fw::HMENU menu = m_menu->handle();
    for (size_t i = 0; i < m_itemRects.size() && static_cast<int>(i) < fw::GetMenuItemCount(menu);
         ++i) {
        const int position = static_cast<int>(i);
        const unsigned state = fw::GetMenuState(menu, static_cast<unsigned>(i), fw::MF_BYPOSITION);
        unsigned drawState = 0;
        if (state & (fw::MF_GRAYED | fw::MF_DISABLED))
            drawState |= COXBitmapMenu::ODS_GRAYED;
        if (state & fw::MF_CHECKED)
            drawState |= COXBitmapMenu::ODS_CHECKED;
        if (m_menu->itemData(position))
            m_menu->DrawItem(painter, m_itemRects[i].translated(1, 1), position, drawState);
    }
}
