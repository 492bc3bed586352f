#include "gridctrl/model/GridRedrawList.h"

#include <algorithm>

namespace gridctrl::model {

void CGridRedrawList::widenBounds(const Range& range)
{
    if (m_ranges.size() == 1) {
        m_boundLeft = range.left;
        m_boundTop = range.top;
        m_boundRight = range.right;
        m_boundBottom = range.bottom;
        return;
    }
    m_boundLeft = std::min(m_boundLeft, range.left);
    m_boundTop = std::min(m_boundTop, range.top);
    m_boundRight = std::max(m_boundRight, range.right);
    m_boundBottom = std::max(m_boundBottom, range.bottom);
}

void CGridRedrawList::Add(int left, int top, int right, int bottom)
{
    const Range range{std::min(left, right), std::min(top, bottom), std::max(left, right),
                      std::max(top, bottom)};
    m_ranges.push_back(range);
    widenBounds(range);
}

void CGridRedrawList::Extend(int left, int top, int right, int bottom)
{
    if (m_ranges.empty()) {
        Add(left, top, right, bottom);
        return;
    }
    Range& first = m_ranges.front();
    first.left = std::min({first.left, left, right});
    first.top = std::min({first.top, top, bottom});
    first.right = std::max({first.right, left, right});
    first.bottom = std::max({first.bottom, top, bottom});
    // The bounding box must cover the widened range, or Contains would miss its new cells.
    m_boundLeft = std::min(m_boundLeft, first.left);
    m_boundTop = std::min(m_boundTop, first.top);
    m_boundRight = std::max(m_boundRight, first.right);
    m_boundBottom = std::max(m_boundBottom, first.bottom);
}

int CGridRedrawList::Contains(int col, int row) const
{
    if (m_ranges.empty() || col < m_boundLeft || col > m_boundRight || row < m_boundTop ||
        row > m_boundBottom) {
        return 0;
    }
    return std::any_of(m_ranges.begin(), m_ranges.end(),
                       [&](const Range& r) {
                           return col >= r.left && col <= r.right && row >= r.top &&
                                  row <= r.bottom;
                       })
               ? 1
               : 0;
}

int CGridRedrawList::ContainsCell(int col, int row) const
{
    return std::any_of(m_cells.begin(), m_cells.end(),
                       [&](const Cell& c) { return c.col == col && c.row == row; })
               ? 1
               : 0;
}

void CGridRedrawList::AppendCell(int col, int row)
{
    m_cells.push_back({col, row});
}

int CGridRedrawList::GetBounds(int& left, int& top, int& right, int& bottom) const
{
    if (m_ranges.empty()) {
        left = top = right = bottom = 0;
        return 0;
    }
    left = m_boundLeft;
    top = m_boundTop;
    right = m_boundRight;
    bottom = m_boundBottom;
    return 1;
}

void CGridRedrawList::Clear()
{
    m_ranges.clear();
    m_cells.clear();
    m_boundLeft = m_boundTop = m_boundRight = m_boundBottom = 0;
}

} // namespace gridctrl::model
