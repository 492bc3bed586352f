#pragma once

#include "platform/framework/WindowHandle.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <vector>

class COXBitmapMenu;

// The customisation window of a bitmap menu: shows the menu's items without taking the focus,
// selects them with the mouse and offers the customise menu on the right button. Mouse input
// and commands are ignored unless the menu is in customise mode. GUI thread only.
class COXBitmapMenuPopupWnd : public QWidget
{
public:
    // The selection timer started by a left button press.
    static constexpr unsigned kSelectionTimer = 412;
    static constexpr unsigned kSelectionDelayMs = 200;

    explicit COXBitmapMenuPopupWnd(QWidget* parent = nullptr);
    ~COXBitmapMenuPopupWnd() override;

    COXBitmapMenu* GetBitmapMenu() const { return m_menu; }
    // Shows menu at (x, y) with alignment 0 left, 4 centred, 8 right; the menu becomes
    // customisable and in customise mode.
    virtual void ShowMenu(COXBitmapMenu* menu, int alignment, int x, int y);
    // Refused while the menu is being dragged.
    virtual bool HideMenu();
    virtual void RecalcAndRefresh();
    virtual void LayoutMenu(int alignment, int x, int y);
    const std::vector<QRect>& itemRects() const { return m_itemRects; }
    QRect windowRect() const { return m_windowRect; }
    bool selectionTimerPending() const { return m_timer != 0; }

    // Whether the left button is down now (the pointer's state; tests replace it).
    virtual bool leftButtonDown() const;
    // The selection timer's expiry (WM_TIMER 412).
    void onSelectionTimer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool active() const;
    int itemAt(const QPoint& point) const;

    COXBitmapMenu* m_menu = nullptr;
    QRect m_windowRect;
    std::vector<QRect> m_itemRects;
    QFont m_font;
    unsigned m_timer = 0;
    int m_alignment = 0;
    platform::framework::WindowHandle m_handle;
};
