#include "gridctrl/model/GridTabList.h"

#include "gridctrl/model/GridSystem.h"

namespace gridctrl::model {

int GridTabList::AddTab(std::string_view label, long id)
{
    return InsertTab(GetTabCount(), label, id);
}

int GridTabList::InsertTab(int position, std::string_view label, long id)
{
    if (GetTabCount() >= kMaxTabs || position < 0 || position > GetTabCount()) {
        return 1;
    }
    const GridSystem& system = gridSystem();
    m_tabs.insert(m_tabs.begin() + position,
                  Tab{id, std::string(label), system.sysColor(kColorBtnFace),
                      system.sysColor(kColorWindowText)});
    if (m_current < 0) {
        m_current = position;
    } else if (position <= m_current) {
        ++m_current;
    }
    return 0;
}

int GridTabList::DeleteTab(long id)
{
    const int position = findTab(id);
    if (position < 0) {
        return 1;
    }
    m_tabs.erase(m_tabs.begin() + position);
    if (m_tabs.empty()) {
        m_current = -1;
    } else if (position == m_current) {
        m_current = 0; // the first tab becomes current
    } else if (position < m_current) {
        --m_current;
    }
    return 0;
}

int GridTabList::findTab(long id) const
{
    for (int i = 0; i < GetTabCount(); ++i) {
        if (m_tabs[static_cast<std::size_t>(i)].id == id) {
            return i;
        }
    }
    return -1;
}

int GridTabList::SetTabLabel(int position, std::string_view label)
{
    if (position < 0 || position >= GetTabCount()) {
        return 1;
    }
    m_tabs[static_cast<std::size_t>(position)].label = label;
    return 0;
}

std::string GridTabList::GetTabLabel(int position) const
{
    if (position < 0 || position >= GetTabCount()) {
        return {};
    }
    return m_tabs[static_cast<std::size_t>(position)].label;
}

int GridTabList::SetCurrentTab(long id)
{
    const int position = findTab(id);
    if (position < 0) {
        return 1;
    }
    m_current = position;
    return 0;
}

long GridTabList::GetCurrentTab() const
{
    return m_current;
}

int GridTabList::SetTabBackColor(long id, COLORREF colour)
{
    const int position = findTab(id);
    if (position < 0) {
        return 1;
    }
    m_tabs[static_cast<std::size_t>(position)].backColor = colour;
    return 0;
}

int GridTabList::SetTabTextColor(long id, COLORREF colour)
{
    const int position = findTab(id);
    if (position < 0) {
        return 1;
    }
    m_tabs[static_cast<std::size_t>(position)].textColor = colour;
    return 0;
}

} // namespace gridctrl::model
