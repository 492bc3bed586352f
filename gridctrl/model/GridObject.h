#pragma once

#include "gridctrl/model/GridColor.h"

namespace gridctrl::model {

// Base of the objects the grid keeps in its object tables and lends to cells: fonts,
// bitmaps, pens and cell types. The layer that draws looks the concrete kind up.
class GridObject
{
public:
    virtual ~GridObject() = default;
};

// A pen: line style, width in pixels and colour.
class GridPen : public GridObject
{
public:
    enum Style
    {
        Solid = 0,
        Dash = 1,
        Dot = 2,
        DashDot = 3,
        DashDotDot = 4,
        None = 5,
    };

    GridPen(int style, int width, COLORREF colour)
        : m_style(style), m_width(width), m_colour(colour)
    {}

    int style() const { return m_style; }
    int width() const { return m_width; }
    COLORREF colour() const { return m_colour; }

private:
    int m_style;
    int m_width;
    COLORREF m_colour;
};

} // namespace gridctrl::model
