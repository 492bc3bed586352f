#pragma once

#include "gridctrl/model/GridControlParts.h"

#include <string>
#include <vector>

namespace gridctrl::model {

// The tabs of the sheet tab bar without a window: at most 64, each with an id, a label and
// two colours, and the current one. The tab bar widget draws from it. GUI thread only.
class GridTabList : public GridTabBarPart
{
public:
    static constexpr int kMaxTabs = 64;

    struct Tab
    {
        long id = 0;
        std::string label;
        COLORREF backColor = 0xFFFFFF;
        COLORREF textColor = 0;
    };

    int AddTab(std::string_view label, long id) override;
    int InsertTab(int position, std::string_view label, long id) override;
    int DeleteTab(long id) override;
    int findTab(long id) const override;
    int GetTabCount() const override { return static_cast<int>(m_tabs.size()); }
    int SetTabLabel(int position, std::string_view label) override;
    std::string GetTabLabel(int position) const override;
    int SetCurrentTab(long id) override;
    long GetCurrentTab() const override;
    int SetTabBackColor(long id, COLORREF colour) override;
    int SetTabTextColor(long id, COLORREF colour) override;

    const std::vector<Tab>& tabs() const { return m_tabs; }

private:
    std::vector<Tab> m_tabs;
    int m_current = -1;
};

} // namespace gridctrl::model
