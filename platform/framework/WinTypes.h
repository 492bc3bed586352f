#pragma once

#include <cstdint>

namespace platform::framework {

// Geometry and colour records with the layouts the drawing and placement code expects.
struct POINT
{
    int32_t x = 0;
    int32_t y = 0;
};

struct SIZE
{
    int32_t cx = 0;
    int32_t cy = 0;
};

struct RECT
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// 0x00BBGGRR
using COLORREF = uint32_t;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned GetRValue(COLORREF c)
{
    return c & 0xFF;
}
constexpr unsigned GetGValue(COLORREF c)
{
    return (c >> 8) & 0xFF;
}
constexpr unsigned GetBValue(COLORREF c)
{
    return (c >> 16) & 0xFF;
}

} // namespace platform::framework
