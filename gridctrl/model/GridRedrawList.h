#pragma once

#include <vector>

namespace gridctrl::model {

// The cells a window must repaint: a list of ranges with their bounding box, and a list of
// single cells already painted in the current pass. GUI thread only.
class CGridRedrawList
{
public:
    // Appends a range; the first range sets the bounding box, later ones widen it.
    void Add(int left, int top, int right, int bottom);
    void AddCell(int col, int row) { Add(col, row, col, row); }
    // Widens the first range (adding it to an empty list) without adding a node.
    void Extend(int left, int top, int right, int bottom);
    void ExtendCell(int col, int row) { Extend(col, row, col, row); }
    // 1 when the cell lies inside the bounding box and inside one of the ranges.
    int Contains(int col, int row) const;
    // 1 when the cell is one of the single-cell nodes.
    int ContainsCell(int col, int row) const;
    void AppendCell(int col, int row);
    // The bounding box; zeros and 0 when the list is empty, else 1.
    int GetBounds(int& left, int& top, int& right, int& bottom) const;
    void Clear();

    bool isEmpty() const { return m_ranges.empty(); }
    int rangeCount() const { return static_cast<int>(m_ranges.size()); }

private:
    struct Range
    {
        int left;
        int top;
        int right;
        int bottom;
    };
    struct Cell
    {
        int col;
        int row;
    };

    void widenBounds(const Range& range);

    std::vector<Range> m_ranges;
    std::vector<Cell> m_cells;
    int m_boundLeft = 0;
    int m_boundRight = 0;
    int m_boundTop = 0;
    int m_boundBottom = 0;
};

} // namespace gridctrl::model
