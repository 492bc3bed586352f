#pragma once

#include <cstdint>

namespace gridctrl::model {

// A colour as the grid stores it: 0x00BBGGRR, red in the lowest byte.
using COLORREF = std::uint32_t;

constexpr COLORREF rgbColor(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

constexpr unsigned redOf(COLORREF colour)
{
    return colour & 0xFFu;
}

constexpr unsigned greenOf(COLORREF colour)
{
    return (colour >> 8) & 0xFFu;
}

constexpr unsigned blueOf(COLORREF colour)
{
    return (colour >> 16) & 0xFFu;
}

} // namespace gridctrl::model
