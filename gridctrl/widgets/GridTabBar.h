#pragma once

#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridTabList.h"

#include <QFont>
#include <QWidget>

class QScrollBar;

namespace gridctrl::widgets {

// The sheet tab bar: up to 64 tabs drawn as overlapping trapezoids, the current one white and
// on top, scrolled by two arrow buttons at its left end and sized by dragging its right edge.
// A click selects a tab (the control's OnTabSelected), a right click opens the control's
// pop-up menu for section 7. The tabs themselves are a GridTabList. GUI thread only.
class CGridTabBar : public QWidget, public model::GridTabBarPart
{
public:
    static constexpr int kScrollBarId = 100;
    static constexpr int kSizingEdge = 7;
    static constexpr int kMinWidth = 40;

    CGridTabBar(model::CGridControl& control, QWidget* parent);

    // GridTabBarPart.
    int AddTab(std::string_view label, long id) override;
    int InsertTab(int position, std::string_view label, long id) override;
    int DeleteTab(long id) override;
    int findTab(long id) const override { return m_tabs.findTab(id); }
    int GetTabCount() const override { return m_tabs.GetTabCount(); }
    int SetTabLabel(int position, std::string_view label) override;
    std::string GetTabLabel(int position) const override { return m_tabs.GetTabLabel(position); }
    int SetCurrentTab(long id) override;
    long GetCurrentTab() const override { return m_tabs.GetCurrentTab(); }
    int SetTabBackColor(long id, model::COLORREF colour) override;
    int SetTabTextColor(long id, model::COLORREF colour) override;

    void Update();
    const model::GridTabList& tabs() const { return m_tabs; }
    // The scroll offset in pixels and its largest value.
    int scrollOffset() const { return m_offset; }
    int largestOffset() const { return m_largest; }
    // Each tab's width: its label's extent + 10.
    std::vector<int> tabWidths() const;
    // The width of the arrow buttons at the left end.
    int scrollBarWidth() const;
    // The tab under x (-1 for none).
    int tabAtX(int x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void recomputeLargest();
    void onArrow(int action);

    model::CGridControl& m_control;
    model::GridTabList m_tabs;
    QScrollBar* m_arrows = nullptr;
    QFont m_font;
    int m_offset = 0;
    int m_largest = 0;
    bool m_overEdge = false;
    bool m_sizing = false;
};

} // namespace gridctrl::widgets
